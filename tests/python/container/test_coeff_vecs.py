"""RealVec, ComplexVec, SignVec and ComplexSignVec from Python."""

import array
import copy
import math
import random

import numpy as np
import pytest

from vemo._vemo import ComplexSign, ComplexSignVec, ComplexVec, RealVec, Sign, SignVec

VEC_CLASSES = [RealVec, ComplexVec, SignVec, ComplexSignVec]


def sample(cls, k):
    """A value of the class's element kind, the k-th of a small varied set."""
    if cls is RealVec:
        return [0.5, -2.0, 3.25, 0.0][k % 4]
    if cls is ComplexVec:
        return [1 + 2j, -0.5j, 3.0, -1 - 1j][k % 4]
    if cls is SignVec:
        return Sign(k % 3 == 1)
    return ComplexSign(k % 4)


def plain(x):
    """A comparable Python value for an entry."""
    if isinstance(x, Sign):
        return -1 if x.to_phase() else 1
    if isinstance(x, ComplexSign):
        return [1, 1j, -1, -1j][x.to_phase()]
    return x


def unit(cls):
    return {RealVec: 1.0, ComplexVec: 1 + 0j, SignVec: 1, ComplexSignVec: 1}[cls]


def filled(cls, n):
    v = cls()
    for k in range(n):
        v.append(sample(cls, k))
    return v


def entries(v):
    return [plain(x) for x in v]


# ---------------------------------------------------------------- construction and reading


class TestConstruction:
    def test_units(self):
        assert RealVec(3).to_array() == [1.0, 1.0, 1.0]
        assert ComplexVec(2).to_array() == [1 + 0j, 1 + 0j]
        assert ComplexVec(1)[0] == 1 + 0j and isinstance(ComplexVec(1)[0], complex)
        assert str(SignVec(2)) == "[+1, +1]"
        assert str(ComplexSignVec(3)) == "[+1, +1, +1]"
        assert str(ComplexSignVec(0)) == "[]"

    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_lengths_and_argument_errors(self, cls):
        assert len(cls()) == 0 and len(cls(None)) == 0 and len(cls(n_element=4)) == 4
        with pytest.raises(OverflowError):
            cls(-1)
        with pytest.raises(OverflowError):
            cls(2**64)
        with pytest.raises(TypeError, match="n_element"):
            cls(1.5)
        with pytest.raises(TypeError):
            cls(size=1)

    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_impossible_sizes_are_memory_errors(self, cls):
        with pytest.raises(MemoryError):
            cls(2**62)
        v = filled(cls, 3)
        with pytest.raises(MemoryError):
            v.resize(2**63)
        assert len(v) == 3 and entries(v) == entries(filled(cls, 3))

    def test_float_vectors_have_default_object_repr(self):
        assert repr(RealVec(1)).startswith("<")
        assert str(ComplexVec(1)).startswith("<")


