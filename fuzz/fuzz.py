"""Fuzz targets of vemo: text parsers, dict and file forms, NumPy inputs, integer
boundaries, and user objects that change what is being written.

    python fuzz/fuzz.py --runs 1000000 --seed 1 [--target NAME ...] [--list]

Every input is built from a random generator seeded by (seed, target), so a
failure is replayed with the same --seed, --target and --runs. Only the
library's own exceptions may come out; anything else (the panic exception, a
SystemError, a crash) fails the run with the input that caused it.
"""

import argparse
import math
import os
import random
import resource
import struct
import sys
import tempfile
import time
import warnings

import numpy as np

import vemo._vemo as v

# What bad input may raise. PanicException derives from BaseException and is not here.
ALLOWED = (TypeError, ValueError, IndexError, OverflowError, MemoryError, RuntimeError, KeyError,
           NotImplementedError, AttributeError, OSError)

BIG = [2**31 - 1, 2**31, 2**32 - 1, 2**32, 2**53 + 1, 2**61, 2**62, 2**63 - 1, 2**63, 2**64 - 1, 2**64,
       2**65, 2**100, -1, -2**31, -2**63, -2**63 - 1, -2**64, -2**64 - 1]
SMALL = [0, 1, 2, 3, 5, 63, 64, 65, -1, -2]
# As arguments: sizes that cannot be allocated or do not fit 64 bits (a size of 2^32
# is legal and only slow).
BOUNDS = [b for b in BIG if b >= 2**61 or b < 0]

TEXTS = {
    "pauli": ["X0 Y1, Z2", "(0.5, X0 Y1), (-1, I3 X0)", "X+7, X007, Z1 Z1", "X0  Y12, , Z2", "I5", "X65535",
              "Z0 * Y1, I1", "(1+2i, X0), (-i, Z3)", "Y0 Y0 Y0", "X63 Z64 Y127 X128"],
    "fermion": ["F0 F1^, F2", "(0.5, F3 F1^ F3^), (-1, F007),,F0 F0^,", "F65535^", "F1^ F0, F5 F2^", ",",
                "(1e3, F2^ F2), (-i, F1)"],
    "binary": ["[0, 1, 1], [1, 0]", "[]", "[], [1, 0, 1]", "\u3000[0, 1, 0, 1] ,[],[0,0], [\u00a0+1 , 0 ,] ",
               "[1, 0, 0, 1]", "[" + ", ".join("01"[i % 2] for i in range(70)) + "]"],
    "coeffs": ["1, 2 ,3", "(0.5, X0), (-1, Z1)", "((2, X0))", " 1e400, -1e-400, +1.5, 2 ", "1+2i, -i, 2j, 1 - 2i",
               "+1, -1, 01", "(i, X0), (-1, Y2), (-i, Z3)", "nan, inf, -inf", "0x10, 1_0, .5e-3"],
}
PIECES = ["0", "1", "9", "63", "64", "65535", "65536", "18446744073709551615", "18446744073709551616",
          "99999999999999999999999", "-", "+", "^", "X", "Y", "Z", "I", "F", "i", "j", "e", "E", ".", ",", " ",
          "(", ")", "[", "]", "*", "\t", "\n", "\x00", "\u3000", "\u00a0", "\u00e9", "\udcff", "nan", "inf",
          "1e308", "1e-400", "0x", "_", "'", '"', "\\", "F0^", "X0", "(1, ", "), "]


def mutate(rng, text, corpus):
    """A few random edits of `text`: insertions, deletions, repeats, splices."""
    s = text
    for _ in range(rng.choice([1, 1, 1, 2, 3])):
        i, j = sorted(rng.randint(0, len(s)) for _ in range(2))
        op = rng.randrange(6)
        if op == 0:
            s = s[:i] + rng.choice(PIECES) + s[i:]
        elif op == 1:
            s = s[:i] + s[j:]
        elif op == 2:
            s = s[:j] + s[i:j] * rng.choice([2, 3, 50]) + s[j:]
        elif op == 3 and s:
            s = s[:i] + chr(rng.choice([rng.randrange(32, 127), rng.randrange(0x10000)])) + s[i + 1:]
        elif op == 4:
            s = s[:i] + rng.choice(corpus)[j - i:] if rng.random() < 0.5 else s + ", " + rng.choice(corpus)
        else:
            s = s[:i] + str(rng.choice(BIG + SMALL)) + s[i:]
    return s


