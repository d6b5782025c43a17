"""NormalFermionOperatorArray algebra against dense Jordan-Wigner matrices:
products, commutators, adjoints, raw products, the Hermiticity and
particle-number tests, and operators acting on occupation-number states."""

import numpy as np
import pytest

from fermion_dense import normal_ops, of_general, of_normal, of_ops, random_coeffs, random_normal
from vemo._vemo import (
    ComplexVec,
    FermionStateArray,
    GeneralFermionOperatorArray,
    Map,
    Modes,
    NormalFermionOperatorArray as N,
    RealVec,
)

KINDS = [(False, "real"), (True, "complex")]


def lincomb(name, complex_):
    return getattr(N, f"lincomb_{name}_{'complex' if complex_ else 'real'}")


def assert_unique_nonzero(arr, coeffs):
    assert len({arr.cmpnt_to_string(i) for i in range(len(arr))}) == len(arr)
    assert 0 not in coeffs.to_array()


@pytest.mark.parametrize("complex_,_", KINDS)
@pytest.mark.parametrize("n", [1, 3, 6])
def test_products_and_commutators_match_dense(complex_, _, n):
    rng = np.random.default_rng(n + 10 * complex_)
    a, b = random_normal(rng, n, 7), random_normal(rng, n, 5)
    ca, cb = random_coeffs(rng, 7, complex_), random_coeffs(rng, 5, complex_)
    da, db = of_normal(a, ca, n), of_normal(b, cb, n)
    for name, want in [("mul", da @ db), ("commutator", da @ db - db @ da), ("anticommutator", da @ db + db @ da)]:
        arr, coeffs = lincomb(name, complex_)(a, ca, b, cb)
        assert type(coeffs) is (ComplexVec if complex_ else RealVec)
        assert arr.modes == a.modes
        assert_unique_nonzero(arr, coeffs)
        np.testing.assert_array_equal(of_normal(arr, coeffs, n), want, err_msg=name)
    arr, coeffs = lincomb("adjoint", complex_)(a, ca)
    assert len(arr) == len(a)
    np.testing.assert_array_equal(of_normal(arr, coeffs, n), da.conj().T)
    ga, gca = lincomb("to_general", complex_)(a, Map(), ca)
    gb, gcb = lincomb("to_general", complex_)(b, Map(), cb)
    assert isinstance(ga, GeneralFermionOperatorArray)
    np.testing.assert_array_equal(of_general(ga, gca, n), da)
    raw, craw = getattr(GeneralFermionOperatorArray, f"lincomb_mul_{_}")(ga, gca, gb, gcb)
    arr, coeffs = getattr(GeneralFermionOperatorArray, f"lincomb_to_normal_order_{_}")(raw, craw)
    np.testing.assert_array_equal(of_normal(arr, coeffs, n), da @ db)


@pytest.mark.parametrize("complex_,_", KINDS)
def test_hermiticity_and_particle_number_agree_with_dense(complex_, _):
    rng = np.random.default_rng(5 + complex_)
    n = 4
    number = sum(of_ops(n, [(m, True), (m, False)]) for m in range(n))
    seen = set()
    for trial in range(40):
        a = random_normal(rng, n, int(rng.integers(1, 4)), p=0.25)
        c = random_coeffs(rng, len(a), complex_)
        if trial % 2:  # a + a^dagger
            adj, cadj = lincomb("adjoint", complex_)(a, c)
            a, c = sum_of(a, c, adj, cadj, complex_)
        d = of_normal(a, c, n)
        herm = bool(np.array_equal(d, d.conj().T))
        conserves = bool(np.array_equal(d @ number, number @ d))
        assert lincomb("is_hermitian", complex_)(a, c, 1e-12) == herm
        assert lincomb("conserves_particle_number", complex_)(a, c, 1e-12) == conserves
        seen.add((herm, conserves))
    assert len(seen) >= 3


def sum_of(a, ca, b, cb, complex_):
    """a + b: the concatenation times the identity, which merges repeats."""
    both = N(a.modes, None)
    cs = list(ca.to_array()) + list(cb.to_array())
    for arr in (a, b):
        for i in range(len(arr)):
            both.append_clear()
            both.cmpnt_set_from_sets(len(both) - 1, *map(set, arr.cmpnt_get_sets(i)))
    cv = (ComplexVec if complex_ else RealVec).from_array(np.array(cs))
    one = N.from_ladder_product(a.modes, [])
    return lincomb("mul", complex_)(both, cv, one[0], type(cv)(1))


