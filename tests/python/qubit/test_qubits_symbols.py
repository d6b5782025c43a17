"""Qubits, PauliMatrix and SymplecticPart from Python."""

import copy

import pytest

from vemo._vemo import PauliMatrix, Qubits, SymplecticPart


class TestQubits:
    def test_normal_forms(self):
        assert Qubits.from_inds([]) == Qubits.from_count(0)
        assert Qubits.from_offset(0, 0) == Qubits.from_count(0)
        assert Qubits.from_hilbert_space_dim(1) == Qubits.from_count(0)
        assert Qubits.from_inds([0, 1, 2]) == Qubits.from_count(3)
        assert Qubits.from_inds([4, 5]) == Qubits.from_offset(4, 2)
        assert Qubits.from_offset(0, 5) == Qubits.from_count(5)
        assert Qubits.from_inds((5, 6, 7)) == Qubits.from_offset(5, 3)
        assert Qubits.from_inds([1, 0]) != Qubits.from_count(2)
        assert Qubits.from_inds([0, 2]) != Qubits.from_offset(0, 2)
        assert Qubits.from_inds([2, 0, 1]) != Qubits.from_inds([0, 2, 1])
        assert Qubits.from_inds([2, 1, 0]) == Qubits.from_inds([2, 1, 0])
        assert Qubits.from_inds([2**64 - 1]) != Qubits.from_offset(2**64 - 2, 1)

    def test_lengths(self):
        assert len(Qubits.from_inds([7, 2, 9])) == 3
        assert len(Qubits.from_offset(10, 4)) == 4
        assert len(Qubits.from_count(0)) == 0

    def test_repeated_index(self):
        with pytest.raises(IndexError, match=r"^Qubit mode 3 appears more than once in the new basis\.$"):
            Qubits.from_inds([3, 1, 3])
        with pytest.raises(IndexError, match=r"^Qubit mode 2 appears"):
            Qubits.from_inds([1, 2, 2, 1])

    def test_hilbert_space_dim(self):
        for d, k in [(2, 1), (3, 2), (4, 2), (5, 3), (6, 3), (8, 3), (9, 4), (2**63, 63), (2**63 + 1, 64),
                     (2**64 - 1, 64)]:
            assert Qubits.from_hilbert_space_dim(d) == Qubits.from_count(k), d
        with pytest.raises(ValueError, match=r"^Hilbert space dimension must be non-zero$"):
            Qubits.from_hilbert_space_dim(0)

    def test_offset_never_wraps(self):
        with pytest.raises(OverflowError):
            Qubits.from_offset(2**64 - 1, 1)
        assert len(Qubits.from_offset(2**64 - 2, 1)) == 1

    def test_bad_arguments(self):
        with pytest.raises(TypeError):
            Qubits()
        with pytest.raises(TypeError, match="Can't extract `str` to `Vec`"):
            Qubits.from_inds("012")
        with pytest.raises(OverflowError):
            Qubits.from_count(-1)
        with pytest.raises(TypeError, match="argument 'n'"):
            Qubits.from_count("3")
        with pytest.raises(TypeError):
            Qubits.from_offset(1)

    def test_comparison_and_hash(self):
        q = Qubits.from_count(2)
        assert q.__eq__(2) is NotImplemented
        assert q != 2
        assert not (q != Qubits.from_count(2))
        with pytest.raises(TypeError):
            q < Qubits.from_count(3)
        with pytest.raises(TypeError):
            hash(q)

    def test_docstrings(self):
        assert Qubits.__doc__ == (
            "Python wrapper for Qubits, which can either take the form of a vector of modes\nor simply a number of modes")
        assert Qubits.from_count.__doc__ == "Create using the first n modes of the default register."
        assert Qubits.from_offset.__text_signature__ == "(i, n)"
        assert Qubits.from_inds.__doc__ == "Create using the modes indexed."
        assert Qubits.from_hilbert_space_dim.__doc__ == (
            "Create by taking the ceiling of the log2 of the size of the hilbert space")


class TestPauliMatrix:
    def test_values_and_texts(self):
        assert [int(p) for p in PauliMatrix.ALL] == [0, 1, 2, 3]
        assert [str(p) for p in PauliMatrix.ALL] == ["I", "X", "Y", "Z"]
        assert int(PauliMatrix.Z) == 3
        assert str(PauliMatrix.Y) == "Y"
        assert repr(PauliMatrix.X) == "X"
        assert PauliMatrix.ALL == [PauliMatrix.I, PauliMatrix.X, PauliMatrix.Y, PauliMatrix.Z]

    def test_identity_of_class_attributes(self):
        assert PauliMatrix.X is PauliMatrix.X
        assert PauliMatrix.ALL[1] is not PauliMatrix.X
        assert PauliMatrix.ALL[1] == PauliMatrix.X
        c = copy.copy(PauliMatrix.Y)
        assert c is not PauliMatrix.Y and c == PauliMatrix.Y
        d = copy.deepcopy(PauliMatrix.Z)
        assert d is not PauliMatrix.Z and d == PauliMatrix.Z

    def test_equality(self):
        assert not (PauliMatrix.X == 1)
        assert PauliMatrix.X != PauliMatrix.Z
        assert not (PauliMatrix.X != PauliMatrix.X)
        assert PauliMatrix.X != SymplecticPart.X
        with pytest.raises(TypeError):
            PauliMatrix.X < PauliMatrix.Y
        with pytest.raises(TypeError):
            hash(PauliMatrix.X)
        with pytest.raises(TypeError):
            PauliMatrix()

    def test_docs(self):
        assert PauliMatrix.__doc__ == "Pauli matrices and the identity"
        assert PauliMatrix.__copy__.__doc__ == "Return shallow copy."
        assert PauliMatrix.__deepcopy__.__text_signature__ == "($self, _memo)"


class TestSymplecticPart:
    def test_values(self):
        assert int(SymplecticPart.X) == 0
        assert int(SymplecticPart.Z) == 1
        assert str(SymplecticPart.Z) == "Z"
        assert repr(SymplecticPart.X) == "X"
        assert SymplecticPart.ALL == [SymplecticPart.X, SymplecticPart.Z]
        assert SymplecticPart.X is SymplecticPart.X
        assert SymplecticPart.X != SymplecticPart.Z
        assert copy.copy(SymplecticPart.Z) == SymplecticPart.Z
        with pytest.raises(TypeError):
            hash(SymplecticPart.X)
        with pytest.raises(TypeError):
            SymplecticPart()
        assert SymplecticPart.__doc__ == (
            "Symbols representing the Pauli X and Z\n"
            "Used to identify the X or Z part of the symplectic representation of Paulis")
