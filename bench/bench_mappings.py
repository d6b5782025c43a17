"""Fermion-to-qubit mappings of a random Hermitian two-body operator: vemo's
mapper classes, term by term in a Python loop as users write it, against
OpenFermion (`jordan_wigner`, `bravyi_kitaev`) and Qiskit Nature (the `.map`
of `JordanWignerMapper`, `ParityMapper`, `BravyiKitaevMapper`).

The operator on N modes: h_pq a+_p a_q and g_pqrs a+_p a+_q a_r a_s (p < q,
r < s) with random complex coefficients, each with its adjoint term.

Every peer is optional and skipped with a note when it is not installed
(``pip install openfermion qiskit-nature``). Before a peer is timed its result
is compared with vemo's: the same Pauli strings with the same coefficients up
to rounding, after the peer's own conventions are brought to vemo's (stated
in the output). Target at 20 modes: 50 times faster than OpenFermion and 10
times faster than Qiskit Nature.

Usage: python bench/bench_mappings.py [--modes 12 16 20] [--repeat N]
"""

import argparse
import random
import time

import vemo

KINDS = {"JW": "JordanWignerMapper", "parity": "ParityMapper", "BK": "BravyiKitaevMapper"}
TOL = 1e-10


# ---------------------------------------------------------------- the operator


def random_operator(n, seed=1):
    """[(ops, coefficient)]: ops a list of (mode, is_creation) pairs, leftmost first."""
    rng = random.Random(seed)

    def coeff(real):
        return complex(rng.uniform(-1, 1), 0.0 if real else rng.uniform(-1, 1))

    terms = []

    def add(ops, c):
        terms.append((ops, c))
        adjoint = [(m, not cre) for m, cre in reversed(ops)]
        if adjoint != ops:
            terms.append((adjoint, c.conjugate()))

    for p in range(n):
        for q in range(p, n):
            add([(p, True), (q, False)], coeff(p == q))
    pairs = [(p, q) for p in range(n) for q in range(p + 1, n)]
    for i, (p, q) in enumerate(pairs):
        for r, s in pairs[i:]:
            add([(p, True), (q, True), (r, False), (s, False)], coeff((p, q) == (r, s)))
    return terms


# ---------------------------------------------------------------- vemo


def vemo_map(kind, n, terms):
    mapper = getattr(vemo, KINDS[kind])(vemo.Qubits.from_count(n))
    cmpnts, cmpnt_map, coeffs = vemo.QubitPauliArray(vemo.Qubits.from_count(n)), vemo.Map(), vemo.ComplexVec()
    for ops, c in terms:
        mapper.op_load_product(ops)
        mapper.op_contribute_complex(cmpnts, cmpnt_map, coeffs, c)
    return cmpnts, coeffs


def vemo_terms(result):
    """{((qubit, letter), ...): coefficient}, qubits ascending."""
    cmpnts, coeffs = result
    out = {}
    for i in range(len(cmpnts)):
        key = tuple((int(f[1:]), f[0]) for f in cmpnts.cmpnt_to_string(i).split())
        out[key] = coeffs[i]
    return out


def same(a, b):
    """Equal up to rounding; coefficients below the tolerance count as absent."""
    a = {k: c for k, c in a.items() if abs(c) > TOL}
    b = {k: c for k, c in b.items() if abs(c) > TOL}
    return a.keys() == b.keys() and all(abs(a[k] - b[k]) <= TOL * max(1.0, abs(a[k])) for k in a)


# ---------------------------------------------------------------- peers


def openfermion_peer(kind, n, terms):
    """(mapping function, note) or None."""
    try:
        import openfermion as of
    except ImportError:
        return None
    if kind == "parity":
        return None
    op = of.FermionOperator()
    for ops, c in terms:
        op += of.FermionOperator(tuple((m, int(cre)) for m, cre in ops), c)
    if kind == "JW":
        run = lambda: of.jordan_wigner(op)  # noqa: E731
    else:
        run = lambda: of.bravyi_kitaev(op, n_qubits=n)  # noqa: E731

    def read(q):
        return {tuple(sorted(k)): complex(c) for k, c in q.terms.items()}

    return run, read, "QubitOperator terms, qubit q as in vemo"


def qiskit_peer(kind, n, terms):
    try:
        from qiskit_nature.second_q import mappers
        from qiskit_nature.second_q.operators import FermionicOp
    except ImportError:
        return None
    data = {}
    for ops, c in terms:
        data[" ".join(f"{'+' if cre else '-'}_{m}" for m, cre in ops)] = c
    op = FermionicOp(data, num_spin_orbitals=n)
    mapper = getattr(mappers, KINDS[kind])()
    run = lambda: mapper.map(op)  # noqa: E731

    def read(sparse):
        out = {}
        for label, c in sparse.simplify(atol=0).to_list():
            key = tuple((q, p) for q, p in enumerate(reversed(label)) if p != "I")
            out[key] = out.get(key, 0) + complex(c)
        return out

    return run, read, "SparsePauliOp labels read right to left (label's last letter is qubit 0)"


# ---------------------------------------------------------------- timing


def best_of(fn, repeat):
    best, out = float("inf"), None
    for _ in range(repeat):
        t = time.perf_counter()
        out = fn()
        best = min(best, time.perf_counter() - t)
    return best, out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--modes", type=int, nargs="+", default=[12, 16, 20])
    ap.add_argument("--repeat", type=int, default=5)
    ap.add_argument("--peer-repeat", type=int, default=1)
    args = ap.parse_args()

    rows, notes = [], {}
    for n in args.modes:
        terms = random_operator(n)
        for kind in KINDS:
            t_vemo, result = best_of(lambda: vemo_map(kind, n, terms), args.repeat)
            expected = vemo_terms(result)
            row = {"n": n, "kind": kind, "terms": len(terms), "strings": len(result[0]), "vemo": t_vemo}
            for name, make in (("OpenFermion", openfermion_peer), ("Qiskit Nature", qiskit_peer)):
                peer = make(kind, n, terms)
                if peer is None:
                    row[name] = None
                    continue
                run, read, note = peer
                notes[name] = note
                if not same(read(run()), expected):
                    raise SystemExit(f"{name} {kind} on {n} modes differs from vemo")
                row[name] = best_of(run, args.peer_repeat)[0]
            rows.append(row)
            print(_fmt(row), flush=True)

    print()
    print("| modes | mapping | terms | Pauli strings | vemo s | us per term | OpenFermion s | x | Qiskit Nature s | x |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for r in rows:
        print("| " + " | ".join(_cells(r)) + " |")
    for name, note in notes.items():
        print(f"{name}: equal to vemo's result, {note}.")


def _cells(r):
    cells = [str(r["n"]), r["kind"], str(r["terms"]), str(r["strings"]), f"{r['vemo']:.4f}",
             f"{1e6 * r['vemo'] / r['terms']:.2f}"]
    for name in ("OpenFermion", "Qiskit Nature"):
        t = r.get(name)
        cells += ["-", "-"] if t is None else [f"{t:.3f}", f"{t / r['vemo']:.0f}"]
    return cells


def _fmt(r):
    return "  ".join(_cells(r))


if __name__ == "__main__":
    main()
