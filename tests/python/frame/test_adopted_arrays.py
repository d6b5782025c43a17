"""NumPy results that take over vemo's memory (projections, compatibility
matrices, the arrays of sparse matrices): the array's base holds the memory, reads
as the array and cannot be changed from Python, so nothing frees the memory
under a live array."""

import functools
import gc

import numpy as np
import pytest

v = pytest.importorskip("vemo._vemo")
Q = v.QubitPauliArray
OP = Q(v.Qubits.from_count(4), v.PauliSprings("X0 Y1, Z2, X1 X3, Y0 Z3"))
COEFFS = v.ComplexVec.from_array(np.array([1, 2j, 3, 4 - 1j]))
SUBSPACE = v.QubitStateArray(v.Qubits.from_count(4), v.BinarySprings("[0, 0, 0, 0], [1, 0, 0, 0], [0, 1, 1, 1]"))

# Each makes a new adopted array (results of both kinds of sparse matrix among them).
PRODUCERS = {
    "projection": lambda: Q.lincomb_project_into_ortho_subspace_complex(OP, COEFFS, SUBSPACE),
    "compatibility matrix": OP.compatibility_matrix,
    "sparse matrix data": lambda: Q.lincomb_to_sparse_complex(OP, COEFFS, False).data,
    "sparse matrix indices": lambda: Q.lincomb_to_sparse_complex(OP, COEFFS, False).indices,
    "sparse matrix row starts": lambda: Q.lincomb_to_sparse_complex(OP, COEFFS, False).indptr,
    "string's sparse matrix data": lambda: OP.cmpnt_to_sparse_matrix(0, True).data,
}


def holder(arr):
    """The first base that is not an array."""
    while isinstance(arr, np.ndarray):
        arr = arr.base
    return arr


def changes(b):
    """The ways to change b from Python, each to be refused."""
    for set_, del_ in ((setattr, delattr), (object.__setattr__, object.__delattr__)):
        for name in ("owner", "__array_interface__", "x"):
            yield functools.partial(set_, b, name, None)
            yield functools.partial(del_, b, name)
    yield functools.partial(type(b).__array_interface__.__delete__, b)
    yield functools.partial(vars, b)
    yield type(b)


@pytest.mark.parametrize("make", PRODUCERS.values(), ids=PRODUCERS.keys())
def test_base_cannot_be_changed_and_keeps_the_memory_alive(make):
    arr = make()
    kept, b = arr.copy(), holder(arr)
    again = np.asarray(b)
    assert type(b).__name__ not in dir(v) and holder(again) is b and again.dtype == arr.dtype
    assert arr.size > 0 and arr.flags.writeable and again.flags.writeable and np.shares_memory(again, arr)
    for change in changes(b):
        with pytest.raises((AttributeError, TypeError)):
            change()
    del arr, b
    # Memory freed here would be reused by the next results: fill them, then compare.
    others = [make() for _ in range(3)]
    for o in others:
        o[...] = 7
    gc.collect()
    assert np.array_equal(again.reshape(kept.shape), kept)
    again[...] = 3
    assert all((o == 7).all() for o in others)
