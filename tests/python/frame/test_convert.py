"""Argument conversion: every kind of number that a float, complex or integer parameter accepts, read
as the interpreter's own float(), complex() and operator.index() read it, and the errors of the
others; sequences of every kind; of two bad values, the first one's error."""

import math
import operator
import re

import numpy as np
import pytest


def kind(name, base=object, **methods):
    return type(name, (base,), {"__repr__": lambda self: name, **{f"__{k}__": f for k, f in methods.items()}})


def no_complex_today(self):
    raise ValueError("no complex today")


WithFloat, WithIndex = kind("WithFloat", float=lambda self: 2.5), kind("WithIndex", index=lambda self: 7)
NUMBERS = [1.5, -0.0, math.nan, -7, True, 10**300, np.float64(1.5), np.float32(0.1), np.int64(-3), np.bool_(True),
           WithFloat(), WithIndex(), kind("FloatWithComplex", float, complex=lambda self: 3j)(1.5),
           kind("IntWithFloat", int, float=lambda self: 2.5)(1)]
COMPLEX_ONLY = [complex(-0.0, math.nan), np.complex128(1 + 2j), np.complex64(1 + 2j),
                kind("WithComplex", complex=lambda self: 1 - 2j)(),
                kind("StaticComplex", complex=staticmethod(lambda: -3j))()]  # a descriptor: bound as attributes are


def appended(vec_cls, x):
    vec = vec_cls()
    vec.append(x)
    return vec[0]


@pytest.mark.parametrize("x, real", [(x, True) for x in NUMBERS] + [(x, False) for x in COMPLEX_ONLY], ids=repr)
def test_number_argument(v, x, real):
    # repr tells the sign of zero and NaN apart too.
    assert repr(appended(v.ComplexVec, x)) == repr(complex(x))
    if real:
        assert repr(appended(v.RealVec, x)) == repr(float(x))


def test_subclasses_are_read_by_value_and_methods_on_the_type(v):
    # The stored value, where float() and complex() would call the overriding method ...
    real = kind("FloatWithFloat", float, float=lambda self: 9.0)(1.5)
    assert appended(v.RealVec, real) == appended(v.ComplexVec, real) == 1.5
    assert appended(v.ComplexVec, kind("ComplexWithComplex", complex, complex=lambda self: 5j)(1 + 1j)) == 1 + 1j
    # ... and as complex() does: not an instance attribute or __getattr__, but a method added later.
    Attr = kind("Attr", float=lambda self: 4.0, getattr=lambda self, name: lambda: 6j)
    x = Attr()
    x.__complex__ = lambda: 8j
    assert appended(v.ComplexVec, x) == complex(x) == 4
    Attr.__complex__ = lambda self: 2j
    assert appended(v.ComplexVec, x) == complex(x) == 2j


@pytest.mark.parametrize("cls, x, error, message", [
    ("RealVec", "1.5", TypeError, "argument 'value': must be real number, not str"),
    ("ComplexVec", [1.0], TypeError, "argument 'value': must be real number, not list"),
    ("RealVec", 1j, TypeError, "argument 'value': must be real number, not complex"),
    ("RealVec", 10**400, OverflowError, "int too large to convert to float"),
    ("ComplexVec", 10**400, OverflowError, "int too large to convert to float"),
    ("ComplexVec", kind("NotComplex", complex=lambda self: 1.5)(), TypeError,
     "argument 'value': __complex__ returned non-complex"),
    ("ComplexVec", kind("RaisingComplex", complex=no_complex_today)(), ValueError, "no complex today"),
])
def test_rejected_numbers(v, cls, x, error, message):
    vec = getattr(v, cls)(1)
    with pytest.raises(error) as e:
        vec.append(x)
    assert type(e.value) is error and str(e.value) == message
    assert len(vec) == 1


@pytest.mark.parametrize("x, accepted", [(3, True), (True, True), (np.uint8(5), True), (WithIndex(), True),
                                         (1.0, False), ("1", False), (WithFloat(), False)], ids=repr)
