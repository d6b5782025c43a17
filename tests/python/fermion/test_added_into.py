"""Outputs that are added into (mapper contributions, fermion application to a
state) must hold one coefficient per component, and the bound on the size of a
normal-ordered product is checked before it is expanded."""

import numpy as np
import pytest
from reference import paulis, vec

from vemo._vemo import BinarySprings, FermionSprings, FermionStateArray, Map, Modes, NormalFermionOperatorArray


# Each case gives an output of two components and a call that adds x times the
# first one into it.
def contribute_case(v, complex_):
    jw = v.JordanWignerMapper(v.Qubits.from_count(1))
    jw.op_load_product([])  # the identity
    out = paulis(v, 1, [("I",), ("Z",)])
    add = jw.op_contribute_complex if complex_ else jw.op_contribute_real
    return out, lambda m, c, x: add(out, m, c, x)


def apply_case(v, complex_):
    modes = Modes.from_count(2)  # F1^ F0 |{0}> = |{1}>
    h = NormalFermionOperatorArray(modes, FermionSprings("F1^ F0"))
    ket, out = FermionStateArray(modes, BinarySprings("[1, 0]")), FermionStateArray(modes, BinarySprings("[0, 1], [0, 0]"))
    apply = h.apply_to_state_complex if complex_ else h.apply_to_state_real
    return out, lambda m, c, x: apply(vec(v, [x], complex_), ket, vec(v, [1.0], complex_), out, m, c)


@pytest.mark.parametrize("case", [contribute_case, apply_case])
@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("coeffs", [[1.0, 2.0], [1.0, 2.0, 5.0], [1.0], []])
def test_added_into_needs_a_coefficient_per_component(v, case, complex_, coeffs):
    out, add = case(v, complex_)
    m, c = Map(), vec(v, coeffs, complex_)
    out.refresh_map(m)
    kept = out.cmpnt_to_string(1)
    if len(coeffs) == 2:  # -1 cancels the first component's 1 exactly
        add(m, c, -1.0)
        assert len(out) == len(m) == 1 and out.cmpnt_to_string(0) == kept
        np.testing.assert_array_equal(c.to_array(), np.array([2.0]))
        return
    with pytest.raises(ValueError, match=f"^Coefficient vector of length {len(coeffs)} does not match the component "
                                         "list of length 2.$"):
        add(m, c, -1.0)
    assert len(out) == len(m) == 2 and out.cmpnt_to_string(1) == kept
    np.testing.assert_array_equal(c.to_array(), np.array(coeffs))


def contractions(k):  # a0 ... a(k-1) c0 ... c(k-1): up to sign the product of the (1 - n_m)
    return [(m, False) for m in range(k)] + [(m, True) for m in range(k)]


@pytest.mark.parametrize("n_modes, ops, terms", [
    (0, [], 1), (1, contractions(1), 2), (6, contractions(6), 64),
    (70, [(0, False), (0, True)] * 40 + [(m, True) for m in range(1, 70)], 2),  # (a0 c0)^40 = a0 c0
    (64, contractions(64), None), (100, contractions(70), None),
])
def test_normal_form_size_is_bounded_before_expanding(n_modes, ops, terms):
    load = lambda: NormalFermionOperatorArray.from_ladder_product(Modes.from_count(n_modes), ops)  # noqa: E731
    if terms is None:
        with pytest.raises(MemoryError, match=f"^Cannot allocate the normal-ordered form of a product of {len(ops)} "
                                              f"ladder operators: up to 2\\^{len(ops) // 2} terms of \\d+ bytes each.$"):
            load()
    else:
        cmpnts, coeffs = load()
        assert len(cmpnts) == terms and sorted(abs(x) for x in coeffs.to_array()) == [1.0] * terms
