"""Fermion-to-qubit mappers: the mapped ladder operators against dense
matrices built here from 2x2 Paulis (their relations, their products), mode
orderings as qubit relabellings, worked examples and refusals."""

import functools
import itertools
import random

import numpy as np
import pytest
from reference import op_matrix

FERMIONIC = ["JordanWignerMapper", "ParityMapper", "BravyiKitaevMapper"]
KINDS = FERMIONIC + ["ParaparticularMapper"]


def factors(text):
    """((position, letter), ...) of a Pauli string's text, e.g. "X0 Z3"."""
    return tuple((int(f[1:]), f[0]) for f in text.split())


def mapper(v, kind, n, ordering=None):
    return getattr(v, kind)(v.Qubits.from_count(n), ordering)


class Out:
    """An empty Pauli linear combination (list, map, coefficients) on Count(n)."""

    def __init__(self, v, n, real=False):
        self.cmpnts, self.map = v.QubitPauliArray(v.Qubits.from_count(n)), v.Map()
        self.coeffs, self.real = (v.RealVec() if real else v.ComplexVec()), real

    def add(self, m, ops, scalar=1.0):
        """Loads ops (None: keeps the loaded product) and contributes it."""
        if ops is not None:
            m.op_load_product(ops)
        contribute = m.op_contribute_real if self.real else m.op_contribute_complex
        contribute(self.cmpnts, self.map, self.coeffs, scalar)
        return self

    def terms(self):
        assert len(self.cmpnts) == len(self.map) == len(self.coeffs)
        return {factors(self.cmpnts.cmpnt_to_string(i)): self.coeffs[i] for i in range(len(self.cmpnts))}


def dense(terms, n):
    return op_matrix([tuple(dict(f).get(q, "I") for q in range(n)) for f in terms], list(terms.values()), n)


def ladder_matrices(v, kind, n):
    m = mapper(v, kind, n)
    return [[dense(Out(v, n).add(m, [(j, cre)]).terms(), n) for j in range(n)] for cre in (False, True)]


def mv(a, x):
    """a @ x without BLAS, whose threads crawl on a busy machine."""
    return (a * x).sum(axis=1)


def relation(a, b, sign, x):
    """(a b + sign b a) x, by matrix-vector products only."""
    return mv(a, mv(b, x)) + sign * mv(b, mv(a, x))


# ---------------------------------------------------------------- algebra on dense matrices


@pytest.mark.parametrize("n", range(1, 9))
@pytest.mark.parametrize("kind", KINDS)
def test_ladder_relations(v, kind, n):
    # One mode is a two-level system; distinct modes anticommute (fermions) or
    # commute (paraparticles, hard-core bosons). Checked on a random vector.
    ann, cre = ladder_matrices(v, kind, n)
    sign = -1 if kind == "ParaparticularMapper" else 1
    x = np.random.default_rng(n).standard_normal(2**n)
    for i, j in itertools.product(range(n), repeat=2):
        s = 1 if i == j else sign
        assert np.allclose(cre[i], ann[i].conj().T)
        assert np.allclose(relation(ann[i], cre[j], s, x), x * (i == j))
        assert np.allclose(relation(ann[i], ann[j], s, x), 0)


@pytest.mark.parametrize("kind", KINDS)
def test_products_are_products_of_ladder_matrices(v, kind):
    n, rng = 4, random.Random(7)
    ann, cre = ladder_matrices(v, kind, n)
    m = mapper(v, kind, n)
    for length in range(0, 8):
        ops = [(rng.randrange(n), rng.random() < 0.5) for _ in range(length)]
        expected = functools.reduce(np.matmul, [(cre if c else ann)[j] for j, c in ops], np.eye(2**n))
        scalar = complex(rng.uniform(-2, 2), rng.uniform(-2, 2))
        assert np.allclose(dense(Out(v, n).add(m, ops, scalar).terms(), n), scalar * expected)
        # The real contribution keeps the real parts of the coefficients.
        full, real = Out(v, n).add(m, None, 1.5).terms(), Out(v, n, True).add(m, None, 1.5).terms()
        assert real == {f: c.real for f, c in full.items() if c.real != 0}


@pytest.mark.parametrize("kind", KINDS)
def test_mode_ordering_relabels_qubits(v, kind):
    n, order = 6, [4, 0, 5, 2, 1, 3]
    plain, ordered = mapper(v, kind, n), mapper(v, kind, n, order)
    for ops in ([(2, True)], [(0, True), (5, False)], [(1, True), (4, True), (3, False), (1, False)]):
        moved = {tuple(sorted((order[q], p) for q, p in f)): c for f, c in Out(v, n).add(plain, ops).terms().items()}
        assert Out(v, n).add(ordered, ops).terms() == moved


