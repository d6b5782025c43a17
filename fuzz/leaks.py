"""Reference and memory leaks of the extension.

    PYTHONPATH=build/dev/stage python3 fuzz/leaks.py [--inputs 2000] [--rounds 6] [--target NAME ...]

Replays the inputs of each fuzz target (fuzz/fuzz.py: the text parsers, the
dict and file forms, NumPy inputs, and every public method of every class with
arguments that succeed and that fail) several times over, after as many warm-up
rounds, and checks that neither the live objects (gc), nor the memory of the
Python allocators (tracemalloc: every object, gc-tracked or not), nor the
process's resident memory grow with the number of rounds. A reference kept by
mistake grows the first two; memory that C++ code does not free grows the last.
Release builds have no sys.gettotalrefcount. Slow (minutes): not part of CI.
"""

import argparse
import gc
import os
import random
import sys
import tempfile
import tracemalloc
import warnings

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fuzz  # noqa: E402

# Allowed growth over the measured rounds: a leak of one object or 64 bytes per
# input exceeds them for any --inputs above a few hundred.
MAX_OBJECTS, MAX_TRACED, MAX_RSS = 64, 64 << 10, 8 << 20


def rss():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def replay(name, inputs, seed=0):
    rng = random.Random(f"{seed}:{name}")
    for _ in range(inputs):
        try:
            fuzz.TARGETS[name](rng)
        except fuzz.ALLOWED:
            pass


def measure():
    gc.collect()
    return len(gc.get_objects()), tracemalloc.get_traced_memory()[0], rss()


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--inputs", type=int, default=2000)
    p.add_argument("--rounds", type=int, default=6)
    p.add_argument("--target", action="append", choices=sorted(fuzz.TARGETS))
    args = p.parse_args()
    warnings.simplefilter("ignore")
    failed = []
    with tempfile.TemporaryDirectory() as fuzz.WORKDIR:
        os.chdir(fuzz.WORKDIR)
        tracemalloc.start()
        for name in args.target or fuzz.TARGETS:
            # Warm-up: caches of the interpreter and NumPy fill, names are interned,
            # modules are imported; then the same inputs again must hold no more.
            for _ in range(args.rounds):
                replay(name, args.inputs)
            before = measure()
            for _ in range(args.rounds):
                replay(name, args.inputs)
            grown = [a - b for a, b in zip(measure(), before)]
            bad = grown[0] > MAX_OBJECTS or grown[1] > MAX_TRACED or grown[2] > MAX_RSS
            print(f"{name}: {args.rounds} x {args.inputs} inputs: {grown[0]:+d} objects, "
                  f"{grown[1]:+d} B traced, {grown[2] >> 10:+d} KiB resident{'  LEAK' if bad else ''}", flush=True)
            if bad:
                failed.append(name)
    print(f"{len(fuzz.TARGETS) - len(failed) if not args.target else len(args.target) - len(failed)} passed, "
          f"{len(failed)} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
