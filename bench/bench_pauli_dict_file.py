"""A Pauli operator leaving and re-entering the process.

Workloads:
  1. the dict form of 10^5 random strings on 50 qubits: QubitPauliArray.to_dict and
     from_dict against Qiskit's SparsePauliOp.to_list and from_list of the same
     operator (target: vemo at least 5x faster both ways);
  2. the binary file of 10^6 random strings on 100 qubits: save_to_file and
     load_from_file in MB/s of file (target: at least 200 MB/s each way).

Qiskit is optional and skipped with a note when it is not installed. Before it is
timed its strings are checked against vemo's. Every figure is the best of --repeat runs.

Usage: python bench/bench_pauli_dict_file.py [--quick] [--repeat N]
"""

import argparse
import os
import tempfile
import time

import numpy as np

import vemo

Q = vemo.QubitPauliArray


def random_labels(rng, n, m):
    """m strings on n qubits as Qiskit labels (qubit 0 last) and as vemo text."""
    letters = np.array(list("IXYZ"))[rng.integers(0, 4, (m, n))]
    labels = ["".join(row[::-1]) for row in letters]
    text = ", ".join(" ".join(f"{p}{q}" for q, p in enumerate(row) if p != "I") for row in letters)
    return labels, text


def best(f, repeat):
    times, out = [], None
    for _ in range(repeat):
        t = time.perf_counter()
        out = f()
        times.append(time.perf_counter() - t)
    return min(times), out


def dict_form(n, m, repeat):
    rng = np.random.default_rng(1)
    labels, text = random_labels(rng, n, m)
    a = Q.from_dict({"qubits": list(range(n)), "cmpnts": text})
    t_to, d = best(a.to_dict, repeat)
    t_from, b = best(lambda: Q.from_dict(d), repeat)
    assert b == a and d["cmpnts"] == text
    print(f"dict form, {m} strings on {n} qubits ({len(text) / 1e6:.1f} MB of text)")
    print(f"  vemo    to_dict   {t_to * 1e3:8.1f} ms   from_dict {t_from * 1e3:8.1f} ms")
    try:
        from qiskit.quantum_info import SparsePauliOp
    except ImportError:
        print("  Qiskit not installed: peer skipped (pip install qiskit)")
        return
    op = SparsePauliOp.from_list([(label, 1.0) for label in labels])
    t_qto, lst = best(op.to_list, repeat)
    t_qfrom, op2 = best(lambda: SparsePauliOp.from_list(lst), repeat)
    assert [label for label, _ in lst] == labels and op2 == op
    print(f"  Qiskit  to_list   {t_qto * 1e3:8.1f} ms   from_list {t_qfrom * 1e3:8.1f} ms")
    print(f"  Qiskit / vemo     {t_qto / t_to:8.1f} x    {t_qfrom / t_from:14.1f} x   (target >= 5 x)")


def binary_file(n, m, repeat):
    rng = np.random.default_rng(2)
    # 10^5 random strings, drawn m times at random: the file's bytes are as random.
    _, text = random_labels(rng, n, min(m, 10**5))
    pool = Q.from_dict({"qubits": list(range(n)), "cmpnts": text})
    a = pool.cmpnts_clone(rng.integers(0, len(pool), m).tolist())
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "ops.bin")
        t_save, _ = best(lambda: a.save_to_file(path), repeat)
        size = os.path.getsize(path) / 1e6
        t_load, b = best(lambda: Q.load_from_file(path), repeat)
        assert b == a
    print(f"binary file, {m} strings on {n} qubits ({size:.1f} MB)")
    print(f"  save {size / t_save:8.0f} MB/s   load {size / t_load:8.0f} MB/s   (target >= 200 MB/s each way)")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--quick", action="store_true", help="a tenth of the sizes")
    p.add_argument("--repeat", type=int, default=5)
    args = p.parse_args()
    scale = 10 if args.quick else 1
    dict_form(50, 10**5 // scale, args.repeat)
    binary_file(100, 10**6 // scale, args.repeat)


if __name__ == "__main__":
    main()
