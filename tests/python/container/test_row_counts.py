"""Row counts at the top of the 64-bit range: lists on 0 qubits or 0 modes take
no memory per row, so they can be resized to 2^64 - 1 rows; one more row is
refused with MemoryError and leaves the list (and a map) as it was."""

import pytest

from vemo._vemo import (FermionStateArray, GeneralFermionOperatorArray, Map, Modes, NormalFermionOperatorArray,
                        QubitPauliArray, QubitStateArray, Qubits)

MOST = 2**64 - 1
ROW_MEMORY = "Cannot append a row to a list of 18446744073709551615 rows: the row count would pass 2\\^64 - 1."

# The lists whose rows take no memory on an empty space.
WORDLESS = [
    lambda: QubitPauliArray(Qubits.from_count(0)),
    lambda: QubitStateArray(Qubits.from_count(0)),
    lambda: FermionStateArray(Modes.from_count(0)),
    lambda: NormalFermionOperatorArray(Modes.from_count(0)),
]


def assert_still_full(a):
    # A length past 2^63 - 1 cannot be a Python length; after a wrap it was 0.
    with pytest.raises(OverflowError):
        len(a)
    a.resize(MOST - 1)
    a.append_clear()  # back to 2^64 - 1: the count was intact


@pytest.mark.parametrize("make", WORDLESS)
@pytest.mark.parametrize("insert", [False, True])
def test_growth_past_the_count_is_refused(make, insert):
    a, other, m = make(), make(), Map()
    a.resize(MOST)
    other.append_clear()
    with pytest.raises(MemoryError, match=ROW_MEMORY):
        a.mapped_insert(m, other, 0) if insert else a.append_clear()
    assert len(m) == 0
    assert_still_full(a)


def test_general_array_refuses_the_lengths_it_cannot_hold():
    a = GeneralFermionOperatorArray(Modes.from_count(0))
    a.append_clear()
    with pytest.raises(MemoryError):
        a.resize(MOST)
    assert len(a) == 1 and a.cmpnt_get_ops(0) == ([], [])


def test_a_file_of_the_largest_count_loads_and_refuses_growth(tmp_path):
    # The row counts (one per plane, as variable-length integers) are the
    # bytes where the files of 5 and 6 rows differ; 0xfd opens a full u64.
    five, six = [], []
    for n, out in ((5, five), (6, six)):
        a = QubitPauliArray(Qubits.from_count(0))
        a.resize(n)
        a.save_to_file(str(tmp_path / "rows.bin"))
        out.extend((tmp_path / "rows.bin").read_bytes())
    at = [i for i in range(len(five)) if five[i] != six[i]]
    assert len(five) == len(six) and at and all(five[i] == 5 for i in at)
    crafted = b"".join(b"\xfd" + b"\xff" * 8 if i in at else bytes([x]) for i, x in enumerate(five))
    (tmp_path / "most.bin").write_bytes(crafted)
    a = QubitPauliArray.load_from_file(str(tmp_path / "most.bin"))
    with pytest.raises(MemoryError, match=ROW_MEMORY):
        a.append_clear()
    assert_still_full(a)
