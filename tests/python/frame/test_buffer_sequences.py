"""Float and complex sequences read from their buffer, through from_dense_* of both state lists: a
float64 or complex128 array with any strides, a memoryview or array.array of them give the states and
coefficients of the same values as a list, bit for bit; other dtypes, byte orders and shapes, arrays
of Python objects and subclasses that read their items in their own way (a masked array) are read
item by item as before, with the same results and errors; a stride-0 view longer than memory is refused
before the list changes."""

import array
import math
import warnings

import numpy as np
import pytest

N = 3  # 8 dense entries
REAL = [0.0, -0.0, 1.5, math.nan, -math.inf, 5e-324, 0.0, -2.0]  # -0.0 counts as zero, NaN does not
COMPLEX = [0j, complex(-0.0, -0.0), 1.5j, complex(math.nan, 1), complex(0, -math.inf), 5e-324, 3 - 4j, 0j]


def make(v, cls):
    return getattr(v, cls)(v.Qubits.from_count(N) if cls == "QubitStateArray" else v.Modes.from_count(N), None)


def dense(v, cls, complex_, source):
    """The outcome of from_dense_*: states, map size and coefficient bits, or the error raised."""
    s, m, c = make(v, cls), v.Map(), (v.ComplexVec if complex_ else v.RealVec)(0)
    try:
        (s.from_dense_complex if complex_ else s.from_dense_real)(m, c, source, True)
    except Exception as e:  # noqa: BLE001 - the error is the outcome compared
        return type(e), str(e)
    bits = np.array(c.to_array(), complex if complex_ else float).view(np.uint64).tolist()
    return [s.cmpnt_to_string(i) for i in range(len(s))], len(m), bits


class Plain(np.ndarray):
    """A subclass that reads its items as an ndarray does."""


class Doubled(np.ndarray):
    """Its items read as twice what its buffer holds."""

    def __getitem__(self, k):
        return 2 * np.asarray(self)[k]

    def __iter__(self):
        return (2 * x for x in np.asarray(self))


def spread(a, step):
    """A view of `a` whose items lie `step` apart (backwards for a negative step)."""
    base = np.full(len(a) * abs(step), 7.0, a.dtype)
    base[:: abs(step)] = a
    return base[::step] if step > 0 else base[::-1][abs(step) - 1 :: abs(step)]


def read_only(a):
    a = a.copy()
    a.flags.writeable = False
    return a


SOURCES = {
    "contiguous": lambda a: a,
    "every third": lambda a: spread(a, 3),
    "every second, backwards": lambda a: spread(a[::-1], -2),
    "read-only": read_only,
    "unaligned": lambda a: np.frombuffer(b"\0" + a.tobytes(), a.dtype, offset=1),
    "memoryview": memoryview,  # of 'Zd' too, which a memoryview cannot iterate
    "ndarray subclass": lambda a: a.view(Plain),
}


@pytest.mark.parametrize("cls", ["QubitStateArray", "FermionStateArray"])
@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("kind", SOURCES)
def test_buffer_gives_what_the_list_gives(v, cls, complex_, kind):
    values = COMPLEX if complex_ else REAL
    source = SOURCES[kind](np.array(values, complex if complex_ else float))
    want = dense(v, cls, complex_, list(values))
    assert isinstance(want[0], list) and len(want[0]) == 5  # NaN kept, -0.0 dropped
    assert dense(v, cls, complex_, source) == want


@pytest.mark.parametrize("cls", ["QubitStateArray", "FermionStateArray"])
def test_other_buffers_of_doubles(v, cls):
    want = dense(v, cls, False, REAL)
    assert dense(v, cls, False, array.array("d", REAL)) == want
    assert dense(v, cls, False, memoryview(array.array("d", REAL)).cast("B").cast("d")) == want
    assert dense(v, cls, False, np.lib.stride_tricks.as_strided(np.array([2.5]), (8,), (0,))) == dense(
        v, cls, False, [2.5] * 8)
    assert dense(v, cls, False, np.array([])) == dense(v, cls, False, []) == ([], 0, [])


