"""Fermion-to-qubit mappers: the mapped ladder operators against dense
matrices built here from 2x2 Paulis (anticommutation relations, products),
mode orderings as qubit relabellings, worked examples and refusals."""

import itertools
import random

import numpy as np
import pytest

SINGLE = {
    "I": np.eye(2, dtype=complex),
    "X": np.array([[0, 1], [1, 0]], dtype=complex),
    "Y": np.array([[0, -1j], [1j, 0]], dtype=complex),
    "Z": np.array([[1, 0], [0, -1]], dtype=complex),
}
FERMIONIC = ["JordanWignerMapper", "ParityMapper", "BravyiKitaevMapper"]
ALL_KINDS = FERMIONIC + ["ParaparticularMapper"]


def read(arr, coeffs):
    """{((position, letter), ...): coefficient} of a Pauli linear combination."""
    out = {}
    for i in range(len(arr)):
        factors = tuple((int(f[1:]), f[0]) for f in arr.cmpnt_to_string(i).split())
        assert factors not in out
        out[factors] = coeffs[i]
    return out


class Mapped:
    """A mapper on Count(n) that maps one product into new outputs: read(...) of them."""

    def __init__(self, v, kind, n, ordering=None):
        self.v, self.n = v, n
        self.mapper = getattr(v, kind)(v.Qubits.from_count(n), ordering)

    def __call__(self, ops, scalar=1.0, real=False):
        v = self.v
        arr, coeffs = v.QubitPauliArray(v.Qubits.from_count(self.n)), v.RealVec() if real else v.ComplexVec()
        self.mapper.op_load_product(ops)
        contribute = self.mapper.op_contribute_real if real else self.mapper.op_contribute_complex
        contribute(arr, v.Map(), coeffs, scalar)
        return read(arr, coeffs)


def dense(terms, n):
    """Sum of c * kron(P_{n-1}, ..., P_0): position 0 is bit 0 of the index."""
    m = np.zeros((2**n, 2**n), dtype=complex)
    for factors, c in terms.items():
        letters = dict(factors)
        k = np.eye(1, dtype=complex)
        for q in reversed(range(n)):
            k = np.kron(k, SINGLE[letters.get(q, "I")])
        m += c * k
    return m


def ladder_matrices(v, kind, n):
    mapped = Mapped(v, kind, n)
    ann = [dense(mapped([(j, False)]), n) for j in range(n)]
    cre = [dense(mapped([(j, True)]), n) for j in range(n)]
    return ann, cre


def mv(a, x):
    """a @ x without BLAS, whose threads crawl on a busy machine."""
    return (a * x).sum(axis=1)


def relation(a, b, sign, x):
    """(a b + sign b a) x, by matrix-vector products only."""
    return mv(a, mv(b, x)) + sign * mv(b, mv(a, x))


# ---------------------------------------------------------------- algebra on dense matrices
# The relations are checked on random vectors: exact for linear maps up to a
# vanishing chance, and cheap on 256-dimensional spaces.


@pytest.mark.parametrize("n", range(1, 9))
@pytest.mark.parametrize("kind", FERMIONIC)
def test_canonical_anticommutation_relations(v, kind, n):
    ann, cre = ladder_matrices(v, kind, n)
    x = np.random.default_rng(n).standard_normal(2**n)
    for i, j in itertools.product(range(n), repeat=2):
        assert np.allclose(cre[i], ann[i].conj().T)
        assert np.allclose(relation(ann[i], cre[j], 1, x), x * (i == j))
        assert np.allclose(relation(ann[i], ann[j], 1, x), 0)


@pytest.mark.parametrize("n", range(1, 9))
def test_paraparticular_relations(v, n):
    # Hard-core bosons: distinct modes commute, one mode is a two-level system.
    ann, cre = ladder_matrices(v, "ParaparticularMapper", n)
    x = np.random.default_rng(n).standard_normal(2**n)
    for i, j in itertools.product(range(n), repeat=2):
        assert np.allclose(cre[i], ann[i].conj().T)
        if i == j:
            assert np.allclose(relation(ann[i], cre[i], 1, x), x)
            assert np.allclose(mv(ann[i], mv(ann[i], x)), 0)
        else:
            assert np.allclose(relation(ann[i], cre[j], -1, x), 0)
            assert np.allclose(relation(ann[i], ann[j], -1, x), 0)


