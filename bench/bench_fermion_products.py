"""Fermion operators on 16 modes: vemo against OpenFermion and Qiskit Nature in the same run.

Workloads:
  1. the normal-ordered product a b of two random Hermitian two-body operators
     of 1,000 terms each (NormalFermionOperatorArray.lincomb_mul_real against
     OpenFermion's normal_ordered(a * b) and Qiskit Nature's
     a.compose(b, front=True).normal_order());
  2. the commutator a b - b a of the same pair (lincomb_commutator_real against
     normal_ordered(a * b - b * a) and the same in Qiskit Nature);
  target for both: vemo at least 50x faster than the fastest peer;
  3. a random two-body operator of 1,000 terms applied to a combination of
     1,000 occupation-number states (apply_to_state_real against OpenFermion's
     get_sparse_operator and a sparse matrix-vector product, the sparse matrix
     built inside the timing as the user has to).

Before a peer is timed its result is compared with vemo's: the same terms with
the same coefficients up to rounding (1, 2; each peer term is brought to vemo's
order, creators then annihilators, each ascending, with the sign of that
reordering), the same dense vector (3). Peers are optional
(`pip install openfermion qiskit-nature`); a missing one is skipped.

Usage: python bench/bench_fermion_products.py [--repeat N] [--of-terms M] [--qiskit-terms M]
  A peer given M < 1000 multiplies only the first M terms of the left operator
  and its time is scaled up by 1000 / M. OpenFermion runs all 1,000 by default.
  Qiskit Nature's time grows about as M squared here (1 s at M = 5, 4 s at 10,
  18 s at 20), so it gets 10 by default and its scaled time is a lower bound.
"""

import argparse
import time

import numpy as np

import vemo

N = vemo.NormalFermionOperatorArray
MODES = 16
TERMS = 1000


def two_body_terms(rng, m, hermitian):
    """m distinct canonical two-body terms (p < q creators, r < s annihilators);
    as m / 2 terms and their adjoints when hermitian (then no term is its own)."""
    terms = {}
    while len(terms) < m:
        p, q = sorted(rng.choice(MODES, 2, replace=False))
        r, s = sorted(rng.choice(MODES, 2, replace=False))
        t, adj = (int(p), int(q), int(r), int(s)), (int(r), int(s), int(p), int(q))
        if t in terms or (hermitian and (t == adj or adj in terms)):
            continue
        c = float(rng.standard_normal())
        terms[t] = c
        if hermitian:
            terms[adj] = c  # (c_p c_q a_r a_s)^dagger = c_r c_s a_p a_q
    return terms


def vemo_operator(terms):
    text = ", ".join(f"F{p}^ F{q}^ F{r} F{s}" for p, q, r, s in terms)
    return N(vemo.Modes.from_count(MODES), vemo.FermionSprings(text)), vemo.RealVec.from_array(
        np.array(list(terms.values()))
    )


def vemo_terms(arr, coeffs):
    """{(creators, annihilators): coefficient}, each tuple ascending."""
    return {tuple(map(tuple, arr.cmpnt_get_sets(i))): c for i, c in enumerate(coeffs.to_array())}


def _sorted_with_sign(modes):
    """(ascending modes, sign of the permutation sorting them)."""
    modes, sign = list(modes), 1
    for i in range(len(modes)):
        for j in range(len(modes) - 1 - i):
            if modes[j] > modes[j + 1]:
                modes[j], modes[j + 1], sign = modes[j + 1], modes[j], -sign
    return tuple(modes), sign


def normal_terms(pairs):
    """Peer terms [(ops, coefficient)], ops normal-ordered (mode, is_creation)
    pairs in written order, as vemo_terms gives them."""
    out = {}
    for ops, c in pairs:
        cre, ann = [m for m, k in ops if k], [m for m, k in ops if not k]
        assert [k for _, k in ops] == [True] * len(cre) + [False] * len(ann), "not normal-ordered"
        (cre, s1), (ann, s2) = _sorted_with_sign(cre), _sorted_with_sign(ann)
        out[(cre, ann)] = out.get((cre, ann), 0.0) + s1 * s2 * c
    return out


def same_terms(a, b):
    keys = {k for k, v in a.items() if abs(v) > 1e-9} | {k for k, v in b.items() if abs(v) > 1e-9}
    return all(abs(a.get(k, 0.0) - b.get(k, 0.0)) <= 1e-9 * (1 + abs(b.get(k, 0.0))) for k in keys)


def best_time(f, repeat):
    best = float("inf")
    for _ in range(repeat):
        t = time.perf_counter()
        r = f()
        best = min(best, time.perf_counter() - t)
    return best, r


# ---------------------------------------------------------------- peers
# Each peer: (build(terms) -> operator, {workload: run(a, b)}, read(result) -> normal_terms input).


def openfermion_peer():
    try:
        from openfermion import FermionOperator, normal_ordered
    except ImportError:
        return None

    def build(terms):
        op = FermionOperator()
        for (p, q, r, s), c in terms.items():
            op += FermionOperator(((p, 1), (q, 1), (r, 0), (s, 0)), c)
        return op

    runs = {"product": lambda a, b: normal_ordered(a * b), "commutator": lambda a, b: normal_ordered(a * b - b * a)}

    def read(op):
        return [([(m, bool(k)) for m, k in ops], complex(c).real) for ops, c in op.terms.items()]

    return build, runs, read


