"""A first tour of vemo: operators written as text, built on registers, multiplied.

Run after `pip install .`:  python examples/quickstart.py
"""

import numpy as np

import vemo

# --- Qubit operators -------------------------------------------------------
# A linear combination is a QubitPauliArray (the strings) beside a coefficient vector.
qubits = vemo.Qubits.from_count(3)
a = vemo.QubitPauliArray(qubits, vemo.PauliSprings("X0 Z1, Y2"))
a_coeffs = vemo.RealVec.from_array(np.array([0.5, 2.0]))
b = vemo.QubitPauliArray(qubits, vemo.PauliSprings("X0, Z1 Y2"))
b_coeffs = vemo.RealVec.from_array(np.array([1.0, 1.0]))

# The product goes into an output array, a Map that keeps its strings unique,
# and a ComplexVec of its coefficients (phases of Pauli products are complex).
out, out_map, out_coeffs = vemo.QubitPauliArray(qubits), vemo.Map(), vemo.ComplexVec()
vemo.QubitPauliArray.lincomb_mul_real(a, a_coeffs, b, b_coeffs, out, out_map, out_coeffs)
print("A * B has", len(out), "terms with coefficients", out_coeffs.to_array())
print("its strings are Z1 and X0 Y2:", out == vemo.QubitPauliArray(qubits, vemo.PauliSprings("Z1, X0 Y2")))

# Clifford gate lists print in circuit notation.
gates = vemo.CliffordGateList()
gates.push_h(0)
gates.push_cx(0, 1)
gates.push_s(2)
print("gates:", gates)

# --- Text forms --------------------------------------------------------------
# A text form holds the strings only; the coefficients of the same text are parsed
# into a coefficient vector (every term then needs one).
text = "(1, X0 Y1), (0.5, Z3)"
springs = vemo.PauliSprings(text)
print("Pauli text:", springs, "with coefficients", vemo.RealVec.parse(text).to_array(),
      "needs", springs.default_n_qubit(), "qubits")
print("basis states:", vemo.BinarySprings("[0, 1, 1], [1]"))

# --- Fermions ----------------------------------------------------------------
modes = vemo.Modes.from_pair_count_spin_major(3)
ops = vemo.FermionSprings("F1^ F0, F5 F2^")
print("fermion text:", ops, "on", len(modes), "modes; it needs", ops.default_n_mode())

# --- Coefficients ------------------------------------------------------------
i = vemo.ComplexSign(1)
print("i * i =", i * i, "; a SignVec from phases:", vemo.SignVec.from_phases(np.array([False, True])))
