"""Sparse matrices of Pauli strings and linear combinations: Kronecker-product
references in both bit orders, a column-by-column model of the accumulation
(explicit zeros kept, exact cancellations removed), products, and the register
boundaries."""

import random

import numpy as np
import pytest
from dense_reference import op_matrix, paulis, random_strings, string_matrix, vec

PHASE = {("I", 0): 1, ("X", 0): 1, ("Y", 0): 1j, ("Z", 0): 1, ("I", 1): 1, ("X", 1): 1, ("Y", 1): -1j, ("Z", 1): -1}


def model_csr(strings, coeffs, n, big_endian):
    """{(row, col): value} accumulated per column in term order: the first value
    is stored even when zero, a sum that becomes exactly zero is removed."""
    out = {}
    for col in range(2**n):
        s = [(col >> (n - 1 - q if big_endian else q)) & 1 for q in range(n)]
        acc = {}
        for p, c in zip(strings, coeffs):
            phase, s2 = 1, list(s)
            for q, m in enumerate(p):
                phase *= PHASE[(m, s[q])]
                if m in "XY":
                    s2[q] ^= 1
            row = sum(b << (n - 1 - q if big_endian else q) for q, b in enumerate(s2))
            val = complex(phase) * c
            if row not in acc:
                acc[row] = val
            else:
                acc[row] += val
                if acc[row] == 0:
                    del acc[row]
        out.update({(r, col): x for r, x in acc.items()})
    return out


def entries(m):
    m = m.tocsr()
    out = {}
    for r in range(m.shape[0]):
        cols = m.indices[m.indptr[r] : m.indptr[r + 1]]
        assert list(cols) == sorted(set(cols))
        for k in range(m.indptr[r], m.indptr[r + 1]):
            out[(r, int(m.indices[k]))] = complex(m.data[k])
    return out


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("n", [1, 2, 3, 5, 6])
def test_lincomb_matches_kronecker_reference_and_model(v, n, complex_):
    rng = random.Random(100 * n + complex_)
    choices = [0.0, 1.0, -1.0, 0.5, 2.0] + ([1j, -0.5j, 1 + 1j] if complex_ else [])
    for _ in range(6):
        strings = random_strings(rng, n, rng.randrange(0, 10))
        # Repeats cancel or add; zeros stay explicit.
        strings += strings[: rng.randrange(0, 4)]
        coeffs = [rng.choice(choices) for _ in strings]
        a, c = paulis(v, n, strings), vec(v, coeffs, complex_)
        f = v.QubitPauliArray.lincomb_to_sparse_complex if complex_ else v.QubitPauliArray.lincomb_to_sparse_real
        for be in (False, True):
            m = f(a, c, be)
            assert m.shape == (2**n, 2**n) and m.dtype == np.complex128
            assert entries(m) == model_csr(strings, coeffs, n, be)
            np.testing.assert_allclose(m.toarray(), op_matrix(strings, coeffs, n, be), atol=1e-12)


@pytest.mark.parametrize("n", [1, 3, 6])
def test_single_strings(v, n):
    rng = random.Random(n)
    strings = random_strings(rng, n, 8)
    a = paulis(v, n, strings)
    for i, s in enumerate(strings):
        for be in (False, True):
            m = a.cmpnt_to_sparse_matrix(i - len(strings), be)
            assert m.nnz == 2**n
            np.testing.assert_array_equal(m.toarray(), string_matrix(s, be))


def test_product_of_matrices_is_matrix_of_product(v):
    rng = random.Random(7)
    n = 4
    A, B = random_strings(rng, n, 9), random_strings(rng, n, 7)
    ca = [complex(rng.uniform(-1, 1), rng.uniform(-1, 1)) for _ in A]
    cb = [complex(rng.uniform(-1, 1), rng.uniform(-1, 1)) for _ in B]
    out, out_map, out_c = v.QubitPauliArray(v.Qubits.from_count(n)), v.Map(), v.ComplexVec()
    a, b, va, vb = paulis(v, n, A), paulis(v, n, B), vec(v, ca, True), vec(v, cb, True)
    v.QubitPauliArray.lincomb_mul_complex(a, va, b, vb, out, out_map, out_c)
    f = v.QubitPauliArray.lincomb_to_sparse_complex
    for be in (False, True):
        np.testing.assert_allclose((f(a, va, be) @ f(b, vb, be)).toarray(), f(out, out_c, be).toarray(), atol=1e-12)


def test_taking_part_terms_and_empty_operators(v):
    f = v.QubitPauliArray.lincomb_to_sparse_real
    a = paulis(v, 2, [("X", "I"), ("Z", "Z"), ("Y", "Y")])
    assert entries(f(a, vec(v, [1.0, 2.0], False), False)) == entries(
        f(paulis(v, 2, [("X", "I"), ("Z", "Z")]), vec(v, [1.0, 2.0, 3.0], False), False)
    )
    for m in (f(a, vec(v, [], False), True), f(paulis(v, 3, []), vec(v, [1.0], False), False)):
        assert m.nnz == 0 and m.shape[0] == m.shape[1]


def test_register_boundaries(v):
    # 0 qubits: the 1 x 1 sum of the coefficients, in either bit order.
    a = paulis(v, 0, [(), (), ()])
    for be in (False, True):
        m = v.QubitPauliArray.lincomb_to_sparse_complex(a, vec(v, [1, 2j, -1], True), be)
        assert entries(m) == {(0, 0): 2j}
        assert entries(v.QubitPauliArray.lincomb_to_sparse_real(a, vec(v, [1, -1], False), be)) == {}
        assert entries(a.cmpnt_to_sparse_matrix(0, be)) == {(0, 0): 1}
    big = {n: v.QubitPauliArray(v.Qubits.from_count(n), v.PauliSprings("X0")) for n in (63, 64)}
    with pytest.raises(MemoryError):
        v.QubitPauliArray.lincomb_to_sparse_real(big[63], vec(v, [1.0], False), False)
    with pytest.raises(MemoryError):
        big[63].cmpnt_to_sparse_matrix(0, True)
    msg = "Element index 64 is out-of-bounds for a container with 64 elements."
    with pytest.raises(IndexError, match=msg):
        v.QubitPauliArray.lincomb_to_sparse_complex(big[64], vec(v, [1.0], True), False)
    with pytest.raises(IndexError, match=msg):
        big[64].cmpnt_to_sparse_matrix(0, False)
    with pytest.raises(IndexError, match="Element index 1 is out-of-bounds for container of length 1."):
        big[63].cmpnt_to_sparse_matrix(1, False)
