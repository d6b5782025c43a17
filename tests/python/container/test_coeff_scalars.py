"""Sign and ComplexSign: construction, printing, products, powers, comparison."""


import numpy as np
import pytest

import vemo._vemo as vm
from vemo._vemo import ComplexSign, Sign

VALUES = [1, 1j, -1, -1j]


def value(cs):
    return VALUES[cs.to_phase() % 4]


def test_no_unit_classes():  # the module's order is checked with the frame
    assert not hasattr(vm, "Unity") and not hasattr(vm, "UnityVec")


def test_sign():
    assert str(Sign(False)) == "+1" and repr(Sign(True)) == "-1"
    assert Sign(True).to_phase() is True and Sign(is_minus_one=False).to_phase() is False
    assert str(Sign(np.bool_(True))) == "-1" and str(Sign(np.array([False])[0])) == "+1"
    for a in (False, True):
        for b in (False, True):
            assert (Sign(a) * Sign(b)).to_phase() == (a != b)
    for bad in (1, None, np.int64(1), np.array(True)):
        with pytest.raises(TypeError, match="is_minus_one"):
            Sign(bad)


def test_complex_sign_bytes():
    for p in range(256):
        assert str(ComplexSign(p)) == ["+1", "+i", "-1", "-i"][p % 4] and ComplexSign(p).to_phase() == p
    p = ComplexSign(3) * ComplexSign(3)
    assert str(p) == "-1" and p.to_phase() == 6
    q = ComplexSign(255) * ComplexSign(1)
    assert str(q) == "+1" and q.to_phase() == 0
    for a in range(0, 256, 7):
        for b in range(0, 256, 11):
            r = ComplexSign(a) * ComplexSign(b)
            assert r.to_phase() == (a + b) % 256 and value(r) == value(ComplexSign(a)) * value(ComplexSign(b))
    for bad in (256, -1, -(2**40)):
        with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
            ComplexSign(bad)
    assert ComplexSign(power_of_i=np.uint8(7)).to_phase() == 7


def test_powers():
    for p in range(9):
        for e in range(-9, 10):
            r = ComplexSign(p) ** e
            assert 0 <= r.to_phase() <= 3 and value(r) == value(ComplexSign(p)) ** e
    assert str(ComplexSign(1) ** -1) == "-i" and str(ComplexSign(2) ** -3) == "-1"
    assert str(pow(ComplexSign(1), 3, 7)) == "-i" and str(pow(ComplexSign(1), 3, None)) == "-i"
    assert (ComplexSign(3) ** -(2**31)).to_phase() == 0
    assert (ComplexSign(3) ** (2**31 - 1)).to_phase() == 1  # (-i)^(4k+3) = +i
    for refused in (
        lambda: ComplexSign(1) ** 2.0,
        lambda: ComplexSign(1) ** 2**31,
        lambda: 2 ** ComplexSign(1),
        lambda: Sign(True) ** 2,
    ):
        with pytest.raises(TypeError):
            refused()


@pytest.mark.parametrize("cls,arg,square", [(Sign, True, "+1"), (ComplexSign, 3, "-1")])
def test_in_place_products(cls, arg, square):
    x = cls(arg)
    y = x
    x *= cls(arg)
    assert x is y and str(y) == square  # one object changed in place
    z = x
    x *= x  # the operand cannot be borrowed twice: x is rebound to a new product
    assert x is not z and str(z) == square and str(x) == "+1"


def test_comparison():
    assert Sign(False) == Sign(False) and Sign(False) != Sign(True)
    assert (Sign(False) == False) is False and (Sign(False) != False) is True  # noqa: E712
    assert ComplexSign(6) == ComplexSign(2) and ComplexSign(255) == ComplexSign(3)  # powers modulo 4
    assert ComplexSign(1) != ComplexSign(3) and (ComplexSign(0) == 1) is False
