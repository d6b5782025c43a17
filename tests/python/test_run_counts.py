"""The test command's summary: the passed, failed and skipped counts it reads from
the closing lines of ctest, pytest -q and the fuzz run (its function counts_of,
run on sample logs)."""

import pathlib
import re
import subprocess

import pytest

RUN_SH = (pathlib.Path(__file__).resolve().parents[2] / "tests" / "run.sh").read_text()
COUNTS_OF = re.search(r"^counts_of\(\) \{.*?^\}$", RUN_SH, re.M | re.S).group(0)


def counts(tmp_path, kind, log, rc):
    (tmp_path / "log").write_text(log)
    script = f'set -euo pipefail\n{COUNTS_OF}\ncounts_of "$1" "$2" "$3"\n'
    out = subprocess.run(["bash", "-c", script, "counts", str(tmp_path / "log"), str(rc), kind],
                         capture_output=True, text=True, check=True).stdout.split()
    return tuple(map(int, out))


CTEST_SKIPS = """\
2/4 Test #2: b ...***Skipped   0.01 sec
3/4 Test #3: c ...***Not Run (Disabled)   0.00 sec
67% tests passed, 1 tests failed out of 3

The following tests did not run:
\t  2 - b (Skipped)
\t  3 - c (Disabled)

The following tests FAILED:
\t  4 - d (Failed)
"""


@pytest.mark.parametrize("kind, log, rc, want", [
    ("ctest", "97% tests passed, 1 test failed out of 36\n", 8, (35, 1, 0)),
    ("ctest", "CMake Error: no build tree\n", 1, (0, 1, 0)),  # failed before counting
    # "out of 3" holds a, b (skipped, counted as passed by ctest) and d, not c (disabled).
    ("ctest", CTEST_SKIPS, 8, (1, 1, 2)),
    ("ctest", "100% tests passed out of 40\nrun.sh: GoogleTest cases skipped: 3\n", 0, (40, 0, 3)),
    ("pytest", "FAILED t.py::a\n2 failed, 663 passed, 4 skipped, 1 xfailed in 65.03s (0:01:05)\n\n", 1, (663, 2, 4)),
    ("pytest", "1 failed, 10 passed, 3 errors in 1.00s\n", 1, (10, 4, 0)),
    ("pytest", "....\nFatal Python error: Segmentation fault\n", 139, (0, 1, 0)),  # a crash: no closing line
    ("pytest", "a test printed: 99 passed, 7 failed in 1.0s\n.\n1 passed in 0.10s\n", 0, (1, 0, 0)),  # the last line only
    ("fuzz", "a: 5000 inputs, 10 accepted, 1.0 s\nb: 5000 inputs, 9 accepted, 2.0 s\n2 passed, 0 failed\n", 0, (2, 0, 0)),
    ("fuzz", "a: 5000 inputs, 10 accepted, 1.0 s\nFAIL b input 3 (--seed 0 --runs 4): ValueError: x\n", 1, (1, 1, 0)),
])
def test_counts_of_closing_lines(tmp_path, kind, log, rc, want):
    assert counts(tmp_path, kind, log, rc) == want
