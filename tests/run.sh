#!/usr/bin/env bash
# Builds vemo and runs the whole test suite: the C++ unit tests (CTest) and
# the Python tests (pytest) against the freshly built module.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VEMO_TEST_BUILD:-$root/build/test}

# What the build and the tests need.
python3 -m pip install --quiet --disable-pip-version-check -r tests/requirements.txt
if [ ! -f /usr/include/gtest/gtest.h ]; then
  if [ "$(id -u)" = 0 ]; then
    (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq libgtest-dev) >/dev/null
  else
    echo "GoogleTest is missing: install Debian's libgtest-dev" >&2; exit 1
  fi
fi

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DVEMO_BUILD_TESTS=ON -DVEMO_WERROR=ON \
  -DVEMO_STAGE_DIR="$build/stage" -DPython_EXECUTABLE="$(command -v python3)" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
PYTHONPATH="$build/stage" python3 -m pytest tests/python -q -p no:cacheprovider
