"""The fermion array classes' own rules: construction from texts, setting and
reading components, the raw products' capacity, occupation-number states,
dense vectors and inner products at their edges, and refused sizes."""

from collections import UserList

import numpy as np
import pytest

from vemo._vemo import (
    BinarySprings,
    ComplexVec,
    FermionSprings,
    FermionStateArray as S,
    GeneralFermionOperatorArray as G,
    JordanWignerMapper,
    Map,
    Modes,
    NormalFermionOperatorArray as N,
    QubitPauliArray,
    Qubits,
    RealVec,
)

C4 = Modes.from_count(4)
BIT = "Bit index {} is out-of-bounds for bit matrix with {} per row."
NOT_ONE = "Fermion string does not normal-order to exactly one positive component"


def normal(texts, modes=None):
    return N(modes, FermionSprings(texts))


@pytest.mark.parametrize(
    "text,modes,message",
    [("F1^ F0^", None, NOT_ONE), ("F0 F0^", None, NOT_ONE), ("F0^ F0^", None, NOT_ONE),
     ("F3^ F1, F0^", Modes.from_count(3), "mode index out of bounds")],
)
def test_normal_construction_refusals(text, modes, message):
    with pytest.raises(ValueError, match=message):
        normal(text, modes)


def test_normal_construction_and_components():
    a = normal("F3^ F1, F0^, F0^ F1^, F0^ F0")
    assert a.modes == C4 and len(a) == 4
    assert [a.cmpnt_to_string(i) for i in range(4)] == ["F3^ F1", "F0^", "F0^ F1^", "F0^ F0"]
    assert (a.cmpnt_count_n_body(0), a.cmpnt_particle_number_change(0)) == (1, 0)
    a.cmpnt_set_from_lists(0, [True, False, True], [False, True])
    assert a.cmpnt_get_sets(0) == ([0, 2], [1]) and a.cmpnt_get_cre(0, -2) and not a.cmpnt_get_ann(0, 0)
    a.cmpnt_set_ann(0, -1, True)
    assert a.cmpnt_to_string(0) == "F0^ F2^ F1 F3"
    with pytest.raises(IndexError, match="Element index 4 is out-of-bounds for container of length 4"):
        a.cmpnt_get_cre(0, 4)
    signs = a.dagger_get_signs()
    assert [signs[i].to_phase() for i in range(4)] == [False, False, True, False]
    assert a.cmpnt_to_string(2) == "F0 F1"


@pytest.mark.parametrize(
    "call,index",
    [(lambda a: a.cmpnt_set_from_sets(0, {1, 7}, set()), 7), (lambda a: a.cmpnt_set_from_sets(0, {0}, {5}), 5),
     (lambda a: a.cmpnt_set_from_lists(0, [False] * 5, []), 4), (lambda a: a.cmpnt_set_from_lists(0, [True], [False] * 6), 5)],
)
def test_normal_setters_check_both_sets_before_writing(call, index):
    a = normal("F2^ F3")
    with pytest.raises(IndexError, match=BIT.format(index, "4 bits")):
        call(a)
    assert a.cmpnt_to_string(0) == "F2^ F3"


def test_normal_set_from_spring_checks_in_order():
    a, s = normal("F2^"), FermionSprings("F1^ F0^, F1")
    with pytest.raises(IndexError, match="Element index 5"):
        a.cmpnt_set_from_spring(9, s, 5)
    with pytest.raises(ValueError, match=NOT_ONE):
        a.cmpnt_set_from_spring(9, s, 0)
    with pytest.raises(IndexError, match="Element index 9"):
        a.cmpnt_set_from_spring(9, s, 1)
    a.cmpnt_set_from_spring(-1, s, 1)
    assert a.cmpnt_to_string(0) == "F1"


