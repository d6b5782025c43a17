"""QubitStateArray: construction from state texts, and the spring write that
keeps unmarked bits; what it shares with QubitPauliArray is in test_qubit_arrays.py."""

import pytest


def bits(a):
    return [[int(b) for b in a.cmpnt_get_list(i)] for i in range(len(a))]


@pytest.mark.parametrize("qubits, text, states, n", [
    (None, None, [], 0), ([0, 1, 2, 3], None, [], 4), (None, "[1, 0, 1]", [[1, 0, 1]], 3),
    (None, "[0, 0], [1]", [[0, 0], [1, 0]], 2), ([0, 1], "[1, 1, 0]", [[1, 1]], 2),
    ([5, 7, 9], "[0, 1], [1, 1, 1]", [[0, 1, 0], [1, 1, 1]], 3),
    ([0, 1], "[0, 0, 1]", None, "Bit index 2 is out-of-bounds for bit matrix with 2 bits per row."),
])
def test_construction(v, qubits, text, states, n):
    args = (None if qubits is None else v.Qubits.from_inds(qubits), None if text is None else v.BinarySprings(text))
    if states is None:
        with pytest.raises(IndexError, match=n):
            v.QubitStateArray(*args)
        return
    a = v.QubitStateArray(*args)
    assert bits(a) == states and len(a.qubits) == n and a == v.QubitStateArray(qubits=args[0], springs=args[1])
    assert (a == 5, a != 5) == (False, True)


def test_spring_write_keeps_unmarked_bits(v):
    a = v.QubitStateArray(v.Qubits.from_count(3), v.BinarySprings("[0, 1, 0]"))
    a.cmpnt_set_from_spring(0, v.BinarySprings("[1, 0, 0]"), 0)
    assert bits(a) == [[1, 1, 0]]
    a.cmpnt_clear(0)
    a.cmpnt_set_from_spring(-1, v.BinarySprings("[], [1, 0, 1]"), 1)
    assert bits(a) == [[1, 0, 1]]