def text(rng, kind):
    corpus = TEXTS[kind]
    return rng.choice(corpus) if rng.random() < 0.05 else mutate(rng, rng.choice(corpus), corpus)


def an_int(rng):
    return rng.choice(SMALL) if rng.random() < 0.6 else rng.choice(BOUNDS)


# ------------------------------------------------------------------ text parsers

def t_pauli(rng):
    s = v.PauliSprings(text(rng, "pauli"))
    str(s), s.default_n_qubit()
    v.QubitPauliArray.with_phases(None, s)
    v.QubitPauliArray(v.Qubits.from_count(rng.choice([1, 3, 64, 70])), s)


def t_fermion(rng):
    s = v.FermionSprings(text(rng, "fermion"))
    str(s), s.default_n_mode()
    modes = rng.choice([None, v.Modes.from_count(rng.choice([1, 4, 70]))])
    if hasattr(v, "NormalFermionOperatorArray"):
        (v.NormalFermionOperatorArray(modes, s) if rng.random() < 0.5
         else v.GeneralFermionOperatorArray(modes, rng.choice([None, 0, 2, 2**64 - 1]), s))
    s.get_ops(an_int(rng))


def t_binary(rng):
    s = v.BinarySprings(text(rng, "binary"))
    str(s), s.default_n_qubit()
    n = rng.choice([1, 4, 70])
    if rng.random() < 0.5:
        v.QubitStateArray(rng.choice([None, v.Qubits.from_count(n)]), s)
    elif hasattr(v, "FermionStateArray"):
        v.FermionStateArray(rng.choice([None, v.Modes.from_count(n)]), s)


def t_coeffs(rng):
    cls = rng.choice([v.RealVec, v.ComplexVec, v.SignVec, v.ComplexSignVec])
    str(cls.parse(text(rng, "coeffs" if rng.random() < 0.7 else rng.choice(list(TEXTS)))))


# ------------------------------------------------------------------ dict and file forms

def a_value(rng, kind):
    """A value for a dict entry: mostly close to the right one, sometimes anything."""
    r = rng.random()
    if kind == "qubits" and r < 0.9:
        inds = rng.sample(range(8), rng.randint(0, 5))
        inds = [i if rng.random() < 0.95 else an_int(rng) for i in inds]
        return inds if rng.random() < 0.8 else (tuple(inds) if rng.random() < 0.5 else np.array(inds[:1] or [0]))
    if kind == "cmpnts" and r < 0.9:
        return text(rng, rng.choice(["pauli", "binary"]))
    return rng.choice([None, 1, "01", b"X0", 1.5, [[0]], {"a": 1}, an_int(rng)])


def t_from_dict(rng):
    cls = rng.choice([c for c in ARRAYS if hasattr(getattr(v, c, None), "from_dict")])
    d = {k: a_value(rng, k) for k in ("qubits", "cmpnts") if rng.random() < 0.97}
    if rng.random() < 0.1:
        d["extra"] = 1
    getattr(v, cls).from_dict(d if rng.random() < 0.97 else list(d.items()))


FILE_SEEDS = []


def file_seeds():
    if not FILE_SEEDS:
        path = os.path.join(WORKDIR, "seed")
        for cls, texts in (("QubitPauliArray", TEXTS["pauli"][:4]), ("QubitStateArray", TEXTS["binary"][:3])):
            c = getattr(v, cls, None)
            if c is None or not hasattr(c, "save_to_file"):
                continue
            for t, reg in zip(texts, [v.Qubits.from_count(80), v.Qubits.from_inds([9, 4, 6, 0, 1, 2, 3, 5, 7, 8])] * 3):
                try:
                    c(reg, v.PauliSprings(t) if cls == "QubitPauliArray" else v.BinarySprings(t)).save_to_file(path)
                except ALLOWED:
                    continue
                with open(path, "rb") as f:
                    FILE_SEEDS.append((c, f.read()))
    return FILE_SEEDS


