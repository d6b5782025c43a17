"""QubitPauliArray: construction, whole-object members and products of Pauli
linear combinations, checked against the reference model of the Pauli algebra
and against dense matrices built from 2x2 matrices and Kronecker products."""

import random

import numpy as np
import pytest

from reference import model_mul, op_matrix, paulis, random_strings, vec


def arr(v, text, n=None):
    return v.QubitPauliArray(None if n is None else v.Qubits.from_count(n), v.PauliSprings(text))


def mul(v, a, ca, b, cb, out=None, complex_=False):
    """The product into a fresh (or the given) output; returns (array, map, coefficients as a list)."""
    out = out or (v.QubitPauliArray(a.qubits), v.Map(), v.ComplexVec())
    f = v.QubitPauliArray.lincomb_mul_complex if complex_ else v.QubitPauliArray.lincomb_mul_real
    assert f(a, vec(v, ca, complex_), b, vec(v, cb, complex_), *out) is None
    return out[0], out[1], [out[2][i] for i in range(len(out[2]))]


def test_constructor(v):
    Q = v.QubitPauliArray
    a = Q()
    assert len(a) == 0 and len(a.qubits) == 0 and not a and Q(qubits=None, springs=None) == a
    b = Q(v.Qubits.from_count(4))
    assert len(b) == 0 and b.qubits == v.Qubits.from_count(4)
    # Without a register: the largest position (identity tokens included) sets it.
    assert arr(v, "X0 Y2").qubits == v.Qubits.from_count(3) and arr(v, "X0 Y2") == arr(v, "Y2 X0", 3)
    assert arr(v, "X0, I6").qubits == v.Qubits.from_count(7)
    assert arr(v, "X65535").qubits == v.Qubits.from_count(65536)
    assert arr(v, "X1, I5", 2) == arr(v, "X1, I0", 2)  # identity tokens never fail
    assert arr(v, "X0 X0") == arr(v, "I0", 1)  # a unit phase is accepted
    # Positions index the register.
    with pytest.raises(IndexError, match="2"):
        arr(v, "Z2", 2)
    inds = v.Qubits.from_inds([5, 7])
    assert len(Q(inds, v.PauliSprings("Z1, X0 Y1"))) == 2
    with pytest.raises(IndexError):
        Q(inds, v.PauliSprings("Z5"))


@pytest.mark.parametrize("text, phase", [("X0 Y0", "+i"), ("Z1, Y0 X0, X0 Y0", "-i"), ("X0 Y0 X0 Y0", "-1")])
def test_constructor_refuses_phases(v, text, phase):
    with pytest.raises(ValueError) as e:
        arr(v, text)
    assert str(e.value) == f'Value {phase} of type "ComplexSign" is not representable as type "Unity"'


def test_with_phases(v):
    a, phases = v.QubitPauliArray.with_phases(None, v.PauliSprings("X0 Y0, Y0 X0, X0 X0, Z1"))
    assert [str(phases[i]) for i in range(len(phases))] == ["+i", "-i", "+1", "+1"]
    assert a == arr(v, "Z0, Z0, I0, Z1", 2)
    a, phases = v.QubitPauliArray.with_phases(v.Qubits.from_count(3), None)
    assert len(a) == 0 and len(phases) == 0 and a.qubits == v.Qubits.from_count(3)
    with pytest.raises(IndexError):
        v.QubitPauliArray.with_phases(v.Qubits.from_count(1), v.PauliSprings("X0 Y1"))


def test_mul_edges(v):
    a, one = arr(v, "X0, Z0"), [1.0]
    # Only the first min(strings, coefficients) terms take part; an empty side empties the outputs.
    out, m, oc = mul(v, a, [2], arr(v, "Y0, X0, Z0"), one)
    assert out == arr(v, "Z0") and oc == [2j]
    out, m, oc = mul(v, v.QubitPauliArray(a.qubits), [], a, [1, 2], (out, m, v.ComplexVec(3)))
    assert len(out) == len(m) == len(oc) == 0
    # (X + iZ)^2 = 0: everything cancels.
    assert mul(v, a, [1, 1j], a, [1, 1j], complex_=True)[2] == []
    # Positions, not register indices, are multiplied: X0 Z1 times Z1 on [5, 7] is X0.
    reg = v.Qubits.from_inds([5, 7])
    out, m, oc = mul(v, v.QubitPauliArray(reg, v.PauliSprings("X0 Z1")), [3], v.QubitPauliArray(reg, v.PauliSprings("Z1")), [-1])
    assert out == v.QubitPauliArray(reg, v.PauliSprings("X0")) and oc == [-3] and out.qubits == reg


def test_mul_different_registers_leave_outputs_untouched(v):
    a, b = arr(v, "X0 Z1"), arr(v, "Y1")
    out, m, oc = mul(v, a, [1], b, [1])  # X0 Z1 Y1 = -i X0 X1
    outputs = (out, m, v.ComplexVec.from_array(np.array(oc)))
    for lhs, rhs, o in [(a, arr(v, "Y2"), out), (a, b, v.QubitPauliArray(v.Qubits.from_count(3))),
                        (a, b, v.QubitPauliArray(v.Qubits.from_inds([1, 0])))]:
        with pytest.raises(ValueError, match="^Qubits-based objects are based on different qubit spaces.$"):
            v.QubitPauliArray.lincomb_mul_real(lhs, vec(v, [1], False), rhs, vec(v, [1], False), o, m, outputs[2])
    assert out == arr(v, "X0 X1") and list(outputs[2].to_array()) == [-1j] and len(m) == 1


# Sizes up to 5 qubits (0: every string the identity) against dense matrices; 130 qubits (several words per
# plane) against the model alone.
@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("n", [0, 1, 2, 3, 5, 130])
def test_mul_random_operators_against_model_and_dense(v, n, complex_):
    rng = random.Random(1000 + n + complex_)
    # Small integers and halves keep every sum exact, so cancellations happen as in the model.
    values = [-2, -1, 1, 2, 0.5]
    value = (lambda: complex(rng.choice(values), rng.choice(values + [0]))) if complex_ else (lambda: rng.choice(values))
    for trial in range(6 if n < 10 else 2):
        lhs, rhs = random_strings(rng, n, rng.randint(1, 7)), random_strings(rng, n, rng.randint(1, 7))
        lc, rc = [value() for _ in lhs], [value() for _ in rhs]
        out, m, oc = mul(v, paulis(v, n, lhs), lc, paulis(v, n, rhs), rc, complex_=complex_)
        strings, coeffs = model_mul(lhs, lc, rhs, rc)
        # Same strings in the same order, same coefficients, a map of one pair per string.
        assert out == paulis(v, n, strings) and oc == coeffs and len(m) == len(out)
        if n <= 5:
            np.testing.assert_allclose(op_matrix(strings, coeffs, n), op_matrix(lhs, lc, n) @ op_matrix(rhs, rc, n), atol=1e-12)
