#!/usr/bin/env bash
# Builds vemo and runs the whole test suite: the C++ unit tests (CTest), the
# Python tests (pytest) against the freshly built module, and a short fuzz run.
# Warnings in vemo's own code are errors here.
#
# Python packages go into a virtual environment inside the build tree (it
# sees the packages python3 has already), so that a system Python that
# refuses pip installs of its own works too. Run as root, missing Debian
# packages (GoogleTest, Python headers, venv) are installed.
#
# Each step prints one line as it starts. The three test runs all run even
# when one fails; the last line adds up their counts,
#   tests: N passed, N failed, N skipped
# and the exit status is non-zero when any of them failed. Skipped are pytest's
# skipped tests, CTest's tests that did not run (skipped or disabled) and the
# GoogleTest cases skipped inside a C++ test that passed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VEMO_TEST_BUILD:-$root/build/test}
started=$SECONDS

current=
step() { current=$*; echo "run.sh: $* ($((SECONDS - started)) s)"; }
# A step before the test runs that fails ends the script; say which.
trap 'rc=$?; [ "$rc" = 0 ] || [ "$current" = done ] || echo "run.sh: failed while $current (exit status $rc)" >&2' EXIT

# Installs Debian packages when run as root; otherwise names them and stops.
install_debian() {
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    step "installing $* from Debian"
    (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@") >/dev/null
  else
    echo "Missing: $* (Debian package names); install them and run again" >&2; exit 1
  fi
}

step "checking GoogleTest and the Python headers"
python=$(command -v python3)
[ -f /usr/include/gtest/gtest.h ] || install_debian libgtest-dev
"$python" -c 'import os, sys, sysconfig; sys.exit(not os.path.exists(sysconfig.get_paths()["include"] + "/Python.h"))' ||
  install_debian python3-dev
if [ ! -x "$build/venv/bin/python" ]; then
  step "making the virtual environment $build/venv"
  rm -rf "$build/venv"
  if ! "$python" -m venv --system-site-packages "$build/venv" >/dev/null 2>&1; then
    install_debian python3-venv
    rm -rf "$build/venv"
    "$python" -m venv --system-site-packages "$build/venv"
  fi
fi
export PATH="$build/venv/bin:$PATH"
step "installing the Python packages of tests/requirements.txt"
python3 -m pip install --quiet --disable-pip-version-check -r tests/requirements.txt

step "configuring the build in $build"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=ON -DVEMO_WERROR=ON \
  -DVEMO_STAGE_DIR="$build/stage" -DPython_EXECUTABLE="$(command -v python3)" >/dev/null
step "building"
cmake --build "$build" --parallel "$(nproc)"

# From here on a failing run is counted, not fatal: every run's output is kept
# beside the build for its counts.
logs=$build/logs
mkdir -p "$logs"
status=0

step "C++ tests (ctest)"
ctest_rc=0
last_test_log=$build/Testing/Temporary/LastTest.log
rm -f "$last_test_log"  # a run that stops early must not count an older run's cases
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" 2>&1 | tee "$logs/ctest.log" || ctest_rc=$?
# CTest shows a C++ test's own output only when it fails; its full log has
# GoogleTest's "[  SKIPPED ] N tests, listed below:" of every test.
gtest_skipped=0
if [ -f "$last_test_log" ]; then
  gtest_skipped=$(awk '/^\[  SKIPPED \] [0-9]+ tests?, listed below/ { n += $4 } END { print n + 0 }' \
                  "$last_test_log")
fi
echo "run.sh: GoogleTest cases skipped: $gtest_skipped" | tee -a "$logs/ctest.log"

step "Python tests (pytest)"
# One BLAS/OpenMP thread: on a loaded machine their threads only slow the
# dense-matrix tests down.
pytest_rc=0
OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 PYTHONPATH="$build/stage" \
  python3 -m pytest tests/python -q -p no:cacheprovider 2>&1 | tee "$logs/pytest.log" || pytest_rc=$?

step "fuzz run (fuzz/fuzz.py, every target)"
# A short run of every target; long runs are done by hand.
fuzz_rc=0
PYTHONPATH="$build/stage" python3 fuzz/fuzz.py --runs 5000 --seed 0 2>&1 | tee "$logs/fuzz.log" || fuzz_rc=$?

# The counts of a run: "PASSED FAILED SKIPPED". A run that failed without
# saying how many (a crash, an error before its tests) counts one failure.
counts_of() {  # log, exit status, kind
  local log=$1 rc=$2 kind=$3 passed=0 failed=0 skipped=0 line did_not_run
  case $kind in
    ctest)  # "100% tests passed out of T", or "N% tests passed, F tests failed out of T"; T counts the
            # skipped tests (as passed) but not the disabled ones, both listed as "N - name (Skipped)"
            # or "(Disabled)" under "The following tests did not run:". run.sh adds the GoogleTest
            # cases skipped inside the tests as "run.sh: GoogleTest cases skipped: N".
      line=$(grep -E '^[0-9]+% tests passed.* out of [0-9]+' "$log" | tail -n 1 || true)
      if [ -n "$line" ]; then
        failed=$(grep -oE '[0-9]+ tests? failed' <<<"$line" | grep -oE '^[0-9]+' || echo 0)
        did_not_run=$(grep -cE '^[[:space:]]+[0-9]+ - .+ \(Skipped\)$' "$log" || true)
        passed=$(( $(grep -oE 'out of [0-9]+' <<<"$line" | grep -oE '[0-9]+') - failed - did_not_run ))
        skipped=$(( did_not_run + $(grep -cE '^[[:space:]]+[0-9]+ - .+ \(Disabled\)$' "$log" || true) ))
      fi
      line=$(grep -E '^run\.sh: GoogleTest cases skipped: [0-9]+$' "$log" | tail -n 1 || true)
      [ -z "$line" ] || skipped=$(( skipped + ${line##* } )) ;;
    pytest)  # last line of -q: "P passed, F failed, S skipped, E errors in T s" (any subset)
      line=$(grep -v '^[[:space:]]*$' "$log" | tail -n 1 | grep -E ' in [0-9.]+s' || true)
      passed=$(grep -oE '[0-9]+ passed' <<<"$line" | grep -oE '[0-9]+' || echo 0)
      skipped=$(grep -oE '[0-9]+ skipped' <<<"$line" | grep -oE '[0-9]+' || echo 0)
      failed=$(( $(grep -oE '[0-9]+ failed' <<<"$line" | grep -oE '[0-9]+' || echo 0) +
                 $(grep -oE '[0-9]+ errors?' <<<"$line" | grep -oE '[0-9]+' || echo 0) )) ;;
    fuzz)  # "P passed, F failed" at the end; each finished target prints "name: N inputs, ..."
      line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1 || true)
      if [ -n "$line" ]; then
        read -r passed _ failed _ <<<"${line//,/}"
      else
        passed=$(grep -cE '^[a-z_0-9]+: [0-9]+ inputs, ' "$log" || true)
      fi ;;
  esac
  if [ "$rc" != 0 ] && [ "$failed" = 0 ]; then failed=1; fi
  echo "$passed $failed $skipped"
}

total_passed=0 total_failed=0 total_skipped=0
for run in "ctest $ctest_rc" "pytest $pytest_rc" "fuzz $fuzz_rc"; do
  read -r kind rc <<<"$run"
  [ "$rc" = 0 ] || status=1
  read -r passed failed skipped < <(counts_of "$logs/$kind.log" "$rc" "$kind")
  total_passed=$((total_passed + passed)) total_failed=$((total_failed + failed))
  total_skipped=$((total_skipped + skipped))
done
[ "$total_failed" = 0 ] || status=1
step "done"
echo "tests: $total_passed passed, $total_failed failed, $total_skipped skipped"
exit "$status"
