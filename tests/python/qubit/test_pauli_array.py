"""QubitPauliArray: construction, whole-object members and products of Pauli
linear combinations, checked against the reference model of the Pauli algebra
and against dense matrices built from 2x2 matrices and Kronecker products."""

import random

import numpy as np
import pytest

from reference import model_mul, op_matrix, text_of

# ---------------------------------------------------------------- helpers


@pytest.fixture(scope="module")
def Q(v):
    return v.QubitPauliArray


def arr(v, text, n=None):
    return v.QubitPauliArray(None if n is None else v.Qubits.from_count(n), v.PauliSprings(text))


def array(v, n, strings):
    return v.QubitPauliArray(v.Qubits.from_count(n), v.PauliSprings(text_of(strings, n)) if strings else None)


def real_vec(v, xs):
    return v.RealVec.from_array(np.array(xs, dtype=float))


def complex_vec(v, xs):
    return v.ComplexVec.from_array(np.array(xs, dtype=complex))


def empty_output(v, n):
    return v.QubitPauliArray(v.Qubits.from_count(n)), v.Map(), v.ComplexVec()


def coeffs_of(vec):
    return [vec[i] for i in range(len(vec))]


# ---------------------------------------------------------------- class shape and construction


def test_constructor(v, Q):
    a = Q()
    assert len(a) == 0 and len(a.qubits) == 0 and not a
    assert Q(qubits=None, springs=None) == a
    b = Q(v.Qubits.from_count(4))
    assert len(b) == 0 and b.qubits == v.Qubits.from_count(4)
    assert Q(springs=v.PauliSprings("X0")) == Q(None, v.PauliSprings("X0"))
    # Without a register: the largest position (identity tokens included) sets it.
    a = arr(v, "X0 Y2")
    assert len(a) == 1 and a.qubits == v.Qubits.from_count(3)
    assert a == arr(v, "Y2 X0", 3)
    assert arr(v, "X0, I6").qubits == v.Qubits.from_count(7)
    assert arr(v, "X65535").qubits == v.Qubits.from_count(65536)
    assert arr(v, "X1, I5", 2) == arr(v, "X1, I0", 2)  # identity tokens never fail
    # Positions index the register.
    with pytest.raises(IndexError, match="2"):
        arr(v, "Z2", 2)
    inds = v.Qubits.from_inds([5, 7])
    assert len(Q(inds, v.PauliSprings("Z1, X0 Y1"))) == 2
    with pytest.raises(IndexError):
        Q(inds, v.PauliSprings("Z5"))


@pytest.mark.parametrize(
    "text, phase",
    [("X0 Y0", "+i"), ("Z1, Y0 X0, X0 Y0", "-i"), ("X0 Y0 X0 Y0", "-1")],  # (iZ)(iZ) = -1
)
def test_constructor_refuses_phases(v, text, phase):
    with pytest.raises(ValueError) as e:
        arr(v, text)
    assert str(e.value) == f'Value {phase} of type "ComplexSign" is not representable as type "Unity"'


def test_constructor_accepts_unit_phases(v):
    assert arr(v, "X0 X0") == arr(v, "I0", 1)


def test_with_phases(v, Q):
    a, phases = Q.with_phases(None, v.PauliSprings("X0 Y0, Y0 X0, X0 X0, Z1"))
    assert isinstance(phases, v.ComplexSignVec)
    assert [str(phases[i]) for i in range(len(phases))] == ["+i", "-i", "+1", "+1"]
    assert a == arr(v, "Z0, Z0, I0, Z1", 2)
    a, phases = Q.with_phases(v.Qubits.from_count(3), None)
    assert len(a) == 0 and len(phases) == 0 and a.qubits == v.Qubits.from_count(3)
    with pytest.raises(IndexError):
        Q.with_phases(v.Qubits.from_count(1), v.PauliSprings("X0 Y1"))


# ---------------------------------------------------------------- whole-object members


def test_equality_identity_and_hash(v, Q):
    a, b = arr(v, "X0, Z1"), arr(v, "X0, Z1")
    assert a == a and a.same_as(a)
    assert a == b and not (a != b) and not a.same_as(b)
    assert a != arr(v, "Z1, X0")  # order matters
    assert a != arr(v, "X0, Z1", 3)  # register matters
    assert a != Q(v.Qubits.from_inds([4, 5]), v.PauliSprings("X0, Z1"))
    # The register attribute: a new equal object on each read, read-only.
    a = Q(v.Qubits.from_inds([5, 7]), v.PauliSprings("X1"))
    assert a.qubits == a.qubits == v.Qubits.from_inds([5, 7]) and a.qubits is not a.qubits


# ---------------------------------------------------------------- products


def test_mul_worked_examples(v, Q):
    x, y = arr(v, "X0"), arr(v, "Y0")
    one = complex_vec(v, [1])
    out, m, oc = empty_output(v, 1)
    assert Q.lincomb_mul_complex(x, one, y, one, out, m, oc) is None
    assert out == arr(v, "Z0") and coeffs_of(oc) == [1j] and len(m) == 1
    # Real inputs give complex outputs.
    Q.lincomb_mul_real(y, real_vec(v, [1.0]), x, real_vec(v, [2.0]), out, m, oc)
    assert coeffs_of(oc) == [-2j]
    # Positions, not register indices, are multiplied: X0 Z1 times Z1 on [5, 7] is X0.
    reg = v.Qubits.from_inds([5, 7])
    out, oc = Q(reg), v.ComplexVec()
    Q.lincomb_mul_real(Q(reg, v.PauliSprings("X0 Z1")), real_vec(v, [3]), Q(reg, v.PauliSprings("Z1")),
                       real_vec(v, [-1]), out, m, oc)
    assert out == Q(reg, v.PauliSprings("X0")) and coeffs_of(oc) == [-3] and out.qubits == reg


