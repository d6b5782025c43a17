"""Row counts at the top of the 64-bit range: lists on 0 qubits or 0 modes take
no memory per row, so they can be resized to 2^64 - 1 rows; one more row is
refused with MemoryError and leaves the list (and a map) as it was."""

import pytest

from vemo._vemo import (
    FermionStateArray,
    GeneralFermionOperatorArray,
    Map,
    Modes,
    NormalFermionOperatorArray,
    QubitPauliArray,
    QubitStateArray,
    Qubits,
)

MOST = 2**64 - 1
ROW_MEMORY = "Cannot append a row to a list of 18446744073709551615 rows: the row count would pass 2\\^64 - 1."

# The lists whose rows take no memory on an empty space.
WORDLESS = {
    "QubitPauliArray": lambda: QubitPauliArray(Qubits.from_count(0)),
    "QubitStateArray": lambda: QubitStateArray(Qubits.from_count(0)),
    "FermionStateArray": lambda: FermionStateArray(Modes.from_count(0)),
    "NormalFermionOperatorArray": lambda: NormalFermionOperatorArray(Modes.from_count(0)),
}


def full(make):
    a = make()
    a.resize(MOST)
    return a


def assert_still_full(a):
    # A length past 2^63 - 1 cannot be a Python length; after a wrap it was 0.
    with pytest.raises(OverflowError):
        len(a)
    a.resize(MOST - 1)
    a.append_clear()  # back to 2^64 - 1: the count was intact


@pytest.mark.parametrize("name", WORDLESS)
def test_append_past_the_count_is_refused(name):
    a = full(WORDLESS[name])
    with pytest.raises(MemoryError, match=ROW_MEMORY):
        a.append_clear()
    assert_still_full(a)
    with pytest.raises(MemoryError, match=ROW_MEMORY):
        a.append_clear()
    a.resize(2)
    assert len(a) == 2


@pytest.mark.parametrize("name", WORDLESS)
def test_mapped_insert_past_the_count_is_refused(name):
    make = WORDLESS[name]
    a, other, m = full(make), make(), Map()
    other.append_clear()
    with pytest.raises(MemoryError, match=ROW_MEMORY):
        a.mapped_insert(m, other, 0)
    assert len(m) == 0
    assert_still_full(a)


def test_general_array_refuses_the_lengths_it_cannot_hold():
    a, b = GeneralFermionOperatorArray(Modes.from_count(0)), GeneralFermionOperatorArray(Modes.from_count(0))
    a.append_clear()
    b.append_clear()
    with pytest.raises(MemoryError):
        a.resize(MOST)
    assert a == b


def test_contribute_into_a_full_list_is_refused(v):
    m = v.JordanWignerMapper(Qubits.from_count(0))
    m.op_load_product([])
    out, coeffs, mp = full(WORDLESS["QubitPauliArray"]), v.ComplexVec(), Map()
    with pytest.raises(ValueError, match="does not match the component list of length 18446744073709551615"):
        m.op_contribute_complex(out, mp, coeffs, 1.0)
    assert len(coeffs) == 0 and len(mp) == 0
    assert_still_full(out)


def test_a_file_of_the_largest_count_loads_and_refuses_growth(tmp_path):
    # The row counts (one per plane, as variable-length integers) are the
    # bytes where the files of 5 and 6 rows differ; 0xfd opens a full u64.
    files = []
    for n in (5, 6):
        a = WORDLESS["QubitPauliArray"]()
        a.resize(n)
        path = tmp_path / f"{n}.bin"
        a.save_to_file(str(path))
        files.append(path.read_bytes())
    five, six = files
    assert len(five) == len(six)
    at = [i for i in range(len(five)) if five[i] != six[i]]
    assert at and all(five[i] == 5 for i in at)
    crafted = bytearray()
    for i, b in enumerate(five):
        crafted += b"\xfd" + b"\xff" * 8 if i in at else bytes([b])
    assert len(crafted) == 26
    path = tmp_path / "most.bin"
    path.write_bytes(bytes(crafted))
    a = QubitPauliArray.load_from_file(str(path))
    with pytest.raises(MemoryError, match=ROW_MEMORY):
        a.append_clear()
    assert_still_full(a)
