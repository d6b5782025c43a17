"""Two Pauli operators written as text, built on one register and multiplied.

A linear combination is a QubitPauliArray (the strings) beside a coefficient
vector; the product goes into an output array, a Map that keeps its strings
unique, and a ComplexVec of its coefficients.
"""

import numpy as np

import vemo

qubits = vemo.Qubits.from_count(3)

# A = 0.5 X0 Z1 + 2 Y2,  B = X0 + Z1 Y2
a = vemo.QubitPauliArray(qubits, vemo.PauliSprings("X0 Z1, Y2"))
a_coeffs = vemo.RealVec.from_array(np.array([0.5, 2.0]))
b = vemo.QubitPauliArray(qubits, vemo.PauliSprings("X0, Z1 Y2"))
b_coeffs = vemo.RealVec.from_array(np.array([1.0, 1.0]))

out, out_map, out_coeffs = vemo.QubitPauliArray(qubits), vemo.Map(), vemo.ComplexVec()
vemo.QubitPauliArray.lincomb_mul_real(a, a_coeffs, b, b_coeffs, out, out_map, out_coeffs)

# The terms appear in the order of first appearance over (term of A, term of B):
# X0 Z1 X0 = Z1, X0 Z1 Z1 Y2 = X0 Y2, Y2 X0 = X0 Y2 (adds up), Y2 Z1 Y2 = Z1 (adds up).
expected = vemo.QubitPauliArray(qubits, vemo.PauliSprings("Z1, X0 Y2"))
print("A*B has", len(out), "terms; strings as expected:", out == expected)
print("coefficients:", out_coeffs.to_array())
