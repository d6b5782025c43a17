"""Sign and ComplexSign: construction, printing, products, powers, comparison, copies."""

import copy

import numpy as np
import pytest

from vemo._vemo import ComplexSign, Sign

VALUES = [1, 1j, -1, -1j]


def value(cs):
    return VALUES[cs.to_phase() % 4]


class TestSign:
    def test_printed_forms_and_phase(self):
        assert str(Sign(False)) == "+1" and repr(Sign(True)) == "-1"
        assert Sign(True).to_phase() is True
        assert Sign(False).to_phase() is False
        assert str(Sign(is_minus_one=True)) == "-1"

    def test_products(self):
        for a in (False, True):
            for b in (False, True):
                p = Sign(a) * Sign(b)
                assert p.to_phase() == (a != b)
        assert str(Sign(True) * Sign(True)) == "+1"
        assert str(Sign(False) * Sign(True)) == "-1"

    def test_numpy_bool_is_accepted(self):
        assert str(Sign(np.bool_(True))) == "-1"
        assert str(Sign(np.array([False])[0])) == "+1"

    @pytest.mark.parametrize("bad", [1, 0, 1.0, "True", None, np.int64(1)])
    def test_only_bools(self, bad):
        with pytest.raises(TypeError, match="is_minus_one"):
            Sign(bad)

    def test_argument_errors(self):
        with pytest.raises(TypeError, match="missing 1 required positional argument: 'is_minus_one'"):
            Sign()
        with pytest.raises(TypeError, match="unexpected keyword argument 'minus'"):
            Sign(minus=True)
        with pytest.raises(TypeError, match="takes 1 positional arguments but 2 were given"):
            Sign(True, False)

    def test_in_place_product_changes_the_object(self):
        x = Sign(True)
        y = x
        x *= Sign(True)
        assert x is y
        assert str(x) == "+1" and str(y) == "+1"

    def test_in_place_square_rebinds(self):
        x = Sign(True)
        y = x
        x *= x
        assert x is not y
        assert str(x) == "+1"
        assert str(y) == "-1"

    def test_equality_and_order(self):
        assert Sign(False) == Sign(False)
        assert Sign(False) != Sign(True)
        assert not (Sign(False) != Sign(False))
        assert (Sign(False) == False) is False  # noqa: E712
        assert (Sign(False) != False) is True  # noqa: E712
        assert Sign(True) != -1
        with pytest.raises(TypeError):
            Sign(False) < Sign(True)
        with pytest.raises(TypeError):
            Sign(False) >= Sign(True)
        with pytest.raises(TypeError):
            hash(Sign(False))

    def test_foreign_operands(self):
        with pytest.raises(TypeError):
            Sign(True) * 2
        with pytest.raises(TypeError):
            2 * Sign(True)
        with pytest.raises(TypeError):
            Sign(True) * ComplexSign(1)
        with pytest.raises(TypeError):
            Sign(True) ** 2
        x = Sign(True)
        with pytest.raises(TypeError):
            x *= 2
        assert str(x) == "-1"

    def test_copies(self):
        x = Sign(True)
        for y in (copy.copy(x), copy.deepcopy(x), x.__copy__(), x.__deepcopy__({})):
            assert y is not x and y == x
        y = copy.copy(x)
        y *= Sign(True)
        assert str(x) == "-1"
        with pytest.raises(TypeError):
            x.__deepcopy__()
        assert str(x.__deepcopy__(_memo=None)) == "-1"

    def test_docs(self):
        assert Sign.__doc__ == "A Sign wrapper for Python."
        assert Sign.__text_signature__ == "(is_minus_one)"
        assert Sign.to_phase.__doc__ == "Get the raw phase bool."
        assert Sign.__copy__.__doc__ == "Return shallow copy."
        assert Sign.__deepcopy__.__text_signature__ == "($self, _memo)"


