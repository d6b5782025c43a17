"""Whole-array Pauli algebra: vemo against NumPy on the same data.

Workloads:
  1. compatibility_matrix of 5,000 random strings on 128 qubits (uint8 n x n):
     against NumPy's symplectic product of the same bit planes, as float32
     matrix products through BLAS ((X Z^T + Z X^T) mod 2) and as packed
     64-bit words with bitwise_count, in row blocks. Target: vemo at least
     10x faster than the faster NumPy form, per pair.
  2. lexicographic_sort_with_complex_vec of 10^6 distinct random strings on
     64 qubits: against numpy.lexsort on the packed (x, z) words, alone and
     followed by the gather of the words and of the complex vector. Target:
     vemo at least as fast as lexsort alone.

Every result is checked before it is timed: the compatibility matrices are
compared entry by entry, and the sort's permutation (read from the moved
coefficients) must equal lexsort's. Each figure is the best of --repeat runs.

Usage: python bench/bench_pauli_array.py [--repeat N]
"""

import argparse
import time

import numpy as np

import vemo

Q = vemo.QubitPauliArray
LETTERS = np.array(["I", "X", "Z", "Y"])  # index x + 2 z


def best(f, repeat):
    times = []
    for _ in range(repeat):
        t0 = time.perf_counter()
        f()
        times.append(time.perf_counter() - t0)
    return min(times)


def array_of(x, z):
    rows = []
    for xr, zr in zip(x, z):
        letters = LETTERS[xr.astype(int) + 2 * zr.astype(int)]
        rows.append(" ".join(f"{p}{q}" for q, p in enumerate(letters) if p != "I") or "I0")
    return Q(vemo.Qubits.from_count(x.shape[1]), vemo.PauliSprings(", ".join(rows)))


def packed(b):
    """Rows of uint64 words, qubit q at bit q % 64 of word q // 64."""
    return np.packbits(b, axis=1, bitorder="little").view("<u8")


# ---------------------------------------------------------------- compatibility


def numpy_blas(x, z):
    xf, zf = x.astype(np.float32), z.astype(np.float32)
    return (((xf @ zf.T + zf @ xf.T) % 2) == 0).astype(np.uint8)


def numpy_words(x, z, block=256):
    xw, zw = packed(x), packed(z)
    out = np.empty((len(x), len(x)), dtype=np.uint8)
    for i in range(0, len(x), block):
        anti = (xw[i : i + block, None, :] & zw[None]) ^ (zw[i : i + block, None, :] & xw[None])
        out[i : i + block] = (np.bitwise_count(anti).sum(axis=2) % 2) == 0
    return out


def bench_compatibility(repeat, n_str=5000, n_qubit=128):
    rng = np.random.default_rng(1)
    x, z = rng.integers(0, 2, (2, n_str, n_qubit)).astype(bool)
    a = array_of(x, z)
    got = a.compatibility_matrix()
    assert got.dtype == np.uint8 and np.array_equal(got, numpy_blas(x, z)) and np.array_equal(got, numpy_words(x, z))
    pairs = n_str * n_str
    t_vemo = best(a.compatibility_matrix, repeat)
    t_blas = best(lambda: numpy_blas(x, z), max(1, repeat // 2))
    t_words = best(lambda: numpy_words(x, z), max(1, repeat // 2))
    peer = min(t_blas, t_words)
    print(f"compatibility_matrix, {n_str} strings x {n_qubit} qubits (ns per pair of the {n_str}^2 entries)")
    print(f"  vemo                        {1e9 * t_vemo / pairs:8.2f}")
    print(f"  NumPy float32 BLAS          {1e9 * t_blas / pairs:8.2f}")
    print(f"  NumPy packed bitwise_count  {1e9 * t_words / pairs:8.2f}")
    print(f"  faster NumPy / vemo         {peer / t_vemo:8.1f}x   (target: at least 10x)")


# ---------------------------------------------------------------- sorting


def bench_sort(repeat, side=1000, n_qubit=64):
    """side^2 strings: the products of two random lists, all distinct (checked)."""
    rng = np.random.default_rng(2)
    xa, za, xb, zb = rng.integers(0, 2, (4, side, n_qubit)).astype(bool)
    a, b, ones = array_of(xa, za), array_of(xb, zb), vemo.RealVec.from_array(np.ones(side))

    def unsorted():
        out = Q(vemo.Qubits.from_count(n_qubit))
        Q.lincomb_mul_real(a, ones, b, ones, out, vemo.Map(), vemo.ComplexVec())
        return out

    n = side * side
    assert len(unsorted()) == n, "repeated product strings"
    # Product (i, j) comes at place i side + j; its words are the exclusive or of its factors' words.
    kx = (packed(xa)[:, None, 0] ^ packed(xb)[None, :, 0]).ravel()
    kz = (packed(za)[:, None, 0] ^ packed(zb)[None, :, 0]).ravel()
    coeffs = np.arange(n) + 0.5j  # the real part names the place before sorting

    times = []
    for _ in range(repeat):
        arr, cv = unsorted(), vemo.ComplexVec.from_array(coeffs)
        t0 = time.perf_counter()
        arr.lexicographic_sort_with_complex_vec(cv, True)
        times.append(time.perf_counter() - t0)
        assert np.array_equal(np.asarray(cv.to_array()).real.astype(np.int64), np.lexsort((kz, kx)))
    t_vemo = min(times)
    t_lex = best(lambda: np.lexsort((kz, kx)), repeat)

    def lex_and_gather():
        p = np.lexsort((kz, kx))
        return kx[p], kz[p], coeffs[p]

    t_gather = best(lex_and_gather, repeat)
    print(f"lexicographic sort of {n} distinct strings on {n_qubit} qubits with a ComplexVec (ms)")
    print(f"  vemo                        {1e3 * t_vemo:8.1f}")
    print(f"  numpy.lexsort               {1e3 * t_lex:8.1f}")
    print(f"  numpy.lexsort + gather      {1e3 * t_gather:8.1f}")
    print(f"  lexsort / vemo              {t_lex / t_vemo:8.2f}x   (target: at least 1x)")


if __name__ == "__main__":
    ap = argparse.ArgumentParser()
    ap.add_argument("--repeat", type=int, default=5)
    args = ap.parse_args()
    bench_compatibility(args.repeat)
    bench_sort(args.repeat)
