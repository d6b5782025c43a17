"""Sizes beyond the memory limit (the machine's, the cgroup's or an rlimit) are
refused before anything is allocated, with a MemoryError that names the buffer,
its size and the limit; SciPy matrices are built after the operands' borrows are
released, so other threads can use the operands meanwhile."""

import concurrent.futures
import re
import threading

import pytest
from address_limit import run_child, sanitized
from reference import paulis, states, vec

v = pytest.importorskip("vemo._vemo")
Q = v.QubitPauliArray


def refused(what, count, item_bytes):
    """The MemoryError text for count entries of item_bytes each."""
    entries = "entry" if count == 1 else "entries"
    return re.escape(f"Cannot allocate {what} of {count} {entries} ({count * item_bytes} bytes): more than the ") + (
        r"\d+ bytes (of memory this machine has|this process may use \((cgroup|address-space|data-size) limit\))\.$"
    )


def strings(count):
    a = paulis(v, 1, [])
    a.resize(count)
    return a


@pytest.mark.parametrize(
    "call, what, count, item_bytes",
    [
        (lambda: states(v, 40, []).to_dense_complex(vec(v, [], True), False), "a dense state vector", 2**40, 16),
        # 2^66 bytes: the size itself does not fit 64 bits.
        (lambda: v.FermionStateArray(v.Modes.from_count(63), None).to_dense_real(v.RealVec(0), False),
         "a dense state vector", 2**63, 8),
        # One string: a row start, a column and a value for each of 2^40 rows.
        (lambda: paulis(v, 40, [("X",) * 40]).cmpnt_to_sparse_matrix(0, False), "a sparse matrix", 2**40, 32),
        (lambda: strings(2**18).compatibility_matrix(), "a compatibility matrix", 2**36, 1),
        # Signs packed 64 to a word.
        (lambda: v.SignVec(2**62), "a packed vector of 64-bit words", 2**56, 8),
    ],
)
def test_refusals_name_the_buffer_and_its_size(call, what, count, item_bytes):
    with pytest.raises(MemoryError, match=refused(what, count, item_bytes)):
        call()


def test_refused_resize_changes_nothing():
    # 2^40 qubits: one string needs 2^34 words in each of its two planes.
    a = paulis(v, 2**40, [])
    with pytest.raises(MemoryError, match=refused("a table of 64-bit words", 2**34, 8)):
        a.resize(1)
    assert len(a) == 0
    c = vec(v, [1.0, 2.0], False)
    with pytest.raises(MemoryError, match=refused("a coefficient vector", 2**62, 8)):
        c.resize(2**62)
    assert c.to_array() == [1.0, 2.0]


@sanitized
def test_an_address_space_limit_set_before_import_is_named():
    [limit, message] = run_child("""
        hard = resource.getrlimit(resource.RLIMIT_AS)[1]
        limit = min(2**30, hard % 2**64)
        resource.setrlimit(resource.RLIMIT_AS, (limit, hard))
        import vemo._vemo as v
        try:
            v.SignVec(2**40)
        except MemoryError as e:
            print(limit, e, sep="\\n")
    """)
    assert re.fullmatch(refused("a packed vector of 64-bit words", 2**34, 8), message)
    size, says = re.search(r"more than the (\d+) bytes (.*)\.$", message).groups()
    # Another limit that applies here can only be smaller.
    assert int(size) < int(limit) or (size, says) == (limit, "this process may use (address-space limit)")


def test_sparse_matrices_release_the_operands_before_scipy_runs():
    # Another thread changes the operand all along; with the borrow still held it would be refused.
    pytest.importorskip("scipy.sparse")
    a = paulis(v, 6, [("X", "Y", "Z", "I", "X", "Z"), ("Z",) * 6])
    coeffs = vec(v, [1.0, -0.5], True)
    stop = threading.Event()

    def loop(f):
        calls = 0
        while not stop.is_set():
            f()
            calls += 1
        return calls

    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        runs = [pool.submit(loop, lambda: Q.lincomb_to_sparse_complex(a, coeffs, False)),
                pool.submit(loop, lambda: (a.append_clear(), a.resize(2)))]
        stop.wait(1.0)
        stop.set()
    assert min(run.result() for run in runs) > 0  # a thread's exception raised here