def qiskit_peer():
    try:
        from qiskit_nature.second_q.operators import FermionicOp
    except ImportError:
        return None

    def build(terms):
        data = {f"+_{p} +_{q} -_{r} -_{s}": c for (p, q, r, s), c in terms.items()}
        return FermionicOp(data, num_spin_orbitals=MODES)

    def mul(a, b):  # a.compose(b) is b a in Qiskit's convention; front=True gives a b
        return a.compose(b, front=True)

    runs = {
        "product": lambda a, b: mul(a, b).normal_order(),
        "commutator": lambda a, b: (mul(a, b) - mul(b, a)).normal_order(),
    }

    def read(op):
        pairs = []
        for label, c in op.items():
            ops = [(int(f[2:]), f[0] == "+") for f in label.split()]
            pairs.append((ops, complex(c).real))
        return pairs

    return build, runs, read


PEERS = {"OpenFermion": openfermion_peer, "Qiskit Nature": qiskit_peer}
PEER_OPTIONS = {"OpenFermion": "of_terms", "Qiskit Nature": "qiskit_terms"}
VEMO = {"product": N.lincomb_mul_real, "commutator": N.lincomb_commutator_real}


def algebra_workloads(rng, repeat, peer_terms):
    """peer_terms: {peer: left terms it multiplies}."""
    ta, tb = two_body_terms(rng, TERMS, True), two_body_terms(rng, TERMS, True)
    (a, ca), (b, cb) = vemo_operator(ta), vemo_operator(tb)
    rows, notes = [], []
    for name, fn in VEMO.items():
        t_vemo, (out, _) = best_time(lambda: fn(a, ca, b, cb), repeat)
        row = {"workload": name, "terms out": len(out), "vemo": t_vemo}
        for peer, make in PEERS.items():
            p = make()
            if p is None:
                row[peer] = None
                continue
            build, runs, read = p
            m = min(peer_terms[peer], TERMS)
            sub = dict(list(ta.items())[:m])
            want = vemo_terms(*fn(*vemo_operator(sub), b, cb))
            pa, pb = build(sub), build(tb)
            t, r = best_time(lambda: runs[name](pa, pb), 1)
            if not same_terms(normal_terms(read(r)), want):
                raise SystemExit(f"{peer} and vemo disagree on the {name}")
            row[peer] = t * TERMS / m
            if m < TERMS and name == "product":
                notes.append(f"{peer} ran {m} left terms, its times scaled by {TERMS / m:g} (a lower bound)")
        rows.append(row)
        print(_line(row), flush=True)
    note = "".join("; " + n for n in notes)
    print(f"\n{TERMS:,} x {TERMS:,} two-body terms, {MODES} modes, target >= 50x the fastest peer{note}")
    print("| workload | terms out | vemo s | OpenFermion s | Qiskit Nature s | fastest peer / vemo |")
    print("|---|---|---|---|---|---|")
    for r in rows:
        print("| " + " | ".join(_cells(r)) + " |")
    print()


def _cells(r):
    peers = [r[p] for p in PEERS if r.get(p) is not None]
    ratio = f"{min(peers) / r['vemo']:.0f}x" if peers else "-"
    return [r["workload"], f"{r['terms out']:,}", f"{r['vemo']:.3f}"] + [
        "-" if r.get(p) is None else f"{r[p]:.1f}" for p in PEERS
    ] + [ratio]


def _line(r):
    return "  ".join(_cells(r))


def apply_workload(rng, repeat):
    th = two_body_terms(rng, TERMS, False)
    h, ch = vemo_operator(th)
    states = vemo.FermionStateArray(vemo.Modes.from_count(MODES), None)
    idx = rng.choice(1 << MODES, 1000, replace=False)
    for i, x in enumerate(idx):
        states.append_clear()
        states.cmpnt_set_from_set(i, {q for q in range(MODES) if (x >> q) & 1})
    cs = vemo.RealVec.from_array(rng.standard_normal(1000))

    def run():
        out, m, co = vemo.FermionStateArray(states.modes, None), vemo.Map(), vemo.RealVec(0)
        h.apply_to_state_real(ch, states, cs, out, m, co)
        return out, co

    t_vemo, (out, co) = best_time(run, repeat)
    print(f"1,000-term two-body operator on 1,000 states, {MODES} modes: {len(out)} states out, "
          f"vemo {t_vemo * 1e3:.1f} ms")
    p = openfermion_peer()
    if p is None:
        print("  OpenFermion not installed: skipped")
        return
    from openfermion import get_sparse_operator

    oh = p[0](th)
    psi = np.array(states.to_dense_real(cs, True))  # OpenFermion puts mode 0 at the top bit

    t_of, r = best_time(lambda: get_sparse_operator(oh, n_qubits=MODES) @ psi, 1)
    assert np.allclose(np.array(out.to_dense_real(co, True)), r, atol=1e-9), "OpenFermion and vemo disagree"
    print(f"  OpenFermion get_sparse_operator + sparse product: {t_of * 1e3:.0f} ms; "
          f"vemo is {t_of / t_vemo:.0f}x faster")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--repeat", type=int, default=5)
    ap.add_argument("--of-terms", type=int, default=TERMS)
    ap.add_argument("--qiskit-terms", type=int, default=10)
    args = ap.parse_args()
    rng = np.random.default_rng(2024)
    algebra_workloads(rng, args.repeat, {p: max(1, getattr(args, o)) for p, o in PEER_OPTIONS.items()})
    apply_workload(rng, args.repeat)


if __name__ == "__main__":
    main()
