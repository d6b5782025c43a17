"""Dense references for fermion tests: Jordan-Wigner ladder matrices.

Basis index bit m is the occupation of mode m; c_m|s> = (-1)^(occupied modes
below m) |s + m>, and a_m is its transpose.
"""

import functools

import numpy as np

from vemo._vemo import ComplexVec, Modes, NormalFermionOperatorArray, RealVec


@functools.cache
def ladder(n, m, creation):
    s = np.arange(1 << n)
    src = s[((s >> m) & 1) != creation]
    below = np.array([bin(x & ((1 << m) - 1)).count("1") % 2 for x in src])
    d = np.zeros((1 << n, 1 << n))
    d[src ^ (1 << m), src] = 1.0 - 2.0 * below
    return d


def of_ops(n, ops):
    """The matrix of ladder operators (mode, is_creation) in written order."""
    d = np.eye(1 << n)
    for m, cre in ops:
        d = d @ ladder(n, m, cre)
    return d


def normal_ops(arr, i):
    cre, ann = arr.cmpnt_get_sets(i)
    return [(m, True) for m in cre] + [(m, False) for m in ann]


def of_normal(arr, coeffs, n):
    c = coeffs.to_array()
    d = np.zeros((1 << n, 1 << n), dtype=complex)
    for i in range(min(len(arr), len(c))):
        d += c[i] * of_ops(n, normal_ops(arr, i))
    return d


def of_general(arr, coeffs, n):
    c = coeffs.to_array()
    d = np.zeros((1 << n, 1 << n), dtype=complex)
    for i in range(min(len(arr), len(c))):
        modes, adj = arr.cmpnt_get_ops(i)
        d += c[i] * of_ops(n, zip(modes, adj))
    return d


def random_coeffs(rng, k, complex_):
    if complex_:
        return ComplexVec.from_array(rng.integers(-3, 4, k) + 1j * rng.integers(-3, 4, k))
    return RealVec.from_array(rng.integers(-3, 4, k).astype(float))


def random_normal(rng, n, k, p=0.3, modes=None):
    """k random normal components on n modes (each mode in each set with probability p)."""
    a = NormalFermionOperatorArray(modes if modes is not None else Modes.from_count(n))
    for i in range(k):
        a.append_clear()
        a.cmpnt_set_from_sets(i, {m for m in range(n) if rng.random() < p}, {m for m in range(n) if rng.random() < p})
    return a