@pytest.mark.parametrize("kind", FERMIONIC)
def test_anticommutation_across_words(v, kind):
    # a_j a+_k + a+_k a_j on 130 qubits (three words): the identity or nothing.
    m = mapper(v, kind, 130)
    for j, k in [(3, 100), (64, 63), (129, 0), (70, 70)]:
        out = Out(v, 130).add(m, [(j, False), (k, True)]).add(m, [(k, True), (j, False)])
        assert out.terms() == ({(): 1.0} if j == k else {})


# ---------------------------------------------------------------- worked examples


@pytest.mark.parametrize(
    "kind, n, ordering, j, c, d",
    [
        ("JordanWignerMapper", 3, None, 2, "Z0 Z1 X2", "Z0 Z1 Y2"),
        ("ParityMapper", 4, None, 1, "Z0 X1 X2 X3", "Y1 X2 X3"),
        ("ParityMapper", 4, None, 0, "X0 X1 X2 X3", "Y0 X1 X2 X3"),
        ("BravyiKitaevMapper", 8, None, 5, "Z3 Z4 X5 X7", "Z3 Y5 X7"),
        ("ParaparticularMapper", 5, None, 3, "X3", "Y3"),
        ("JordanWignerMapper", 2, [1, 0], 1, "X0 Z1", "Y0 Z1"),
        ("JordanWignerMapper", 2, [0, 0], 1, "X0", "Y0"),  # the X lands on its own chain's Z
    ],
)
def test_majorana_strings(v, kind, n, ordering, j, c, d):
    # a+_j = (c_j - i d_j) / 2
    assert Out(v, n).add(mapper(v, kind, n, ordering), [(j, True)]).terms() == {factors(c): 0.5, factors(d): -0.5j}


@pytest.mark.parametrize(
    "n, products, scalar, real, expected",
    [
        (1, [[(0, True), (0, False)]], 1.0, True, {"": 0.5, "Z0": -0.5}),
        (2, [[]], 2.0, True, {"": 2.0}),
        (2, [[(0, True), (1, False)], [(1, True), (0, False)]], 1.0, False, {"X0 X1": 0.5, "Y0 Y1": 0.5}),
        # Nothing before the first load; a loaded product twice.
        (1, [None, [(0, True)], None], 1.0, False, {"X0": 1.0, "Y0": -1j}),
    ],
)
def test_jordan_wigner_examples(v, n, products, scalar, real, expected):
    m, out = mapper(v, "JordanWignerMapper", n), Out(v, n, real)
    for ops in products:
        out.add(m, ops, scalar)
    assert out.terms() == {factors(s): c for s, c in expected.items()}


# ---------------------------------------------------------------- refusals


def test_refused_loads_keep_the_loaded_product(v):
    m = mapper(v, "BravyiKitaevMapper", 3)
    before = Out(v, 3).add(m, [(1, True)]).terms()
    with pytest.raises(IndexError, match="^Mode index 3 is out-of-bounds for component list with 3 modes per"):
        m.op_load_product([(0, True), (3, False)])
    for many in (40, 61, 64, 70):
        with pytest.raises(MemoryError):
            m.op_load_product([(0, True)] * many)
    assert Out(v, 3).add(m, None).terms() == before


@pytest.mark.parametrize(
    "ordering, error, message",
    [
        ([0, 1], ValueError, "Mode ordering of 2 entries is shorter than the register of 3 qubits."),
        ([0, 1, 3], IndexError, "Mode index 3 is out-of-bounds for component list with 3 modes per component."),
    ],
)
def test_refused_orderings(v, ordering, error, message):
    with pytest.raises(error) as e:
        mapper(v, "ParityMapper", 3, ordering)
    assert str(e.value) == message


@pytest.mark.parametrize("other", [lambda q: q.from_count(3), lambda q: q.from_inds([0, 2])])
@pytest.mark.parametrize("real", [True, False])
def test_register_mismatch_leaves_outputs(v, other, real):
    m = mapper(v, "JordanWignerMapper", 2)
    m.op_load_product([(0, True), (1, False)])
    arr, cmpnt_map, coeffs = v.QubitPauliArray(other(v.Qubits)), v.Map(), (v.RealVec() if real else v.ComplexVec())
    with pytest.raises(ValueError, match="^Qubits-based objects are based on different qubit spaces.$"):
        (m.op_contribute_real if real else m.op_contribute_complex)(arr, cmpnt_map, coeffs, 1.0)
    assert len(arr) == len(cmpnt_map) == len(coeffs) == 0
