"""QubitPauliArray algebra: products, commutation, compatibility, centralizer,
Clifford conjugation, canonicalisation and sorting, checked against dense
matrices built from 2x2 Paulis, a position-by-position model and brute force."""

import functools
import itertools
import random

import numpy as np
import pytest

from reference import random_strings, string_matrix as dense, string_power as product, text_of

IPOW = [1, 1j, -1, -1j]


def array(v, strings, n=None, reg=None):
    reg = reg or v.Qubits.from_count(len(strings[0]) if n is None else n)
    return v.QubitPauliArray(reg, v.PauliSprings(text_of(strings, len(reg))) if strings else None)


def rand_strings(rng, n, m, letters="IXYZ"):
    return ["".join(s) for s in random_strings(rng, n, m, letters)]


def ks(vec):
    return [vec[i].to_phase() % 4 for i in range(len(vec))]


def csv(v, powers):
    return v.ComplexSignVec.from_phases(np.array(powers, dtype=np.uint8))


# 64, 65 and 130 positions: strings on one word, just past it, over three.
@pytest.mark.parametrize("n", [1, 3, 64, 65, 130])
def test_products_against_model_and_dense(v, n):
    rng = random.Random(n)
    sa, sb = rand_strings(rng, n, 5), rand_strings(rng, n, 5)
    a, b = array(v, sa), array(v, sb)
    for i, j in itertools.product(range(5), repeat=2):
        s, k = product(sa[i], sb[j])
        if n < 4:
            assert np.allclose(dense(sa[i]) @ dense(sb[j]), IPOW[k] * dense(s))
        out, ph = a.cmpnt_mul(i, b, j - 5)
        assert out == array(v, [s]) and ph.to_phase() == k == a.cmpnt_phase_of_mul(i, b, j).to_phase()  # bytes 0..3
        assert a.cmpnt_commutes_with(i, b, j) == (k % 2 == 0)
        c = array(v, sa)
        assert c.cmpnt_imul_external(i, b, j).to_phase() == k and c == array(v, [s if r == i else sa[r] for r in range(5)])
        c.cmpnt_matrices_imul_external(i, b, j)  # the same product again restores the string
        s2, k2 = ("I" * n, 0) if i == j else product(sa[i], sa[j])
        assert c == a and c.cmpnt_imul_internal(i, j).to_phase() == k2
        c.cmpnt_matrices_imul_internal(i, j)
        assert c == array(v, ["I" * n if r == i == j else sa[r] for r in range(5)])
    prod, ph = a.cmpnts_mul_pairwise(b)
    assert prod == array(v, [product(x, y)[0] for x, y in zip(sa, sb)])
    assert ks(ph) == [product(x, y)[1] for x, y in zip(sa, sb)]


def test_product_edge_cases(v):
    a, three = array(v, ["X", "Z"]), array(v, ["XI", "ZI", "IX"])
    for f, args in [(a.cmpnt_mul, (2, a, 5)), (a.cmpnt_phase_of_mul, (2, three, 0)), (a.cmpnt_imul_external, (2, three, 9))]:
        with pytest.raises(IndexError, match="index 2 is"):  # self's index first, before the register
            f(*args)
    with pytest.raises(ValueError, match="different qubit spaces"):
        a.cmpnt_commutes_with(5, three, 0)  # the register first
    with pytest.raises(ValueError, match="different qubit spaces"):
        a.cmpnts_mul_pairwise(three)
    with pytest.raises(ValueError, match="^Input arrays must have the same length$"):
        three.cmpnts_mul_pairwise(array(v, ["XX"]))
    out, ph = array(v, [], 2).cmpnts_mul_pairwise(array(v, [], 2))
    assert len(out) == len(ph) == 0 and out.qubits == v.Qubits.from_count(2)
    assert ks([a.cmpnt_imul_internal(-1, 0)]) == [1] and a == array(v, ["X", "Y"])  # Z X = i Y