@pytest.mark.parametrize("kind", ALL_KINDS)
def test_products_are_products_of_ladder_matrices(v, kind):
    n, rng = 4, random.Random(7)
    ann, cre = ladder_matrices(v, kind, n)
    mapped = Mapped(v, kind, n)
    for length in range(0, 7):
        ops = [(rng.randrange(n), rng.random() < 0.5) for _ in range(length)]
        expected = np.eye(2**n, dtype=complex)
        for mode, is_creation in ops:
            expected = expected @ (cre if is_creation else ann)[mode]
        scalar = complex(rng.uniform(-2, 2), rng.uniform(-2, 2))
        assert np.allclose(dense(mapped(ops, scalar), n), scalar * expected)
        # The real contribution keeps the real parts of those coefficients.
        real, full = mapped(ops, 1.5, real=True), mapped(ops, 1.5)
        assert real == {f: c.real for f, c in full.items() if c.real != 0}


@pytest.mark.parametrize("kind", ALL_KINDS)
def test_mode_ordering_relabels_qubits(v, kind):
    n, rng = 6, random.Random(3)
    order = list(range(n))
    rng.shuffle(order)
    plain, ordered = Mapped(v, kind, n), Mapped(v, kind, n, order)
    for ops in ([(2, True)], [(0, True), (5, False)], [(1, True), (4, True), (3, False), (1, False)]):
        moved = {tuple(sorted((order[q], p) for q, p in factors)): c for factors, c in plain(ops).items()}
        assert ordered(ops) == moved


def test_anticommutation_across_words(v):
    # a_j a+_k + a+_k a_j on registers wider than one word: the identity or nothing.
    n = 130
    for kind in FERMIONIC:
        mapper = getattr(v, kind)(v.Qubits.from_count(n))
        for j, k in [(3, 100), (64, 63), (129, 0), (70, 70)]:
            arr, coeffs = v.QubitPauliArray(v.Qubits.from_count(n)), v.ComplexVec()
            m = v.Map()
            for ops in ([(j, False), (k, True)], [(k, True), (j, False)]):
                mapper.op_load_product(ops)
                mapper.op_contribute_complex(arr, m, coeffs, 1.0)
            assert read(arr, coeffs) == ({(): 1.0} if j == k else {})


# ---------------------------------------------------------------- worked examples


@pytest.mark.parametrize(
    "kind, n, j, c, d",
    [
        ("JordanWignerMapper", 3, 2, "Z0 Z1 X2", "Z0 Z1 Y2"),
        ("JordanWignerMapper", 3, 0, "X0", "Y0"),
        ("ParityMapper", 4, 1, "Z0 X1 X2 X3", "Y1 X2 X3"),
        ("ParityMapper", 4, 0, "X0 X1 X2 X3", "Y0 X1 X2 X3"),
        ("BravyiKitaevMapper", 8, 5, "Z3 Z4 X5 X7", "Z3 Y5 X7"),
        ("ParaparticularMapper", 5, 3, "X3", "Y3"),
    ],
)
def test_majorana_strings(v, kind, n, j, c, d):
    def factors(s):
        return tuple((int(f[1:]), f[0]) for f in s.split())

    # a+_j = (c_j - i d_j) / 2
    assert Mapped(v, kind, n)([(j, True)]) == {factors(c): 0.5, factors(d): -0.5j}


@pytest.mark.parametrize(
    "n, ops, scalar, real, expected",
    [
        (1, [(0, True)], 1.0, False, {((0, "X"),): 0.5, ((0, "Y"),): -0.5j}),
        (1, [(0, True)], 1.0, True, {((0, "X"),): 0.5}),
        (1, [(0, True), (0, False)], 1.0, True, {(): 0.5, ((0, "Z"),): -0.5}),
        (2, [], 2.0, True, {(): 2.0}),
        (
            2,
            [(1, True), (0, False)],
            1.0,
            False,
            {((0, "X"), (1, "X")): 0.25, ((0, "Y"), (1, "Y")): 0.25, ((0, "Y"), (1, "X")): 0.25j,
             ((0, "X"), (1, "Y")): -0.25j},
        ),
    ],
)
def test_jordan_wigner_examples(v, n, ops, scalar, real, expected):
    assert Mapped(v, "JordanWignerMapper", n)(ops, scalar, real) == expected


def test_ordering_moves_the_chain(v):
    assert Mapped(v, "JordanWignerMapper", 2, [1, 0])([(1, True)]) == {((0, "X"), (1, "Z")): 0.5, ((0, "Y"), (1, "Z")): -0.5j}


