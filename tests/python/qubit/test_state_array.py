"""QubitStateArray: construction from state texts and the editing of single
states bit by bit; what it shares with QubitPauliArray is tested in
test_qubit_arrays.py."""

import random

import pytest


def bits_of(a, i=0):
    return [int(b) for b in a.cmpnt_get_list(i)]


@pytest.mark.parametrize("qubits, text, states, n", [
    (None, None, [], 0), (("from_count", 4), None, [], 4), (None, "[1, 0, 1]", [[1, 0, 1]], 3),
    (None, "[0, 0], [1]", [[0, 0], [1, 0]], 2), (("from_count", 2), "[1, 1, 0]", [[1, 1]], 2),
    (("from_inds", [5, 7, 9]), "[0, 1], [1, 1, 1]", [[0, 1, 0], [1, 1, 1]], 3),
    (("from_count", 2), "[0, 0, 1]", IndexError, "Bit index 2 is out-of-bounds for bit matrix with 2 bits per row."),
])
def test_construction(v, qubits, text, states, n):
    S = v.QubitStateArray
    args = (None if qubits is None else getattr(v.Qubits, qubits[0])(qubits[1]),
            None if text is None else v.BinarySprings(text))
    if states is IndexError:
        with pytest.raises(IndexError, match=n):
            S(*args)
        return
    a = S(*args)
    assert [bits_of(a, i) for i in range(len(a))] == states and len(a.qubits) == n
    assert a == S(qubits=args[0], springs=args[1]) and a != 5 and (a != 5) is True
    with pytest.raises(TypeError, match="springs"):
        S(None, "[1]")


@pytest.mark.parametrize("n", [1, 3, 64, 130])
def test_bits_sets_and_counts(v, n):
    rng = random.Random(n)
    a = v.QubitStateArray(v.Qubits.from_count(n))
    a.resize(2)
    model = [0] * n
    for _ in range(2 * n):
        q, b = rng.randrange(-n, n), rng.random() < 0.5
        a.cmpnt_set_bit(-1, q, b)
        model[q] = int(b)
        assert a.cmpnt_get_bit(1, q) is b
    assert bits_of(a, 1) == model and a.cmpnt_get_set(1) == {q for q in range(n) if model[q]}
    assert (a.cmpnt_count(1, True), a.cmpnt_count(1, False)) == (sum(model), n - sum(model))
    assert a.cmpnt_to_string(1) == "[" + ", ".join(map(str, model)) + "]"
    a.cmpnt_set_from_set(0, frozenset(a.cmpnt_get_set(1)))
    assert a.cmpnt_equal(0, a, 1)
    with pytest.raises(IndexError, match=f"Element index {n} is out-of-bounds for container of length {n}."):
        a.cmpnt_get_bit(0, n)


def test_writes_past_the_register_change_nothing(v):
    a = v.QubitStateArray(v.Qubits.from_count(3), v.BinarySprings("[0, 1, 0]"))
    for call, message in [
        (lambda: a.cmpnt_set_from_list(0, [True] * 4), "Bit index 3 .* 3 bits per row"),
        (lambda: a.cmpnt_set_from_set(0, {0, 5}), "Bit index 5 .* 3 bits per row"),
        # Every position is checked before the first is written.
        (lambda: a.cmpnt_set_from_spring(0, v.BinarySprings("[1, 0, 0, 1]"), 0), "Bit index 3"),
        (lambda: a.cmpnt_set_from_spring(0, v.BinarySprings("[1]"), 1), "String index 1 is out-of-bounds"),
    ]:
        with pytest.raises(IndexError, match=message):
            call()
        assert bits_of(a) == [0, 1, 0]
    # Bits the string does not mark keep their values.
    a.cmpnt_set_from_spring(0, v.BinarySprings("[1, 0, 0]"), 0)
    assert bits_of(a) == [1, 1, 0]
    a.cmpnt_set_from_list(0, [True])
    assert bits_of(a) == [1, 0, 0]
    a.cmpnt_set_from_spring(0, v.BinarySprings("[], [0, 0, 1]"), 1)
    assert bits_of(a) == [1, 0, 1]
    with pytest.raises(OverflowError):
        a.cmpnt_set_from_spring(0, v.BinarySprings("[1]"), -1)
