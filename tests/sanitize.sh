#!/usr/bin/env bash
# Builds vemo with AddressSanitizer and UndefinedBehaviorSanitizer into its own
# directory and runs the C++ tests, the Python tests and a short fuzz run under
# them. Any finding (memory error, undefined behaviour, leak) fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VEMO_SANITIZE_BUILD:-$root/build/sanitize}
jobs=${VEMO_JOBS:-$(nproc)}
# The packages the build and the tests need (Boost's headers among them) go
# into a virtual environment of this build, as in tests/run.sh. Its python is
# a link to the interpreter itself, not a wrapper script that would start it.
if [ ! -x "$build/venv/bin/python" ]; then
  rm -rf "$build/venv"
  python3 -m venv --system-site-packages "$build/venv"
fi
export PATH="$build/venv/bin:$PATH"
python3 -m pip install --quiet --disable-pip-version-check -r tests/requirements.txt
python=$(python3 -c 'import sys; print(sys.executable)')

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DVEMO_SANITIZE=ON -DVEMO_BUILD_TESTS=ON \
  -DVEMO_STAGE_DIR="$build/stage" -DPython_EXECUTABLE="$python" >/dev/null
cmake --build "$build" --parallel "$jobs"

# An impossible allocation is a null pointer, so std::bad_alloc and MemoryError
# as without the sanitizer (operator new is replaced on top of malloc, so
# new/free pairs are not errors). Leaks of the interpreter's own start-up,
# imports and type objects are suppressed by name (lsan.supp); the full stack of
# each allocation is kept so that the names can match. vemo's are reported.
export ASAN_OPTIONS=allocator_may_return_null=1:alloc_dealloc_mismatch=0:detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=64
export LSAN_OPTIONS=suppressions=$root/tests/sanitize/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure --parallel "$jobs"

# The interpreter is not instrumented: the runtime is loaded first, with the C++
# library whose exceptions it intercepts. Python's allocator is bypassed so that
# object memory is checked as well. Reports go to the terminal, not to pytest.
export LD_PRELOAD="$(g++ -print-file-name=libasan.so) $(g++ -print-file-name=libstdc++.so)"
export PYTHONMALLOC=malloc PYTHONPATH=$build/stage
# (Without the sanitizer's note on each impossible allocation that returned null.)
quiet() { "$@" 2> >(grep -v "AddressSanitizer failed to allocate" >&2); }
quiet "$python" -m pytest tests/python -q -p no:cacheprovider --capture=sys
quiet "$python" fuzz/fuzz.py --runs "${VEMO_FUZZ_RUNS:-300}" --seed 0
