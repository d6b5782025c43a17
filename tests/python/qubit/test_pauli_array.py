"""QubitPauliArray: construction, whole-object members and products of Pauli
linear combinations, checked against a pure-Python model of the Pauli algebra
and against dense matrices built here from 2x2 matrices and Kronecker products."""

import itertools
import random

import numpy as np
import pytest

# ---------------------------------------------------------------- reference model

I2 = np.eye(2, dtype=complex)
SINGLE = {
    "I": I2,
    "X": np.array([[0, 1], [1, 0]], dtype=complex),
    "Y": np.array([[0, -1j], [1j, 0]], dtype=complex),
    "Z": np.array([[1, 0], [0, -1]], dtype=complex),
}
CYCLIC = {("X", "Y"), ("Y", "Z"), ("Z", "X")}


def single_product(a, b):
    """(symbol, factor) of the product of two single-qubit Paulis."""
    if a == "I":
        return b, 1
    if b == "I":
        return a, 1
    if a == b:
        return "I", 1
    (c,) = {"X", "Y", "Z"} - {a, b}
    return c, (1j if (a, b) in CYCLIC else -1j)


def string_product(s, t):
    out, phase = [], 1
    for a, b in zip(s, t):
        c, f = single_product(a, b)
        out.append(c)
        phase *= f
    return tuple(out), phase


def model_mul(lhs, lc, rhs, rc):
    """The product accumulated term by term: append when absent, add when
    present, swap-remove a coefficient that becomes exactly zero."""
    strings, coeffs, where = [], [], {}
    for i in range(min(len(lhs), len(lc))):
        for j in range(min(len(rhs), len(rc))):
            s, phase = string_product(lhs[i], rhs[j])
            c = complex(phase * lc[i]) * rc[j]
            if s in where:
                k = where[s]
                coeffs[k] = c + coeffs[k]
            else:
                k = len(strings)
                where[s] = k
                strings.append(s)
                coeffs.append(complex(c))
            if coeffs[k] == 0:
                last = len(strings) - 1
                del where[s]
                if k != last:
                    strings[k], coeffs[k] = strings[last], coeffs[last]
                    where[strings[k]] = k
                strings.pop()
                coeffs.pop()
    return strings, coeffs


def dense(strings, coeffs, n):
    """Sum of c * kron(P_{n-1}, ..., P_0): position 0 is bit 0 of the index."""
    m = np.zeros((2**n, 2**n), dtype=complex)
    for s, c in zip(strings, coeffs):
        t = np.eye(1, dtype=complex)
        for p in reversed(s):
            t = np.kron(t, SINGLE[p])
        m += c * t
    return m


def text_of(strings):
    """The Pauli text of a list of strings; the identity is written I0."""
    return ", ".join(" ".join(f"{p}{q}" for q, p in enumerate(s) if p != "I") or "I0" for s in strings)


# ---------------------------------------------------------------- helpers


@pytest.fixture(scope="module")
def Q(v):
    return v.QubitPauliArray


def array(v, n, strings):
    if not strings:
        return v.QubitPauliArray(v.Qubits.from_count(n))
    return v.QubitPauliArray(v.Qubits.from_count(n), v.PauliSprings(text_of(strings)))


def real_vec(v, xs):
    return v.RealVec.from_array(np.array(xs, dtype=float))


def complex_vec(v, xs):
    return v.ComplexVec.from_array(np.array(xs, dtype=complex))


def empty_output(v, n):
    return v.QubitPauliArray(v.Qubits.from_count(n)), v.Map(), v.ComplexVec()


def coeffs_of(vec):
    return [vec[i] for i in range(len(vec))]


# ---------------------------------------------------------------- class shape


def test_class_docs_and_signatures(v, Q):
    assert Q.__name__ == "QubitPauliArray"
    assert Q.__doc__ == "A list of Pauli strings"
    assert Q.__text_signature__ == "(qubits=None, springs=None)"
    assert Q.with_phases.__text_signature__ == "(qubits, springs)"
    assert Q.with_phases.__doc__ == (
        "Get a new instance and the phases associated with coincidentally-indexed Paulis in the input springs."
    )
    assert Q.same_as.__text_signature__ == "($self, other)"
    assert Q.same_as.__doc__ == "Return whether the two instances are the same."
    assert Q.qubits.__doc__ == "Get the qubit space on which this term is based."
    for name in ("lincomb_mul_real", "lincomb_mul_complex"):
        f = getattr(Q, name)
        assert f.__text_signature__ == "(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)"
        assert f.__doc__ == "Mul lhs by rhs and update out with the result"
    assert "QubitPauliArray" in v.__all__


# ---------------------------------------------------------------- construction


