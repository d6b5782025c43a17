"""The rule both basis-state lists share for a state vector (list plus
coefficients): every state needs its coefficient, so dense vectors and inner
products refuse a shorter coefficient vector and ignore the tail of a longer
one. Results are checked against dense vectors built here, one basis vector
per state."""

import random

import numpy as np
import pytest

from vemo._vemo import ComplexVec, FermionStateArray, Map, Modes, QubitStateArray, Qubits, RealVec

LISTS = {"qubit": (QubitStateArray, Qubits.from_count), "fermion": (FermionStateArray, Modes.from_count)}
SHORT = "Coefficient vector of length {} is shorter than the component list of length {}."


def make(kind, n, rows):
    cls, space = LISTS[kind]
    a = cls(space(n))
    for i, r in enumerate(rows):
        a.append_clear()
        a.cmpnt_set_from_list(i, [bool(b) for b in r])
    return a


def coeffs(xs, complex_):
    return (ComplexVec if complex_ else RealVec).from_array(np.array(xs, complex if complex_ else float))


def dense(rows, xs, n, complex_, big_endian=False):
    """Amplitudes assigned in list order, so a repeated state keeps its last one."""
    out = np.zeros(2**n, complex if complex_ else float)
    for r, x in zip(rows, xs):
        out[sum(b << (n - 1 - q if big_endian else q) for q, b in enumerate(r))] = x
    return out


def random_case(seed, n, k, complex_):
    rng = random.Random(seed)
    rows = [tuple(rng.randrange(2) for _ in range(n)) for _ in range(k)]
    xs = [complex(rng.randint(-3, 3), rng.randint(-3, 3)) if complex_ else float(rng.randint(-3, 3)) for _ in range(k)]
    return rows, xs


@pytest.mark.parametrize("kind", LISTS)
@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("big_endian", [False, True])
def test_to_dense_needs_a_coefficient_per_state(kind, complex_, big_endian):
    n = 4
    rows, xs = random_case(n + 2 * complex_ + big_endian, n, 9, complex_)
    a = make(kind, n, rows)
    f = a.to_dense_complex if complex_ else a.to_dense_real
    want = dense(rows, xs, n, complex_, big_endian)
    assert f(coeffs(xs, complex_), big_endian) == list(want)
    assert f(coeffs(xs + [7.0, 8.0], complex_), big_endian) == list(want)
    for short in (0, 8):
        with pytest.raises(ValueError, match=SHORT.format(short, 9)):
            f(coeffs(xs[:short], complex_), big_endian)
    assert a == make(kind, n, rows)


@pytest.mark.parametrize("kind", LISTS)
@pytest.mark.parametrize("complex_", [False, True])
def test_vdot_needs_a_coefficient_per_state_on_each_side(kind, complex_):
    n = 4
    lhs_rows, lx = random_case(1 + complex_, n, 10, complex_)
    lhs_rows = list(dict.fromkeys(lhs_rows))  # distinct: the map finds each state once
    lx = lx[: len(lhs_rows)]
    rhs_rows, rx = random_case(5 + complex_, n, 12, complex_)
    a, m, b = make(kind, n, lhs_rows), Map(), make(kind, n, rhs_rows)
    a.refresh_map(m)
    f = a.vdot_complex if complex_ else a.vdot_real
    rhs_dense = sum(dense([r], [x], n, True) for r, x in zip(rhs_rows, rx))  # repeats add up
    want = np.vdot(dense(lhs_rows, lx, n, complex_), rhs_dense)
    assert f(m, coeffs(lx, complex_), b, coeffs(rx, complex_)) == pytest.approx(want)
    assert f(m, coeffs(lx + [9.0], complex_), b, coeffs(rx + [9.0], complex_)) == pytest.approx(want)
    with pytest.raises(ValueError, match=SHORT.format(len(lx) - 1, len(lx))):
        f(m, coeffs(lx[:-1], complex_), b, coeffs(rx[:-1], complex_))  # the left side is checked first
    with pytest.raises(ValueError, match=SHORT.format(11, 12)):
        f(m, coeffs(lx, complex_), b, coeffs(rx[:-1], complex_))
    assert a == make(kind, n, lhs_rows) and len(m) == len(lhs_rows)


@pytest.mark.parametrize("kind", LISTS)
def test_too_wide_a_list_is_refused_before_its_coefficients(kind):
    a = make(kind, 64, [(0,) * 64])
    with pytest.raises(IndexError, match="index 64 is out-of-bounds"):
        a.to_dense_real(RealVec(0), False)
