"""Outputs that are added into (mapper contributions, fermion application to a
state) must hold one coefficient per component: any other length is refused
with ValueError before anything changes. Also the bound on the size of a
normal-ordered product, checked before it is expanded."""

import numpy as np
import pytest
from reference import paulis, vec

from vemo._vemo import FermionSprings, FermionStateArray, Map, Modes, NormalFermionOperatorArray


def pauli_out(v, coeffs, complex_):
    """[I, Z0] on one qubit, mapped, with the given coefficients."""
    out, m = paulis(v, 1, [("I",), ("Z",)]), v.Map()
    out.refresh_map(m)
    return out, m, vec(v, coeffs, complex_)


def contribute(mapper, complex_, *args):
    return (mapper.op_contribute_complex if complex_ else mapper.op_contribute_real)(*args)


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("coeffs", [[1.0, 2.0, 5.0], [1.0], []])
def test_contribute_refuses_coefficients_out_of_step(v, complex_, coeffs):
    jw = v.JordanWignerMapper(v.Qubits.from_count(1))
    jw.op_load_product([])  # the identity
    out, m, c = pauli_out(v, coeffs, complex_)
    with pytest.raises(ValueError, match=f"^Coefficient vector of length {len(coeffs)} does not match the component "
                                         "list of length 2.$"):
        contribute(jw, complex_, out, m, c, -1.0)
    assert [out.cmpnt_to_string(i) for i in range(len(out))] == ["", "Z0"] and len(m) == 2
    np.testing.assert_array_equal(c.to_array(), np.array(coeffs))


@pytest.mark.parametrize("complex_", [False, True])
def test_contribute_cancels_exactly_when_in_step(v, complex_):
    # -1 times the identity cancels the identity's 1: Z0 is left with its own 2.
    jw = v.JordanWignerMapper(v.Qubits.from_count(1))
    jw.op_load_product([])
    out, m, c = pauli_out(v, [1.0, 2.0], complex_)
    contribute(jw, complex_, out, m, c, -1.0)
    assert len(out) == len(m) == 1 and out.cmpnt_to_string(0) == "Z0"
    np.testing.assert_array_equal(c.to_array(), np.array([2.0]))


def normal(texts, modes):
    return NormalFermionOperatorArray(modes, FermionSprings(texts))


def fermion_states(modes, sets):
    s = FermionStateArray(modes, None)
    for i, occupied in enumerate(sets):
        s.append_clear()
        s.cmpnt_set_from_set(i, occupied)
    return s


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("out_coeffs", [[], [1.0], [1.0, 4.0, 9.0]])
def test_apply_to_state_refuses_coefficients_out_of_step(v, complex_, out_coeffs):
    modes = Modes.from_count(2)
    h = normal("F1^ F0", modes)
    ket = fermion_states(modes, [{0}])
    out = fermion_states(modes, [{1}, set()])
    m = Map()
    out.refresh_map(m)
    c = vec(v, out_coeffs, complex_)
    apply = h.apply_to_state_complex if complex_ else h.apply_to_state_real
    with pytest.raises(ValueError, match=f"^Coefficient vector of length {len(out_coeffs)} does not match the "
                                         "component list of length 2.$"):
        apply(vec(v, [1.0], complex_), ket, vec(v, [1.0], complex_), out, m, c)
    assert len(out) == len(m) == 2
    np.testing.assert_array_equal(c.to_array(), np.array(out_coeffs))


@pytest.mark.parametrize("complex_", [False, True])
def test_apply_to_state_cancels_exactly_when_in_step(v, complex_):
    # F1^ F0 |{0}> = |{1}>, and -1 times it cancels the 1 that |{1}> held.
    modes = Modes.from_count(2)
    h = normal("F1^ F0", modes)
    ket = fermion_states(modes, [{0}])
    out = fermion_states(modes, [{1}, set()])
    m = Map()
    out.refresh_map(m)
    c = vec(v, [1.0, 3.0], complex_)
    apply = h.apply_to_state_complex if complex_ else h.apply_to_state_real
    apply(vec(v, [-1.0], complex_), ket, vec(v, [1.0], complex_), out, m, c)
    assert len(out) == len(m) == 1 and not out.cmpnt_get_set(0)
    np.testing.assert_array_equal(c.to_array(), np.array([3.0]))


@pytest.mark.parametrize("k", [0, 1, 3, 6])
def test_normal_form_of_contractions_has_two_to_the_k_terms(k):
    # a0 ... a(k-1) c0 ... c(k-1) is, up to sign, the product of (1 - n_m).
    ops = [(m, False) for m in range(k)] + [(m, True) for m in range(k)]
    cmpnts, coeffs = NormalFermionOperatorArray.from_ladder_product(Modes.from_count(k), ops)
    assert len(cmpnts) == len(coeffs) == 2**k
    assert sorted(abs(x) for x in coeffs.to_array()) == [1.0] * 2**k


@pytest.mark.parametrize("n_modes,k", [(64, 64), (100, 70)])
def test_normal_form_past_any_memory_is_refused_before_expanding(n_modes, k):
    ops = [(m, False) for m in range(k)] + [(m, True) for m in range(k)]
    with pytest.raises(MemoryError, match=f"^Cannot allocate the normal-ordered form of a product of {2 * k} ladder "
                                          f"operators: up to 2\\^{k} terms of \\d+ bytes each.$"):
        NormalFermionOperatorArray.from_ladder_product(Modes.from_count(n_modes), ops)


def test_repeated_contractions_of_one_mode_stay_small():
    # (a0 c0)^40 = a0 c0: two terms, however long the product.
    ops = [(0, False), (0, True)] * 40 + [(m, True) for m in range(1, 70)]
    cmpnts, coeffs = NormalFermionOperatorArray.from_ladder_product(Modes.from_count(70), ops)
    assert len(cmpnts) == 2