def test_constructor_defaults(v, Q):
    a = Q()
    assert len(a) == 0 and len(a.qubits) == 0
    assert not a
    b = Q(v.Qubits.from_count(4))
    assert len(b) == 0 and b.qubits == v.Qubits.from_count(4)
    assert Q(qubits=None, springs=None) == a
    assert Q(springs=v.PauliSprings("X0")) == Q(None, v.PauliSprings("X0"))


def test_constructor_without_register_uses_largest_position(v, Q):
    a = Q(None, v.PauliSprings("X0 Y2"))
    assert len(a) == 1
    assert a.qubits == v.Qubits.from_count(3)
    assert a == Q(v.Qubits.from_count(3), v.PauliSprings("Y2 X0"))
    # Identity tokens count towards the register.
    assert Q(None, v.PauliSprings("X0, I6")).qubits == v.Qubits.from_count(7)


def test_constructor_positions_outside_register(v, Q):
    with pytest.raises(IndexError) as e:
        Q(v.Qubits.from_count(2), v.PauliSprings("Z2"))
    assert "2" in str(e.value)
    inds = v.Qubits.from_inds([5, 7])
    assert len(Q(inds, v.PauliSprings("Z1, X0 Y1"))) == 2
    with pytest.raises(IndexError):
        Q(inds, v.PauliSprings("Z5"))


def test_constructor_refuses_phases(v, Q):
    # X X = I is accepted; X Y = iZ is refused with the first offending phase.
    assert Q(None, v.PauliSprings("X0 X0")) == Q(v.Qubits.from_count(1), v.PauliSprings("I0"))
    with pytest.raises(ValueError) as e:
        Q(None, v.PauliSprings("X0 Y0"))
    assert str(e.value) == 'Value +i of type "ComplexSign" is not representable as type "Unity"'
    with pytest.raises(ValueError) as e:
        Q(None, v.PauliSprings("Z1, Y0 X0, X0 Y0"))
    assert str(e.value) == 'Value -i of type "ComplexSign" is not representable as type "Unity"'
    with pytest.raises(ValueError) as e:
        Q(None, v.PauliSprings("X0 Y0 X0 Y0"))  # (iZ)(iZ) = -1
    assert str(e.value) == 'Value -1 of type "ComplexSign" is not representable as type "Unity"'


def test_constructor_argument_types(v, Q):
    with pytest.raises(TypeError, match="qubits"):
        Q(3)
    with pytest.raises(TypeError, match="springs"):
        Q(None, "X0")
    # qubits is checked before springs.
    with pytest.raises(TypeError, match="qubits"):
        Q(1, 2)


def test_with_phases(v, Q):
    arr, phases = Q.with_phases(None, v.PauliSprings("X0 Y0, Y0 X0, X0 X0, Z1"))
    assert isinstance(phases, v.ComplexSignVec)
    assert [str(phases[i]) for i in range(len(phases))] == ["+i", "-i", "+1", "+1"]
    assert arr == Q(v.Qubits.from_count(2), v.PauliSprings("Z0, Z0, I0, Z1"))
    arr, phases = Q.with_phases(v.Qubits.from_count(3), None)
    assert len(arr) == 0 and len(phases) == 0 and arr.qubits == v.Qubits.from_count(3)
    arr, phases = Q.with_phases(None, None)
    assert len(arr) == 0 and len(arr.qubits) == 0
    with pytest.raises(TypeError):
        Q.with_phases(None)
    with pytest.raises(TypeError, match="springs"):
        Q.with_phases(None, "X0")
    with pytest.raises(IndexError):
        Q.with_phases(v.Qubits.from_count(1), v.PauliSprings("X0 Y1"))


# ---------------------------------------------------------------- whole-object members


def test_equality_identity_and_hash(v, Q):
    a = Q(None, v.PauliSprings("X0, Z1"))
    b = Q(None, v.PauliSprings("X0, Z1"))
    assert a == a and a.same_as(a)
    assert a == b and not (a != b) and not a.same_as(b)
    assert a != Q(None, v.PauliSprings("Z1, X0"))  # order matters
    assert a != Q(v.Qubits.from_count(3), v.PauliSprings("X0, Z1"))  # register matters
    assert a != Q(v.Qubits.from_inds([4, 5]), v.PauliSprings("X0, Z1"))
    assert (a == 1) is False and (a != 1) is True
    with pytest.raises(TypeError):
        a < b
    with pytest.raises(TypeError):
        hash(a)
    with pytest.raises(TypeError, match="other"):
        a.same_as(1)


def test_qubits_attribute(v, Q):
    a = Q(v.Qubits.from_inds([5, 7]), v.PauliSprings("X1"))
    q1, q2 = a.qubits, a.qubits
    assert q1 == q2 and q1 is not q2
    assert q1 == v.Qubits.from_inds([5, 7])
    with pytest.raises(AttributeError):
        a.qubits = v.Qubits.from_count(2)


