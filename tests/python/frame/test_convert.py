"""Argument conversion: every kind of number that a float, complex or integer parameter accepts, read
as the interpreter's own float(), complex() and operator.index() read it, and the errors of the
others; sequences of every kind; of two bad values, the first one's error."""

import decimal
import fractions
import math
import operator

import numpy as np
import pytest


class WithComplex:
    def __complex__(self):
        return 1 - 2j


class StaticComplex:
    __complex__ = staticmethod(lambda: -3j)


class WithFloat:
    def __float__(self):
        return 2.5


class WithIndex:
    def __init__(self, value=7):
        self.value = value

    def __index__(self):
        return self.value


class FloatWithComplex(float):
    def __complex__(self):
        return 3j


class IntWithFloat(int):
    def __float__(self):
        return 2.5


NUMBERS = [
    1.5, -0.0, math.inf, math.nan, -7, 0, True, False, 2**53 + 1, -(2**63), 10**300,
    np.float64(1.5), np.float32(0.1), np.int64(-3), np.uint8(200), np.bool_(True),
    fractions.Fraction(1, 3), decimal.Decimal("1.25"),
    WithFloat(), WithIndex(), FloatWithComplex(1.5), IntWithFloat(1),
]
COMPLEX_ONLY = [1 - 1j, complex(-0.0, math.nan), np.complex128(1 + 2j), np.complex64(1 + 2j), WithComplex(),
                StaticComplex()]


def ids(values):
    return [f"{type(x).__name__}({x!r})"[:40] for x in values]


def same_number(a, b):
    """Equal, the sign of zero and NaN compared too."""
    return all(
        (math.isnan(x) and math.isnan(y)) or (x == y and math.copysign(1, x) == math.copysign(1, y))
        for x, y in ((a.real, b.real), (a.imag, b.imag))
    )


def appended(vec_cls, x):
    vec = vec_cls()
    vec.append(x)
    return vec[0]


@pytest.mark.parametrize("x", NUMBERS + COMPLEX_ONLY, ids=ids(NUMBERS + COMPLEX_ONLY))
def test_complex_argument(v, x):
    assert same_number(appended(v.ComplexVec, x), complex(x))
    if not isinstance(x, (complex, np.complexfloating, WithComplex, StaticComplex)):
        assert same_number(appended(v.RealVec, x), float(x))


def test_subclasses_are_read_by_value(v):
    # The stored value, where float() and complex() would call the overriding method.
    class FloatWithFloat(float):
        def __float__(self):
            return 9.0

    class ComplexWithComplex(complex):
        def __complex__(self):
            return 5j

    assert appended(v.RealVec, FloatWithFloat(1.5)) == appended(v.ComplexVec, FloatWithFloat(1.5)) == 1.5
    assert appended(v.ComplexVec, ComplexWithComplex(1 + 1j)) == 1 + 1j


def test_complex_method_is_looked_up_on_the_type(v):
    # As complex() does: an instance attribute or __getattr__ does not count ...
    class Attr:
        def __float__(self):
            return 4.0

        def __getattr__(self, name):
            return lambda: 6j

    x = Attr()
    x.__complex__ = lambda: 8j
    assert appended(v.ComplexVec, x) == complex(x) == 4
    # ... a method added to the class later does (its answer is not kept).
    Attr.__complex__ = lambda self: 2j
    assert appended(v.ComplexVec, x) == complex(x) == 2j


class NotComplex:
    def __complex__(self):
        return 1.5


class RaisingComplex:
    def __complex__(self):
        raise ValueError("no complex today")


REJECTED = [
    ("RealVec", "1.5", TypeError, "argument 'value': must be real number, not str"),
    ("ComplexVec", "1.5", TypeError, "argument 'value': must be real number, not str"),
    ("RealVec", None, TypeError, "argument 'value': must be real number, not NoneType"),
    ("ComplexVec", [1.0], TypeError, "argument 'value': must be real number, not list"),
    ("RealVec", 1j, TypeError, "argument 'value': must be real number, not complex"),
    ("RealVec", WithComplex(), TypeError, "argument 'value': must be real number, not WithComplex"),
    ("RealVec", 10**400, OverflowError, "int too large to convert to float"),
    ("ComplexVec", 10**400, OverflowError, "int too large to convert to float"),
    ("ComplexVec", NotComplex(), TypeError, "argument 'value': __complex__ returned non-complex"),
    ("ComplexVec", RaisingComplex(), ValueError, "no complex today"),
]


@pytest.mark.parametrize("cls, x, error, message", REJECTED, ids=[f"{r[0]}-{r[3]}" for r in REJECTED])
def test_rejected_numbers(v, cls, x, error, message):
    vec = getattr(v, cls)(1)
    with pytest.raises(error) as e:
        vec.append(x)
    assert type(e.value) is error and str(e.value) == message
    assert len(vec) == 1


INTEGERS = [0, 3, True, False, np.int64(4), np.uint8(5), WithIndex()]
NOT_INTEGERS = [1.0, np.float64(1.0), "1", 1j, WithFloat()]


