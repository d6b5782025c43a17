"""Cost of one call through vemo's binding frame, beside comparable CPython built-in calls.

Target: every vemo call within 1.5x of its built-in counterpart.
Run: PYTHONPATH=<stage dir> python bench/bench_frame.py
"""

import array
import timeit

import vemo


def per_call_ns(stmt, setup_globals, number=1_000_000, repeat=7):
    t = timeit.Timer(stmt, globals=setup_globals)
    return min(t.repeat(repeat=repeat, number=number)) / number * 1e9


def main():
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
        a = per_call_ns(ours, g)
        b = per_call_ns(theirs, g)
        print(f"{name:32} {a:9.1f} {b:12.1f} {a / b:7.2f}   {theirs}")


if __name__ == "__main__":
    main()