class TestIndexing:
    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_index_rule(self, cls):
        v = filled(cls, 3)
        assert plain(v[-1]) == plain(sample(cls, 2))
        assert plain(v[-3]) == plain(sample(cls, 0))
        with pytest.raises(IndexError, match=r"^Element index 3 is out-of-bounds for container of length 3\.$"):
            v[3]
        with pytest.raises(IndexError, match=r"^Element index -1 is out-of-bounds for container of length 3\.$"):
            v[-4]
        with pytest.raises(IndexError, match="Element index 0 is out-of-bounds for container of length 0."):
            cls()[0]
        with pytest.raises(TypeError, match="index"):
            v[1.0]
        with pytest.raises(TypeError):
            v["0"]

    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_item_assignment(self, cls):
        v = filled(cls, 3)
        v[-1] = sample(cls, 1)
        v[0] = sample(cls, 3)
        assert entries(v) == [plain(sample(cls, 3)), plain(sample(cls, 1)), plain(sample(cls, 1))]
        before = entries(v)
        with pytest.raises(IndexError, match="Element index 3 is out-of-bounds"):
            v[3] = sample(cls, 0)
        with pytest.raises(TypeError, match="value"):
            v[0] = "x"
        # The value is converted before the index is tested.
        with pytest.raises(TypeError, match="value"):
            v[7] = "x"
        with pytest.raises(TypeError, match="index"):
            v["a"] = "x"
        with pytest.raises(NotImplementedError, match="can't delete item"):
            del v[0]
        assert entries(v) == before

    def test_element_kinds(self):
        r = RealVec(1)
        r[0] = 3  # anything the interpreter converts to a float
        assert r[0] == 3.0 and isinstance(r[0], float)
        c = ComplexVec(1)
        c[0] = 2.5
        assert c[0] == 2.5 + 0j
        s = SignVec(1)
        with pytest.raises(TypeError, match="argument 'value': 'bool' object cannot be cast as 'Sign'"):
            s[0] = True
        cs = ComplexSignVec(1)
        with pytest.raises(TypeError, match="cannot be cast as 'ComplexSign'"):
            cs[0] = Sign(True)
        cs[0] = ComplexSign(255)
        assert cs[0].to_phase() == 3

    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_iteration_and_membership(self, cls):
        v = filled(cls, 5)
        assert entries(v) == [plain(sample(cls, k)) for k in range(5)]
        assert list(cls()) == []
        assert sample(cls, 2) in v

    def test_iteration_yields_new_objects(self):
        items = list(SignVec.from_phases(np.array([False, True])))
        assert [str(x) for x in items] == ["+1", "-1"]
        assert all(isinstance(x, Sign) for x in items)
        assert 2.0 in RealVec.from_array(np.array([1.0, 2.0]))
        assert 3.0 not in RealVec.from_array(np.array([1.0, 2.0]))


# ---------------------------------------------------------------- editing


class TestEditing:
    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_resize(self, cls):
        v = filled(cls, 2)
        v.resize(4)
        assert entries(v) == [plain(sample(cls, 0)), plain(sample(cls, 1)), unit(cls), unit(cls)]
        assert v.resize(1) is None
        assert entries(v) == [plain(sample(cls, 0))]
        v.resize(n=0)
        assert len(v) == 0
        with pytest.raises(OverflowError):
            v.resize(-1)

    def test_packed_resize_clears_dropped_entries(self):
        v = SignVec.from_phases(np.ones(70, dtype=bool))
        v.resize(3)
        assert str(v) == "[-1, -1, -1]"
        v.resize(70)
        assert entries(v) == [-1] * 3 + [1] * 67
        w = ComplexSignVec.from_phases(np.full(40, 3, dtype=np.uint8))
        w.resize(1)
        w.resize(40)
        assert entries(w) == [-1j] + [1] * 39

    def test_append_reduces_complex_sign(self):
        v = ComplexSignVec()
        v.append(ComplexSign(5))
        assert v[0].to_phase() == 1
        with pytest.raises(TypeError, match="value"):
            v.append(1)
        assert len(v) == 1

    def test_imul_elem(self):
        s = SignVec(1)
        s.imul_elem(0, Sign(True))
        assert str(s) == "[-1]"
        s.imul_elem(-1, other=Sign(False))
        assert str(s) == "[-1]"
        cs = ComplexSignVec.from_phases(np.array([3], dtype=np.uint8))
        cs.imul_elem(0, ComplexSign(2))
        assert cs[0].to_phase() == 1
        cs.imul_elem(0, ComplexSign(255))
        assert cs[0].to_phase() == 0
        r = RealVec.from_array(np.array([1.5, -2.0]))
        r.imul_elem(1, 3)
        assert r.to_array() == [1.5, -6.0]
        c = ComplexVec.from_array(np.array([1 + 2j]))
        c.imul_elem(0, 3 + 4j)
        assert c[0] == -5 + 10j

    def test_complex_product_is_written_out(self):
        # (inf + 0i) times i: re = 0 inf - 1 0 = NaN, im = 1 inf + 0 0 = inf.
        c = ComplexVec.from_array(np.array([complex(math.inf, 0)]))
        c.imul_elem(0, 1j)
        assert math.isnan(c[0].real) and c[0].imag == math.inf

    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_imul_elem_errors_leave_the_vector(self, cls):
        v = filled(cls, 3)
        before = entries(v)
        with pytest.raises(IndexError, match="Element index 3 is out-of-bounds for container of length 3."):
            v.imul_elem(3, sample(cls, 1))
        with pytest.raises(TypeError, match="other"):
            v.imul_elem(0, "x")
        with pytest.raises(TypeError, match="index"):
            v.imul_elem(0.0, sample(cls, 1))
        assert entries(v) == before

    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_extend(self, cls):
        v = filled(cls, 2)
        w = filled(cls, 3)
        v.extend_external(w)
        assert entries(v) == entries(filled(cls, 2)) + entries(filled(cls, 3))
        assert entries(w) == entries(filled(cls, 3))
        before = entries(v)
        with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
            v.extend_external(v)
        assert entries(v) == before
        v.extend_internal()
        assert entries(v) == before * 2
        with pytest.raises(TypeError, match="value"):
            v.extend_external([1])
        other = SignVec if cls is not SignVec else RealVec
        with pytest.raises(TypeError):
            v.extend_external(other(1))

    def test_extend_internal_doubles(self):
        v = RealVec.from_array(np.array([0.5, 2.0]))
        v.extend_internal()
        assert v.to_array() == [0.5, 2.0, 0.5, 2.0]


