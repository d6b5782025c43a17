"""Sparse matrices of Pauli strings and linear combinations: Kronecker-product
references in both bit orders, a column-by-column model of the accumulation
(explicit zeros kept, exact cancellations removed), products, the register
boundaries, large matrices (filled on several threads), and the hand-over to
SciPy (the arrays it keeps are the ones vemo filled)."""

import random

import numpy as np
import pytest
from reference import op_matrix, paulis, random_strings, vec

Q = pytest.importorskip("vemo._vemo").QubitPauliArray
PHASE = {("Y", 0): 1j, ("Y", 1): -1j, ("Z", 1): -1}


def model_entries(strings, coeffs, n, be):
    """Per column, the terms in list order: the first value is stored even when
    zero, a sum that becomes exactly zero is removed."""
    bit = lambda q: n - 1 - q if be else q
    out = {}
    for col in range(2**n):
        acc = {}
        for p, c in zip(strings, coeffs):
            s = [(col >> bit(q)) & 1 for q in range(n)]
            val = complex(np.prod([PHASE.get((m, s[q]), 1) for q, m in enumerate(p)])) * c
            row = sum((b ^ (m in "XY")) << bit(q) for q, (b, m) in enumerate(zip(s, p)))
            if row not in acc:
                acc[row] = val
            elif acc[row] + val == 0:
                del acc[row]
            else:
                acc[row] += val
        out.update({(r, col): x for r, x in acc.items()})
    return out


def entries(m):
    assert all(list(m.indices[a:b]) == sorted(set(m.indices[a:b])) for a, b in zip(m.indptr, m.indptr[1:]))
    rows = range(m.shape[0])
    return {(r, int(m.indices[k])): complex(m.data[k]) for r in rows for k in range(m.indptr[r], m.indptr[r + 1])}


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("n", [0, 1, 3, 6])
def test_lincomb_matches_model_and_kronecker_reference(v, n, complex_):
    rng = random.Random(100 * n + complex_)
    choices = [0.0, 1.0, -1.0, 0.5, 2.0] + ([1j, -0.5j, 1 + 1j] if complex_ else [])
    f = Q.lincomb_to_sparse_complex if complex_ else Q.lincomb_to_sparse_real
    for _ in range(6):
        strings = random_strings(rng, n, rng.randrange(0, 10))
        strings += strings[: rng.randrange(0, 4)]  # repeats cancel or add
        coeffs = [rng.choice(choices) for _ in strings]
        extra = rng.randrange(-2, 3)  # surplus strings or coefficients are ignored
        a = paulis(v, n, strings + random_strings(rng, n, max(extra, 0)))
        for be in (False, True):
            m = f(a, vec(v, coeffs + [9.0] * max(-extra, 0), complex_), be)
            assert m.shape == (2**n, 2**n) and m.dtype == np.complex128
            assert entries(m) == model_entries(strings, coeffs, n, be)
            np.testing.assert_allclose(m.toarray(), op_matrix(strings, coeffs, n, be), atol=1e-12)


def test_single_strings_and_register_boundaries(v):
    a = paulis(v, 2, [("I", "I"), ("Y", "Z")])
    assert entries(a.cmpnt_to_sparse_matrix(-1, True)) == {(0, 2): -1j, (1, 3): 1j, (2, 0): 1j, (3, 1): -1j}
    assert a.cmpnt_to_sparse_matrix(0, False).nnz == 4
    assert entries(paulis(v, 0, [()]).cmpnt_to_sparse_matrix(0, True)) == {(0, 0): 1}
    big = {n: paulis(v, n, [("X",) + ("I",) * (n - 1)]) for n in (63, 64)}
    with pytest.raises(MemoryError):
        Q.lincomb_to_sparse_real(big[63], vec(v, [1.0], False), False)
    with pytest.raises(MemoryError):
        big[63].cmpnt_to_sparse_matrix(0, True)
    msg = "Element index 64 is out-of-bounds for a container with 64 elements."
    with pytest.raises(IndexError, match=msg):
        Q.lincomb_to_sparse_complex(big[64], vec(v, [1.0], True), False)
    with pytest.raises(IndexError, match=msg):
        big[64].cmpnt_to_sparse_matrix(0, False)
    with pytest.raises(IndexError, match="Element index 1 is out-of-bounds for container of length 1."):
        big[63].cmpnt_to_sparse_matrix(1, False)



@pytest.mark.parametrize("complex_", [False, True])
def test_large_lincomb_is_sum_of_its_strings(v, complex_):
    rng = random.Random(7 + complex_)
    n = 12  # 2^12 rows of some 340 groups: filled on several threads
    strings = random_strings(rng, n, 340)
    coeffs = [rng.choice([1.0, -1.0, 0.5, -2.0] + ([1j, -0.5j] if complex_ else [])) for _ in strings]
    strings, coeffs = strings + strings[:60], coeffs + [-c for c in coeffs[:60]]  # these cancel exactly
    a = paulis(v, n, strings)
    f = Q.lincomb_to_sparse_complex if complex_ else Q.lincomb_to_sparse_real
    for be in (False, True):
        m = f(a, vec(v, coeffs, complex_), be)
        ref = sum(c * a.cmpnt_to_sparse_matrix(i, be) for i, c in enumerate(coeffs[60:340], 60))
        # The sums are exact (halves and units), so SciPy's sum stores the same nonzero entries.
        assert m.has_canonical_format and m.nnz == ref.nnz and abs(m - ref).max() == 0


@pytest.mark.parametrize("n, terms", [(3, 4), (12, 340)])  # filled on one thread, on several
def test_scipy_keeps_the_filled_arrays(v, n, terms):
    a = paulis(v, n, random_strings(random.Random(n), n, terms))
    ones = [1.0] * terms
    for m in (Q.lincomb_to_sparse_real(a, vec(v, ones, False), False),
              Q.lincomb_to_sparse_complex(a, vec(v, ones, True), True),
              a.cmpnt_to_sparse_matrix(terms - 1, False)):
        # SciPy's own index type for this size, taken without a copy: each array
        # still rests on the memory vemo filled.
        assert m.indices.dtype == m.indptr.dtype == np.int32 and m.nnz > 0
        for arr in (m.data, m.indices, m.indptr):
            base = arr
            while isinstance(base, np.ndarray):
                base = base.base
            assert type(base).__name__ == "_AdoptedBuffer"