def test_integer_argument(v, x, accepted):
    if accepted:
        assert len(v.RealVec(x)) == v.ComplexSign(x).to_phase() == operator.index(x)
    else:
        with pytest.raises(TypeError, match=r"^argument 'n_element': .* cannot be interpreted as an integer$"):
            v.RealVec(x)


@pytest.fixture
def general(v):
    return v.GeneralFermionOperatorArray.from_ladder_product(v.Modes.from_count(8), [(0, True), (1, False)])


@pytest.mark.parametrize("modes, message", [
    ([2, 1], None), ((2, 1), None), (range(2, 0, -1), None), (np.array([2, 1]), None),
    ([np.int64(2), kind("One", index=lambda s: 1)()], None),
    (kind("ListReadThroughIter", list, iter=lambda self: iter([2, 1]))([5, 5]), None),
    ("21", "Can't extract `str` to `Vec`"),
    (iter([2, 1]), "'list_iterator' object cannot be converted to 'Sequence'"),
    ([2, "1"], "'str' object cannot be interpreted as an integer"),
], ids=repr)
def test_sequence_kinds(general, modes, message):
    if message is None:
        general.cmpnt_set_from_ops(0, modes, (True, False))
        assert general.cmpnt_get_ops(0) == ([2, 1], [True, False])
        return
    with pytest.raises(TypeError) as e:
        general.cmpnt_set_from_ops(0, modes, [True, False])
    assert str(e.value) == f"argument 'mode_inds': {message}"
    assert general.cmpnt_get_ops(0) == ([0, 1], [True, False])


def test_list_shrunk_during_conversion(general):
    # Read as its iterator reads it: the length at each step.
    modes = [kind("Clearing", index=lambda self: modes.clear() or 4)(), 5]
    general.cmpnt_set_from_ops(0, modes, [True])
    assert general.cmpnt_get_ops(0) == ([4], [True])


def paulis_x0(v):
    return v.QubitPauliArray(v.Qubits.from_count(2), v.PauliSprings("X0"))


@pytest.mark.parametrize("call, error, message", [
    (lambda v: v.RealVec(2).imul_elem("0", "x"), TypeError, "argument 'index': "),
    (lambda v: v.RealVec(2).__setitem__("0", "x"), TypeError, "argument 'index': "),
    (lambda v: paulis_x0(v).cmpnt_set_from_dict(0, {"k": "v"}), TypeError,
     "argument 'paulis': 'str' object cannot be interpreted as an integer"),
    (lambda v: paulis_x0(v).cmpnt_set_from_dict(0, {1: "v"}), TypeError,
     "argument 'paulis': 'str' object cannot be cast as 'PauliMatrix'"),
    (lambda v: paulis_x0(v).cmpnt_set_from_dict(0, {-1: v.PauliMatrix.X, "k": "v"}), OverflowError, ""),
], ids=["method", "setitem", "dict-key", "dict-value", "dict-order"])
def test_first_bad_value_is_reported(v, call, error, message):
    with pytest.raises(error, match="^" + re.escape(message)):
        call(v)


def ladder_product(cls, take=lambda r: r):
    return lambda v, ops: take(getattr(v, cls).from_ladder_product(v.Modes.from_count(4), ops)).cmpnt_to_string(0)


@pytest.mark.parametrize("name, load", [
    ("ops", ladder_product("GeneralFermionOperatorArray")),
    ("ops", ladder_product("NormalFermionOperatorArray", take=lambda r: r[0])),  # with its coefficients
    ("ladder_operators", lambda v, ops: v.JordanWignerMapper(v.Qubits.from_count(4)).op_load_product(ops)),
], ids=["general", "normal", "mapper"])
def test_ladder_pairs(v, name, load):
    # One reading of pairs for all three: any sequence of two, mode before flag.
    assert load(v, [(3, True), (1, False)]) == load(v, ((np.int64(3), True), [1, False]))
    for ops in ([("a", "b")], [["a", "b"]]):
        with pytest.raises(TypeError, match=rf"^argument '{name}': 'str' object cannot be interpreted as an integer$"):
            load(v, ops)
