"""Sparse matrices and matrix elements of Pauli sums: vemo against the peers.

Workloads:
  1. The CSR matrix of a 1,000-term random Pauli sum on 14 qubits (2^14 rows,
     about 16 million stored entries): vemo, Qiskit (SparsePauliOp.to_matrix
     with sparse=True) and OpenFermion (get_sparse_operator). Target: vemo at
     least 2x faster than Qiskit.
  2. Matrix elements of a 5,000-term operator between 2,000 basis states on
     30 qubits (4 million state pairs): vemo's seconds (no peer offers it).

Peers are optional (``pip install qiskit openfermion``) and skipped with a note
when missing. Before a peer is timed its matrix is compared with vemo's.

Usage: python bench/bench_pauli_sparse.py [--repeat N]
"""

import argparse
import time

import numpy as np

import vemo

Q = vemo.QubitPauliArray
LETTERS = "IXYZ"


def random_sum(rng, n, m):
    codes = rng.integers(0, 4, (m, n))
    return codes, rng.standard_normal(m)


def vemo_text(codes):
    return ", ".join(" ".join(f"{LETTERS[c]}{q}" for q, c in enumerate(row) if c) or "I0" for row in codes)


def best(f, repeat):
    times = []
    for _ in range(repeat):
        t = time.perf_counter()
        out = f()
        times.append(time.perf_counter() - t)
    return min(times), out


def bench_sparse(repeat):
    n, m = 14, 1000
    rng = np.random.default_rng(1)
    codes, coeffs = random_sum(rng, n, m)
    a = Q(vemo.Qubits.from_count(n), vemo.PauliSprings(vemo_text(codes)))
    c = vemo.RealVec.from_array(coeffs)
    t_vemo, mat = best(lambda: Q.lincomb_to_sparse_real(a, c, False), repeat)
    print(f"CSR of {m} terms on {n} qubits ({mat.nnz} entries)")
    print(f"  vemo         {t_vemo:8.3f} s")
    try:
        from qiskit.quantum_info import SparsePauliOp
    except ImportError:
        print("  qiskit       not installed (pip install qiskit)")
    else:
        # Qiskit labels put qubit 0 last; its index order is vemo's little-endian one.
        op = SparsePauliOp(["".join(LETTERS[x] for x in reversed(row)) for row in codes], coeffs)
        t, ref = best(lambda: op.to_matrix(sparse=True), repeat)
        assert abs(ref - mat).max() < 1e-9
        print(f"  qiskit       {t:8.3f} s   vemo is {t / t_vemo:5.1f}x faster (target >= 2x)")
    try:
        from openfermion import QubitOperator, get_sparse_operator
    except ImportError:
        print("  openfermion  not installed (pip install openfermion)")
    else:
        op = QubitOperator()
        for row, x in zip(codes, coeffs):
            op += QubitOperator(tuple((q, LETTERS[p]) for q, p in enumerate(row) if p), x)
        t, ref = best(lambda: get_sparse_operator(op, n_qubits=n), 1)
        # OpenFermion puts qubit 0 at the most significant index bit.
        assert abs(ref - Q.lincomb_to_sparse_real(a, c, True)).max() < 1e-9
        print(f"  openfermion  {t:8.3f} s   vemo is {t / t_vemo:5.1f}x faster")


def bench_mat_elem(repeat):
    n, m, d = 30, 5000, 2000
    rng = np.random.default_rng(2)
    codes, coeffs = random_sum(rng, n, m)
    a = Q(vemo.Qubits.from_count(n), vemo.PauliSprings(vemo_text(codes)))
    c = vemo.RealVec.from_array(coeffs)
    bits = rng.integers(0, 2, (d, n))
    states = vemo.QubitStateArray(
        vemo.Qubits.from_count(n), vemo.BinarySprings(", ".join("[" + ", ".join(map(str, r)) + "]" for r in bits))
    )
    sc = vemo.RealVec.from_array(rng.standard_normal(d))
    t, _ = best(lambda: a.mat_elem_real(c, states, sc, states, sc), repeat)
    print(f"Matrix element of {m} terms between {d} x {d} basis states on {n} qubits")
    print(f"  vemo         {t:8.3f} s")


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--repeat", type=int, default=3)
    args = p.parse_args()
    bench_sparse(args.repeat)
    if hasattr(vemo, "QubitStateArray") and hasattr(Q, "mat_elem_real"):
        bench_mat_elem(args.repeat)
    else:
        print("Matrix elements: this build has no QubitStateArray")


if __name__ == "__main__":
    main()
