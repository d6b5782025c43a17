"""QubitPauliArray leaving and re-entering the process: the dict form and the
binary file, whose bytes are checked against an encoder written here; the
paths the file methods take and the errors they raise, against open()'s."""

import os
import pathlib
import random
import re
import struct

import pytest


def varint(x):
    if x < 251:
        return bytes([x])
    for tag, fmt, top in ((251, "<H", 1 << 16), (252, "<I", 1 << 32), (253, "<Q", 1 << 64)):
        if x < top:
            return bytes([tag]) + struct.pack(fmt, x)


def plane(words, wpr, rows, bits):
    return varint(len(words)) + b"".join(map(varint, words)) + varint(wpr) + varint(rows) + varint(bits)


def register(kind, *fields):
    return varint(kind) + b"".join(map(varint, fields))


def file_of(x, z, n, reg=None):
    """Both planes (lists of rows of words) and a register on n qubits."""
    wpr, rows = (n + 63) // 64, len(x)
    flat = lambda p: [w for row in p for w in row]
    return plane(flat(x), wpr, rows, n) + plane(flat(z), wpr, rows, n) + (reg or register(0, n))


def random_array(v, rng, n, m, qubits=None):
    a = v.QubitPauliArray(qubits or v.Qubits.from_count(n))
    a.resize(m)
    for i in range(m):
        a.cmpnt_set_from_list(i, [rng.choice(v.PauliMatrix.ALL) for _ in range(n)])
    return a


@pytest.mark.parametrize("inds, text, register_out, array_text", [
    ([], "", [], None), ([4, 6, 9], "X0 Y2", [4, 6, 9], "X0 Y2"), ([1, 2, 3], "Z2", [1, 2, 3], "Z2"),
    ([2, 0], "Y1, X0", [2, 0], "Y1, X0"), ([0], "X0 Y0", [0], "Z0"),  # the phase of X0 Y0 is dropped
    ([0, 1], "(0.5, X1), Z0 * Y1, I1", [0, 1], "X1, Z0, "),
])
def test_dict_form(v, tmp_path, inds, text, register_out, array_text):
    a = v.QubitPauliArray.from_dict({"qubits": inds, "cmpnts": text})
    assert a.to_dict() == {"qubits": register_out, "cmpnts": array_text if array_text is not None else text}
    assert list(a.to_dict()) == ["qubits", "cmpnts"]
    assert a.qubits == v.Qubits.from_inds(inds)


@pytest.mark.parametrize("d, exc, message", [
    ({"cmpnts": "X0"}, ValueError, "missing 'qubits' key"), ({}, ValueError, "missing 'qubits' key"),
    ({"qubits": [0]}, ValueError, "missing 'cmpnts' key"), ({"qubits": "01"}, TypeError, "Can't extract `str`"),
    ({"qubits": [3, 5, 3, 5], "cmpnts": 1}, IndexError, "Qubit mode 3 appears more than once"),
    ({"qubits": [0, 1], "cmpnts": 1}, TypeError, "PyString"), ({"qubits": [0, 1], "cmpnts": "X3"}, IndexError, "Mode index 3"),
    ({"qubits": [0, 1], "cmpnts": "X0 Q1"}, ValueError, 'Bad parse: "Q1" is not a valid Pauli matrix'),
])
def test_dict_errors(v, d, exc, message):
    with pytest.raises(exc, match=message):
        v.QubitPauliArray.from_dict(d)


@pytest.mark.parametrize("n", [0, 5, 64, 100, 130])
def test_round_trips(v, tmp_path, n):
    rng = random.Random(n)
    for qubits in [None, v.Qubits.from_offset(3, n), v.Qubits.from_inds(rng.sample(range(3 * n + 1), n))]:
        a = random_array(v, rng, n, 20, qubits)
        a.cmpnt_clear(-1)
        a.save_to_file(str(tmp_path / "a"))
        assert v.QubitPauliArray.load_from_file(str(tmp_path / "a")) == a
        # The text drops a final identity string only.
        assert v.QubitPauliArray.from_dict(a.to_dict()) == a.cmpnts_clone(list(range(19)))


def test_file_bytes(v, tmp_path):
    path = str(tmp_path / "f")
    x0 = v.QubitPauliArray(v.Qubits.from_count(2), v.PauliSprings("X0"))
    for a, want in [
        (x0, bytes.fromhex("01 01 01 01 02 01 00 01 01 02 00 02")),
        (v.QubitPauliArray(), bytes(10)),
        (v.QubitPauliArray(v.Qubits.from_count(64), v.PauliSprings("Y63, Z3")),
         file_of([[1 << 63], [0]], [[1 << 63], [8]], 64)),
        (v.QubitPauliArray(v.Qubits.from_inds([7, 300, 70000]), v.PauliSprings("X2")),
         file_of([[4]], [[0]], 3, register(2, 3, 7, 300, 70000))),
        (v.QubitPauliArray(v.Qubits.from_offset(5, 1)), file_of([], [], 1, register(1, 5, 1))),
        (v.QubitPauliArray(v.Qubits.from_inds([(1 << 64) - 1])), file_of([], [], 1, register(1, (1 << 64) - 1, 1))),
    ]:
        open(path, "wb").write(b"garbage" * 100)  # replaced whole
        a.save_to_file(path)
        assert open(path, "rb").read() == want
        open(path, "ab").write(b"\xff\xfe")  # bytes after the register are not read
        assert v.QubitPauliArray.load_from_file(path) == a


