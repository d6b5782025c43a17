"""BinarySprings: parsing of 0/1 state texts, its errors, printing and copies."""

import copy

import pytest


def bad_setting(item):
    return f'Bad parse: State setting "{item}" is unparsable or out of bounds.'


def test_lengths_and_default_n_qubit(v):
    s = v.BinarySprings("[0, 1, 1], [1, 0]")
    assert len(s) == 2
    assert s.default_n_qubit() == 3
    assert len(v.BinarySprings("[]")) == 1
    assert v.BinarySprings("[]").default_n_qubit() == 0
    assert v.BinarySprings("[0, 0]").default_n_qubit() == 2
    # The longest text decides, whatever its values.
    assert v.BinarySprings("[1], [0, 0, 0, 0], [1, 1]").default_n_qubit() == 4
    # Coefficients in front of a state are allowed and ignored here.
    assert len(v.BinarySprings("(0.5, [1, 0]), (-1, [0, 1])")) == 2


def test_printing_keeps_every_entry(v):
    s = v.BinarySprings(" [0, 1, 0, 1] ,[],[0,0], [ +1 , 0 ,] ")
    assert str(s) == "[0, 1, 0, 1], [], [0, 0], [1, 0]"
    assert repr(s) == str(s)
    # The printed form parses back to the same texts.
    assert str(v.BinarySprings(str(s))) == str(s)


def test_item_forms(v):
    assert str(v.BinarySprings("[1, 0,]")) == str(v.BinarySprings("[1, 0]"))
    assert str(v.BinarySprings("[+1]")) == "[1]"
    assert str(v.BinarySprings("[001, 00]")) == "[1, 0]"
    for text, item in [("[1,,0]", ""), ("[,]", ""), ("[-0]", "-0"), ("[2]", "2"), ("[+]", "+"),
                       ("[0, a]", "a"), ("[256]", "256"), ("[1 0]", "1 0"), ("[0, 1, 7, 9]", "7")]:
        with pytest.raises(ValueError) as e:
            v.BinarySprings(text)
        assert str(e.value) == bad_setting(item), text


def test_bracket_errors(v):
    msg = "Bad parse: State string should be between square brackets."
    for text in ["0, 1", "[1], 1", "[1],,[0]", "(0.5, 1)"]:
        with pytest.raises(ValueError) as e:
            v.BinarySprings(text)
        assert str(e.value) == msg, text
    for text in ["[1", "[0, 1]]", "([1)]"]:
        with pytest.raises(ValueError) as e:
            v.BinarySprings(text)
        assert str(e.value) == "Bad parse: Mismatched brackets.", text
    with pytest.raises(ValueError) as e:
        v.BinarySprings("(0.5 [1])")
    assert str(e.value) == 'Bad parse: "(0.5 [1])" is ill-formed'


def test_part_count(v):
    msg = "Binary springs object does not have exactly one part"
    for text in ["", None, "   ", "[1]*[0]", "[1], [0]*[1]"]:
        with pytest.raises(ValueError) as e:
            v.BinarySprings(text)
        assert str(e.value) == msg, text


def test_arguments(v):
    with pytest.raises(TypeError):
        v.BinarySprings()
    with pytest.raises(TypeError):
        v.BinarySprings(3)
    assert len(v.BinarySprings(s="[1]")) == 1
    assert v.BinarySprings.__text_signature__ == "(s)"
    assert v.BinarySprings.__doc__ == "Python wrapper for binary sparse strings"
    assert v.BinarySprings.default_n_qubit.__doc__ == (
        "Number of modes required in the smallest space that can contain this spring.")
    assert v.BinarySprings.__copy__.__doc__ == "Return shallow copy."
    assert v.BinarySprings.__deepcopy__.__doc__ == "Return deep copy."
    assert v.BinarySprings.__deepcopy__.__text_signature__ == "($self, _memo)"


def test_unicode_white_space(v):
    # Trimming uses the Unicode White_Space property (no-break and ideographic spaces).
    s = v.BinarySprings("\u3000[\u00a01,\u20020\u2003]\u00a0")
    assert str(s) == "[1, 0]"
    # U+200B (zero-width space) is not white space.
    with pytest.raises(ValueError) as e:
        v.BinarySprings("[\u200b1]")
    assert str(e.value) == bad_setting("\u200b1")


def test_entry_limit(v):
    full = "[" + ", ".join(["0"] * 65535 + ["1"]) + "]"
    s = v.BinarySprings(full)
    assert s.default_n_qubit() == 65536
    assert str(s) == full
    over = "[" + ", ".join(["0"] * 65536 + [" 1"]) + "]"
    with pytest.raises(ValueError) as e:
        v.BinarySprings(over)
    assert str(e.value) == bad_setting("1")


def test_copies_are_independent(v):
    s = v.BinarySprings("[0, 1], [1]")
    for c in (copy.copy(s), copy.deepcopy(s), s.__copy__(), s.__deepcopy__(None)):
        assert c is not s
        assert type(c) is v.BinarySprings
        assert str(c) == str(s)
        assert len(c) == len(s)
        assert c.default_n_qubit() == s.default_n_qubit()
    # Nothing of one object is shared with another: dropping the original leaves the copy intact.
    c = copy.copy(s)
    del s
    assert str(c) == "[0, 1], [1]"


def test_no_comparison_or_item_access(v):
    a, b = v.BinarySprings("[1]"), v.BinarySprings("[1]")
    assert a != b  # identity comparison only
    with pytest.raises(TypeError):
        a[0]
    with pytest.raises(TypeError):
        a < b
