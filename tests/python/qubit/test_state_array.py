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


# Two indices both out of range: the first one checked is reported (a: 2
# states on 2 qubits, p: 3 strings).
@pytest.mark.parametrize("call, index, length", [
    (lambda a, p: a.cmpnt_pauli_string_imul(5, p, 7), 5, 2),
    (lambda a, p: a.cmpnt_pauli_string_imul(1, p, -4), -1, 3),
    (lambda a, p: a.cmpnt_set_bit(5, -9, True), 5, 2),
    (lambda a, p: a.cmpnt_get_bit(-3, 7), -1, 2),
    (lambda a, p: a.cmpnt_copy_internal(5, 7), 5, 2),
    (lambda a, p: a.cmpnt_equal(7, a, 5), 7, 2),
])
def test_first_bad_index_is_reported(v, call, index, length):
    a = v.QubitStateArray(v.Qubits.from_count(2), v.BinarySprings("[1, 0], [0, 1]"))
    p = v.QubitPauliArray(v.Qubits.from_count(2), v.PauliSprings("X0, Y1, Z0"))
    with pytest.raises(IndexError, match=rf"^Element index {index} is out-of-bounds for container of length {length}\.$"):
        call(a, p)
    assert bits(a) == [[1, 0], [0, 1]]