PREFIXED = file_of([[1 << 63, 5]], [[3, 0]], 70, register(2, 70, *range(70)))


@pytest.mark.parametrize("content, message", [(PREFIXED[:k], "IO read error.") for k in range(len(PREFIXED))] + [
    (varint((1 << 64) - 1) + bytes(100), "IO read error."),  # huge lengths: never allocated up front
    (plane([], 0, 0, 0) * 2 + register(2, (1 << 62)), "IO read error."),
    (file_of([[1]], [[0]], 2)[:-2] + register(3, 2), "variant index 0 <= i < 3"),
    (file_of([[1]], [[0]], 2)[:-2] + bytes([253]) + bytes(8) + varint(2), "Invalid integer type"),
    (b"\xfe" + bytes(20), "Invalid integer type"),
    (plane([1, 2], 1, 1, 2) + plane([0], 1, 1, 2) + register(0, 2), "cannot hold"),  # length != wpr x rows
    (plane([1], 1, 1, 2) + plane([0], 1, 1, 70) + register(0, 70), "needs 2 words"),  # words per row != ceil(bits/64)
    (plane([1], 1, 1, 2) + plane([0, 0], 1, 2, 2) + register(0, 2), "planes"),  # planes of other shapes
    (plane([1], 1, 1, 2) + plane([0], 1, 1, 2) + register(0, 3), "register"),  # bits != register length
    (plane([4], 1, 1, 2) + plane([0], 1, 1, 2) + register(0, 2), "beyond"),  # padding bit set
    (file_of([[1]], [[0]], 2, register(2, 2, 5, 5)), "Qubit mode 5 appears more than once"),
    (file_of([[1]], [[0]], 2, register(1, (1 << 64) - 1, 2)), "exceeds the 64-bit index range"),
])
def test_truncated_and_inconsistent_files_are_refused(v, tmp_path, content, message):
    path = tmp_path / "bad"
    path.write_bytes(content)
    with pytest.raises(OSError if message == "IO read error." else ValueError, match=message):
        v.QubitPauliArray.load_from_file(str(path))


def raised(f):
    try:
        f()
    except Exception as e:
        return e


def test_file_errors_and_registers_kept_as_stored(v, tmp_path):
    path = tmp_path / "f"
    a = v.QubitPauliArray(v.Qubits.from_count(3), v.PauliSprings("X0 Z2"))
    # Names that are not UTF-8, as os.fsdecode gives them; the two bytes of `pair` would decode as "é".
    latin, pair = os.fsdecode(b"caf\xe9.bin"), "\udcc3\udca9"
    absent, dirless = tmp_path / "it's absent", tmp_path / "no" / "f"
    fails = [str(tmp_path), str(dirless), str(dirless.parent / latin), str(dirless.parent / pair),
             str(tmp_path / "a\0b"), "\0\ud800", "\ud800"]  # encoded before the NUL check
    fds = len(os.listdir("/proc/self/fd"))
    # As open() raises them: the same class, text and arguments, errno, strerror and filename (the str given).
    load, save = v.QubitPauliArray.load_from_file, a.save_to_file
    for ours, mode, p in [(load, "rb", p) for p in fails + [str(absent), str(tmp_path / latin), str(tmp_path / pair)]
                          ] + [(save, "wb", p) for p in fails]:
        e, expected = raised(lambda: ours(p)), raised(lambda: open(p, mode))
        assert expected is not None and (type(e), str(e), e.args) == (type(expected), str(expected), expected.args)
        if isinstance(expected, OSError):
            assert (e.errno, e.strerror, e.filename) == (expected.errno, expected.strerror, expected.filename)
            assert e.filename is p
    assert len(os.listdir("/proc/self/fd")) == fds  # a directory opened for reading is closed again
    # A name that is not UTF-8 names its file; one that could decode otherwise stays as given.
    for name, raw in [(latin, b"caf\xe9.bin"), (pair, b"\xc3\xa9")]:
        a.save_to_file(str(tmp_path / name))
        assert raw in os.listdir(bytes(tmp_path)) and v.QubitPauliArray.load_from_file(str(tmp_path / name)) == a
    # A valid register that is not in canonical form loads as stored.
    path.write_bytes(file_of([], [], 2, register(1, 0, 2)))
    a = v.QubitPauliArray.load_from_file(str(path))
    assert a.to_dict()["qubits"] == [0, 1] and a != v.QubitPauliArray(v.Qubits.from_count(2))


@pytest.mark.parametrize("path", [b"f", pathlib.Path("f"), 3, None])
def test_a_path_is_a_str(v, path):
    message = f"argument 'path': '{type(path).__name__}' object cannot be converted to 'PyString'"
    with pytest.raises(TypeError, match=re.escape(message)):
        v.QubitPauliArray.load_from_file(path)
    with pytest.raises(TypeError, match=re.escape(message)):
        v.QubitPauliArray().save_to_file(path)