@sanitized
def test_a_call_that_uses_up_the_memory_raises_memory_error():
    # The C++ runtime allocates a thread's exception state at its first throw;
    # here the allocator has nothing left when the refusal is thrown.
    lines = run_child("""
        import numpy as np
        import vemo._vemo as v

        big = v.QubitPauliArray(v.Qubits.from_count(40), v.PauliSprings("X0 X39"))
        ones = v.RealVec.from_array(np.ones(1))
        print(limited(0, used_up(lambda: v.QubitPauliArray.lincomb_to_sparse_real(big, ones, False))))
    """)
    assert lines[0].startswith("MemoryError"), lines


# A thread's first call, with the allocator used up: the C library would end
# the process if the runtime's thread-local data could not be allocated then.
# The operands (and in the last case the module) are made on another thread.
@sanitized
@pytest.mark.parametrize("call, on_main, import_elsewhere", [
    ("a.mapped_lookup(m, a, 0)", False, False),  # allocates nothing
    ("Q.lincomb_to_sparse_real(a, ones, False)", False, False),
    ("a.mapped_lookup(m, a, 0)", True, False),  # the first since the import
    ("a.mapped_lookup(m, a, 0)", True, True),
])
def test_a_threads_first_call_after_memory_ran_out_does_not_abort(call, on_main, import_elsewhere):
    lines = run_child(f"""
        import importlib, threading
        import numpy as np

        def on_a_thread(f):
            t = threading.Thread(target=f)
            t.start()
            t.join()

        made = {{}}
        def make():
            v = made["v"] = importlib.import_module("vemo._vemo")
            a = made["a"] = v.QubitPauliArray(v.Qubits.from_count(40), v.PauliSprings("X0 X39"))
            made["m"] = v.Map()
            a.refresh_map(made["m"])
            made["ones"] = v.RealVec.from_array(np.ones(1))
        if not {import_elsewhere}:
            import vemo._vemo
        on_a_thread(make)
        Q, a, m, ones = made["v"].QubitPauliArray, made["a"], made["m"], made["ones"]

        def first_then_second():
            print(limited(0, used_up(lambda: {call})))
            print(len(a), a.mapped_lookup(m, a, 0))  # unchanged, and the thread works
        first_then_second() if {on_main} else on_a_thread(first_then_second)
    """)
    assert lines[0] == "None" or lines[0].startswith("MemoryError"), lines
    assert lines[1] == "1 0", lines


@sanitized
@pytest.mark.parametrize("resource_name, says", [("RLIMIT_AS", "address-space"), ("RLIMIT_DATA", "data-size")])
def test_a_limit_lowered_after_the_first_call_is_named(resource_name, says):
    [message] = run_child(f"""
        import vemo._vemo as v
        Q, ones = v.QubitPauliArray, v.RealVec(1)
        ones[0] = 1.0
        x0 = lambda n: Q(v.Qubits.from_count(n), v.PauliSprings("X0"))
        Q.lincomb_to_sparse_real(x0(2), ones, False)
        hard = resource.getrlimit(resource.{resource_name})[1]
        resource.setrlimit(resource.{resource_name}, (2**31, hard))
        try:
            Q.lincomb_to_sparse_real(x0(28), ones, False)
        except MemoryError as e:
            print(e)
    """)
    assert re.fullmatch(refused("a sparse matrix", 2**28, 20), message)
    size, kind = re.search(r"more than the (\d+) bytes .*\((.*) limit\)\.$", message).groups()
    assert int(size) < 2**31 or (size, kind) == (str(2**31), says)
