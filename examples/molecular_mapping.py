"""A random Hermitian two-body fermion operator mapped to qubits two ways.

The operator is a NormalFermionOperatorArray of one-body terms h_pq c+_p a_q
and two-body terms g_pqrs c+_p c+_q a_r a_s, each beside its adjoint. It is
mapped term by term under Jordan-Wigner and Bravyi-Kitaev; the two qubit
operators differ string by string but, being one operator in two encodings,
have the same spectrum.

Run after `pip install .`:  python examples/molecular_mapping.py
"""

import time

import numpy as np

import vemo

N_MODES = 8
rng = np.random.default_rng(7)

# --- The fermion operator ----------------------------------------------------
# Components are written in normal order: creators, then annihilators.
terms = {}


def add(cre, ann, c):
    """c (cre ann) + c (ann cre)^dagger; the adjoint of c+_p c+_q a_r a_s is c+_r c+_s a_p a_q."""
    terms[(cre, ann)] = terms.get((cre, ann), 0.0) + c
    if (ann, cre) != (cre, ann):
        terms[(ann, cre)] = terms.get((ann, cre), 0.0) + c


for p in range(N_MODES):
    for q in range(p, N_MODES):
        add((p,), (q,), rng.standard_normal())
pairs = [(p, q) for p in range(N_MODES) for q in range(p + 1, N_MODES)]
for i in rng.choice(len(pairs) ** 2, 60, replace=False):
    add(pairs[i // len(pairs)], pairs[i % len(pairs)], 0.5 * rng.standard_normal())

text = ", ".join(" ".join([f"F{m}^" for m in cre] + [f"F{m}" for m in ann]) for cre, ann in terms)
modes = vemo.Modes.from_count(N_MODES)
h = vemo.NormalFermionOperatorArray(modes, vemo.FermionSprings(text))
h_coeffs = vemo.RealVec.from_array(np.array(list(terms.values())))
N = vemo.NormalFermionOperatorArray
print(f"fermion operator: {len(h)} terms on {N_MODES} modes, "
      f"Hermitian: {N.lincomb_is_hermitian_real(h, h_coeffs, 1e-12)}, "
      f"conserves particle number: {N.lincomb_conserves_particle_number_real(h, h_coeffs, 1e-12)}, "
      f"at most {N.lincomb_max_n_body_real(h, h_coeffs)}-body")


# --- Mapping, one term at a time ---------------------------------------------
def map_operator(mapper_class):
    qubits = vemo.Qubits.from_count(N_MODES)
    mapper = mapper_class(qubits)
    out, out_map, out_coeffs = vemo.QubitPauliArray(qubits), vemo.Map(), vemo.ComplexVec()
    for i, c in enumerate(h_coeffs.to_array()):
        cre, ann = h.cmpnt_get_sets(i)
        mapper.op_load_product([(m, True) for m in cre] + [(m, False) for m in ann])
        mapper.op_contribute_complex(out, out_map, out_coeffs, c)
    return out, out_coeffs


spectra = {}
for name, mapper_class in [("Jordan-Wigner", vemo.JordanWignerMapper), ("Bravyi-Kitaev", vemo.BravyiKitaevMapper)]:
    t = time.perf_counter()
    strings, coeffs = map_operator(mapper_class)
    t = time.perf_counter() - t
    matrix = vemo.QubitPauliArray.lincomb_to_sparse_complex(strings, coeffs, False)
    spectra[name] = np.linalg.eigvalsh(matrix.toarray())
    longest = max(range(len(strings)), key=lambda i: len(strings.cmpnt_to_string(i)))
    print(f"{name}: {len(strings)} Pauli strings in {t * 1e3:.1f} ms, e.g. "
          f"({coeffs[longest]:.3f}) {strings.cmpnt_to_string(longest)}; {matrix.nnz} matrix entries; "
          f"lowest eigenvalue {spectra[name][0]:.6f}")

jw, bk = spectra.values()
print(f"largest difference between the two spectra: {np.abs(jw - bk).max():.1e}")
assert np.allclose(jw, bk, atol=1e-9)