# (dtype, values, taken as complex): arrays that are not exactly the method's scalar in native order.
OTHER = [
    ("f4", REAL, False), ("f4", REAL, True), ("i8", [0, 3, -1, 0, 0, 0, 0, 2], False), ("?", [1, 0] * 4, False),
    ("O", REAL, False), (">f8", REAL, False), (">c16", COMPLEX, True), ("c8", COMPLEX, True),
    ("c16", [1 + 0j] * 8, False),  # a complex array where floats are taken
    ("f8", REAL, True),  # a float array where complex numbers are taken: converted item by item
    ("U1", list("10x00000"), False),  # str items: refused one by one
]


@pytest.mark.parametrize("cls", ["QubitStateArray", "FermionStateArray"])
@pytest.mark.parametrize("dtype, values, complex_", OTHER, ids=lambda x: str(x)[:12])
def test_other_dtypes_are_read_item_by_item(v, cls, dtype, values, complex_):
    with np.errstate(all="ignore"):
        a = np.array(values, dtype)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # both readings warn alike
        assert dense(v, cls, complex_, a) == dense(v, cls, complex_, list(a))


@pytest.mark.parametrize("cls", ["QubitStateArray", "FermionStateArray"])
@pytest.mark.parametrize("complex_", [False, True])
def test_subclasses_with_their_own_items_are_read_item_by_item(v, cls, complex_):
    values = COMPLEX if complex_ else REAL
    a = np.array(values, complex if complex_ else float)
    masked = np.ma.masked_array(a, mask=[0, 0, 1, 0, 0, 1, 0, 0])
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # both readings warn alike
        assert dense(v, cls, complex_, a.view(Doubled)) == dense(v, cls, complex_, [2 * x for x in a])
        assert dense(v, cls, complex_, masked) == dense(v, cls, complex_, list(masked))


@pytest.mark.parametrize("cls", ["QubitStateArray", "FermionStateArray"])
@pytest.mark.parametrize("complex_", [False, True])
def test_other_shapes_are_read_item_by_item(v, cls, complex_):
    a = np.array(COMPLEX if complex_ else REAL, complex if complex_ else float)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        for grid in (a.reshape(2, 4), a.reshape(8, 1), a[:1].reshape(1, 1)):
            assert dense(v, cls, complex_, grid) == dense(v, cls, complex_, list(grid))
    with pytest.raises(TypeError) as e:
        iter(a[0, ...])
    assert dense(v, cls, complex_, a[0, ...]) == (TypeError, f"argument 'source': {e.value}")  # a 0-d array
    assert dense(v, cls, complex_, a[0]) == (  # a scalar: it has a buffer, but is no sequence
        TypeError, f"argument 'source': '{a.dtype}' object cannot be converted to 'Sequence'")


@pytest.mark.parametrize("cls", ["QubitStateArray", "FermionStateArray"])
@pytest.mark.parametrize("complex_, what", [(False, "a list of floats"), (True, "a list of complex numbers")])
def test_view_longer_than_memory_is_refused(v, cls, complex_, what):
    huge = np.lib.stride_tricks.as_strided(np.ones(1, complex if complex_ else float), (2**58,), (0,))
    s, m, c = make(v, cls), v.Map(), (v.ComplexVec if complex_ else v.RealVec)(0)
    s.from_dense_real(m, v.RealVec(0), [0.0, 1.0], False)
    with pytest.raises(MemoryError, match=f"^Cannot allocate {what} of {2**58} entries "):
        (s.from_dense_complex if complex_ else s.from_dense_real)(m, c, huge, False)
    assert (len(s), len(m), len(c), s.cmpnt_to_string(0)) == (1, 1, 0, "[1, 0, 0]")