@pytest.mark.parametrize("n", [2, 5])
def test_raw_products_and_component_products(n):
    rng = np.random.default_rng(n)
    modes = Modes.from_count(n)
    for _ in range(20):
        ops = [(int(rng.integers(n)), bool(rng.integers(2))) for _ in range(int(rng.integers(0, 6)))]
        arr, coeffs = N.from_ladder_product(modes, ops)
        np.testing.assert_array_equal(of_normal(arr, coeffs, n), of_ops(n, ops))
        a, b = random_normal(rng, n, 2), random_normal(rng, n, 2)
        prod, signs = a.cmpnt_mul(1, b, -1)
        sv = RealVec.from_array(np.array([-1.0 if signs[i].to_phase() else 1.0 for i in range(len(signs))]))
        want = of_ops(n, normal_ops(a, 1)) @ of_ops(n, normal_ops(b, 1))
        np.testing.assert_array_equal(of_normal(prod, sv, n), want)
    with pytest.raises(ValueError, match="mode index out of bounds"):
        N.from_ladder_product(modes, [(n, True)])


def test_counts_and_active_modes():
    a = N(None, None)
    assert N.lincomb_max_n_body_real(a, RealVec(0)) == 0
    assert N.lincomb_active_modes_real(a, RealVec(0)) == set()
    rng = np.random.default_rng(1)
    a = random_normal(rng, 6, 5)
    assert N.lincomb_active_modes_complex(a, ComplexVec(5)) == {m for i in range(5) for s in a.cmpnt_get_sets(i) for m in s}
    assert N.lincomb_max_n_body_real(a, RealVec(5)) == max(a.cmpnt_count_n_body(i) for i in range(5))
    with pytest.raises(ValueError, match="different qubit spaces"):
        N.lincomb_mul_real(a, RealVec(5), N(Modes.from_pair_count_spin_major(3), None), RealVec(0))


def states_of(rng, modes, n, k, complex_):
    """k distinct random states (fewer when the space has fewer)."""
    s = FermionStateArray(modes, None)
    for i, x in enumerate(rng.choice(1 << n, size=min(k, 1 << n), replace=False)):
        s.append_clear()
        s.cmpnt_set_from_set(i, {m for m in range(n) if (x >> m) & 1})
    return s, random_coeffs(rng, len(s), complex_)


@pytest.mark.parametrize("complex_,kind", KINDS)
@pytest.mark.parametrize("n", [0, 1, 4, 8])
def test_apply_and_mat_elem_match_dense(complex_, kind, n):
    rng = np.random.default_rng(100 + n + complex_)
    modes = Modes.from_count(n)
    h = random_normal(rng, n, 15, p=0.25, modes=modes)
    ch = random_coeffs(rng, 15, complex_)
    dh = of_normal(h, ch, n)
    ket, ck = states_of(rng, modes, n, 9, complex_)
    bra, cb = states_of(rng, modes, n, 7, complex_)
    psi = np.array(getattr(ket, f"to_dense_{kind}")(ck, False))
    out, m, co = FermionStateArray(modes, None), Map(), type(ck)(0)
    getattr(h, f"apply_to_state_{kind}")(ch, ket, ck, out, m, co)
    np.testing.assert_allclose(getattr(out, f"to_dense_{kind}")(co, False), dh @ psi, atol=1e-12)
    assert len(m) == len(out) == len(co)
    getattr(h, f"apply_to_state_{kind}")(ch, ket, ck, out, m, co)
    np.testing.assert_allclose(getattr(out, f"to_dense_{kind}")(co, False), 2 * (dh @ psi), atol=1e-12)
    phi = np.array(getattr(bra, f"to_dense_{kind}")(cb, False))
    got = getattr(h, f"mat_elem_{kind}")(ch, bra, cb, ket, ck)
    assert type(got) is (complex if complex_ else float)
    assert got == pytest.approx(np.vdot(phi, dh @ psi), abs=1e-9)
    other = FermionStateArray(Modes.from_count(n + 1), None)
    with pytest.raises(ValueError, match="different qubit spaces"):
        getattr(h, f"apply_to_state_{kind}")(ch, ket, ck, other, Map(), type(ck)(0))
    with pytest.raises(ValueError, match="different qubit spaces"):
        getattr(h, f"mat_elem_{kind}")(ch, other, type(ck)(0), ket, ck)


@pytest.mark.parametrize("complex_,kind", KINDS)
@pytest.mark.parametrize("big_endian", [False, True])
@pytest.mark.parametrize("n", [0, 1, 5])
def test_dense_round_trips(complex_, kind, big_endian, n):
    rng = np.random.default_rng(n)
    src = rng.integers(-2, 3, (1 << n) + 2).astype(complex if complex_ else float)
    s, m, c = FermionStateArray(Modes.from_count(n), None), Map(), (ComplexVec if complex_ else RealVec)(0)
    getattr(s, f"from_dense_{kind}")(m, c, list(src), big_endian)
    assert len(s) == len(c) == len(m) == np.count_nonzero(src[: 1 << n])
    assert getattr(s, f"to_dense_{kind}")(c, big_endian) == list(src[: 1 << n])
    if n > 1:
        flipped = getattr(s, f"to_dense_{kind}")(c, not big_endian)
        perm = [int(format(k, f"0{n}b")[::-1], 2) for k in range(1 << n)]
        assert flipped == list(src[: 1 << n][perm])
