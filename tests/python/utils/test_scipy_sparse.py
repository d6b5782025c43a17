"""The SciPy export of sparse matrices, reached through the Pauli-array methods."""

import numpy as np
import pytest

scipy_sparse = pytest.importorskip("scipy.sparse")


def sparse_methods(v):
    cls = getattr(v, "QubitPauliArray", None)
    if cls is None or not hasattr(cls, "lincomb_to_sparse_real"):
        pytest.skip("no sparse-matrix method in this build")
    return cls


def test_empty_one_by_one(v):
    cls = sparse_methods(v)
    m = cls.lincomb_to_sparse_real(cls(v.Qubits.from_count(0)), v.RealVec(0), False)
    assert isinstance(m, scipy_sparse.csr_matrix)
    assert m.shape == (1, 1)
    assert m.nnz == 0
    assert list(m.indptr) == [0, 0]
    assert m.dtype == np.complex128


def test_arrays_and_values(v):
    cls = sparse_methods(v)
    ops = cls(v.Qubits.from_count(2), v.PauliSprings("Y0"))
    m = ops.cmpnt_to_sparse_matrix(0, False)
    assert isinstance(m, scipy_sparse.csr_matrix)
    assert m.shape == (4, 4)
    assert m.dtype == np.complex128
    y = np.array([[0, -1j], [1j, 0]])
    assert np.array_equal(m.toarray(), np.kron(np.eye(2), y))
    # A matrix built from copies owns its arrays: changing it leaves a second one unchanged.
    m2 = ops.cmpnt_to_sparse_matrix(0, False)
    m.data[:] = 0
    assert np.array_equal(m2.toarray(), np.kron(np.eye(2), y))