class TestComplexSign:
    def test_printed_forms_read_the_byte_modulo_4(self):
        for p in range(256):
            assert str(ComplexSign(p)) == ["+1", "+i", "-1", "-i"][p % 4]
            assert ComplexSign(p).to_phase() == p
        assert repr(ComplexSign(5)) == "+i"

    def test_products_add_bytes_modulo_256(self):
        p = ComplexSign(3) * ComplexSign(3)
        assert str(p) == "-1" and p.to_phase() == 6
        q = ComplexSign(255) * ComplexSign(1)
        assert q.to_phase() == 0 and str(q) == "+1"
        for a in range(0, 256, 7):
            for b in range(0, 256, 11):
                r = ComplexSign(a) * ComplexSign(b)
                assert r.to_phase() == (a + b) % 256
                assert value(r) == value(ComplexSign(a)) * value(ComplexSign(b))

    def test_constructor_range(self):
        for bad in (256, -1, -(2**40)):
            with pytest.raises(OverflowError, match="out of range integral type conversion attempted"):
                ComplexSign(bad)
        with pytest.raises(OverflowError):
            ComplexSign(2**70)
        with pytest.raises(TypeError, match="power_of_i"):
            ComplexSign(1.0)
        with pytest.raises(TypeError, match="power_of_i"):
            ComplexSign("1")
        assert ComplexSign(power_of_i=np.uint8(7)).to_phase() == 7

    def test_powers(self):
        assert str(ComplexSign(1) ** 2) == "-1"
        assert str(ComplexSign(1) ** -1) == "-i"
        assert (ComplexSign(1) ** -1).to_phase() == 3
        assert str(ComplexSign(0) ** -1) == "+1"
        assert str(ComplexSign(2) ** -3) == "-1"
        assert str(pow(ComplexSign(1), 3, 7)) == "-i"
        assert str(pow(ComplexSign(1), 3, None)) == "-i"
        assert (ComplexSign(7) ** 0).to_phase() == 0

    def test_powers_against_complex_arithmetic(self):
        for p in range(9):
            for e in range(-9, 10):
                r = ComplexSign(p) ** e
                assert 0 <= r.to_phase() <= 3
                assert value(r) == value(ComplexSign(p)) ** e
        lo, hi = -(2**31), 2**31 - 1
        assert (ComplexSign(3) ** lo).to_phase() == 0
        assert (ComplexSign(3) ** hi).to_phase() == 1  # (-i)^(4k+3) = +i
        assert (ComplexSign(1) ** lo).to_phase() == 0
        assert (ComplexSign(2) ** hi).to_phase() == 2

    def test_powers_refused(self):
        with pytest.raises(TypeError):
            ComplexSign(1) ** 2.0
        with pytest.raises(TypeError):
            ComplexSign(1) ** 2**40
        with pytest.raises(TypeError):
            ComplexSign(1) ** 2**31
        with pytest.raises(TypeError):
            2 ** ComplexSign(1)
        with pytest.raises(TypeError):
            pow(ComplexSign(1), 2, 2**40)
        with pytest.raises(TypeError):
            pow(ComplexSign(1), 2, 1.5)
        with pytest.raises(TypeError):
            ComplexSign(1) ** ComplexSign(1)

    def test_in_place_product(self):
        x = ComplexSign(3)
        y = x
        x *= ComplexSign(3)
        assert x is y and y.to_phase() == 6
        z = x
        x *= x
        assert x is not z and x.to_phase() == 12 and z.to_phase() == 6

    def test_equality_compares_powers(self):
        assert ComplexSign(6) == ComplexSign(2)
        assert ComplexSign(1) != ComplexSign(3)
        assert ComplexSign(255) == ComplexSign(3)
        assert (ComplexSign(0) == 1) is False
        assert (ComplexSign(0) == Sign(False)) is False
        with pytest.raises(TypeError):
            ComplexSign(0) <= ComplexSign(1)
        with pytest.raises(TypeError):
            hash(ComplexSign(0))

    def test_copies_keep_the_byte(self):
        x = ComplexSign(7)
        y = copy.deepcopy(x)
        assert y is not x and y.to_phase() == 7
        assert copy.copy(x).to_phase() == 7

    def test_docs(self):
        assert ComplexSign.__doc__ == "A ComplexSign wrapper for Python."
        assert ComplexSign.__text_signature__ == "(power_of_i)"
        assert ComplexSign.to_phase.__doc__ == "Get the raw phase byte."
        assert ComplexSign.__deepcopy__.__doc__ == "Return deep copy."
