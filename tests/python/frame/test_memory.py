"""Sizes beyond the machine's memory are refused before anything is allocated,
with a MemoryError that names the buffer and its size; NumPy arrays and SciPy
matrices are built after the operands' borrows are released, so other threads
can use the operands meanwhile."""

import re
import threading

import numpy as np
import pytest
from reference import paulis, states, vec

v = pytest.importorskip("vemo._vemo")
Q = v.QubitPauliArray


def refused(what, count, item_bytes):
    """The MemoryError text for count entries of item_bytes each."""
    entries = "entry" if count == 1 else "entries"
    return re.escape(f"Cannot allocate {what} of {count} {entries} ({count * item_bytes} bytes): more than the ") + (
        r"\d+ bytes of memory this machine has\.$"
    )


def fermion_states(n):
    return v.FermionStateArray(v.Modes.from_count(n), None)


def distinct_states(n):
    s = states(v, n, [])
    s.from_dense_real(v.Map(), v.RealVec(0), [1.0] * 2**n, False)
    return s


def fermion_product():
    """Annihilators of modes 0..39 times their creators: 2^40 normal-ordered terms."""
    modes = v.Modes.from_count(64)
    lhs = v.NormalFermionOperatorArray(modes, v.FermionSprings(" ".join(f"F{i}" for i in range(40))))
    rhs = v.NormalFermionOperatorArray(modes, v.FermionSprings(" ".join(f"F{i}^" for i in range(40))))
    return lhs.cmpnt_mul(0, rhs, 0)


def general_product(count):
    a = v.GeneralFermionOperatorArray(v.Modes.from_count(4), 1, None)
    a.resize(count)
    return v.GeneralFermionOperatorArray.lincomb_mul_real(a, v.RealVec(count), a, v.RealVec(count))


def strings(count):
    a = paulis(v, 1, [])
    a.resize(count)
    return a


@pytest.mark.parametrize(
    "call, what, count, item_bytes",
    [
        (lambda: states(v, 40, []).to_dense_complex(vec(v, [], True), False), "a dense state vector", 2**40, 16),
        (lambda: states(v, 50, []).to_dense_real(vec(v, [], False), True), "a dense state vector", 2**50, 8),
        (lambda: fermion_states(40).to_dense_complex(v.ComplexVec(0), False), "a dense state vector", 2**40, 16),
        (lambda: fermion_states(63).to_dense_real(v.RealVec(0), False), "a dense state vector", 2**63, 8),
        # One string: a row start, a column and a value for each of 2^40 rows.
        (lambda: paulis(v, 40, [("X",) * 40]).cmpnt_to_sparse_matrix(0, False), "a sparse matrix", 2**40, 32),
        (lambda: Q.lincomb_to_sparse_real(paulis(v, 40, [("Z",) * 40]), vec(v, [1.0], False), False),
         "a sparse matrix", 2**40, 24),
        # 2^18 distinct basis states: a 2^18 x 2^18 matrix of 8-byte entries.
        (lambda: Q.lincomb_project_into_ortho_subspace_real(paulis(v, 18, [("Z",) * 18]), vec(v, [1.0], False), distinct_states(18)),
         "a projected matrix", 2**36, 8),
        (lambda: strings(2**18).compatibility_matrix(), "a compatibility matrix", 2**36, 1),
        (fermion_product, "the terms of a fermion product", 2**40, 16),
        # At least a word and a coefficient for each of 2^18 x 2^18 terms.
        (lambda: general_product(2**18), "the terms of a product", 2**36, 16),
        (lambda: v.RealVec(2**62), "a coefficient vector", 2**62, 8),
        (lambda: v.ComplexVec(2**61), "a coefficient vector", 2**61, 16),
        # Signs packed 64 to a word, powers of i 32 to a word.
        (lambda: v.SignVec(2**62), "a packed vector of 64-bit words", 2**56, 8),
        (lambda: v.ComplexSignVec(2**62), "a packed vector of 64-bit words", 2**57, 8),
        # 2^40 qubits: one string needs 2^34 words in each of its two planes.
        (lambda: paulis(v, 2**40, []).append_clear(), "a table of 64-bit words", 2**34, 8),
        (lambda: v.JordanWignerMapper(v.Qubits.from_count(4)).op_load_product([(0, True)] * 40),
         "the terms of a mapped ladder product", 2**40, 18),
    ],
)
def test_refusals_name_the_buffer_and_its_size(call, what, count, item_bytes):
    with pytest.raises(MemoryError, match=refused(what, count, item_bytes)):
        call()


def test_refused_resize_changes_nothing():
    a = paulis(v, 2**40, [])
    with pytest.raises(MemoryError, match=refused("a table of 64-bit words", 2**34, 8)):
        a.resize(1)
    assert len(a) == 0
    c = vec(v, [1.0, 2.0], False)
    with pytest.raises(MemoryError, match="a coefficient vector"):
        c.resize(2**62)
    assert c.to_array() == [1.0, 2.0]


def test_sizes_that_fit_are_still_built():
    m = Q.lincomb_to_sparse_real(paulis(v, 3, [("X", "Y", "Z")]), vec(v, [2.0], False), False)
    assert m.shape == (8, 8) and m.nnz == 8
    c = strings(3).compatibility_matrix()
    assert c.shape == (3, 3) and c.dtype == np.uint8 and c.all()


# ---------------------------------------------------------------- borrows and threads


def race(build, use, seconds=1.0):
    """Runs build() in one thread while use() runs in another; returns the
    exceptions each raised and how many calls each made."""
    stop = threading.Event()
    errors, counts = [], [0, 0]

    def loop(k, f):
        try:
            while not stop.is_set():
                f()
                counts[k] += 1
        except BaseException as e:  # noqa: BLE001 - reported to the test thread
            errors.append(e)
            stop.set()

    threads = [threading.Thread(target=loop, args=(0, build)), threading.Thread(target=loop, args=(1, use))]
    for t in threads:
        t.start()
    stop.wait(seconds)
    stop.set()
    for t in threads:
        t.join()
    return errors, counts


@pytest.mark.parametrize("complex_", [False, True])
def test_sparse_matrices_release_the_operands_before_scipy_runs(complex_):
    pytest.importorskip("scipy.sparse")
    a = paulis(v, 6, [("X", "Y", "Z", "I", "X", "Z"), ("Z",) * 6])
    coeffs = vec(v, [1.0, -0.5], complex_)
    f = Q.lincomb_to_sparse_complex if complex_ else Q.lincomb_to_sparse_real
    errors, counts = race(lambda: f(a, coeffs, False), lambda: (a.append_clear(), a.resize(2)))
    assert errors == [] and min(counts) > 0
    assert f(a, coeffs, False).nnz == 2 * 64


def test_numpy_arrays_release_the_operands_before_numpy_runs():
    a = paulis(v, 2, [("X", "Z"), ("Z", "I"), ("Y", "Y")])
    errors, counts = race(a.compatibility_matrix, lambda: (a.append_clear(), a.resize(3)))
    assert errors == [] and min(counts) > 0
    m = a.compatibility_matrix()
    assert m.shape == (3, 3) and m.tolist() == [[1, 0, 1], [0, 1, 0], [1, 0, 1]]