def test_general_capacity_and_comparisons():
    g = G(C4, None, None)
    g.append_clear()
    g.cmpnt_set_from_ops(0, [3, 0], [True, False])
    assert g.max_len == 2 and g.cmpnt_get_ops(0) == ([3, 0], [True, False])
    with pytest.raises(ValueError, match="operator product is longer than max_len"):
        g.cmpnt_set_from_ops(0, [0, 1, 2], [True] * 3)
    with pytest.raises(ValueError, match="modes and adj must have the same length"):
        g.cmpnt_set_from_ops(7, [0, 1], [True])
    wide = G(None, None, FermionSprings("F3^ F0, F2 F2 F2"))
    assert (wide.modes, wide.max_len) == (C4, 3) and wide.cmpnt_to_string(1) == "F2 F2 F2"
    one = G.from_ladder_product(C4, [(3, True), (0, False)])
    assert one == G(C4, 5, FermionSprings("F3^ F0")) and one.cmpnt_equal(0, wide, 0)
    m = Map()
    wide.refresh_map(m)
    assert wide.mapped_lookup(m, one, 0) == 0 and wide.mapped_insert(m, one, 0) == 0
    assert one.cmpnts_eq(None, wide, [0]) and not one.cmpnts_eq([0], wide, [1])
    om = Map()
    one.refresh_map(om)
    assert one.mapped_lookup(om, wide, 1) is None
    with pytest.raises(ValueError, match="operator product is longer than max_len"):
        one.mapped_insert(om, wide, 1)
    assert len(one) == 1 and wide.mapped_remove(m, one, 0) == 0 and len(wide) == 1
    prod, coeffs = G.lincomb_mul_real(one, RealVec(1), wide, RealVec(1))
    assert prod.max_len == 5 and prod.cmpnt_to_string(0) == "F3^ F0 F2 F2 F2"
    with pytest.raises(ValueError, match="different qubit spaces"):
        G.lincomb_mul_real(one, RealVec(1), G(Modes.from_pair_count_spin_major(2), 1, None), RealVec(0))


def test_state_construction_and_rows():
    s = S(None, BinarySprings("[0, 1], [1, 0, 0]"))
    assert s.modes == Modes.from_count(3) and s.cmpnt_get_set(0) == {1} and s.cmpnt_get_list(1) == [True, False, False]
    with pytest.raises(IndexError, match=BIT.format(2, "2 bits")):
        S(Modes.from_count(2), BinarySprings("[0, 0, 1]"))
    s.cmpnt_set_from_spring(0, BinarySprings("[1, 0]"), 0)
    assert s.cmpnt_to_string(0) == "[1, 1, 0]" and s.cmpnt_count(0, False) == 1
    with pytest.raises(IndexError, match=BIT.format(3, "3 bits")):
        s.cmpnt_set_from_spring(1, BinarySprings("[0, 1, 0, 1]"), 0)
    with pytest.raises(IndexError, match="String index 1"):
        s.cmpnt_set_from_spring(1, BinarySprings("[0, 1]"), 1)
    assert s.cmpnt_to_string(1) == "[1, 0, 0]"


def test_dense_vectors_and_inner_products_at_their_edges():
    s = S(Modes.from_count(2), BinarySprings("[1, 0], [0, 1], [1, 1]"))
    assert s.to_dense_real(RealVec.from_array(np.array([0.5, 2.0, 4.0])), True) == [0.0, 2.0, 0.5, 4.0]
    with pytest.raises(IndexError, match="Mode index 64 is out-of-bounds for component list with 64 modes"):
        S(Modes.from_count(64), None).to_dense_real(RealVec(0), False)
    vac = S(Modes.from_count(0), None)
    vac.append_clear()
    assert vac.to_dense_complex(ComplexVec.from_array(np.array([2j])), False) == [2j]
    m = Map()
    s.refresh_map(m)
    c = ComplexVec.from_array(np.array([1 + 1j, 2, 3j]))
    assert s.vdot_complex(m, c, s, c) == 15
    big = S(Modes.from_count(130), None)
    big.from_dense_real(Map(), RealVec(0), [0, 0, 0, 1.5], True)
    assert big.cmpnt_get_set(0) == {128, 129}


@pytest.mark.parametrize("make", [lambda: normal("F0^ F1"), lambda: G(C4, 2, FermionSprings("F0 F1")),
                                  lambda: S(C4, BinarySprings("[1, 1]"))])
def test_refused_sizes_change_nothing(make):
    a = make()
    with pytest.raises(MemoryError):
        a.resize(1 << 62)
    assert len(a) == 1 and a == make()


def test_apply_needs_a_coefficient_for_each_output_state():
    h, s = normal("F0^", C4), S(C4, BinarySprings("[0, 1]"))
    out = S(C4, BinarySprings("[1]"))
    with pytest.raises(ValueError, match="Coefficient vector of length 0 does not match the component list of length 1"):
        h.apply_to_state_real(RealVec(1), s, RealVec(1), out, Map(), RealVec(0))
    assert len(out) == 1