@pytest.mark.parametrize(
    "x, accepted", [(x, True) for x in INTEGERS] + [(x, False) for x in NOT_INTEGERS], ids=ids(INTEGERS + NOT_INTEGERS)
)
def test_integer_argument(v, x, accepted):
    if accepted:
        assert len(v.RealVec(x)) == v.ComplexSign(x).to_phase() == operator.index(x)
    else:
        with pytest.raises(TypeError, match=r"^argument 'n_element': .* cannot be interpreted as an integer$"):
            v.RealVec(x)


# ---------------------------------------------------------------- sequences


class ListReadThroughIter(list):
    def __iter__(self):
        return iter([2, 1])


SEQUENCES = [[2, 1], (2, 1), range(2, 0, -1), np.array([2, 1]), [np.int64(2), WithIndex(1)], ListReadThroughIter([5, 5])]


@pytest.fixture
def general(v):
    return v.GeneralFermionOperatorArray.from_ladder_product(v.Modes.from_count(8), [(0, True), (1, False)])


@pytest.mark.parametrize("modes", SEQUENCES, ids=ids(SEQUENCES))
def test_sequence_kinds(general, modes):
    general.cmpnt_set_from_ops(0, modes, (True, False))
    assert general.cmpnt_get_ops(0) == ([2, 1], [True, False])


@pytest.mark.parametrize("ops", [[(3, True), (1, False)], ((3, True), (1, False)), [(np.int64(3), True), (1, False)]])
def test_sequences_of_pairs(v, ops):
    a = v.GeneralFermionOperatorArray.from_ladder_product(v.Modes.from_count(4), ops)
    assert a.cmpnt_get_ops(0) == ([3, 1], [True, False])


def test_list_changed_during_conversion(general):
    # Read as its iterator reads it: the length at each step.
    def changing(first, change, rest):
        class Changing:
            def __index__(self):
                change(modes)
                return first

        modes = [Changing(), *rest]
        return modes

    general.cmpnt_set_from_ops(0, changing(2, lambda m: m.append(6), []), [True, False])
    assert general.cmpnt_get_ops(0) == ([2, 6], [True, False])
    general.cmpnt_set_from_ops(0, changing(4, lambda m: m.clear(), [5]), [True])
    assert general.cmpnt_get_ops(0) == ([4], [True])


@pytest.mark.parametrize(
    "modes, message",
    [
        ("21", "Can't extract `str` to `Vec`"),
        (iter([2, 1]), "'list_iterator' object cannot be converted to 'Sequence'"),
        ({2, 1}, "'set' object cannot be converted to 'Sequence'"),
        (None, "'NoneType' object cannot be converted to 'Sequence'"),
        ([2, "1"], "'str' object cannot be interpreted as an integer"),
        ((2, 1.0), "'float' object cannot be interpreted as an integer"),
    ],
)
def test_rejected_sequences(general, modes, message):
    with pytest.raises(TypeError) as e:
        general.cmpnt_set_from_ops(0, modes, [True, False])
    assert str(e.value) == f"argument 'mode_inds': {message}"
    assert general.cmpnt_get_ops(0) == ([0, 1], [True, False])


# ---------------------------------------------------------------- two bad values: the first is reported


def test_two_bad_arguments(v):
    vec = v.RealVec(2)
    with pytest.raises(TypeError, match=r"^argument 'index': "):
        vec.imul_elem("0", "x")
    with pytest.raises(TypeError, match=r"^argument 'index': "):
        vec["0"] = "x"


def test_dict_key_before_value(v):
    a = v.QubitPauliArray(v.Qubits.from_count(2), v.PauliSprings("X0"))
    with pytest.raises(TypeError) as e:
        a.cmpnt_set_from_dict(0, {"k": "v"})
    assert str(e.value) == "argument 'paulis': 'str' object cannot be interpreted as an integer"
    with pytest.raises(TypeError) as e:
        a.cmpnt_set_from_dict(0, {1: "v"})
    assert str(e.value) == "argument 'paulis': 'str' object cannot be cast as 'PauliMatrix'"
    # Pairs in the dict's order: the first bad pair's error.
    with pytest.raises(OverflowError):
        a.cmpnt_set_from_dict(0, {-1: v.PauliMatrix.X, "k": "v"})
    assert a.cmpnt_to_string(0) == "X0"


@pytest.mark.parametrize("cls", ["GeneralFermionOperatorArray", "NormalFermionOperatorArray"])
def test_pair_first_before_second(v, cls):
    with pytest.raises(TypeError, match=r"^argument 'ops': 'str' object cannot be interpreted as an integer$"):
        getattr(v, cls).from_ladder_product(v.Modes.from_count(4), [("a", "b")])


def test_ladder_pair_mode_before_flag(v):
    mapper = v.JordanWignerMapper(v.Qubits.from_count(4))
    for ops in ([("a", "b")], [["a", "b"]]):
        with pytest.raises(TypeError, match=r"^argument 'ladder_operators': 'str' object cannot be interpreted"):
            mapper.op_load_product(ops)