# ---------------------------------------------------------------- packed storage across word boundaries


@pytest.mark.parametrize("cls,per_word", [(SignVec, 64), (ComplexSignVec, 32)])
def test_packed_vectors_match_a_list(cls, per_word):
    rng = random.Random(5)

    def rand():
        return Sign(rng.random() < 0.5) if cls is SignVec else ComplexSign(rng.randrange(256))

    v = cls()
    model = []
    for step in range(1500):
        op = rng.randrange(6)
        if op == 0 or not model:
            x = rand()
            v.append(x)
            model.append(plain(x) if cls is SignVec else [1, 1j, -1, -1j][x.to_phase() % 4])
        elif op == 1:
            k = rng.randrange(len(model))
            x = rand()
            v[k] = x
            model[k] = plain(x) if cls is SignVec else [1, 1j, -1, -1j][x.to_phase() % 4]
        elif op == 2:
            k = rng.randrange(len(model))
            x = rand()
            v.imul_elem(k, x)
            factor = plain(x) if cls is SignVec else [1, 1j, -1, -1j][x.to_phase() % 4]
            model[k] = model[k] * factor
        elif op == 3:
            n = rng.randrange(3 * per_word)
            v.resize(n)
            model = (model + [1] * n)[:n]
        elif op == 4 and len(model) < 300:
            v.extend_internal()
            model = model + model
        else:
            w = cls(rng.randrange(per_word + 3))
            v.extend_external(w)
            model += [1] * len(w)
        assert len(v) == len(model)
        if step % 25 == 0 or len(model) % per_word in (0, 1, per_word - 1):
            assert entries(v) == model
    assert entries(v) == model


def test_entries_at_the_word_boundary():
    v = SignVec(130)
    for k in (63, 64, 127, 128):
        v[k] = Sign(True)
    assert [k for k, x in enumerate(v) if x.to_phase()] == [63, 64, 127, 128]
    cs = ComplexSignVec(66)
    cs[31] = ComplexSign(1)
    cs[32] = ComplexSign(2)
    cs[64] = ComplexSign(3)
    assert [(k, x.to_phase()) for k, x in enumerate(cs) if x.to_phase()] == [(31, 1), (32, 2), (64, 3)]


# ---------------------------------------------------------------- text