# ---------------------------------------------------------------- ladder-operator pairs


def load_normal(ops):
    arr, coeffs = N.from_ladder_product(C4, ops)
    return [(arr.cmpnt_to_string(i), coeffs[i]) for i in range(len(arr))]


def load_general(ops):
    return G.from_ladder_product(C4, ops).cmpnt_get_ops(0)


def load_mapped(ops):
    m = JordanWignerMapper(Qubits.from_count(4), None)
    m.op_load_product(ops)
    out, cmap, coeffs = QubitPauliArray(Qubits.from_count(4)), Map(), ComplexVec()
    m.op_contribute_complex(out, cmap, coeffs, 1.0)
    return {out.cmpnt_to_string(i): coeffs[i] for i in range(len(out))}


# Every method that takes a product reads its pairs alike: any sequence of two
# items but a str, the mode a non-negative int, is_creation a bool.
@pytest.mark.parametrize("load", [load_normal, load_general, load_mapped])
def test_ladder_pairs_are_read_alike(load):
    want = load([(3, True), (0, False), (3, False)])
    assert want and load([[3, True], (0, False), UserList([3, False])]) == want
    assert load([]) == load(())
    for ops, error, message in [
        ([(0, True), "01"], TypeError, "'str' object cannot be converted to a \\(mode, is_creation\\) pair"),
        ([(0,)], TypeError, "'tuple' object cannot be converted to a \\(mode, is_creation\\) pair"),
        ([5], TypeError, "'int' object cannot be converted"),
        ([(0, 1)], TypeError, "'int' object cannot be converted to 'PyBool'"),
        ([[-1, "x"]], OverflowError, "negative"),  # the mode is converted before is_creation
        ("F0", TypeError, "Can't extract `str` to `Vec`"),
    ]:
        with pytest.raises(error, match=message):
            load(ops)


# Two indices both out of range: the first one checked names its index. Each
# array has 2 components; the other operand has 3.
MAKE = {"N": lambda: normal("F0^, F1"), "G": lambda: G(C4, 2, FermionSprings("F0^, F1")),
        "S": lambda: S(C4, BinarySprings("[1], [0, 1]"))}


@pytest.mark.parametrize("kind, call, index", [
    ("N", lambda a, b: a.cmpnt_set_cre(5, 9, True), 5),
    ("N", lambda a, b: a.cmpnt_get_ann(-3, 9), -1),
    ("N", lambda a, b: a.cmpnt_mul(5, b, 7), 5),
    ("N", lambda a, b: a.cmpnt_copy_internal(-3, 7), -1),
    ("G", lambda a, b: a.cmpnt_equal(5, b, 7), 5),
    ("G", lambda a, b: a.cmpnt_copy_external(5, b, 7), 5),
    ("S", lambda a, b: a.cmpnt_set_bit(5, 9, True), 5),
])
def test_first_bad_index_is_reported(kind, call, index):
    a, b = MAKE[kind](), MAKE[kind]()
    b.append_clear()
    with pytest.raises(IndexError, match=rf"^Element index {index} is out-of-bounds for container of length \d\.$"):
        call(a, b)
    assert a == MAKE[kind]()


def test_general_products_compare_and_copy_across_capacities():
    a, b = G(C4, 2, FermionSprings("F3^ F0, F1")), G(C4, 4, FermionSprings("F1, F3^ F0, F0 F1^ F2"))
    m = Map()
    a.refresh_map(m)
    assert a == G(C4, 4, FermionSprings("F3^ F0, F1")) and a.mapped_equal(m, G(C4, 3, FermionSprings("F1, F3^ F0")))
    with pytest.raises(ValueError, match="operator product is longer than max_len"):
        a.cmpnt_copy_external(0, b, 2)
    # An array of max_len 0 takes the length of the first non-empty product copied in.
    empty = G(C4, None, None)
    empty.resize(2)
    empty.cmpnt_copy_external(1, b, 2)
    assert empty.max_len == 3 and empty.cmpnt_get_ops(1) == ([0, 1, 2], [False, True, False])
    assert empty.cmpnt_get_ops(0) == ([], []) and a.cmpnt_get_ops(0) == ([3, 0], [True, False])