def test_mul_empty_and_short_inputs(v, Q):
    a = arr(v, "X0, Z0")
    out, m, oc = empty_output(v, 1)
    Q.lincomb_mul_real(a, real_vec(v, [1, 2]), a, real_vec(v, [3, 4]), out, m, oc)
    assert len(out) == 2
    # An empty side empties all three outputs.
    Q.lincomb_mul_real(Q(v.Qubits.from_count(1)), v.RealVec(), a, real_vec(v, [1, 2]), out, m, oc)
    assert len(out) == 0 and len(m) == 0 and len(oc) == 0
    # Only the first min(strings, coefficients) terms take part.
    Q.lincomb_mul_real(a, real_vec(v, [2]), arr(v, "Y0, X0, Z0"), real_vec(v, [1]), out, m, oc)
    assert out == arr(v, "Z0") and coeffs_of(oc) == [2j]
    # Surplus coefficients are ignored: X0 and Z0 (1 each) times X0 is I + iY0.
    Q.lincomb_mul_real(a, v.RealVec(5), a, real_vec(v, [1]), out, m, oc)
    assert out == arr(v, "I0, Y0", 1) and coeffs_of(oc) == [1, 1j]


def test_mul_squaring_and_borrows(v, Q):
    a = arr(v, "X0, Z0")
    ca = complex_vec(v, [1, 1j])
    out, m, oc = empty_output(v, 1)
    Q.lincomb_mul_complex(a, ca, a, ca, out, m, oc)  # one object on both sides
    # (X + iZ)^2 = 1 - 1 + i(XZ + ZX) = 0: everything cancels.
    assert len(out) == 0 and len(oc) == 0 and len(m) == 0
    with pytest.raises(RuntimeError, match="Already borrowed"):
        Q.lincomb_mul_complex(a, ca, a, ca, a, m, oc)  # an output that is also an input
    assert a == arr(v, "X0, Z0") and coeffs_of(ca) == [1, 1j]


def test_mul_different_registers_leave_outputs_untouched(v, Q):
    a, b = arr(v, "X0 Z1"), arr(v, "Y1")
    one = real_vec(v, [1])
    out, m, oc = empty_output(v, 2)
    Q.lincomb_mul_real(a, one, b, one, out, m, oc)  # X0 Z1 Y1 = -i X0 X1
    assert out == arr(v, "X0 X1") and coeffs_of(oc) == [-1j]
    for lhs, rhs, o in [(a, arr(v, "Y2"), out), (a, b, Q(v.Qubits.from_count(3))),
                        (a, b, Q(v.Qubits.from_inds([1, 0])))]:
        with pytest.raises(ValueError) as e:
            Q.lincomb_mul_real(lhs, one, rhs, one, o, m, oc)
        assert str(e.value) == "Qubits-based objects are based on different qubit spaces."
    assert out == arr(v, "X0 X1") and coeffs_of(oc) == [-1j] and len(m) == 1


# Sizes up to 5 qubits against dense matrices; 130 qubits (several words per
# plane) against the model alone.
@pytest.mark.parametrize("n", [1, 2, 3, 4, 5, 130])
def test_mul_random_operators_against_model_and_dense(v, Q, n):
    rng = random.Random(1000 + n)
    # Small integers and halves keep every sum exact, so cancellations happen as in the model.
    values = [-2, -1, 1, 2, 0.5]
    for trial in range(12 if n < 10 else 2):
        lhs = [tuple(rng.choice("IXYZ") for _ in range(n)) for _ in range(rng.randint(1, 7))]
        rhs = [tuple(rng.choice("IXYZ") for _ in range(n)) for _ in range(rng.randint(1, 7))]
        use_complex = trial % 2 == 0
        if use_complex:
            lc = [complex(rng.choice(values), rng.choice(values + [0])) for _ in lhs]
            rc = [complex(rng.choice(values), rng.choice(values + [0])) for _ in rhs]
        else:
            lc = [rng.choice(values) for _ in lhs]
            rc = [rng.choice(values) for _ in rhs]
        a, b = array(v, n, lhs), array(v, n, rhs)
        out, m, oc = empty_output(v, n)
        if use_complex:
            Q.lincomb_mul_complex(a, complex_vec(v, lc), b, complex_vec(v, rc), out, m, oc)
        else:
            Q.lincomb_mul_real(a, real_vec(v, lc), b, real_vec(v, rc), out, m, oc)
        strings, coeffs = model_mul(lhs, lc, rhs, rc)
        # Same strings in the same order, same coefficients, a map of one pair per string.
        assert out == array(v, n, strings)
        assert coeffs_of(oc) == coeffs
        assert len(m) == len(out) == len(oc)
        if n <= 5:
            np.testing.assert_allclose(op_matrix(strings, coeffs, n), op_matrix(lhs, lc, n) @ op_matrix(rhs, rc, n), atol=1e-12)
