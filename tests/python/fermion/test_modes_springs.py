"""Modes and FermionSprings from Python."""

import copy
import math

import pytest

from vemo._vemo import FermionSprings, Modes

BAD_TOKEN = '"{}" is not a valid fermionic ladder operator in a sparse string.'


class TestModes:
    def test_kinds_and_lengths(self):
        assert len(Modes.from_count(5)) == 5
        assert len(Modes.from_pair_count_spin_major(3)) == 6
        assert len(Modes.from_pair_count_spin_minor(3)) == 6
        assert len(Modes.from_count(0)) == 0

    def test_equality_compares_kind_and_count(self):
        assert Modes.from_count(4) == Modes.from_count(4)
        assert not (Modes.from_count(4) != Modes.from_count(4))
        assert Modes.from_count(6) != Modes.from_pair_count_spin_minor(3)
        assert Modes.from_pair_count_spin_major(3) != Modes.from_pair_count_spin_minor(3)
        assert Modes.from_count(4) != Modes.from_pair_count_spin_major(2)
        assert Modes.from_count(1) != 1
        assert Modes.from_count(1).__eq__(1) is NotImplemented

    def test_no_ordering_no_hash_no_constructor(self):
        with pytest.raises(TypeError):
            Modes.from_count(1) < Modes.from_count(2)
        with pytest.raises(TypeError):
            hash(Modes.from_count(1))
        with pytest.raises(TypeError):
            {Modes.from_count(1)}
        with pytest.raises(TypeError):
            Modes()

    @pytest.mark.parametrize("d", [1, 2, 3, 4, 5, 6, 8, 16, 17, 1024, 1025, 2**40 + 1])
    def test_fock_space_dim_is_ceil_log2(self, d):
        assert Modes.from_fock_space_dim(d) == Modes.from_count(math.ceil(math.log2(d)) if d < 2**40 else 41)

    def test_fock_space_dim_examples(self):
        dims = [1, 2, 6, 8, 16, 17, 1025]
        assert [len(Modes.from_fock_space_dim(d)) for d in dims] == [0, 1, 3, 3, 4, 5, 11]
        assert Modes.from_fock_space_dim(2**64 - 1) == Modes.from_count(64)
        with pytest.raises(ValueError, match="^Fock space dimension must be non-zero$"):
            Modes.from_fock_space_dim(0)

    def test_argument_range(self):
        with pytest.raises(OverflowError):
            Modes.from_count(-1)
        with pytest.raises(OverflowError):
            Modes.from_count(2**64)
        with pytest.raises(OverflowError):
            Modes.from_pair_count_spin_major(2**63)
        with pytest.raises(OverflowError):
            Modes.from_pair_count_spin_minor(2**64 - 1)
        assert Modes.from_pair_count_spin_major(2**63 - 1) == Modes.from_pair_count_spin_major(2**63 - 1)
        with pytest.raises(TypeError):
            Modes.from_count("3")

    def test_docstrings(self):
        assert Modes.__doc__ == "Python wrapper for fermionic mode spaces."
        assert Modes.from_count.__doc__ == "Create using the first n fermionic modes."
        assert Modes.from_fock_space_dim.__doc__ == (
            "Create by taking the ceiling of the log2 of the size of the Fock space."
        )


class TestFermionSprings:
    def test_two_components(self):
        s = FermionSprings("F1^ F0, F5 F2^")
        assert len(s) == 2
        assert s.default_n_mode() == 6
        assert s.get_ops(0) == [(1, True), (0, False)]
        assert s.get_ops(-1) == [(5, False), (2, True)]
        assert str(s) == "F1^ F0, F5 F2^"
        assert repr(s) == str(s)

    def test_written_order_and_coefficients(self):
        s = FermionSprings("(0.5, F3 F1^ F3^), (-1, F007), F0 F0^")
        assert str(s) == "F3 F1^ F3^, F7, F0 F0^"
        assert s.default_n_mode() == 8

    def test_empty_components(self):
        s = FermionSprings("F0,,F1,")
        assert len(s) == 3
        assert s.get_ops(1) == []
        assert str(s) == "F0, , F1"
        assert FermionSprings(",").default_n_mode() == 0

    def test_largest_index(self):
        assert FermionSprings("F65535^").default_n_mode() == 65536

    @pytest.mark.parametrize("tok", ["X2", "F^", "F3^^", "F", "^", "f0", "F65536", "F1x"])
    def test_bad_tokens_quote_themselves(self, tok):
        with pytest.raises(ValueError) as e:
            FermionSprings("F0, F1 " + tok)
        assert str(e.value) == "Bad parse: " + BAD_TOKEN.format(tok)

    @pytest.mark.parametrize("text", ["", "   ", None, "F0 * F1", "F0, F1*F2"])
    def test_not_exactly_one_part(self, text):
        with pytest.raises(ValueError, match="^Fermion springs object does not have exactly one part$"):
            FermionSprings(text)

    def test_parser_errors(self):
        with pytest.raises(ValueError, match="^Bad parse: Mismatched brackets.$"):
            FermionSprings("(1, F0")
        with pytest.raises(ValueError, match='^Bad parse: "\\(0.5 F0\\)" is ill-formed$'):
            FermionSprings("(0.5 F0)")
        with pytest.raises(TypeError):
            FermionSprings(3)
        with pytest.raises(TypeError):
            FermionSprings()

    def test_get_ops_index_rule(self):
        s = FermionSprings("F0, F1")
        with pytest.raises(IndexError, match="^Element index 2 is out-of-bounds for container of length 2.$"):
            s.get_ops(2)
        with pytest.raises(IndexError, match="^Element index -1 is out-of-bounds for container of length 2.$"):
            s.get_ops(-3)

    def test_copies_are_independent(self):
        s = FermionSprings("F1^ F0, F2")
        for c in (copy.copy(s), copy.deepcopy(s), s.__deepcopy__({})):
            assert c is not s
            assert type(c) is FermionSprings
            assert str(c) == str(s)
            assert c != s  # identity comparison
        assert hash(s) == hash(s)

    def test_docstrings(self):
        assert FermionSprings.__text_signature__ == "(s)"
        assert FermionSprings.__doc__ == "Python wrapper for fermionic ladder-operator sparse strings."
        assert FermionSprings.get_ops.__doc__ == "Get one sparse string as `(mode, is_creation)` pairs."
