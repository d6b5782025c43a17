#!/usr/bin/env bash
# Line coverage of src/ by both test suites together (not part of CI).
#
# Builds vemo with gcov instrumentation (Debug, -O0) in its own build
# directory, runs the C++ tests (CTest) and the Python tests (pytest) against
# that build, and prints the line coverage of src/ as gcovr computes it.
#
#   bash tests/coverage.sh              # build in build/coverage
#   VEMO_COVERAGE_BUILD=DIR bash tests/coverage.sh
#   VEMO_JOBS=N bash tests/coverage.sh  # parallel build jobs (default 3)
#
# Needs gcovr (pip install gcovr) besides what tests/run.sh needs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VEMO_COVERAGE_BUILD:-$root/build/coverage}
jobs=${VEMO_JOBS:-3}

python3 -c "import gcovr" 2>/dev/null || python3 -m pip install --quiet --disable-pip-version-check gcovr

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DVEMO_BUILD_TESTS=ON \
  -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
  -DCMAKE_MODULE_LINKER_FLAGS=--coverage \
  -DVEMO_STAGE_DIR="$build/stage" -DPython_EXECUTABLE="$(command -v python3)" >/dev/null
cmake --build "$build" --parallel "$jobs" >/dev/null

# Counters from earlier runs would add to this one.
find "$build" -name '*.gcda' -delete

ctest --test-dir "$build" --parallel "$jobs" >/dev/null || echo "coverage: some C++ tests failed" >&2
PYTHONPATH="$build/stage" python3 -m pytest tests/python -q -p no:cacheprovider >/dev/null \
  || echo "coverage: some Python tests failed" >&2

python3 -m gcovr --root "$root" --filter "$root/src/" --print-summary --txt "$build/coverage.txt" \
  -j "$jobs" "$build" | tail -n 3
