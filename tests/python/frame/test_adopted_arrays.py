"""NumPy results that take over vemo's memory (projections, compatibility
matrices, the data of sparse matrices): the array's base holds the memory and
cannot be changed from Python, so nothing frees it under a live array; the
arrays stay writable and the base still reads as the array."""

import gc
import random

import numpy as np
import pytest
from reference import paulis, random_coeffs, random_states, random_strings, states, vec

v = pytest.importorskip("vemo._vemo")
Q = v.QubitPauliArray
N = 4


def operator(seed, complex_):
    rng = random.Random(seed)
    strings = random_strings(rng, N, 6)
    return paulis(v, N, strings), vec(v, random_coeffs(rng, len(strings), complex_), complex_)


def subspace(seed):
    return states(v, N, sorted(set(random_states(random.Random(seed), N, 8))))


def nonortho(seed, complex_, which):
    rng = random.Random(seed)
    rows = [sorted(set(random_states(rng, N, 3))) for _ in range(4)]
    arrays, maps = [states(v, N, r) for r in rows], [v.Map() for _ in rows]
    for a, m in zip(arrays, maps):
        a.refresh_map(m)
    coeffs = [vec(v, random_coeffs(rng, len(r), complex_), complex_) for r in rows]
    f = Q.lincomb_project_into_nonortho_subspace_complex if complex_ else Q.lincomb_project_into_nonortho_subspace_real
    return f(*operator(seed, complex_), arrays, maps, coeffs)[which]


def ortho(seed, complex_):
    f = Q.lincomb_project_into_ortho_subspace_complex if complex_ else Q.lincomb_project_into_ortho_subspace_real
    return f(*operator(seed, complex_), subspace(seed))


# Each makes a new adopted array; the seed varies the contents.
PRODUCERS = {
    "ortho projection (real)": lambda s: ortho(s, False),
    "ortho projection (complex)": lambda s: ortho(s, True),
    "nonortho projection h": lambda s: nonortho(s, True, 0),
    "nonortho projection s": lambda s: nonortho(s, False, 1),
    "compatibility matrix": lambda s: operator(s, False)[0].compatibility_matrix(),
    "sparse matrix data": lambda s: Q.lincomb_to_sparse_complex(*operator(s, True), False).data,
    "string's sparse matrix data": lambda s: operator(s, False)[0].cmpnt_to_sparse_matrix(0, True).data,
}


def holder(arr):
    """The object that holds the memory: the first base that is not an array."""
    b = arr.base
    while isinstance(b, np.ndarray):
        b = b.base
    return b


def set_attr(name, value):
    return lambda b: setattr(b, name, value)


def del_attr(name):
    return lambda b: delattr(b, name)


CHANGES = {
    "del owner": del_attr("owner"),
    "del __array_interface__": del_attr("__array_interface__"),
    "set owner": set_attr("owner", None),
    "set __array_interface__": set_attr("__array_interface__", {}),
    "set a new attribute": set_attr("x", 1),
    "__dict__": lambda b: b.__dict__,
    "vars": vars,
    "object.__delattr__": lambda b: object.__delattr__(b, "owner"),
    "object.__setattr__": lambda b: object.__setattr__(b, "__array_interface__", {}),
    "descriptor delete": lambda b: type(b).__array_interface__.__delete__(b),
    "set __class__": set_attr("__class__", type("Other", (), {})),
    "new instance": lambda b: type(b)(),
}


@pytest.mark.parametrize("make", PRODUCERS.values(), ids=PRODUCERS.keys())
def test_base_cannot_be_changed_and_the_array_stays_valid(make):
    arr = make(1)
    assert arr.size > 0 and arr.flags.writeable
    kept, b = arr.copy(), holder(arr)
    assert np.shares_memory(np.asarray(b), arr)
    allowed = []
    for name, change in CHANGES.items():
        try:
            change(b)
            allowed.append(name)
        except (AttributeError, TypeError):
            pass
    assert allowed == []
    del b
    # Memory freed here would be reused by the next results: fill them, then compare.
    others = [make(2 + k) for k in range(3)]
    for o in others:
        o[...] = 7
    gc.collect()
    assert np.array_equal(arr, kept)
    arr[...] = 3
    assert all((o == 7).all() for o in others)


@pytest.mark.parametrize("make", PRODUCERS.values(), ids=PRODUCERS.keys())
def test_base_reads_as_the_array_and_keeps_it_alive(make):
    arr = make(1)
    b = holder(arr)
    assert type(b).__name__ not in dir(v)
    again = np.asarray(b)
    assert holder(again) is b and np.shares_memory(again, arr)
    assert again.dtype == arr.dtype and again.size == arr.size and again.flags.writeable
    kept = arr.copy()
    del arr, b
    others = [make(2 + k) for k in range(3)]
    for o in others:
        o[...] = 7
    gc.collect()
    assert np.array_equal(again.reshape(kept.shape), kept)