@pytest.mark.parametrize("real", [True, False])
def test_hermitian_hopping_sum(v, real):
    mapper = v.JordanWignerMapper(v.Qubits.from_count(2))
    arr, m = v.QubitPauliArray(v.Qubits.from_count(2)), v.Map()
    coeffs = v.RealVec() if real else v.ComplexVec()
    for ops in ([(0, True), (1, False)], [(1, True), (0, False)]):
        mapper.op_load_product(ops)
        (mapper.op_contribute_real if real else mapper.op_contribute_complex)(arr, m, coeffs, 1.0)
    assert read(arr, coeffs) == {((0, "X"), (1, "X")): 0.5, ((0, "Y"), (1, "Y")): 0.5}
    assert len(arr) == len(m) == len(coeffs) == 2


def test_contributions_before_and_after_loading(v):
    mapper = v.JordanWignerMapper(v.Qubits.from_count(1))
    arr, m, coeffs = v.QubitPauliArray(v.Qubits.from_count(1)), v.Map(), v.ComplexVec()
    mapper.op_contribute_complex(arr, m, coeffs, 1.0)
    assert len(arr) == 0
    mapper.op_load_product([(0, True)])
    mapper.op_contribute_complex(arr, m, coeffs, 1.0)
    mapper.op_contribute_complex(arr, m, coeffs, 1.0)
    assert read(arr, coeffs) == {((0, "X"),): 1.0, ((0, "Y"),): -1j}


def test_classes(v):
    for kind in ALL_KINDS:
        cls = getattr(v, kind)
        assert issubclass(cls, v.Mapper)
        assert cls.__text_signature__ == "(qubits, mode_ordering=None)"
    assert v.Mapper.__doc__ == "Base class for fermion to qubit transformation mappers."
    assert v.JordanWignerMapper.__doc__ == "A Jordan-Wigner transformation mapper."
    with pytest.raises(TypeError):
        v.Mapper()


# ---------------------------------------------------------------- refusals


def outputs(v, n):
    return v.QubitPauliArray(v.Qubits.from_count(n)), v.Map(), v.ComplexVec()


def test_refused_loads_keep_the_loaded_product(v):
    mapped = Mapped(v, "BravyiKitaevMapper", 3)
    mapper = mapped.mapper
    before = mapped([(1, True)])
    with pytest.raises(IndexError, match=r"^Mode index 3 is out-of-bounds for component list with 3 modes"):
        mapper.op_load_product([(0, True), (3, False)])
    for many in (64, 70, 61):
        with pytest.raises(MemoryError):
            mapper.op_load_product([(0, True)] * many)
    arr, m, coeffs = outputs(v, 3)
    mapper.op_contribute_complex(arr, m, coeffs, 1.0)
    assert read(arr, coeffs) == before


@pytest.mark.parametrize(
    "ordering, error, message",
    [
        ([0, 1], ValueError, "Mode ordering of 2 entries is shorter than the register of 3 qubits."),
        ([0, 1, 3], IndexError, "Mode index 3 is out-of-bounds for component list with 3 modes per component."),
    ],
)
def test_refused_orderings(v, ordering, error, message):
    with pytest.raises(error) as e:
        v.ParityMapper(v.Qubits.from_count(3), ordering)
    assert str(e.value) == message


def test_repeated_ordering_entries_overlap(v):
    # Mode 1's X lands on position 0 over its chain's Z.
    assert Mapped(v, "JordanWignerMapper", 2, [0, 0])([(1, True)]) == {((0, "X"),): 0.5, ((0, "Y"),): -0.5j}


@pytest.mark.parametrize("other", [lambda q: q.from_count(3), lambda q: q.from_inds([0, 2])])
@pytest.mark.parametrize("real", [True, False])
def test_register_mismatch_leaves_outputs(v, other, real):
    mapper = v.JordanWignerMapper(v.Qubits.from_count(2))
    mapper.op_load_product([(0, True), (1, False)])
    arr = v.QubitPauliArray(other(v.Qubits))
    m, coeffs = v.Map(), (v.RealVec() if real else v.ComplexVec())
    with pytest.raises(ValueError, match="^Qubits-based objects are based on different qubit spaces.$"):
        (mapper.op_contribute_real if real else mapper.op_contribute_complex)(arr, m, coeffs, 1.0)
    assert len(arr) == len(m) == len(coeffs) == 0