# ---------------------------------------------------------------- products


def test_mul_worked_examples(v, Q):
    x, y = Q(None, v.PauliSprings("X0")), Q(None, v.PauliSprings("Y0"))
    one = complex_vec(v, [1])
    out, m, oc = empty_output(v, 1)
    assert Q.lincomb_mul_complex(x, one, y, one, out, m, oc) is None
    assert out == Q(None, v.PauliSprings("Z0")) and coeffs_of(oc) == [1j] and len(m) == 1
    Q.lincomb_mul_complex(y, one, x, one, out, m, oc)
    assert coeffs_of(oc) == [-1j]
    # Real inputs give complex outputs.
    Q.lincomb_mul_real(x, real_vec(v, [1.0]), y, real_vec(v, [2.0]), out, m, oc)
    assert coeffs_of(oc) == [2j]
    # (X0 + Y0)(Y0 + X0) = 2 I: Z0 cancels exactly and is swap-removed.
    xy, yx = Q(None, v.PauliSprings("X0, Y0")), Q(None, v.PauliSprings("Y0, X0"))
    ones = real_vec(v, [1, 1])
    Q.lincomb_mul_real(xy, ones, yx, ones, out, m, oc)
    assert out == Q(v.Qubits.from_count(1), v.PauliSprings("I0"))
    assert coeffs_of(oc) == [2] and len(m) == 1


def test_mul_coefficient_order_and_first_appearance(v, Q):
    a = Q(None, v.PauliSprings("X0, Z1"))
    out, m, oc = empty_output(v, 2)
    Q.lincomb_mul_complex(a, complex_vec(v, [1 + 1j, 2]), a, complex_vec(v, [1j, 3]), out, m, oc)
    # (X0,X0) = I, (X0,Z1) = X0 Z1, (Z1,X0) = X0 Z1, (Z1,Z1) = I.
    assert out == Q(v.Qubits.from_count(2), v.PauliSprings("I0, X0 Z1"))
    assert coeffs_of(oc) == [(1 + 1j) * 1j + 6, (1 + 1j) * 3 + 2 * 1j]


def test_mul_empty_and_short_inputs(v, Q):
    a = Q(None, v.PauliSprings("X0, Z0"))
    out, m, oc = empty_output(v, 1)
    Q.lincomb_mul_real(a, real_vec(v, [1, 2]), a, real_vec(v, [3, 4]), out, m, oc)
    assert len(out) == 2
    # An empty side empties all three outputs.
    Q.lincomb_mul_real(Q(v.Qubits.from_count(1)), v.RealVec(), a, real_vec(v, [1, 2]), out, m, oc)
    assert len(out) == 0 and len(m) == 0 and len(oc) == 0
    # Only the first min(strings, coefficients) terms take part.
    Q.lincomb_mul_real(a, real_vec(v, [2]), Q(None, v.PauliSprings("Y0, X0, Z0")), real_vec(v, [1]), out, m, oc)
    assert out == Q(None, v.PauliSprings("Z0")) and coeffs_of(oc) == [2j]
    # Surplus coefficients are ignored: X0 and Z0 (1 each) times X0 is I + iY0.
    Q.lincomb_mul_real(a, v.RealVec(5), a, real_vec(v, [1]), out, m, oc)
    assert out == Q(v.Qubits.from_count(1), v.PauliSprings("I0, Y0")) and coeffs_of(oc) == [1, 1j]


def test_mul_squaring_and_borrows(v, Q):
    a = Q(None, v.PauliSprings("X0, Z0"))
    ca = complex_vec(v, [1, 1j])
    out, m, oc = empty_output(v, 1)
    Q.lincomb_mul_complex(a, ca, a, ca, out, m, oc)  # one object on both sides
    # (X + iZ)^2 = 1 - 1 + i(XZ + ZX) = 0: everything cancels.
    assert len(out) == 0 and len(oc) == 0 and len(m) == 0
    before = Q(None, v.PauliSprings("X0, Z0"))
    with pytest.raises(RuntimeError, match="Already borrowed"):
        Q.lincomb_mul_complex(a, ca, a, ca, a, m, oc)
    assert a == before
    with pytest.raises(RuntimeError, match="Already borrowed"):
        Q.lincomb_mul_complex(a, ca, a, oc, out, m, oc)
    with pytest.raises(RuntimeError, match="Already borrowed"):
        Q.lincomb_mul_complex(a, ca, a, ca, out, m, ca)
    assert coeffs_of(ca) == [1, 1j]


