"""Dense vectors and inner products of both basis-state lists need a
coefficient per state: a shorter vector is refused, the tail of a longer one
ignored. Results are checked against amplitudes summed here."""

import random

import numpy as np
import pytest
from reference import index_of, vec

from vemo._vemo import FermionStateArray, Map, Modes, QubitStateArray, Qubits, RealVec

LISTS = {"qubit": (QubitStateArray, Qubits.from_count), "fermion": (FermionStateArray, Modes.from_count)}
SHORT = "Coefficient vector of length {} is shorter than the component list of length {}."


def random_case(v, kind, seed, k, complex_, distinct=False, n=4):
    rng = random.Random(seed)
    rows = [tuple(rng.randrange(2) for _ in range(n)) for _ in range(k)]
    rows = list(dict.fromkeys(rows)) if distinct else rows  # the map finds each state once
    xs = [complex(rng.randint(-3, 3), rng.randint(-3, 3)) if complex_ else float(rng.randint(-3, 3)) for _ in rows]
    cls, space = LISTS[kind]
    a = cls(space(n))
    for i, r in enumerate(rows):
        a.append_clear()
        a.cmpnt_set_from_list(i, [bool(b) for b in r])
    return a, rows, xs


@pytest.mark.parametrize("kind", LISTS)
@pytest.mark.parametrize("complex_, big_endian", [(False, False), (True, True)])
def test_state_vectors_need_a_coefficient_per_state(v, kind, complex_, big_endian):
    a, rows, xs = random_case(v, kind, 1 + complex_, 10, complex_, distinct=True)
    b, rhs_rows, rx = random_case(v, kind, 5 + complex_, 12, complex_)
    want = np.zeros(16, complex)
    for r, x in zip(rows, xs):
        want[index_of(r, big_endian)] = x
    f = a.to_dense_complex if complex_ else a.to_dense_real
    assert f(vec(v, xs, complex_), big_endian) == list(want) == f(vec(v, xs + [7.0, 8.0], complex_), big_endian)
    for short in (0, len(xs) - 1):
        with pytest.raises(ValueError, match=SHORT.format(short, len(xs))):
            f(vec(v, xs[:short], complex_), big_endian)
    m, lhs = Map(), dict(zip(rows, xs))
    a.refresh_map(m)
    dot = sum(np.conj(lhs.get(r, 0)) * x for r, x in zip(rhs_rows, rx))  # repeats on the right add up
    f = a.vdot_complex if complex_ else a.vdot_real
    assert f(m, vec(v, xs, complex_), b, vec(v, rx, complex_)) == pytest.approx(dot)
    assert f(m, vec(v, xs + [9.0], complex_), b, vec(v, rx + [9.0], complex_)) == pytest.approx(dot)
    with pytest.raises(ValueError, match=SHORT.format(len(xs) - 1, len(xs))):
        f(m, vec(v, xs[:-1], complex_), b, vec(v, rx[:-1], complex_))  # the left side is checked first
    with pytest.raises(ValueError, match=SHORT.format(11, 12)):
        f(m, vec(v, xs, complex_), b, vec(v, rx[:-1], complex_))


@pytest.mark.parametrize("cls, space", LISTS.values())
def test_too_wide_a_list_is_refused_before_its_coefficients(cls, space):
    a = cls(space(64))
    a.append_clear()
    with pytest.raises(IndexError, match="index 64 is out-of-bounds"):
        a.to_dense_real(RealVec(0), False)
