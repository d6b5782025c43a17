"""RealVec, ComplexVec, SignVec and ComplexSignVec from Python."""

import copy
import math
import random

import numpy as np
import pytest

from vemo._vemo import ComplexSign, ComplexSignVec, ComplexVec, RealVec, Sign, SignVec

VEC_CLASSES = [RealVec, ComplexVec, SignVec, ComplexSignVec]
POWERS = [1, 1j, -1, -1j]
UNIT = {RealVec: 1.0, ComplexVec: 1 + 0j, SignVec: 1, ComplexSignVec: 1}


def sample(cls, k):
    """The k-th of a small varied set of values of the class's element kind."""
    if cls is RealVec:
        return [0.5, -2.0, 3.25, 0.0][k % 4]
    if cls is ComplexVec:
        return [1 + 2j, -0.5j, 3.0, -1 - 1j][k % 4]
    return Sign(k % 3 == 1) if cls is SignVec else ComplexSign(k % 4 + 4 * (k % 3))


def plain(x):
    if isinstance(x, Sign):
        return -1 if x.to_phase() else 1
    return POWERS[x.to_phase() % 4] if isinstance(x, ComplexSign) else x


def filled(cls, n):
    v = cls()
    for k in range(n):
        v.append(sample(cls, k))
    return v


def entries(v):
    return [plain(x) for x in v]


def test_construction():
    assert RealVec(3).to_array() == [1.0, 1.0, 1.0] and str(SignVec(2)) == "[+1, +1]" and str(ComplexSignVec(0)) == "[]"


@pytest.mark.parametrize("cls", VEC_CLASSES)
def test_sizes(cls):
    assert len(cls()) == 0 and len(cls(n_element=4)) == 4
    with pytest.raises(MemoryError):
        cls(2**62)
    v = filled(cls, 2)
    v.resize(4)
    assert entries(v) == entries(filled(cls, 2)) + [UNIT[cls]] * 2
    assert v.resize(n=1) is None and entries(v) == entries(filled(cls, 1))
    with pytest.raises(MemoryError):
        v.resize(2**63)
    assert entries(v) == entries(filled(cls, 1))


@pytest.mark.parametrize("cls", VEC_CLASSES)
def test_items(cls):
    v = filled(cls, 3)
    assert plain(v[-1]) == plain(sample(cls, 2)) and plain(v[-3]) == plain(sample(cls, 0))
    with pytest.raises(IndexError, match=r"^Element index -1 is out-of-bounds for container of length 3\.$"):
        v[-4]
    expected = entries(v)
    with pytest.raises(IndexError, match="Element index 3 is out-of-bounds"):
        v[3] = sample(cls, 0)
    assert entries(v) == expected
    assert sample(cls, 1) in v and list(cls()) == []


def test_element_kinds():
    r, c = RealVec(1), ComplexVec(1)
    r[0] = c[0] = 3  # anything the interpreter converts to a float (complex)
    assert isinstance(r[0], float) and r[0] == 3.0 and c[0] == 3 + 0j
    cs = ComplexSignVec()
    cs.append(ComplexSign(5))
    assert cs[0].to_phase() == 1  # stored modulo 4
    items = list(SignVec.from_phases(np.array([False, True])))
    assert [str(x) for x in items] == ["+1", "-1"] and all(isinstance(x, Sign) for x in items)
    assert 2.0 in RealVec.from_array(np.array([1.0, 2.0]))


def test_complex_products_in_the_written_order():
    c = ComplexVec.from_array(np.array([1 + 2j, complex(math.inf, 0)]))
    c.imul_elem(0, 3 + 4j)
    assert c[0] == -5 + 10j
    # Written out: (inf + 0i) i has re = 0 inf - 1 0 = NaN, im = 1 inf + 0 0 = inf.
    c.imul_elem(index=-1, other=1j)
    assert math.isnan(c[1].real) and c[1].imag == math.inf


# Every vector against a list, across the 64- and 32-entry words of the packed ones.
@pytest.mark.parametrize("cls", VEC_CLASSES)
def test_vectors_match_a_list(cls):
    rng = random.Random(5)
    v, model = cls(), []
    for step in range(1200):
        op = rng.randrange(6)
        x = ComplexSign(rng.randrange(256)) if cls is ComplexSignVec else sample(cls, rng.randrange(12))
        if op == 0 or not model:
            v.append(x)
            model.append(plain(x))
        elif op == 1:
            k = rng.randrange(-len(model), len(model))
            v.imul_elem(k, x)
            model[k] *= plain(x)
        elif op == 2:
            n = rng.randrange(150)
            v.resize(n)
            model = (model + [UNIT[cls]] * n)[:n]
        elif op == 3 and len(model) < 300:
            v.extend_internal()
            model += model
        elif op == 4:
            k = rng.randrange(len(model))
            v[k] = x
            model[k] = plain(x)
        else:
            w = filled(cls, rng.randrange(40))
            v.extend_external(w)
            model += entries(w)
        assert entries(v) == model