def mutate_bytes(rng, b):
    b = bytearray(b)
    for _ in range(rng.randint(1, 4)):
        op, i = rng.randrange(5), rng.randint(0, len(b))
        if op == 0 and b:
            b[min(i, len(b) - 1)] ^= 1 << rng.randrange(8)
        elif op == 1:
            del b[i:]
        elif op == 2:  # a length-like field at a boundary
            b[i:i + 9] = bytes([253]) + struct.pack("<Q", rng.choice([2**63, 2**64 - 1, 2**62, 2**32, 255, 0]))
        elif op == 3:
            b[i:i] = bytes(rng.randrange(256) for _ in range(rng.randint(1, 8)))
        else:
            b[i:i + 1] = bytes([rng.choice([0, 250, 251, 252, 253, 254, 255])])
    return bytes(b)


def t_load_from_file(rng):
    seeds = file_seeds()
    if not seeds:
        return
    cls, b = rng.choice(seeds)
    path = os.path.join(WORKDIR, "input")
    with open(path, "wb") as f:
        f.write(mutate_bytes(rng, b) if rng.random() < 0.98 else b)
    a = cls.load_from_file(path)
    len(a), str(a.qubits), a.to_dict()


# ------------------------------------------------------------------ NumPy inputs

DTYPES = [np.float64, np.float32, np.float16, np.complex128, np.complex64, np.int8, np.uint8, np.int64, np.uint64,
          np.bool_, object, ">f8", ">c16", "<U3", "datetime64[s]", np.longdouble, np.clongdouble, "V8"]


def an_array(rng):
    n = rng.choice([0, 1, 2, 3, 8, 65])
    a = np.arange(n * 2 * 3, dtype=np.float64).reshape(n, 2, 3) % 3 - 1
    r = rng.randrange(9)
    if r == 0:
        a = a[:, 0, 0]
    elif r == 1:
        a = a[::-1, 1, 2]
    elif r == 2:
        a = a[:, :, 0].T
    elif r == 3:
        a = a[::2, 0, 1]
    elif r == 4:
        a = np.broadcast_to(np.float64(1), (n,))
    elif r == 5:
        a = np.float64(2.0) if rng.random() < 0.5 else np.array(1.0)
    elif r == 6:
        a = a.reshape(-1)
    elif r == 7:
        a = a[:, 0, 0].copy()
        a.setflags(write=False)
    try:
        a = np.asarray(a).astype(rng.choice(DTYPES))
    except (TypeError, ValueError):
        pass
    return a if rng.random() < 0.95 else rng.choice([list(np.ravel(a)), memoryview(b"\x00" * 8), "abc", None])


def t_numpy(rng):
    a = an_array(rng)
    call = rng.randrange(5)
    if call == 0:
        rng.choice([v.RealVec, v.ComplexVec]).from_array(a)
    elif call == 1:
        rng.choice([v.SignVec, v.ComplexSignVec]).from_phases(a)
    elif call == 2:
        v.Qubits.from_inds(a)
    else:
        n = rng.choice([1, 2, 3])
        s = (v.QubitStateArray(v.Qubits.from_count(n)) if rng.random() < 0.5 or not hasattr(v, "FermionStateArray")
             else v.FermionStateArray(v.Modes.from_count(n)))
        f = s.from_dense_real if call == 3 else s.from_dense_complex
        f(v.Map(), (v.RealVec if call == 3 else v.ComplexVec)(), a, rng.random() < 0.5)


# ------------------------------------------------------------------ any method, any argument

