"""Calls that split their work over threads, run under an address-space limit
(RLIMIT_AS, as `ulimit -v` sets it) a little above what the process maps: the
threaded sparse fill and the threaded projections end in their result or an
exception on the calling thread, never in the process aborting. The limits
step up by 1 MiB to 255 MiB, so that each allocation of a call, the threads'
own among them (their stacks, the allocator's per-thread arenas), is in turn
the one that fails. Each kind runs in a child process that must reach its
end marker."""

import os
import subprocess
import sys

import pytest

pytest.importorskip("vemo._vemo")

# The sanitizers' shadow memory needs the address space.
SANITIZED = "asan" in os.environ.get("LD_PRELOAD", "")

CHILD = r"""
import resource, sys
import numpy as np
import vemo._vemo as v

Q, n = v.QubitPauliArray, 14
rng = np.random.default_rng(7)

def op(m, complex_=False):
    text = ", ".join(" ".join(f"{'IXYZ'[c]}{q}" for q, c in enumerate(row) if c) or "I0"
                     for row in rng.integers(0, 4, (m, n)))
    c = rng.standard_normal(m) + (1j * rng.standard_normal(m) if complex_ else 0)
    return Q(v.Qubits.from_count(n), v.PauliSprings(text)), (v.ComplexVec if complex_ else v.RealVec).from_array(c)

def states(d, picked=None):
    picked = rng.choice(2**n, d, replace=False) if picked is None else picked
    rows = ", ".join("[" + ", ".join(str((k >> q) & 1) for q in range(n)) + "]" for k in picked)
    return v.QubitStateArray(v.Qubits.from_count(n), v.BinarySprings(rows))

def nonortho(d, stale=False):
    vs = [states(4, [0, 1, 2, 3] if stale and k < 2 else None) for k in range(d)]
    maps = [v.Map() for _ in vs]
    for s, m in zip(vs, maps):
        s.refresh_map(m)
    if stale:  # v_1's map still registers the two states cut from its list, which v_0 holds
        vs[1].resize(2)
    return lambda: Q.lincomb_project_into_nonortho_subspace_real(
        a, c, vs, maps, [v.RealVec.from_array(np.ones(4)) for _ in vs])

a, c = op(128)  # a 16384-row matrix of 2 million entries
h, hc = op(200, complex_=True)
small = states(8)
calls = {
    "sparse fill": (lambda: Q.lincomb_to_sparse_real(a, c, False), lambda: Q.lincomb_to_sparse_real(*op(2), False)),
    "orthonormal projection": (lambda s=states(800): Q.lincomb_project_into_ortho_subspace_complex(h, hc, s),
                               lambda: Q.lincomb_project_into_ortho_subspace_complex(h, hc, small)),
    "general projection": (nonortho(250), nonortho(2)),
    "general projection, stale map": (nonortho(250, stale=True), nonortho(2)),
}
call, warm_up = calls[sys.argv[1]]
warm_up()  # on the calling thread alone

def mapped():
    with open("/proc/self/status") as f:
        return next(int(line.split()[1]) * 1024 for line in f if line.startswith("VmSize"))

soft, hard = resource.getrlimit(resource.RLIMIT_AS)
for margin in range(0, 256):
    resource.setrlimit(resource.RLIMIT_AS, (mapped() + margin * 2**20, hard))
    try:
        for _ in range(3):  # chances for a worker thread to take part
            call()
        outcome = "ok"
    except MemoryError:
        outcome = "MemoryError"
    except BaseException as e:
        outcome = type(e).__name__ + ": " + str(e).split(":")[0]
    finally:
        resource.setrlimit(resource.RLIMIT_AS, (soft, hard))
    print(outcome, flush=True)
print("end")
"""


@pytest.mark.skipif(SANITIZED, reason="sanitizer build")
@pytest.mark.parametrize("kind, outcome", [
    ("sparse fill", "ok"),
    ("orthonormal projection", "ok"),
    ("general projection", "ok"),
    ("general projection, stale map", "PanicException: Map yields an index beyond its list"),
])
def test_threaded_calls_under_an_address_space_limit_raise_on_the_calling_thread(kind, outcome):
    out = subprocess.run([sys.executable, "-c", CHILD, kind], capture_output=True, text=True, timeout=600)
    assert out.returncode == 0, (out.returncode, out.stdout[-300:], out.stderr[-300:])
    lines = out.stdout.splitlines()
    # The tightest limit refuses the call, the widest gives its result, and
    # every limit one or the other.
    assert lines[0] == "MemoryError" and lines[-2:] == [outcome, "end"], lines
    assert set(lines[:-1]) == {"MemoryError", outcome}, lines
