"""QubitStateArray as a state vector: dense round trips in both bit orders,
inner products against np.vdot, one Pauli string acting on a basis state
against its dense matrix, and the register boundaries."""

import random

import numpy as np
import pytest
from reference import index_of, paulis, random_coeffs, random_states, random_strings, states, string_matrix, vec


def to_dense(a, coeffs, complex_, be):
    return (a.to_dense_complex if complex_ else a.to_dense_real)(coeffs, be)


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("n", [0, 1, 3, 6])
def test_dense_round_trips(v, n, complex_):
    rng = random.Random(n + 10 * complex_)
    for be in (False, True):
        rows, cs = random_states(rng, n, 6), random_coeffs(rng, 7, complex_)  # a spare coefficient
        d = to_dense(states(v, n, rows), vec(v, cs, complex_), complex_, be)
        want = np.zeros(2**n, complex if complex_ else float)
        for r, c in zip(rows, cs):
            want[index_of(r, be)] = c  # assigned: a repeated state keeps its last coefficient
        assert d == list(want)
        a, m, c = states(v, n, [(1,) * n]), v.Map(), vec(v, [9.0], complex_)
        (a.from_dense_complex if complex_ else a.from_dense_real)(m, c, d + [5.0, 6.0], be)  # entries past 2^n ignored
        assert len(a) == len(c) == len(m) == np.count_nonzero(want)
        assert to_dense(a, c, complex_, be) == d
        got = [index_of(tuple(a.cmpnt_get_list(i)), be) for i in range(len(a))]
        assert got == sorted(got)  # in increasing dense index


@pytest.mark.parametrize("complex_", [False, True])
def test_vdot(v, complex_):
    rng = random.Random(3 + complex_)
    n = 4
    lhs, rhs = sorted(set(random_states(rng, n, 8))), random_states(rng, n, 8)
    lc, rc = random_coeffs(rng, len(lhs), complex_), random_coeffs(rng, len(rhs), complex_)
    a, m = states(v, n, lhs), v.Map()
    a.refresh_map(m)
    f = a.vdot_complex if complex_ else a.vdot_real
    dl = np.array(to_dense(a, vec(v, lc, complex_), complex_, False))
    dr = sum(c * np.eye(2**n)[index_of(r)] for r, c in zip(rhs, rc))
    assert f(m, vec(v, lc, complex_), states(v, n, rhs), vec(v, rc, complex_)) == pytest.approx(np.vdot(dl, dr))
    with pytest.raises(ValueError, match="Coefficient vector of length 7 is shorter than the component list of len"):
        f(m, vec(v, lc, complex_), states(v, n, rhs), vec(v, rc[:7], complex_))


# Long strings against the rule X|b> = |!b>, Y|b> = i(-1)^b |!b>, Z|b> = (-1)^b |b>
# (itself checked against dense matrices on few qubits).
@pytest.mark.parametrize("n", [1, 3, 64, 65, 130])
def test_pauli_string_acts_on_basis_state(v, n):
    rng = random.Random(n)
    strings, rows = random_strings(rng, n, 12), random_states(rng, n, 12)
    a, p = states(v, n, rows), paulis(v, n, strings)
    for i, (s, r) in enumerate(zip(strings, rows)):
        k = a.cmpnt_pauli_string_imul(i - len(rows), p, i).to_phase()  # reduced: 0..3
        after = tuple(map(int, a.cmpnt_get_list(i)))
        assert after == tuple(b ^ (c in "XY") for b, c in zip(r, s))
        assert k == sum({"Y": 1 + 2 * b, "Z": 2 * b}.get(c, 0) for b, c in zip(r, s)) % 4
        assert n > 3 or string_matrix(s)[index_of(after), index_of(r)] == 1j**k
    with pytest.raises(ValueError, match="different qubit spaces"):
        a.cmpnt_pauli_string_imul(0, paulis(v, n + 1, strings[:1]), 0)
    with pytest.raises(IndexError, match="Element index 12 is out-of-bounds for container of length 12."):
        a.cmpnt_pauli_string_imul(12, p, 0)


def test_dense_boundaries(v):
    a = states(v, 0, [()])
    assert a.to_dense_real(vec(v, [5.0], False), True) == [5.0]
    a.from_dense_complex(v.Map(), vec(v, [], True), [7j, 8.0], True)
    assert len(a) == 1 and a.to_dense_complex(vec(v, [7j], True), False) == [7j]
    # -0.0 is zero; NaN and 1e-300 are not.
    z = states(v, 2, [])
    for complex_, xs, want in [(False, [-0.0, float("nan"), 1e-300], [(1, 0), (0, 1)]),
                               (True, [-0.0, complex(0, -0.0), 2j, complex("nan")], [(0, 1), (1, 1)])]:
        (z.from_dense_complex if complex_ else z.from_dense_real)(v.Map(), vec(v, [], complex_), xs, False)
        assert [tuple(map(int, z.cmpnt_get_list(i))) for i in range(len(z))] == want
    big = {n: states(v, n, []) for n in (63, 64)}
    with pytest.raises(IndexError, match="Element index 64 is out-of-bounds for a container with 64 elements."):
        big[64].to_dense_real(vec(v, [], False), False)
    with pytest.raises(IndexError, match="Element index 64 is out-of-bounds"):
        big[64].from_dense_real(v.Map(), vec(v, [], False), [1.0], False)
    with pytest.raises(MemoryError):
        big[63].to_dense_complex(vec(v, [], True), True)
    big[63].from_dense_real(v.Map(), vec(v, [], False), [0.0, 2.0], True)
    assert big[63].cmpnt_get_list(0) == [0] * 62 + [1]
