"""Calls that run out of memory part way: an output added into keeps its list,
map and coefficients in step and takes the next call; a rebuild from a dense
vector that is refused keeps the caller's terms; a file whose stored length
memory cannot hold names the buffer and its size. Real allocation failures
come from a child process that lowers its address-space limit after a
warm-up (not under the sanitizers, whose shadow memory needs the space)."""

import json
import os
import subprocess
import sys
import textwrap

import pytest

v = pytest.importorskip("vemo._vemo")

sanitized = pytest.mark.skipif("asan" in os.environ.get("LD_PRELOAD", ""), reason="sanitizer run")

# Run in a child: `limited(margin, f)` calls f with the address space limited
# to what the process maps now plus `margin` bytes, and says whether f raised
# MemoryError.
PRELUDE = textwrap.dedent("""
    import json, resource, sys
    import vemo._vemo as v

    def mapped():
        for line in open("/proc/self/status"):
            if line.startswith("VmSize:"):
                return int(line.split()[1]) * 1024

    def limited(margin, f):
        old = resource.getrlimit(resource.RLIMIT_AS)
        resource.setrlimit(resource.RLIMIT_AS, (mapped() + margin, old[1]))
        try:
            f()
            return None
        except MemoryError as e:
            return str(e)
        finally:
            resource.setrlimit(resource.RLIMIT_AS, old)
""")


def run_child(body):
    out = subprocess.run([sys.executable, "-c", PRELUDE + textwrap.dedent(body)], capture_output=True, text=True,
                         env=os.environ, timeout=300)
    assert out.returncode == 0, out.stderr
    return json.loads(out.stdout)


@sanitized
def test_apply_to_state_into_an_output_keeps_it_in_step_at_every_margin():
    # Each call adds 4096 new states: the op's X strings on qubits 0..11 flip
    # the state whose qubits 12..29 spell the call's number.
    rounds = run_child("""
        n = 30
        op = v.QubitPauliArray(v.Qubits.from_count(n), v.PauliSprings(", ".join(
            " ".join(f"X{q}" for q in range(12) if t >> q & 1) or "I0" for t in range(4096))))
        ones = v.RealVec.from_array(__import__("numpy").ones(4096))
        def state(k):
            row = ", ".join(str(k >> (q - 12) & 1 if q >= 12 else 0) for q in range(n))
            return v.QubitStateArray(v.Qubits.from_count(n), v.BinarySprings("[" + row + "]"))
        states = [state(k) for k in range(1, 400)]
        one = v.RealVec.from_array(__import__("numpy").ones(1))
        out, out_map, out_c = v.QubitStateArray(v.Qubits.from_count(n)), v.Map(), v.ComplexVec()
        apply = lambda k: v.QubitPauliArray.apply_to_state_real(op, ones, states[k], one, out, out_map, out_c)
        apply(0)
        k, rounds = 1, []
        for margin in range(0, 3 << 20, 96 << 10):
            def grow():
                global k
                for _ in range(16):
                    k += 1
                    apply(k - 1)
            failed = limited(margin, grow)
            lengths = [len(out), len(out_map), len(out_c)]
            apply(k)  # the next call works
            k += 1
            rounds.append([failed is not None, lengths, len(out) - lengths[0]])
            if k > len(states) - 20:
                break
        print(json.dumps(rounds))
    """)
    assert sum(failed for failed, _, _ in rounds) >= 5
    for failed, (rows, map_len, coeffs_len), added in rounds:
        assert rows == map_len == coeffs_len
        assert added == 4096


def test_refused_rebuild_from_dense_keeps_the_callers_terms():
    # 2^20 modes: 2^14 words a row, so 2^20 states need 2^34 words.
    a = v.FermionStateArray(v.Modes.from_count(1 << 20), v.BinarySprings("[1], [0, 1], [0, 0, 1]"))
    m, c = v.Map(), v.RealVec.from_array(__import__("numpy").array([1.0, 2.0, 3.0]))
    a.refresh_map(m)
    before = a.cmpnts_clone(list(range(3)))
    with pytest.raises(MemoryError, match="Cannot allocate a table of 64-bit words of 17179869184 entries"):
        a.from_dense_real(m, c, [1.0] * (1 << 20), False)
    assert a == before and len(m) == 3 and c.to_array() == [1.0, 2.0, 3.0]
    assert a.mapped_lookup(m, before, 2) == 2


@sanitized
def test_load_of_a_length_memory_cannot_hold_names_the_buffer(tmp_path):
    # A plane whose stored length is 2^63 words, followed by 64 MiB of words.
    path = tmp_path / "big"
    path.write_bytes(bytes([253]) + (1 << 63).to_bytes(8, "little") + bytes(64 << 20))
    messages = run_child(f"""
        print(json.dumps([limited(m, lambda: v.QubitPauliArray.load_from_file({str(path)!r}))
                          for m in (1 << 20, 4 << 20)]))
    """)
    for message in messages:
        assert message.startswith("Cannot allocate a table of 64-bit words of ")
        assert "bytes) while reading the 9223372036854775808 entries the input states" in message