# Two indices both out of range: the first one checked is reported. a has 2
# strings on 2 qubits, b 3 strings; -3 in a reads as -1, -4 in b too.
@pytest.mark.parametrize("call, index, length", [
    (lambda v, a, b: a.cmpnt_commutes_with(5, b, 7), 5, 2),
    (lambda v, a, b: a.cmpnt_commutes_with(1, b, -4), -1, 3),  # the second alone
    (lambda v, a, b: a.cmpnt_mul(5, b, 7), 5, 2),
    (lambda v, a, b: a.cmpnt_phase_of_mul(5, b, -4), 5, 2),
    (lambda v, a, b: a.cmpnt_imul_external(-3, b, 7), -1, 2),
    (lambda v, a, b: a.cmpnt_matrices_imul_external(5, b, 7), 5, 2),
    (lambda v, a, b: a.cmpnt_imul_internal(5, 7), 5, 2),
    (lambda v, a, b: a.cmpnt_matrices_imul_internal(-3, 9), -1, 2),
    (lambda v, a, b: a.cmpnt_copy_external(5, b, 7), 5, 2),
    (lambda v, a, b: a.cmpnt_get_pauli(7, 5), 7, 2),
    (lambda v, a, b: a.cmpnt_set_pauli(-3, 9, v.PauliMatrix.X), -1, 2),
    (lambda v, a, b: a.cmpnts_eq([0, 5], b, [7, 0]), 7, 3),  # pair by pair
])
def test_first_bad_index_is_reported(v, call, index, length):
    a, b = array(v, ["XI", "IZ"]), array(v, ["YI", "IX", "ZZ"])
    with pytest.raises(IndexError, match=rf"^Element index {index} is out-of-bounds for container of length {length}\.$"):
        call(v, a, b)
    assert a == array(v, ["XI", "IZ"]) and b == array(v, ["YI", "IX", "ZZ"])


# Every specialised word count of the compatibility kernel, 131 strings past two rows of 64.
@pytest.mark.parametrize("n, m", [(3, 12), (5, 131), (64, 63), (100, 40), (130, 40), (190, 20), (256, 20), (300, 20)])
def test_compatibility_and_centralizer(v, n, m):
    rng = random.Random(m)
    s = rand_strings(rng, n, m, "IIIIXZ") + ["I" * n]
    a = array(v, s)
    expect = np.array([[product(x, y)[1] % 2 == 0 for y in s] for x in s], dtype=np.uint8)
    if n < 4:
        assert (np.array([[np.allclose(dense(x) @ dense(y), dense(y) @ dense(x)) for y in s] for x in s]) == expect).all()
    got = a.compatibility_matrix()
    assert got.dtype == np.uint8 and (got == expect).all()
    cen, rem = a.centralizer_and_remainder()
    assert cen == array(v, [x for x, r in zip(s, expect) if r.all()], n)
    assert rem == array(v, [x for x, r in zip(s, expect) if not r.all()], n)
    assert array(v, [], 2).compatibility_matrix().shape == (0, 0)


def gate_matrix(kind, qs, n):
    if kind == "CX":
        u = np.zeros((2**n, 2**n))
        for c in range(2**n):
            u[c ^ (((c >> qs[0]) & 1) << qs[1]), c] = 1
        return u
    one = {"H": np.array([[1, 1], [1, -1]]) / np.sqrt(2), "S": np.diag([1, 1j])}[kind]
    return functools.reduce(np.kron, [one if q == qs[0] else np.eye(2) for q in reversed(range(n))], np.eye(1))


