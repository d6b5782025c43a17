"""Calls that run out of memory part way: an output added into keeps list, map
and coefficients in step and takes the next call; a refused rebuild from a dense
vector keeps the caller's terms; a file whose stored length memory cannot hold
names the buffer and its size."""

import json

import numpy as np
import pytest
from address_limit import run_child, sanitized

v = pytest.importorskip("vemo._vemo")


@sanitized
def test_apply_to_state_into_an_output_stays_in_step_at_every_margin():
    # Call k adds 4096 states: X strings on qubits 0..11 flip the state whose qubits 12..29 spell k.
    rounds = run_child("""
        import numpy as np, vemo._vemo as v
        Q, qubits = v.QubitPauliArray, v.Qubits.from_count(30)
        op = Q(qubits, v.PauliSprings(", ".join(
            " ".join(f"X{q}" for q in range(12) if t >> q & 1) or "I0" for t in range(4096))))
        ones, one = v.RealVec.from_array(np.ones(4096)), v.RealVec.from_array(np.ones(1))
        states = [v.QubitStateArray(qubits, v.BinarySprings(str([0] * 12 + [k >> q & 1 for q in range(18)])))
                  for k in range(600)]
        out, out_map, out_c = v.QubitStateArray(qubits), v.Map(), v.ComplexVec()
        ks = iter(states)
        apply = lambda: Q.apply_to_state_real(op, ones, next(ks), one, out, out_map, out_c)
        apply()
        for margin in range(0, 3 << 20, 96 << 10):
            failed = limited(margin, lambda: [apply() for _ in range(16)])
            lengths = [len(out), len(out_map), len(out_c)]
            apply()
            print(json.dumps([failed, lengths, len(out) - lengths[0]]))
    """)
    rounds = [json.loads(r) for r in rounds]
    assert sum(failed is not None for failed, _, _ in rounds) >= 5
    for failed, (rows, map_len, coeffs_len), added in rounds:
        assert failed is None or failed.startswith("MemoryError"), failed
        assert rows == map_len == coeffs_len and added == 4096


def test_refused_rebuild_from_dense_keeps_the_callers_terms():
    # 2^20 modes: 2^14 words a row, so 2^20 states need 2^34 words.
    a = v.FermionStateArray(v.Modes.from_count(1 << 20), v.BinarySprings("[1], [0, 1], [0, 0, 1]"))
    m, c = v.Map(), v.RealVec.from_array(np.array([1.0, 2.0, 3.0]))
    a.refresh_map(m)
    before = a.cmpnts_clone(list(range(3)))
    with pytest.raises(MemoryError, match="Cannot allocate a table of 64-bit words of 17179869184 entries"):
        a.from_dense_real(m, c, [1.0] * (1 << 20), False)
    assert a == before and c.to_array() == [1.0, 2.0, 3.0] and a.mapped_lookup(m, before, 2) == 2


@sanitized
def test_load_of_a_length_memory_cannot_hold_names_the_buffer(tmp_path):
    # A plane whose stored length is 2^63 words, followed by 64 MiB of words.
    path = tmp_path / "big"
    path.write_bytes(bytes([253]) + (1 << 63).to_bytes(8, "little") + bytes(64 << 20))
    [message] = run_child(f"""
        import vemo._vemo as v
        print(limited(1 << 20, lambda: v.QubitPauliArray.load_from_file({str(path)!r})))
    """)
    assert message.startswith("MemoryError: Cannot allocate a table of 64-bit words of ")
    assert "bytes) while reading the 9223372036854775808 entries the input states" in message
