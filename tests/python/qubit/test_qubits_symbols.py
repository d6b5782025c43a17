"""Qubits, PauliMatrix and SymplecticPart from Python."""

import copy

import pytest

from vemo._vemo import PauliMatrix, Qubits, SymplecticPart

C, O, I = Qubits.from_count, Qubits.from_offset, Qubits.from_inds


@pytest.mark.parametrize("a,b,equal", [
    (I([]), C(0), True), (O(0, 0), C(0), True), (Qubits.from_hilbert_space_dim(1), C(0), True),
    (I([0, 1, 2]), C(3), True), (I([4, 5]), O(4, 2), True), (O(0, 5), C(5), True), (I((5, 6, 7)), O(5, 3), True),
    (I([1, 0]), C(2), False), (I([0, 2]), O(0, 2), False), (I([2, 0, 1]), I([0, 2, 1]), False),
    (I([2**64 - 1]), O(2**64 - 2, 1), False),
    # runs may end on the largest 64-bit index
    (I([2**64 - 1]), O(2**64 - 1, 1), True), (I([2**64 - 2, 2**64 - 1]), O(2**64 - 2, 2), True),
])
def test_normal_forms(a, b, equal):
    assert (a == b) is equal and (a != b) is not equal


def test_lengths_and_errors():
    assert [len(I([7, 2, 9])), len(O(10, 4)), len(O(2**64 - 2, 1))] == [3, 4, 1]
    with pytest.raises(IndexError, match=r"^Qubit mode 3 appears more than once in the new basis\.$"):
        I([3, 1, 3])
    assert [len(O(2**64 - 1, 1)), len(O(2**64 - 1, 0))] == [1, 0]
    for start, n in [(2**64 - 1, 2), (2, 2**64 - 1), (2**63, 2**63 + 1)]:  # registers never wrap
        with pytest.raises(OverflowError, match=rf"^Qubit register from offset {start} with {n} qubits exceeds"):
            O(start, n)
    with pytest.raises(TypeError, match="Can't extract `str` to `Vec`"):
        I("012")


def test_hilbert_space_dim():
    for d, k in [(2, 1), (3, 2), (4, 2), (5, 3), (6, 3), (8, 3), (9, 4), (2**63, 63), (2**63 + 1, 64), (2**64 - 1, 64)]:
        assert Qubits.from_hilbert_space_dim(d) == C(k), d
    assert [len(Qubits.from_hilbert_space_dim(d)) for d in range(1, 3000)] == [(d - 1).bit_length() for d in range(1, 3000)]
    with pytest.raises(ValueError, match=r"^Hilbert space dimension must be non-zero$"):
        Qubits.from_hilbert_space_dim(0)


def test_symbols():
    assert [(int(p), str(p), repr(p)) for p in PauliMatrix.ALL] == [
        (0, "I", "I"), (1, "X", "X"), (2, "Y", "Y"), (3, "Z", "Z")]
    assert [(int(p), str(p), repr(p)) for p in SymplecticPart.ALL] == [(0, "X", "X"), (1, "Z", "Z")]
    assert PauliMatrix.ALL == [PauliMatrix.I, PauliMatrix.X, PauliMatrix.Y, PauliMatrix.Z]
    assert SymplecticPart.ALL == [SymplecticPart.X, SymplecticPart.Z]
    assert PauliMatrix.X != SymplecticPart.X and PauliMatrix.X != PauliMatrix.Z and C(2) != 2
    # Class attributes are made once; ALL holds other, equal objects.
    assert PauliMatrix.X is PauliMatrix.X and PauliMatrix.ALL[1] is not PauliMatrix.X and PauliMatrix.ALL[2] == copy.copy(PauliMatrix.Y)