def test_parse():
    assert RealVec.parse("1, 2 ,3").to_array() == [1.0, 2.0, 3.0]
    assert RealVec.parse("(0.5, X0), (-1, Z1)").to_array() == [0.5, -1.0]
    assert RealVec.parse(source="((2, X0))").to_array() == [2.0]
    assert RealVec.parse(" 1e400, -1e-400, +1.5, 2 ").to_array() == [math.inf, -0.0, 1.5, 2.0]
    assert ComplexVec.parse("1+2i, -i, 2j, 1 - 2i").to_array() == [1 + 2j, -1j, 2j, 1 - 2j]
    assert str(SignVec.parse("+1, -1, 01")) == "[+1, -1, +1]"
    assert str(ComplexSignVec.parse("(i, X0), (-1, Y2), (-i, Z3)")) == "[+i, -1, -i]"


@pytest.mark.parametrize(
    "cls,text,value",
    [(RealVec, "1,2,", ""), (RealVec, "1, x", " x"), (ComplexVec, "1+", "1+"), (SignVec, "1.0", "1.0"),
     (ComplexSignVec, "(2, X0)", "2")],
)
def test_parse_refusals(cls, text, value):
    target = {RealVec: "f64", ComplexVec: "Complex<f64>", SignVec: "Sign", ComplexSignVec: "ComplexSign"}[cls]
    with pytest.raises(ValueError) as e:
        cls.parse(text)
    assert str(e.value) == f'Value {value} of type "&str" is not representable as type "{target}"'


def test_numpy_input():
    # Strided and reversed views are read element by element.
    assert RealVec.from_array(np.arange(10.0)[::-3]).to_array() == [9.0, 6.0, 3.0, 0.0]
    assert RealVec.from_array(np.arange(12.0).reshape(3, 4)[:, 1]).to_array() == [1.0, 5.0, 9.0]
    assert len(RealVec.from_array(np.array([], dtype=np.float64))) == 0
    assert ComplexVec.from_array(source=(np.arange(6) * (1 + 1j))[1::2]).to_array() == [1 + 1j, 3 + 3j, 5 + 5j]
    assert str(ComplexSignVec.from_phases(np.arange(10, dtype=np.uint8)[::3])) == "[+1, -i, -1, +i]"
    bits = np.random.default_rng(3).random(200) < 0.5
    assert [x.to_phase() for x in SignVec.from_phases(bits[::-2])] == list(bits[::-2])


def test_all_insignificant():
    v = RealVec.from_array(np.array([1e-8, -1e-8]))
    assert v.all_insignificant(1e-8)  # equal to atol is insignificant
    v.append(2e-8)
    assert not v.all_insignificant(atol=1e-8)
    assert RealVec.from_array(np.array([math.nan])).all_insignificant(0.0) and RealVec().all_insignificant(0.0)
    c = ComplexVec.from_array(np.array([3e-9 + 4e-9j]))
    assert c.all_insignificant(5e-9) and not c.all_insignificant(4.9e-9)


def test_float_equality():
    nan = RealVec.from_array(np.array([math.nan]))
    assert nan == nan and nan != RealVec.from_array(np.array([math.nan]))
    assert RealVec.from_array(np.array([0.0])) == RealVec.from_array(np.array([-0.0]))
    assert ComplexVec.from_array(np.array([complex(-0.0, -0.0)])) == ComplexVec.from_array(np.array([0j]))
    assert (RealVec(2) == ComplexVec(2)) is False and (RealVec(2) != ComplexVec(2)) is True


@pytest.mark.parametrize("cls", VEC_CLASSES)
def test_equality_and_identity(cls):
    x, y = filled(cls, 4), filled(cls, 4)
    assert x == y and not (x != y) and x != filled(cls, 3)
    y[3] = sample(cls, 1)
    assert x != y
    assert x.same_as(x) and not x.same_as(filled(cls, 4)) and (x == [1]) is False


@pytest.mark.parametrize("cls", [SignVec, ComplexSignVec])
def test_copies_are_independent(cls):
    x = filled(cls, 70)
    for y in (copy.copy(x), copy.deepcopy(x), x.__deepcopy__(None)):
        assert y == x and not y.same_as(x)
        y[0] = sample(cls, 1)
    assert entries(x) == entries(filled(cls, 70))
