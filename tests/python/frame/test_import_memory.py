"""Importing the module while memory runs out: a shim (alloc_fail_shim.c) preloaded
into a child interpreter fails one allocation of `import vemo._vemo` at a time,
every one of the first 150 and a sample of the rest. Each import must end in
ImportError or MemoryError, or give a module that works; and once memory is back,
importing again in the same process must give a working module."""

import json
import os
import shutil
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

# The sanitizers' allocator takes malloc's place, ahead of the shim.
sanitized = pytest.mark.skipif("asan" in os.environ.get("LD_PRELOAD", ""),
                               reason="under the sanitizers, whose allocator the shim cannot wrap")

# The shim's alloc_fail_where().
NOT_FAILED, BEFORE_DLOPEN, IN_LOADER, IN_DLOPEN, AFTER_DLOPEN = range(5)
EVERY_K_UP_TO = 150
SAMPLED = 150

# Runs in the child, with the shim preloaded: reports the allocations an import
# makes (argv[1] == "count"), or for each k of argv[1] forks a process that
# imports with the k-th allocation failed, and reports what came of it.
CHILD = r"""
import ctypes, json, os, sys
shim = ctypes.CDLL(sys.argv[2])
shim.alloc_fail_count.restype = ctypes.c_long

def works(v):
    # X0 Y1 times Y0 Y1 is i Z0: X Y = iZ, Y Y = I.
    a = v.QubitPauliArray(None, v.PauliSprings("X0 Y1"))
    b = v.QubitPauliArray(None, v.PauliSprings("Y0 Y1"))
    product, phase = a.cmpnt_mul(0, b, 0)
    return product.cmpnt_to_string(0) == "Z0" and str(phase) == "+i"

def outcome(f):
    try:
        return "ok" if f() else "wrong result"
    except BaseException as e:
        return f"{type(e).__name__}: {e}"

def import_and_use():
    import vemo._vemo as v
    return works(v)

def forget():
    for name in ("vemo._vemo", "vemo"):
        sys.modules.pop(name, None)

if sys.argv[1] == "count":
    shim.alloc_fail_arm(0)
    import vemo._vemo
    shim.alloc_fail_disarm()
    print(shim.alloc_fail_count())
    sys.exit()

runs = []
for k in json.loads(sys.argv[1]):
    r, w = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(r)
        os.dup2(w, 1)
        os.dup2(w, 2)
        shim.alloc_fail_arm(k)
        first = outcome(lambda: __import__("vemo._vemo"))
        shim.alloc_fail_disarm()
        report = {"first": first, "where": shim.alloc_fail_where()}
        if first == "ok":
            report["use"] = outcome(import_and_use)
        else:
            forget()
            report["again"] = outcome(import_and_use)
        print("\nreport:", json.dumps(report), flush=True)
        os._exit(0)
    os.close(w)
    with os.fdopen(r, errors="replace") as f:
        text = f.read()
    _, status = os.waitpid(pid, 0)
    runs.append({"k": k, "exit": os.waitstatus_to_exitcode(status), "text": text})
print(json.dumps(runs))
"""


@pytest.fixture(scope="module")
def shim(tmp_path_factory):
    cc = shutil.which("cc") or shutil.which("gcc")
    if cc is None:
        pytest.skip("no C compiler for the allocation-failure shim")
    out = tmp_path_factory.mktemp("shim") / "alloc_fail_shim.so"
    source = Path(__file__).with_name("alloc_fail_shim.c")
    subprocess.run([cc, "-O2", "-shared", "-fPIC", "-o", str(out), str(source), "-ldl"], check=True)
    return out


def run_child(shim, arg):
    env = dict(os.environ, LD_PRELOAD=str(shim))
    out = subprocess.run([sys.executable, "-c", CHILD, arg, str(shim)], env=env, capture_output=True, text=True,
                         timeout=600)
    assert out.returncode == 0, (out.returncode, out.stderr[-2000:])
    return json.loads(out.stdout.splitlines()[-1])


def failure_of(run):
    """None when the run ended as it may; else what went wrong."""
    lines = run["text"].splitlines()
    reports = [json.loads(line[len("report: "):]) for line in lines if line.startswith("report: ")]
    if not reports:
        # Only the dynamic loader may end the process, in dlopen, as glibc does for some of its own failures.
        loader = "alloc_fail_shim: the failed allocation was made in the dynamic loader" in lines
        return None if loader and run["exit"] == 127 else f"the process ended with status {run['exit']}"
    report = reports[0]
    if run["exit"] != 0:
        return f"the process ended with status {run['exit']}"
    first, where = report["first"], report["where"]
    if first == "ok":
        return None if report["use"] == "ok" else f"the module imported does not work: {report['use']}"
    # The interpreter's own import machinery, before the library is opened, fails in its own ways.
    if not first.startswith(("ImportError", "MemoryError")) and where != BEFORE_DLOPEN:
        return f"the import raised {first}"
    if report["again"] != "ok":
        # After some failures of its own, glibc refuses the library for the rest of the process.
        if where == IN_LOADER and report["again"].startswith("ImportError"):
            return None
        return f"after {first!r}, importing again gave {report['again']}"
    return None


def sample(count):
    """Every k up to EVERY_K_UP_TO, then SAMPLED of the rest spread evenly, with the last."""
    ks = list(range(1, min(count, EVERY_K_UP_TO) + 1))
    rest = count - len(ks)
    if rest > 0:
        step = max(1, rest // SAMPLED)
        ks += list(range(len(ks) + step, count, step)) + [count]
    return sorted(set(ks))


@sanitized
def test_each_failed_allocation_of_the_import_is_an_exception(shim):
    count = run_child(shim, "count")
    assert count > EVERY_K_UP_TO
    runs = run_child(shim, json.dumps(sample(count)))
    failures = {run["k"]: f for run in runs if (f := failure_of(run))}
    assert not failures, textwrap.shorten(str(failures), 3000)
    print(f"{len(runs)} of the import's {count} allocations failed in turn")
