"""BinarySprings: parsing of 0/1 state texts, its errors, printing and copies."""

import copy

import pytest


def raises(v, text, exc=ValueError):
    with pytest.raises(exc) as e:
        v.BinarySprings(text)
    return str(e.value)


def bad_setting(item):
    return f'Bad parse: State setting "{item}" is unparsable or out of bounds.'


def test_lengths_and_default_n_qubit(v):
    s = v.BinarySprings("[0, 1, 1], [1, 0]")
    assert (len(s), s.default_n_qubit()) == (2, 3)
    assert (len(v.BinarySprings("[]")), v.BinarySprings("[]").default_n_qubit()) == (1, 0)
    assert v.BinarySprings("[0, 0]").default_n_qubit() == 2
    assert len(v.BinarySprings(s="(0.5, [1, 0]), (-1, [0, 1]),")) == 2


def test_printing_keeps_every_entry(v):
    s = v.BinarySprings("\u3000[0, 1, 0, 1] ,[],[0,0], [\u00a0+1 , 0 ,] ")
    assert str(s) == repr(s) == "[0, 1, 0, 1], [], [0, 0], [1, 0]"


@pytest.mark.parametrize("text, message", [
    ("[1,,0]", bad_setting("")), ("[-0]", bad_setting("-0")), ("[2]", bad_setting("2")),
    ("[\u200b1]", bad_setting("\u200b1")), ("[0, 1, 7, 9]", bad_setting("7")),
    ("[1],,[0]", "Bad parse: State string should be between square brackets."),
    ("[1", "Bad parse: Mismatched brackets."),
    ("(0.5 [1])", 'Bad parse: "(0.5 [1])" is ill-formed'),
    ("", "Binary springs object does not have exactly one part"),
    (None, "Binary springs object does not have exactly one part"),
    ("[1]*[0]", "Binary springs object does not have exactly one part"),
])
def test_errors(v, text, message):
    assert raises(v, text) == message


def test_entry_limit(v):
    full = "[" + ", ".join(["0"] * 65535 + ["1"]) + "]"
    s = v.BinarySprings(full)
    assert s.default_n_qubit() == 65536
    assert str(s) == full
    assert raises(v, "[" + ", ".join(["0"] * 65536 + [" 1"]) + "]") == bad_setting("1")


def test_padding_out_of_proportion_to_the_text(v):
    # 50000 parts x 50000 components from 350 kB of text: MemoryError, not an exhausted machine.
    many = "*".join(["[]"] * 50000)
    for text in (many + ", []" * 49999, ", ".join(["[]"] * 49999 + [many])):
        raises(v, text, MemoryError)


def test_copies_outlive_and_do_not_compare(v):
    s = v.BinarySprings("[0, 1], [1]")
    c = copy.copy(s)
    del s
    assert str(c) == "[0, 1], [1]"
    assert v.BinarySprings("[1]") != v.BinarySprings("[1]")  # identity only
