#!/usr/bin/env bash
# Builds vemo and runs the whole test suite: the C++ unit tests (CTest) and
# the Python tests (pytest) against the freshly built module. Warnings in
# vemo's own code are errors here.
#
# Python packages go into a virtual environment inside the build tree (it
# sees the packages python3 has already), so that a system Python that
# refuses pip installs of its own works too. Run as root, missing Debian
# packages (GoogleTest, Python headers, venv) are installed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VEMO_TEST_BUILD:-$root/build/test}

# Installs Debian packages when run as root; otherwise names them and stops.
install_debian() {
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@") >/dev/null
  else
    echo "Missing: $* (Debian package names); install them and run again" >&2; exit 1
  fi
}

python=$(command -v python3)
[ -f /usr/include/gtest/gtest.h ] || install_debian libgtest-dev
"$python" -c 'import os, sys, sysconfig; sys.exit(not os.path.exists(sysconfig.get_paths()["include"] + "/Python.h"))' ||
  install_debian python3-dev
if [ ! -x "$build/venv/bin/python" ]; then
  rm -rf "$build/venv"
  if ! "$python" -m venv --system-site-packages "$build/venv" >/dev/null 2>&1; then
    install_debian python3-venv
    rm -rf "$build/venv"
    "$python" -m venv --system-site-packages "$build/venv"
  fi
fi
export PATH="$build/venv/bin:$PATH"
python3 -m pip install --quiet --disable-pip-version-check -r tests/requirements.txt

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=ON -DVEMO_WERROR=ON \
  -DVEMO_STAGE_DIR="$build/stage" -DPython_EXECUTABLE="$(command -v python3)" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
# One BLAS/OpenMP thread: on a loaded machine their threads only slow the
# dense-matrix tests down.
OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 PYTHONPATH="$build/stage" python3 -m pytest tests/python -q -p no:cacheprovider
# A short fuzz run of every target (fuzz/fuzz.py; long runs are done by hand).
PYTHONPATH="$build/stage" python3 fuzz/fuzz.py --runs 5000 --seed 0
