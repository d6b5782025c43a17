"""Real allocation failures: code run in a child Python process that lowers its
address-space limit (RLIMIT_AS, as `ulimit -v` sets it). Skipped under the
sanitizers, whose shadow memory needs the address space."""

import os
import subprocess
import sys
import textwrap

import pytest

sanitized = pytest.mark.skipif("asan" in os.environ.get("LD_PRELOAD", ""), reason="sanitizer run")

# Before the child's code: limited(margin, f) calls f with the address space
# limited to what the process maps now plus `margin` bytes: None, or what f
# raised as "Type: message".
PRELUDE = """
import json, resource, sys

def limited(margin, f):
    with open("/proc/self/status") as status:
        mapped = next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmSize:"))
    old = resource.getrlimit(resource.RLIMIT_AS)
    resource.setrlimit(resource.RLIMIT_AS, (mapped + margin, old[1]))
    try:
        f()
    except BaseException as e:
        return f"{type(e).__name__}: {e}"
    finally:
        resource.setrlimit(resource.RLIMIT_AS, old)

# used_up(call) calls call with the allocator used up first (every block malloc still gives, largest
# first) and frees the blocks after; meant to run under limited().
def used_up(call):
    import ctypes
    libc = ctypes.CDLL(None)
    libc.malloc.restype, libc.free.argtypes = ctypes.c_void_p, [ctypes.c_void_p]
    held = (ctypes.c_void_p * (1 << 22))()

    def f():
        k = 0
        for size in (1 << 20, 1 << 16, 4096, 1024, 256, 128, 112, 96, 80, 64, 48, 32, 16, 1):
            while k < len(held) and (p := libc.malloc(size)):
                held[k], k = p, k + 1
        try:
            call()
        finally:
            for i in range(k):
                libc.free(held[i])
    return f
"""


def run_child(code):
    """The lines the child prints; it must end normally."""
    out = subprocess.run([sys.executable, "-c", PRELUDE + textwrap.dedent(code)], capture_output=True, text=True,
                         timeout=600)
    assert out.returncode == 0, (out.returncode, out.stdout[-300:], out.stderr[-300:])
    return out.stdout.splitlines()
