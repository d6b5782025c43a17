"""PauliSprings from Python."""

import pytest

from vemo._vemo import PauliSprings

ONE_PART = r"^Springs object does not have exactly one part$"


def test_parse_print_and_size():
    s = PauliSprings("X0  Y12, , Z2")
    assert (len(s), str(s), repr(s), s.default_n_qubit()) == (3, "X0 Y12, , Z2", "X0 Y12, , Z2", 13)
    assert str(PauliSprings("(0.5, X0 Y1), (-1, I3 X0)")) == "X0 Y1, X0"
    assert str(PauliSprings("X+7, X007, Z1 Z1")) == "X7, X7, Z1 Z1"
    assert PauliSprings("I5").default_n_qubit() == 6
    assert PauliSprings("X65535").default_n_qubit() == 65536


@pytest.mark.parametrize("token", ["X", "x1", "X-1", "X1.5", "XY", "Q3", "X65536", "X+", "\u00c91"])
def test_bad_tokens(token):
    with pytest.raises(ValueError) as e:
        PauliSprings(f"Z0, Y1 {token} X2")
    assert str(e.value) == f'Bad parse: "{token}" is not a valid Pauli matrix in a sparse string.'


@pytest.mark.parametrize("arg,exc,match", [
    ("X0*Y1", ValueError, ONE_PART), ("", ValueError, ONE_PART), (None, ValueError, ONE_PART),
    ("(X0", ValueError, r"^Bad parse: Mismatched brackets\.$"),
])
def test_refused(arg, exc, match):
    with pytest.raises(exc, match=match):
        PauliSprings(arg)
