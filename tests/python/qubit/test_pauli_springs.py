"""PauliSprings from Python."""

import copy

import pytest

from vemo._vemo import PauliSprings

BAD = 'Bad parse: "{}" is not a valid Pauli matrix in a sparse string.'


def test_parse_and_print():
    s = PauliSprings("X0  Y12, , Z2")
    assert len(s) == 3
    assert str(s) == "X0 Y12, , Z2"
    assert repr(s) == str(s)
    assert s.default_n_qubit() == 13
    assert str(PauliSprings("I3 X0")) == "X0"
    assert str(PauliSprings("(0.5, X0 Y1), (-1, Z2)")) == "X0 Y1, Z2"
    assert str(PauliSprings("X+7, X007")) == "X7, X7"
    assert str(PauliSprings("Z1 Z1")) == "Z1 Z1"


def test_default_n_qubit():
    assert PauliSprings("I5").default_n_qubit() == 6
    assert PauliSprings("X65535").default_n_qubit() == 65536
    assert PauliSprings("X0, ").default_n_qubit() == 1


@pytest.mark.parametrize("token", ["X", "x1", "X-1", "X1.5", "XY", "Q3", "X65536", "X+"])
def test_bad_tokens(token):
    with pytest.raises(ValueError) as e:
        PauliSprings(f"Z0, Y1 {token} X2")
    assert str(e.value) == BAD.format(token)


def test_part_counts():
    with pytest.raises(ValueError, match=r"^Springs object does not have exactly one part$"):
        PauliSprings("X0*Y1")
    with pytest.raises(ValueError, match=r"^Springs object does not have exactly one part$"):
        PauliSprings("")
    with pytest.raises(ValueError, match=r"^Springs object does not have exactly one part$"):
        PauliSprings(None)
    with pytest.raises(ValueError, match=r"^Bad parse: Mismatched brackets\.$"):
        PauliSprings("(X0")
    with pytest.raises(TypeError, match="argument 's'"):
        PauliSprings(3)
    with pytest.raises(TypeError):
        PauliSprings()


def test_copies_and_no_comparison():
    s = PauliSprings("X0 Y1")
    for c in (copy.copy(s), copy.deepcopy(s)):
        assert c is not s and str(c) == "X0 Y1"
        assert c != s
    assert PauliSprings.__doc__ == "Python wrapper for qubit Pauli sparse strings"
    assert PauliSprings.__text_signature__ == "(s)"
    assert PauliSprings.default_n_qubit.__doc__ == (
        "Number of modes required in the smallest space of modes that can contain modes indexed in [0, self.max].")
