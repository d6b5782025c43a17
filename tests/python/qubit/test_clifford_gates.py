"""CliffordGate and CliffordGateList from Python."""

import copy

import pytest

from vemo._vemo import CliffordGate, CliffordGateList

H, S, CX = CliffordGate.H, CliffordGate.S, CliffordGate.CX
NOT_A_GATE = r"^Iterator item cannot be interpreted as a Clifford gate\.$"


def test_gate_kinds():
    assert [(int(k), str(k), repr(k)) for k in (H, S, CX)] == [
        (0, "CliffordGate.H", "CliffordGate.H"), (1, "CliffordGate.S", "CliffordGate.S"),
        (2, "CliffordGate.CX", "CliffordGate.CX")]
    assert CliffordGate.CX is CliffordGate.CX and hash(H) == hash(H)


def test_push_pop_print_and_errors():
    g = CliffordGateList()
    assert (len(g), str(g), g.pop()) == (0, "", None)
    g.push_h(0)
    g.push_cx(0, 1)
    g.push_s(2)
    assert (str(g), repr(g), len(g)) == ("H(0), CX(0, 1), S(2)", "H(0), CX(0, 1), S(2)", 3)
    assert g.pop() is None and str(g) == "H(0), CX(0, 1)"
    with pytest.raises(ValueError, match=r"^Value 3 is both elements of what is supposed to be a distinct pair\.$"):
        g.push_cx(i_control=3, i_target=3)
    assert str(g) == "H(0), CX(0, 1)"


def test_from_iterable():
    g = CliffordGateList.from_iterable([(S, 0), (H, 1), (CX, 3, 2), (S, 1)])
    assert str(g) == "S(0), H(1), CX(3, 2), S(1)"
    assert len(CliffordGateList.from_iterable([])) == 0
    assert str(CliffordGateList.from_iterable(iter([(H, 2**64 - 1)]))) == "H(18446744073709551615)"


@pytest.mark.parametrize("items,message", [
    ([(CX, 0)], r"^CX gate requires two qubit indices \(control, target\), only one given\.$"),
    ([(H, 0, 1)], r"^H gate requires only one qubit index, two given\.$"),
    ([(S, 0, 1)], r"^S gate requires only one qubit index, two given\.$"),
    ([(CX, 2, 2)], r"^Value 2 is both elements of what is supposed to be a distinct pair\.$"),
    ([[H, 0]], NOT_A_GATE), ([(0, 1)], NOT_A_GATE), ([(H, -1)], NOT_A_GATE), ([(H, 0, 1, 2)], NOT_A_GATE),
    ([(H, 0), (CX, 1, -2)], NOT_A_GATE),
])
def test_from_iterable_errors(items, message):
    with pytest.raises(ValueError, match=message):
        CliffordGateList.from_iterable(items)


def test_from_iterable_passes_iterator_errors_on():
    def gen():
        yield (H, 0)
        raise KeyError("boom")

    with pytest.raises(KeyError):
        CliffordGateList.from_iterable(gen())
    with pytest.raises(TypeError):
        CliffordGateList.from_iterable(5)


def test_copies_are_independent():
    g = CliffordGateList()
    g.push_h(1)
    for c in (copy.copy(g), copy.deepcopy(g)):
        assert c is not g and c != g
        c.push_s(0)
        assert str(g) == "H(1)"
