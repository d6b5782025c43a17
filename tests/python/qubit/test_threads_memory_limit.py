"""The threaded sparse fill under an address-space limit that steps up by 1 MiB
from what the process maps, so that each allocation of a call, the threads' own
among them, is in turn the one that fails: each call ends in its result or a
MemoryError on the calling thread, never in the process aborting."""

import pytest
from address_limit import run_child, sanitized

pytest.importorskip("vemo._vemo")

CHILD = r"""
import numpy as np
import vemo._vemo as v

Q, rng = v.QubitPauliArray, np.random.default_rng(7)

def op(m):
    text = ", ".join(" ".join(f"{'IXYZ'[c]}{q}" for q, c in enumerate(row) if c) or "I0"
                     for row in rng.integers(0, 4, (m, 14)))
    return Q(v.Qubits.from_count(14), v.PauliSprings(text)), v.RealVec.from_array(rng.standard_normal(m))

big = op(128)  # a 16384-row matrix of 2 million entries
Q.lincomb_to_sparse_real(*op(2), False)  # a warm-up on the calling thread alone
for margin in range(256):  # three calls a limit: chances for a worker thread to take part
    print(limited(margin << 20, lambda: [Q.lincomb_to_sparse_real(*big, False) for _ in range(3)]) or "ok", flush=True)
"""


@sanitized
def test_threaded_sparse_fill_under_an_address_space_limit_raises_on_the_calling_thread():
    lines = run_child(CHILD)
    # The tightest limit refuses the call, the widest gives its result, and every limit one or the other.
    assert len(lines) == 256 and lines[0].startswith("MemoryError") and lines[-1] == "ok", lines
    assert all(line == "ok" or line.startswith("MemoryError") for line in lines), lines