class TestParse:
    def test_real_list_and_term_forms(self):
        assert RealVec.parse("1, 2 ,3").to_array() == [1.0, 2.0, 3.0]
        assert RealVec.parse("(0.5, X0), (-1, Z1)").to_array() == [0.5, -1.0]
        assert RealVec.parse("((2, X0))").to_array() == [2.0]
        assert RealVec.parse(" 1e400, -1e-400").to_array() == [math.inf, -0.0]
        assert ComplexVec.parse("1+2i, -i, 2j").to_array() == [1 + 2j, -1j, 2j]
        assert str(SignVec.parse("+1, -1, 01")) == "[+1, -1, +1]"
        assert str(ComplexSignVec.parse("(i, X0), (-1, Y2), (-i, Z3)")) == "[+i, -1, -i]"

    @pytest.mark.parametrize(
        "cls,text,message",
        [
            (RealVec, "1,2,", 'Value  of type "&str" is not representable as type "f64"'),
            (RealVec, "", 'Value  of type "&str" is not representable as type "f64"'),
            (RealVec, "1, x", 'Value  x of type "&str" is not representable as type "f64"'),
            (RealVec, "0x10", 'Value 0x10 of type "&str" is not representable as type "f64"'),
            (RealVec, "1_0", 'Value 1_0 of type "&str" is not representable as type "f64"'),
            (RealVec, "nan(1)", 'Value nan(1) of type "&str" is not representable as type "f64"'),
            (ComplexVec, "1+", 'Value 1+ of type "&str" is not representable as type "Complex<f64>"'),
            (SignVec, "1.0", 'Value 1.0 of type "&str" is not representable as type "Sign"'),
            (SignVec, "1, i", 'Value  i of type "&str" is not representable as type "Sign"'),
            (ComplexSignVec, "(2, X0)", 'Value 2 of type "&str" is not representable as type "ComplexSign"'),
        ],
    )
    def test_refusals(self, cls, text, message):
        with pytest.raises(ValueError) as e:
            cls.parse(text)
        assert str(e.value) == message

    def test_source_must_be_text(self):
        with pytest.raises(TypeError, match="source"):
            RealVec.parse(1)
        assert RealVec.parse(source="4").to_array() == [4.0]


# ---------------------------------------------------------------- NumPy input


class TestNumpy:
    def test_from_array(self):
        a = np.array([0.5, -1.0, 2.0])
        assert RealVec.from_array(a).to_array() == [0.5, -1.0, 2.0]
        z = np.array([1 + 2j, -3j])
        assert ComplexVec.from_array(source=z).to_array() == [1 + 2j, -3j]
        assert len(RealVec.from_array(np.array([], dtype=np.float64))) == 0

    def test_strided_views(self):
        a = np.arange(10.0)
        assert RealVec.from_array(a[::2]).to_array() == [0.0, 2.0, 4.0, 6.0, 8.0]
        assert RealVec.from_array(a[::-3]).to_array() == [9.0, 6.0, 3.0, 0.0]
        m = np.arange(12.0).reshape(3, 4)
        assert RealVec.from_array(m[:, 1]).to_array() == [1.0, 5.0, 9.0]
        z = (np.arange(6) * (1 + 1j))[1::2]
        assert ComplexVec.from_array(z).to_array() == [1 + 1j, 3 + 3j, 5 + 5j]
        b = np.array([True, False, True, True, False, False])
        assert str(SignVec.from_phases(b[::2])) == "[-1, -1, +1]"
        p = np.arange(10, dtype=np.uint8)
        assert str(ComplexSignVec.from_phases(p[::3])) == "[+1, -i, -1, +i]"

    def test_from_phases(self):
        assert str(SignVec.from_phases(np.array([True, False]))) == "[-1, +1]"
        assert str(ComplexSignVec.from_phases(np.array([5, 2], dtype=np.uint8))) == "[+i, -1]"
        bits = np.random.default_rng(3).random(200) < 0.5
        v = SignVec.from_phases(bits)
        assert [x.to_phase() for x in v] == list(bits)
        assert all(0 <= x.to_phase() <= 3 for x in ComplexSignVec.from_phases(np.arange(256, dtype=np.uint8)))

    @pytest.mark.parametrize(
        "bad",
        [
            np.array([1, 2], dtype=np.int64),
            np.array([1, 2], dtype=np.float32),
            np.zeros((2, 2)),
            np.float64(1.0),
            np.array(1.0),
            np.array([1.0, 2.0], dtype=">f8"),
            np.array([1.0, 2.0], dtype=object),
            np.array(["1.0"]),
            np.array(["2024-01-01"], dtype="datetime64[D]"),
            memoryview(b"12345678"),
            b"12345678",
            array.array("d", [1.0]),
            [1.0, 2.0],
        ],
    )
    def test_real_from_array_refuses(self, bad):
        with pytest.raises(TypeError, match="source"):
            RealVec.from_array(bad)

    def test_other_refusals(self):
        with pytest.raises(TypeError, match="source"):
            ComplexVec.from_array(np.array([1.0]))
        with pytest.raises(TypeError, match="source"):
            SignVec.from_phases(np.array([1, 0], dtype=np.int64))
        with pytest.raises(TypeError, match="source"):
            SignVec.from_phases(np.array([1, 0], dtype=np.uint8))
        with pytest.raises(TypeError, match="source"):
            ComplexSignVec.from_phases(np.array([True]))
        with pytest.raises(TypeError, match="source"):
            ComplexSignVec.from_phases(np.zeros((1, 1), dtype=np.uint8))


