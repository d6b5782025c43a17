"""QubitPauliArray: the Paulis of single strings read and written by position,
list, dict and text form, against a model of strings as tuples of "IXYZ" and
of single-qubit products with their powers of i."""

import random

import pytest

# (a, b) -> (a·b, k) with a·b = i^k times the product letter.
PRODUCT = {(a, b): (b if a == "I" else a if b == "I" else "I", 0) if "I" in (a, b) or a == b else
           (next(iter(set("XYZ") - {a, b})), 1 if a + b in ("XY", "YZ", "ZX") else 3)
           for a in "IXYZ" for b in "IXYZ"}
PHASES = ["+1", "+i", "-1", "-i"]


def string_of(a, i=0):
    return tuple(str(p) for p in a.cmpnt_get_list(i))


@pytest.mark.parametrize("n", [1, 3, 70, 130])
def test_positions_lists_dicts_and_counts(v, n):
    rng = random.Random(n)
    a = v.QubitPauliArray(v.Qubits.from_count(n))
    a.resize(2)
    model = ["I"] * n
    for _ in range(3 * n):
        q, p = rng.randrange(-n, n), rng.choice("IXYZ")
        a.cmpnt_set_pauli(-1, q, getattr(v.PauliMatrix, p))
        model[q] = p
        assert str(a.cmpnt_get_pauli(1, q)) == p
    assert string_of(a, 1) == tuple(model) and string_of(a, 0) == ("I",) * n
    d = a.cmpnt_get_dict(1)
    assert {q: str(p) for q, p in d.items()} == {q: p for q, p in enumerate(model) if p != "I"}
    for p in "IXYZ":
        assert a.cmpnt_count(1, getattr(v.PauliMatrix, p)) == model.count(p)
    a.cmpnt_set_from_dict(0, d)
    assert a.cmpnt_equal(0, a, 1)
    a.cmpnt_set_from_list(0, a.cmpnt_get_list(1)[: n // 2])
    assert string_of(a) == tuple(model[: n // 2] + ["I"] * (n - n // 2))
    a.cmpnt_set_from_dict(0, {})
    assert string_of(a) == ("I",) * n


def test_out_of_range_positions_change_nothing(v):
    a = v.QubitPauliArray(v.Qubits.from_count(3), v.PauliSprings("X0 Z2"))
    P = v.PauliMatrix
    for call, message in [
        (lambda: a.cmpnt_set_from_list(0, [P.X] * 4), "Mode index 3 .* with 3 modes"),
        (lambda: a.cmpnt_set_from_dict(0, {7: P.Y, 1: P.Y}), "Mode index 7 .* with 3 modes"),
        (lambda: a.cmpnt_set_pauli(0, 3, P.Y), "Element index 3 is out-of-bounds for container of length 3."),
        (lambda: a.cmpnt_get_pauli(0, -4), "Element index -1 is out-of-bounds for container of length 3."),
        (lambda: a.cmpnt_set_pauli(1, 0, P.Y), "Element index 1 is out-of-bounds for container of length 1."),
        (lambda: a.cmpnt_set_from_spring(0, v.PauliSprings("X0 Y3"), 0), "Mode index 3 .* with 3 modes"),
        (lambda: a.cmpnt_set_from_spring(0, v.PauliSprings("Y1"), 1), "String index 1 is out-of-bounds"),
    ]:
        with pytest.raises(IndexError, match=message):
            call()
    assert a.cmpnt_to_string(0) == "X0 Z2"
    with pytest.raises(TypeError, match="Can't extract `str` to `Vec`"):
        a.cmpnt_set_from_list(0, "XYZ")
    empty = v.QubitPauliArray(v.Qubits.from_count(0))
    empty.append_clear()
    empty.cmpnt_set_from_list(0, [])  # nothing to write on no qubits
    assert empty.cmpnt_get_list(0) == [] and empty.cmpnt_get_dict(0) == {}


@pytest.mark.parametrize("n", [2, 70, 130])
def test_set_from_spring_multiplies_in_text_order(v, n):
    rng = random.Random(n)
    texts = [" ".join(f"{rng.choice('IXYZ')}{rng.randrange(n)}" for _ in range(rng.randrange(8))) for _ in range(30)]
    springs = v.PauliSprings(", ".join(texts) + ", I0")  # the trailing item keeps a last empty text
    a = v.QubitPauliArray(v.Qubits.from_count(n), v.PauliSprings(f"Z{n - 1}"))
    for s, text in enumerate(texts):
        model, k = ["I"] * n, 0
        for tok in text.split():
            model[int(tok[1:])], dk = PRODUCT[(model[int(tok[1:])], tok[0])]
            k += dk
        assert str(a.cmpnt_set_from_spring(-1, springs, s)) == PHASES[k % 4]
        assert string_of(a) == tuple(model)
