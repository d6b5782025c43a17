"""Fermion operators on 16 modes: vemo against OpenFermion in the same run.

Workloads:
  1. the normal-ordered product of two random Hermitian two-body operators of
     1,000 terms each (NormalFermionOperatorArray.lincomb_mul_real against
     OpenFermion's normal_ordered(a * b)); target: vemo at least 50x faster;
  2. a random two-body operator of 1,000 terms applied to a combination of
     1,000 occupation-number states (apply_to_state_real against OpenFermion's
     get_sparse_operator and a sparse matrix-vector product, the sparse matrix
     built inside the timing as the user has to).

Before anything is timed each result is compared with OpenFermion's: the same
terms with the same coefficients up to rounding (1), the same dense vector (2).
OpenFermion is optional (`pip install openfermion`); without it only vemo runs.

Usage: python bench/bench_fermion_products.py [--repeat N] [--peer-terms M]
  --peer-terms M multiplies only the first M terms of the left operator in
  OpenFermion (its time is then scaled up by 1000 / M), for a quick run.
"""

import argparse
import time

import numpy as np

import vemo

N = vemo.NormalFermionOperatorArray
MODES = 16


def two_body_terms(rng, m, hermitian):
    """m distinct canonical two-body terms (p < q creators, r < s annihilators);
    as m / 2 terms and their adjoints when hermitian (then no term is its own)."""
    terms = {}
    while len(terms) < m:
        p, q = sorted(rng.choice(MODES, 2, replace=False))
        r, s = sorted(rng.choice(MODES, 2, replace=False))
        t, adj = (p, q, r, s), (r, s, p, q)
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


def of_operator(terms):
    from openfermion import FermionOperator

    op = FermionOperator()
    for (p, q, r, s), c in terms.items():
        op += FermionOperator(((int(p), 1), (int(q), 1), (int(r), 0), (int(s), 0)), c)
    return op


def vemo_terms_as_of(arr, coeffs):
    """vemo's terms in OpenFermion's normal order (each set descending)."""
    out = {}
    for i, c in enumerate(coeffs.to_array()):
        cre, ann = arr.cmpnt_get_sets(i)
        sign = -1.0 if ((len(cre) & 2) != 0) != ((len(ann) & 2) != 0) else 1.0
        out[tuple((m, 1) for m in reversed(cre)) + tuple((m, 0) for m in reversed(ann))] = sign * c
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


def product_workload(rng, repeat, peer_terms):
    ta, tb = two_body_terms(rng, 1000, True), two_body_terms(rng, 1000, True)
    (a, ca), (b, cb) = vemo_operator(ta), vemo_operator(tb)
    t_vemo, (prod, cp) = best_time(lambda: N.lincomb_mul_real(a, ca, b, cb), repeat)
    print(f"product of two 1,000-term Hermitian two-body operators, {MODES} modes: "
          f"{len(prod)} terms, vemo {t_vemo:.3f} s")
    try:
        from openfermion import normal_ordered
    except ImportError:
        print("  OpenFermion not installed: skipped")
        return
    m = min(peer_terms, 1000)
    sub = dict(list(ta.items())[:m])
    oa, ob = of_operator(sub), of_operator(tb)
    t_of, r = best_time(lambda: normal_ordered(oa * ob), 1)
    sa, sca = vemo_operator(sub)
    want = vemo_terms_as_of(*N.lincomb_mul_real(sa, sca, b, cb))
    assert same_terms(want, r.terms), "OpenFermion and vemo disagree"
    scaled = t_of * 1000 / m
    note = "" if m == 1000 else f" ({m} left terms, scaled by {1000 / m:g})"
    print(f"  OpenFermion normal_ordered(a * b): {scaled:.1f} s{note}; vemo is {scaled / t_vemo:.0f}x faster "
          f"(target >= 50x)")


def apply_workload(rng, repeat):
    th = two_body_terms(rng, 1000, False)
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
    try:
        from openfermion import get_sparse_operator
    except ImportError:
        print("  OpenFermion not installed: skipped")
        return
    oh = of_operator(th)
    psi = np.array(states.to_dense_real(cs, True))  # OpenFermion puts mode 0 at the top bit

    t_of, r = best_time(lambda: get_sparse_operator(oh, n_qubits=MODES) @ psi, 1)
    assert np.allclose(np.array(out.to_dense_real(co, True)), r, atol=1e-9), "OpenFermion and vemo disagree"
    print(f"  OpenFermion get_sparse_operator + sparse product: {t_of * 1e3:.0f} ms; "
          f"vemo is {t_of / t_vemo:.0f}x faster")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--repeat", type=int, default=5)
    ap.add_argument("--peer-terms", type=int, default=1000)
    args = ap.parse_args()
    rng = np.random.default_rng(2024)
    product_workload(rng, args.repeat, args.peer_terms)
    apply_workload(rng, args.repeat)


if __name__ == "__main__":
    main()
