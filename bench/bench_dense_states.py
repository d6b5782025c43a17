"""Reading a dense state vector from a NumPy array into a state list, beside ComplexVec.from_array of
the same array (a plain copy of its buffer), and beside the same values given as a list.

Target: QubitStateArray and FermionStateArray .from_dense_complex of a 2^20-entry complex128 array with
1 entry in 1024 nonzero within 3x of ComplexVec.from_array of it. The real rows are shown beside
RealVec.from_array with no target: a float64 array is half the bytes to copy, while the state list still
scans its entries twice.
Run: PYTHONPATH=<stage dir> python bench/bench_dense_states.py [--quick]
"""

import argparse
import time

import numpy as np

import vemo

TARGET = 3.0


def best_ms(f, repeat):
    times = []
    for _ in range(repeat):
        t = time.perf_counter()
        f()
        times.append(time.perf_counter() - t)
    return min(times) * 1e3


def source(n, complex_, rng):
    a = np.zeros(2**n, complex if complex_ else float)
    hot = rng.choice(2**n, 2**n // 1024, replace=False)
    a[hot] = rng.normal(size=hot.size) + (1j * rng.normal(size=hot.size) if complex_ else 0)
    return a


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true", help="2^16 entries, fewer repeats")
    args = parser.parse_args()
    n, repeat = (16, 3) if args.quick else (20, 7)
    rng = np.random.default_rng(1)
    lists = {
        "QubitStateArray": lambda: vemo.QubitStateArray(vemo.Qubits.from_count(n), None),
        "FermionStateArray": lambda: vemo.FermionStateArray(vemo.Modes.from_count(n), None),
    }
    print(f"2^{n} entries, 1 in 1024 nonzero; best of {repeat} (ms); target: from_dense_complex within {TARGET}x "
          "of ComplexVec.from_array")
    print(f"{'call':<40} {'from_dense':>11} {'from_array':>11} {'ratio':>6}  {'from a list':>11}")
    worst = 0.0
    for complex_ in (True, False):
        a = source(n, complex_, rng)
        vec_cls, kind = (vemo.ComplexVec, "complex") if complex_ else (vemo.RealVec, "real")
        base = best_ms(lambda: vec_cls.from_array(a), repeat)
        as_list = a.tolist()
        for name, make in lists.items():
            s, m, c = make(), vemo.Map(), vec_cls(0)
            fill = getattr(s, f"from_dense_{kind}")
            dense = best_ms(lambda: fill(m, c, a, False), repeat)
            listed = best_ms(lambda: fill(m, c, as_list, False), repeat)
            assert len(c) == np.count_nonzero(a)
            if complex_:
                worst = max(worst, dense / base)
            print(f"{name + '.from_dense_' + kind:<40} {dense:11.2f} {base:11.2f} {dense / base:5.2f}x  {listed:11.2f}")
    print(f"from_dense_complex: worst ratio {worst:.2f}x, {'within' if worst <= TARGET else 'OVER'} the {TARGET}x target")


if __name__ == "__main__":
    main()