# ---------------------------------------------------------------- comparison, identity, copies


class TestComparison:
    def test_all_insignificant(self):
        v = RealVec.from_array(np.array([1e-8, -1e-8]))
        assert v.all_insignificant(1e-8)
        v.append(2e-8)
        assert not v.all_insignificant(atol=1e-8)
        assert RealVec.from_array(np.array([math.nan])).all_insignificant(0.0)
        assert RealVec().all_insignificant(0.0)
        c = ComplexVec.from_array(np.array([3e-9 + 4e-9j]))
        assert c.all_insignificant(5e-9)
        assert not c.all_insignificant(4.9e-9)
        with pytest.raises(TypeError, match="atol"):
            c.all_insignificant("x")

    def test_float_equality(self):
        nan = RealVec.from_array(np.array([math.nan]))
        assert nan == nan
        assert nan != RealVec.from_array(np.array([math.nan]))
        assert RealVec.from_array(np.array([0.0])) == RealVec.from_array(np.array([-0.0]))
        zero = ComplexVec(1)
        zero[0] = 0j
        assert ComplexVec.from_array(np.array([complex(-0.0, -0.0)])) == zero
        assert RealVec(2) == RealVec(2)
        assert RealVec(2) != RealVec(3)
        assert (RealVec(2) == ComplexVec(2)) is False
        assert (RealVec(2) != ComplexVec(2)) is True
        with pytest.raises(TypeError):
            RealVec(2) < RealVec(2)

    @pytest.mark.parametrize("cls", VEC_CLASSES)
    def test_equality_and_identity(self, cls):
        x, y = filled(cls, 4), filled(cls, 4)
        assert x == y and not (x != y)
        y[3] = sample(cls, 1)
        assert x != y
        assert x.same_as(x)
        assert not x.same_as(filled(cls, 4))
        assert (x == [1]) is False
        with pytest.raises(TypeError):
            hash(x)
        with pytest.raises(TypeError, match="other"):
            x.same_as(RealVec(1) if cls is not RealVec else ComplexVec(1))

    def test_same_as_refuses_other_classes(self):
        with pytest.raises(TypeError):
            RealVec(1).same_as(ComplexVec(1))

    @pytest.mark.parametrize("cls", [SignVec, ComplexSignVec])
    def test_copies_are_independent(self, cls):
        x = filled(cls, 70)
        for y in (copy.copy(x), copy.deepcopy(x), x.__copy__(), x.__deepcopy__(None)):
            assert y == x and not y.same_as(x)
            y[0] = sample(cls, 1)
            y.append(sample(cls, 2))
        assert entries(x) == entries(filled(cls, 70))
        with pytest.raises(TypeError):
            x.__deepcopy__()


def test_docs():
    for cls in VEC_CLASSES:
        name = cls.__name__
        assert cls.__doc__ == f"A {name} wrapper for Python."
        assert cls.__text_signature__ == "(n_element=0)"
        assert cls.same_as.__doc__ == "Return whether the two instances are the same."
        assert cls.imul_elem.__text_signature__ == "($self, index, other)"
        assert cls.extend_external.__doc__ == "Extend `self` with `value` where `value` is different to `self`."
        assert cls.parse.__doc__ == "Try to read from a string"
        assert cls.parse.__text_signature__ == "(source)"
    assert RealVec.from_array.__doc__ == "Get a new instance from a python array of phases."
    assert SignVec.from_phases.__doc__ == "Get a new instance from a python array of phases."
    assert RealVec.all_insignificant.__doc__ == "Determine whether this vector is nearly zero in all elements."
    assert not hasattr(RealVec, "__copy__") and not hasattr(RealVec, "from_phases")
    assert not hasattr(SignVec, "to_array") and not hasattr(SignVec, "from_array")