MAKERS = [
    lambda: v.RealVec.parse("1, 2.5, -3"), lambda: v.ComplexVec.parse("1, i"), lambda: v.SignVec.parse("+1, -1"),
    lambda: v.ComplexSignVec.parse("i, -1, 1"), lambda: v.Sign(True), lambda: v.ComplexSign(3), lambda: v.Map(),
    lambda: v.QubitPauliArray(v.Qubits.from_count(3), v.PauliSprings("X0 Y1, Z2, X0 X1 X2")),
    lambda: v.QubitPauliArray(v.Qubits.from_inds([70, 1]), v.PauliSprings("Y1, X0 Z1")),
    lambda: v.QubitStateArray(v.Qubits.from_count(3), v.BinarySprings("[0, 1, 1], [1, 0, 0]")),
    lambda: v.Qubits.from_count(3), lambda: v.Qubits.from_inds([5, 2]), lambda: v.Modes.from_count(4),
    lambda: v.FermionSprings("F0 F1^, F2"), lambda: v.BinarySprings("[0, 1], [1]"),
    lambda: v.PauliSprings("X0 Y1, Z2"), lambda: v.CliffordGateList.from_iterable([(v.CliffordGate.H, 0)]),
    lambda: v.PauliMatrix.Y, lambda: v.SymplecticPart.X, lambda: v.CliffordGate.CX,
    lambda: v.JordanWignerMapper(v.Qubits.from_count(3), None), lambda: v.ParityMapper(v.Qubits.from_count(4), [1, 0, 3, 2]),
    lambda: v.BravyiKitaevMapper(v.Qubits.from_count(5), None), lambda: v.ParaparticularMapper(v.Qubits.from_count(2)),
    lambda: v.FermionStateArray(v.Modes.from_count(4), v.BinarySprings("[0, 1, 1], [1, 0]")),
    lambda: v.NormalFermionOperatorArray(v.Modes.from_count(4), v.FermionSprings("F1^ F0, F2^ F2, F3")),
    lambda: v.GeneralFermionOperatorArray(v.Modes.from_count(3), 4, v.FermionSprings("F0 F1^, F2, F0^ F0")),
]


def instances(rng, k):
    """k fresh small objects of the module's classes."""
    out = []
    for make in rng.sample(MAKERS, k):
        try:
            out.append(make())
        except AttributeError:  # a class this build does not have
            pass
    return out


class Sneaky:
    """A number, sequence or iterable whose conversion first calls a method of another object."""

    def __init__(self, rng, objs, value):
        self.rng, self.objs, self.value = rng, objs, value

    def act(self):
        if self.objs and self.rng.random() < 0.8:
            call_random(self.rng, self.objs, depth=1)

    def __index__(self):
        self.act()
        return self.value if isinstance(self.value, int) else 1

    def __int__(self):
        return self.__index__()

    def __float__(self):
        return float(self.__index__())

    def __complex__(self):
        return complex(self.__index__())

    def __len__(self):
        self.act()
        return 2

    def __iter__(self):
        self.act()
        yield self.value
        self.act()
        yield 0

    def __getitem__(self, i):
        self.act()
        if i > 1:
            raise IndexError(i)
        return self.value


def an_arg(rng, objs, depth):
    r = rng.randrange(14)
    if r < 3:
        return an_int(rng)
    if r == 3:
        return rng.choice([0.0, -0.0, 1.5, math.nan, math.inf, 1e308, 1j, True, False, None])
    if r == 4:
        return text(rng, rng.choice(list(TEXTS)))
    if r == 5:
        return [an_int(rng) if rng.random() < 0.7 else an_arg(rng, objs, depth + 1) for _ in range(rng.randint(0, 4))]
    if r == 6:
        return {an_int(rng): rng.choice([v.PauliMatrix.X, 1, "Z"]) for _ in range(rng.randint(0, 3))}
    if r == 7 and depth == 0:
        return (an_int(rng), rng.choice(objs + [v.SymplecticPart.Z]))
    if r == 8:
        return an_array(rng)
    if r == 9 and depth == 0:
        return Sneaky(rng, objs, rng.choice(SMALL + [v.PauliMatrix.Z, (0, 1)]))
    if r == 10:
        return {rng.choice([an_int(rng), (an_int(rng), v.CliffordGate.H)]) for _ in range(rng.randint(0, 3))}
    return rng.choice(objs) if objs else None


NEVER = {"save_to_file"}  # writes where its argument says: the file target covers it
DUNDERS = ["__len__", "__getitem__", "__setitem__", "__eq__", "__ne__", "__str__", "__repr__", "__mul__", "__imul__",
           "__rmul__", "__pow__", "__neg__", "__int__", "__iter__", "__contains__"]