@pytest.mark.parametrize("n", [1, 2, 3])
def test_conj_clifford_list_is_u_p_u_dagger(v, n):
    rng = random.Random(n)
    every = ["".join(p) for p in itertools.product("IXYZ", repeat=n)]
    for _ in range(10):
        kinds = ["H", "S"] + (["CX"] if n > 1 else [])
        gates = [(k, rng.sample(range(n), 2 if k == "CX" else 1)) for k in rng.choices(kinds, k=rng.randrange(8))]
        u = functools.reduce(lambda acc, g: gate_matrix(*g, n) @ acc, gates, np.eye(2**n))
        s = rand_strings(rng, n, 6)
        a = array(v, s)
        signs = a.conj_clifford_list(v.CliffordGateList.from_iterable([(getattr(v.CliffordGate, k), *q) for k, q in gates]))
        # U P U^dagger is +-1 times exactly one string.
        expect = [[(y, sg) for y in every for sg in (False, True)
                   if np.allclose(u @ dense(x) @ u.conj().T, (-1) ** sg * dense(y))] for x in s]
        assert a == array(v, [e[0][0] for e in expect]) and [signs[i].to_phase() for i in range(6)] == [e[0][1] for e in expect]


def test_conj_clifford_list_checks_every_position_first(v):
    a = array(v, ["XY", "ZZ"])
    for gates in [[(v.CliffordGate.H, 0), (v.CliffordGate.S, 2)], [(v.CliffordGate.H, 0), (v.CliffordGate.CX, 1, 2)]]:
        with pytest.raises(IndexError, match="^Mode index 2 is out-of-bounds for component list with 2 modes"):
            a.conj_clifford_list(v.CliffordGateList.from_iterable(gates))
        assert a == array(v, ["XY", "ZZ"])
    signs = a.conj_clifford_list(v.CliffordGateList())
    assert a == array(v, ["XY", "ZZ"]) and [signs[i].to_phase() for i in range(2)] == [False, False]


def replay(strings, powers, record):
    s, c = list(strings), list(powers)
    for a, b in record:
        s[a], k = product(s[a], s[b])
        c[a] = (c[a] + c[b] + k) % 4
    return s, c


def entries(s):
    """The symplectic bits in X-then-Z order as a bit mask (entry q: x of q, entry n + q: z of q)."""
    return sum(1 << q for q, p in enumerate(s) if p in "XY") | sum(1 << (len(s) + q) for q, p in enumerate(s) if p in "YZ")


def rank(masks):
    basis = {}
    for m in masks:
        while m and (m & -m) in basis:
            m ^= basis[m & -m]
        if m:
            basis[m & -m] = m
    return len(basis)


@pytest.mark.parametrize("n, m", [(2, 6), (4, 9), (70, 12)])
def test_canonicalize_all_gives_reduced_echelon_form(v, n, m):
    rng = random.Random(n * m)
    s = rand_strings(rng, n, m - 3)
    s += [product(s[0], s[1])[0], s[2], "I" * n]  # dependent strings
    powers = [rng.randrange(4) for _ in s]
    a, c = array(v, s), csv(v, powers)
    record = a.canonicalize_all_complex_sign(c)
    got_s, got_c = replay(s, powers, record)
    assert a == array(v, got_s) and ks(c) == got_c
    masks = [entries(x) for x in got_s]
    r = rank(masks)
    assert r == rank(entries(x) for x in s)
    leads = [mk & -mk for mk in masks[:r]]
    assert all(leads) and leads == sorted(leads) and not any(masks[r:])
    assert all(sum(bool(mk & lead) for mk in masks) == 1 for lead in leads)
    # The same through the general method with the full order.
    b, cb = array(v, s), csv(v, powers)
    order = [(q, v.SymplecticPart.X) for q in range(n)] + [(q - n, v.SymplecticPart.Z) for q in range(n)]
    assert b.canonicalize_complex_sign(cb, order, list(range(m)), []) == record and b == a


def test_canonicalize_on_a_pivot_subset(v):
    X, Z = v.SymplecticPart.X, v.SymplecticPart.Z
    # Pivots from a subset; a term outside it only takes reductions; positions on an index register.
    reg = v.Qubits.from_inds([9, 4, 6])
    a, sg = array(v, ["XZI", "XIX", "ZXZ", "XXX"], reg=reg), v.SignVec.from_phases(np.array([0, 1, 0, 0], dtype=bool))
    assert a.canonicalize_sign(sg, [(-3, X), (1, X), (0, Z)], [1, 2], [3]) == [(3, 1), (3, 2)]
    assert a == array(v, ["XZI", "XIX", "ZXZ", "ZIZ"], reg=reg) and [sg[i].to_phase() for i in range(4)] == [0, 1, 0, 1]


