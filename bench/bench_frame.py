"""Cost of one call through vemo's binding frame, beside comparable CPython built-in calls, and the
cost of converting each kind of number and sequence argument.

Targets: every vemo call within 1.5x of its built-in counterpart; a float, int or NumPy real scalar
where a complex is taken within 1.5x of a complex; a Jordan-Wigner mapping loop fed real Python floats
within 1.5x of the same loop fed the same values as complex numbers.
Run: PYTHONPATH=<stage dir> python bench/bench_frame.py [--quick]
"""

import argparse
import array
import time
import timeit

import numpy as np

import vemo


def per_call_ns(stmt, setup_globals, number=1_000_000, repeat=7, setup="pass"):
    t = timeit.Timer(stmt, setup=setup, globals=setup_globals)
    return min(t.repeat(repeat=repeat, number=number)) / number * 1e9


def call_rows(number):
    sign = vemo.Sign(True)
    rv = vemo.RealVec(8)
    gates = vemo.CliffordGateList()
    lst = [1.0] * 8
    data = b"abcdefgh"
    arr = array.array("d", lst)
    g = dict(sign=sign, rv=rv, gates=gates, lst=lst, data=data, arr=arr)

    rows = [
        ("no-argument method", "sign.to_phase()", "lst.__len__()"),
        ("len()", "len(rv)", "len(lst)"),
        # list[int] is inlined by the interpreter's specialising compiler; array[int] is a real
        # call that, like RealVec, makes a new float.
        ("index read", "rv[3]", "arr[3]"),
        ("negative index read", "rv[-1]", "arr[-1]"),
        ("method, two arguments", "rv.imul_elem(3, 1.0)", "data.find(b'h', 0)"),
        ("method, two int arguments", "gates.push_cx(0, 1); gates.pop()", "lst.insert(0, 1.0); lst.pop()"),
        ("method, keyword arguments", "rv.imul_elem(index=3, other=1.0)", "data.find(b'h', 0)"),
    ]
    print(f"{'call':32} {'vemo ns':>9} {'built-in ns':>12} {'ratio':>7}   built-in")
    for name, ours, theirs in rows:
        a = per_call_ns(ours, g, number)
        b = per_call_ns(theirs, g, number)
        print(f"{name:32} {a:9.1f} {b:12.1f} {a / b:7.2f}   {theirs}")


def conversion_rows(number):
    """append() of one value to a fresh vector each repeat; the ratio is to the same call given a
    complex (ComplexVec) or a float (RealVec)."""

    class WithComplex:
        def __complex__(self):
            return 1.5 + 0j

    class WithFloat:
        def __float__(self):
            return 1.5

    class WithIndex:
        def __index__(self):
            return 2

    values = {
        "complex": 1.5 + 0j,
        "float": 1.5,
        "int": 2,
        "bool": True,
        "numpy.complex128": np.complex128(1.5),
        "numpy.float64": np.float64(1.5),
        "numpy.int64": np.int64(2),
        "numpy.complex64": np.complex64(1.5),
        "numpy.float32": np.float32(1.5),
        "__complex__ object": WithComplex(),
        "__float__ object": WithFloat(),
        "__index__ object": WithIndex(),
    }
    print(f"\n{'argument':24} {'ComplexVec ns':>14} {'ratio':>7} {'RealVec ns':>11} {'ratio':>7}")
    base = {}
    for name, x in values.items():
        g = dict(x=x, vemo=vemo)
        cv = per_call_ns("v.append(x)", g, number, setup="v = vemo.ComplexVec()")
        base.setdefault("c", cv)
        if isinstance(x, (complex, np.complexfloating)) or name == "__complex__ object":
            rv_cell = f"{'-':>11} {'-':>7}"
        else:
            rv = per_call_ns("v.append(x)", g, number, setup="v = vemo.RealVec()")
            base.setdefault("r", rv)
            rv_cell = f"{rv:11.1f} {rv / base['r']:7.2f}"
        print(f"{name:24} {cv:14.1f} {cv / base['c']:7.2f} {rv_cell}")
    arr = array.array("d")
    print(f"{'(array.array append)':24} {per_call_ns('arr.append(1.5)', dict(arr=arr), number):14.1f}")


def sequence_rows(number):
    ops = [(0, True), (5, True), (3, False), (1, False)]
    modes = vemo.Modes.from_count(8)
    mapper = vemo.JordanWignerMapper(vemo.Qubits.from_count(8))
    g = dict(ops=ops, modes=modes, mapper=mapper, N=vemo.NormalFermionOperatorArray)
    rows = [
        ("4 (mode, flag) tuples, mapper", "mapper.op_load_product(ops)"),
        ("4 (int, bool) pairs, static", "N.from_ladder_product(modes, ops)"),
        ("(built-in: dict of 4 pairs)", "dict(ops)"),
    ]
    print()
    for name, stmt in rows:
        print(f"{name:32} {per_call_ns(stmt, g, number // 4):9.1f} ns   {stmt}")


def mapping_rows(repeat):
    """A Jordan-Wigner mapping on 20 modes, term by term, with real coefficients given as Python
    floats and as the same values as complex numbers."""
    from bench_mappings import random_operator

    n = 20
    terms = random_operator(n)
    as_float = [(ops, c.real) for ops, c in terms]
    as_complex = [(ops, complex(c.real)) for ops, c in terms]

    def run(items):
        mapper = vemo.JordanWignerMapper(vemo.Qubits.from_count(n))
        cmpnts, cmpnt_map, coeffs = vemo.QubitPauliArray(vemo.Qubits.from_count(n)), vemo.Map(), vemo.ComplexVec()
        for ops, c in items:
            mapper.op_load_product(ops)
            mapper.op_contribute_complex(cmpnts, cmpnt_map, coeffs, c)
        return coeffs

    def best(items):
        times = []
        for _ in range(repeat):
            t = time.perf_counter()
            run(items)
            times.append(time.perf_counter() - t)
        return min(times)

    assert run(as_float) == run(as_complex)
    tf, tc = best(as_float), best(as_complex)
    print(f"\nJordan-Wigner, {n} modes, {len(terms)} terms, op_contribute_complex:")
    print(f"  float coefficients {tf:.4f} s, complex {tc:.4f} s, ratio {tf / tc:.2f}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--quick", action="store_true", help="fewer calls per figure")
    args = ap.parse_args()
    number = 100_000 if args.quick else 1_000_000
    call_rows(number)
    conversion_rows(number)
    sequence_rows(number)
    mapping_rows(3 if args.quick else 7)


if __name__ == "__main__":
    main()