def n_params(f):
    sig = (getattr(f, "__text_signature__", None) or "()").strip("()")
    return sum(1 for p in sig.split(",") if p.strip() not in ("", "$self", "/", "*"))


def call_random(rng, objs, depth=0):
    obj = rng.choice(objs)
    target = obj if rng.random() < 0.8 else type(obj)
    names = [n for n in dir(target) if (not n.startswith("_") or n in DUNDERS) and n not in NEVER]
    if not names:
        return
    f = getattr(target, rng.choice(names))
    if not callable(f):
        return
    n = max(0, n_params(f) + rng.choice([0, 0, 0, 0, -1, 1]))
    args = [an_arg(rng, objs, depth) for _ in range(n)]
    if rng.random() < 0.05 and args:
        f(*args[:-1], **{rng.choice(["index", "i", "n", "other", "qubits", "x"]): args[-1]})
    else:
        r = f(*args)
        if hasattr(r, "__next__"):
            list(r)


def t_calls(rng):
    objs = instances(rng, 5)
    for _ in range(rng.randint(1, 3)):
        try:
            call_random(rng, objs)
        except ALLOWED:
            pass


def t_ints(rng):
    """Integer arguments at the 2^63 / 2^64 boundaries, by position, to every method with integer parameters."""
    objs = instances(rng, 2)
    if not objs:
        return
    obj = rng.choice(objs)
    names = [n for n in dir(obj) if (not n.startswith("_") or n in DUNDERS) and n not in NEVER]
    f = getattr(obj, rng.choice(names))
    if not callable(f):
        return
    n = n_params(f)
    args = [rng.choice(BOUNDS) if rng.random() < 0.6 else rng.choice(SMALL) for _ in range(n)]
    for k in range(n):
        if rng.random() < 0.3:
            args[k] = rng.choice(objs)
    f(*args)


ARRAYS = ["QubitPauliArray", "QubitStateArray", "FermionStateArray", "NormalFermionOperatorArray",
          "GeneralFermionOperatorArray"]

TARGETS = {
    "pauli_springs": t_pauli, "fermion_springs": t_fermion, "binary_springs": t_binary, "coeff_parse": t_coeffs,
    "from_dict": t_from_dict, "load_from_file": t_load_from_file, "numpy": t_numpy, "ints": t_ints,
    "calls": t_calls,
}
WORKDIR = None


def run(name, runs, seed):
    rng = random.Random(f"{seed}:{name}")
    accepted, start = 0, time.monotonic()
    for i in range(runs):
        state = rng.getstate()
        try:
            TARGETS[name](rng)
            accepted += 1
        except ALLOWED:
            pass
        except BaseException as e:
            if isinstance(e, KeyboardInterrupt):
                raise
            rng.setstate(state)
            print(f"FAIL {name} input {i} (--seed {seed} --runs {i + 1}): {type(e).__module__}.{type(e).__name__}: {e}",
                  file=sys.stderr)
            raise
    print(f"{name}: {runs} inputs, {accepted} accepted, {time.monotonic() - start:.1f} s", flush=True)


def main():
    global WORKDIR
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--runs", type=int, default=1000)
    p.add_argument("--seed", type=int, default=0)
    p.add_argument("--target", action="append", choices=sorted(TARGETS))
    p.add_argument("--list", action="store_true")
    args = p.parse_args()
    if args.list:
        print("\n".join(TARGETS))
        return
    if "asan" not in os.environ.get("LD_PRELOAD", ""):
        # Keep a size check that fails from taking the machine with it.
        resource.setrlimit(resource.RLIMIT_AS, (16 << 30, resource.RLIM_INFINITY))
    warnings.simplefilter("ignore")
    shm = "/dev/shm" if os.access("/dev/shm", os.W_OK) else None  # files in memory: many are written
    with tempfile.TemporaryDirectory(dir=shm) as WORKDIR:
        os.chdir(WORKDIR)
        for name in args.target or TARGETS:
            run(name, args.runs, args.seed)
    print(f"{len(args.target or TARGETS)} passed, 0 failed")


if __name__ == "__main__":
    main()
