"""Modes and FermionSprings from Python."""

import copy

import pytest

from vemo._vemo import FermionSprings, Modes

BAD_TOKEN = 'Bad parse: "{}" is not a valid fermionic ladder operator in a sparse string.'
ONE_PART = "^Fermion springs object does not have exactly one part$"


def test_modes_kinds_equality_and_no_hash():
    assert len(Modes.from_pair_count_spin_major(3)) == 6
    assert Modes.from_count(4) == Modes.from_count(4)
    assert not (Modes.from_count(4) != Modes.from_count(4))
    assert Modes.from_count(6) != Modes.from_pair_count_spin_minor(3)
    assert Modes.from_pair_count_spin_major(3) != Modes.from_pair_count_spin_minor(3)
    assert Modes.from_count(1).__eq__(1) is NotImplemented


def test_modes_from_fock_space_dim():
    dims = [1, 2, 6, 8, 16, 17, 1025, 2**64 - 1]
    assert [len(Modes.from_fock_space_dim(d)) for d in dims] == [0, 1, 3, 3, 4, 5, 11, 64]
    assert [len(Modes.from_fock_space_dim(d)) for d in range(1, 5000)] == [(d - 1).bit_length() for d in range(1, 5000)]
    with pytest.raises(ValueError, match="^Fock space dimension must be non-zero$"):
        Modes.from_fock_space_dim(0)


def test_pair_counts_overflow():
    for make in (Modes.from_pair_count_spin_major, Modes.from_pair_count_spin_minor):
        with pytest.raises(OverflowError):  # 2n would overflow
            make(2**63)


def test_springs_two_components():
    s = FermionSprings("F1^ F0, F5 F2^")
    assert (len(s), s.default_n_mode()) == (2, 6)
    assert s.get_ops(0) == [(1, True), (0, False)]
    assert s.get_ops(-1) == [(5, False), (2, True)]
    assert str(s) == repr(s) == "F1^ F0, F5 F2^"
    # Written order is kept; coefficients are skipped; empty components are identities.
    t = FermionSprings("(0.5, F3 F1^ F3^), (-1, F007),,F0 F0^,")
    assert str(t) == "F3 F1^ F3^, F7, , F0 F0^"
    assert FermionSprings("\tF1^\u00a0F1\u3000F1 ").get_ops(0) == [(1, True), (1, False), (1, False)]
    assert t.get_ops(2) == []
    assert FermionSprings(",").default_n_mode() == 0
    assert FermionSprings("F65535^").default_n_mode() == 65536


@pytest.mark.parametrize("tok", ["X2", "F^", "F3^^", "F", "^", "f0", "F65536", "F1x"])
def test_bad_tokens_quote_themselves(tok):
    with pytest.raises(ValueError) as e:
        FermionSprings("F0, F1 " + tok)
    assert str(e.value) == BAD_TOKEN.format(tok)


@pytest.mark.parametrize(
    "text, message",
    [
        ("", ONE_PART),
        ("   ", ONE_PART),
        (None, ONE_PART),
        ("F0, F1*F2", ONE_PART),
        ("(1, F0", "^Bad parse: Mismatched brackets.$"),
        ("(0.5 F0)", '^Bad parse: "\\(0.5 F0\\)" is ill-formed$'),
    ],
)
def test_springs_refused_texts(text, message):
    with pytest.raises(ValueError, match=message):
        FermionSprings(text)


def test_get_ops_index_rule():
    s = FermionSprings("F0, F1")
    for i, j in ((2, 2), (-3, -1)):
        with pytest.raises(IndexError, match=f"^Element index {j} is out-of-bounds for container of length 2.$"):
            s.get_ops(i)


def test_springs_compare_by_identity():
    s = FermionSprings("F1^ F0, F2")
    assert copy.copy(s) != s and s == s