@pytest.mark.parametrize("call, exc", [
    (lambda v, a, s: a.canonicalize_all_sign(s), "not representable as type \"Sign\""),
    (lambda v, a, s: a.canonicalize_sign(s, [(0, v.SymplecticPart.X)], [0, 1], [2]), "^Row index 2 is out"),
    (lambda v, a, s: a.canonicalize_sign(s, [], [0, 5], []), "^Row index 5 is out"),
    (lambda v, a, s: a.canonicalize_sign(s, [(0, v.SymplecticPart.Z), (1, v.SymplecticPart.X)], [0], []), "^Element index 1"),
    (lambda v, a, s: a.canonicalize_all_sign(v.SignVec(1)), "^Coefficient vector of length 1 is shorter"),
])
def test_canonicalize_refusals_change_nothing(v, call, exc):
    a, s = array(v, ["X", "Y"]), v.SignVec.from_phases(np.array([False, True]))
    with pytest.raises((ValueError, IndexError), match=exc):
        call(v, a, s)
    assert a == array(v, ["X", "Y"]) and [s[i].to_phase() for i in range(2)] == [False, True]


def key(s):
    """x words then z words, qubit q at bit q % 64 of word q // 64."""
    return [sum(1 << (q % 64) for q in range(w, min(w + 64, len(s))) if s[q] in ps)
            for ps in ("XY", "YZ") for w in range(0, len(s), 64)]


COEFFS = {  # maker from a list of ints, reader of one entry
    "sign": (lambda v, xs: v.SignVec.from_phases(np.array(xs) % 2 == 1), lambda c: c.to_phase()),
    "complex_sign": (lambda v, xs: v.ComplexSignVec.from_phases(np.array(xs, dtype=np.uint8) % 4), lambda c: c.to_phase()),
    "real": (lambda v, xs: v.RealVec.from_array(np.array(xs, dtype=float)), float),
    "complex": (lambda v, xs: v.ComplexVec.from_array(np.array(xs, dtype=complex) * 1j), complex),
}


# Distinct strings sort to the one sorted order (the order among repeated ones is the quicksort's, tested in C++).
@pytest.mark.parametrize("kind", [None, *COEFFS])
@pytest.mark.parametrize("asc", [True, False])
def test_sort_moves_coefficients_along(v, kind, asc):
    s = list(dict.fromkeys(rand_strings(random.Random(7), 70, 40)))
    order = sorted(range(len(s)), key=lambda i: key(s[i]), reverse=not asc)
    a = array(v, s)
    if kind is None:
        a.lexicographic_sort(asc)
    else:
        make, read = COEFFS[kind]
        c, expect = make(v, list(range(len(s) + 2))), make(v, order + [len(s), len(s) + 1])
        getattr(a, f"lexicographic_sort_with_{kind}_vec")(c, asc)
        assert [read(c[i]) for i in range(len(c))] == [read(expect[i]) for i in range(len(c))]
    assert a == array(v, [s[i] for i in order])


def test_sort_edge_cases(v):
    a, r = array(v, ["IX", "XI"]), v.RealVec.from_array(np.array([2.0, 3.0]))
    a.lexicographic_sort_with_real_vec(r, True)
    assert a == array(v, ["XI", "IX"]) and [r[0], r[1]] == [3.0, 2.0]  # [X1, X0] becomes [X0, X1]
    for asc, expect in [(True, ["I", "Z", "X", "Y"]), (False, ["Y", "X", "Z", "I"])]:
        a = array(v, ["X", "Z", "I", "Y"])
        a.lexicographic_sort(asc)
        assert a == array(v, expect)
    with pytest.raises(ValueError, match="^Coefficient vector of length 1 is shorter than the component list of length 4"):
        a.lexicographic_sort_with_complex_vec(v.ComplexVec(1), True)
    assert a == array(v, expect)