def test_mul_different_registers_leave_outputs_untouched(v, Q):
    a, b = Q(None, v.PauliSprings("X0 Z1")), Q(None, v.PauliSprings("Y1"))
    one = real_vec(v, [1])
    out, m, oc = empty_output(v, 2)
    Q.lincomb_mul_real(a, one, b, one, out, m, oc)  # X0 Z1 Y1 = -i X0 X1
    expected = Q(None, v.PauliSprings("X0 X1"))
    assert out == expected and coeffs_of(oc) == [-1j]
    wrong = [
        (a, Q(None, v.PauliSprings("Y2")), out),
        (a, b, Q(v.Qubits.from_count(3))),
        (a, b, Q(v.Qubits.from_inds([1, 0]))),
    ]
    for lhs, rhs, o in wrong:
        with pytest.raises(ValueError) as e:
            Q.lincomb_mul_real(lhs, one, rhs, one, o, m, oc)
        assert str(e.value) == "Qubits-based objects are based on different qubit spaces."
    assert out == expected and coeffs_of(oc) == [-1j] and len(m) == 1


def test_mul_argument_types(v, Q):
    a = Q(None, v.PauliSprings("X0"))
    out, m, oc = empty_output(v, 1)
    with pytest.raises(TypeError, match="lhs_coeffs"):
        Q.lincomb_mul_real(a, complex_vec(v, [1]), a, real_vec(v, [1]), out, m, oc)
    with pytest.raises(TypeError, match="out_coeffs"):
        Q.lincomb_mul_real(a, real_vec(v, [1]), a, real_vec(v, [1]), out, m, real_vec(v, [1]))
    with pytest.raises(TypeError, match="out_map"):
        Q.lincomb_mul_complex(a, complex_vec(v, [1]), a, complex_vec(v, [1]), out, None, oc)
    with pytest.raises(TypeError):
        Q.lincomb_mul_real(a, real_vec(v, [1]), a, real_vec(v, [1]), out, m)


def random_strings(rng, n, count):
    return [tuple(rng.choice("IXYZ") for _ in range(n)) for _ in range(count)]


@pytest.mark.parametrize("n", [1, 2, 3, 4, 5])
def test_mul_random_operators_against_model_and_dense(v, Q, n):
    rng = random.Random(1000 + n)
    # Small integers keep every sum exact, so cancellations happen as in the model.
    values = [-2, -1, 1, 2, 0.5]
    for trial in range(12):
        lhs = random_strings(rng, n, rng.randint(1, 7))
        rhs = random_strings(rng, n, rng.randint(1, 7))
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
        # The product's dense matrix is the product of the dense matrices.
        got = dense(strings, coeffs_of(oc), n)
        want = dense(lhs, lc, n) @ dense(rhs, rc, n)
        np.testing.assert_allclose(got, want, atol=1e-12)


def test_mul_all_single_qubit_pairs(v, Q):
    for p, q in itertools.product("IXYZ", repeat=2):
        out, m, oc = empty_output(v, 1)
        a, b = array(v, 1, [(p,)]), array(v, 1, [(q,)])
        Q.lincomb_mul_real(a, real_vec(v, [1]), b, real_vec(v, [1]), out, m, oc)
        np.testing.assert_array_equal(dense([string_product((p,), (q,))[0]], coeffs_of(oc), 1),
                                      SINGLE[p] @ SINGLE[q])


def test_mul_long_strings(v, Q):
    # Several words per plane: 130 qubits.
    rng = random.Random(9)
    n = 130
    lhs, rhs = random_strings(rng, n, 5), random_strings(rng, n, 4)
    lc, rc = [1, -1, 2, 1j, 0.5], [1j, 1, -2, 3]
    out, m, oc = empty_output(v, n)
    Q.lincomb_mul_complex(array(v, n, lhs), complex_vec(v, lc), array(v, n, rhs), complex_vec(v, rc), out, m, oc)
    strings, coeffs = model_mul(lhs, lc, rhs, rc)
    assert out == array(v, n, strings)
    assert coeffs_of(oc) == coeffs


def test_mul_on_an_index_register(v, Q):
    # Positions, not register indices, are multiplied: X0 Z1 times Z1 on [5, 7] is X0.
    reg = v.Qubits.from_inds([5, 7])
    a, b = Q(reg, v.PauliSprings("X0 Z1")), Q(reg, v.PauliSprings("Z1"))
    out, m, oc = Q(reg), v.Map(), v.ComplexVec()
    Q.lincomb_mul_real(a, real_vec(v, [3]), b, real_vec(v, [-1]), out, m, oc)
    assert out == Q(reg, v.PauliSprings("X0")) and coeffs_of(oc) == [-3]
    assert out.qubits == reg
