"""The README's Python examples: each ```python block runs on its own, in a fresh
namespace (so it must make its own imports), and every `print(...)  # text` line
prints exactly `text`."""

import contextlib
import io
import pathlib
import re

import pytest

README = pathlib.Path(__file__).resolve().parents[2] / "README.md"
BLOCKS = re.findall(r"^```python\n(.*?)^```", README.read_text(), re.M | re.S)
# A statement that starts with print( and ends in a comment: the comment is its output line.
PRINT_WITH_OUTPUT = re.compile(r"^\s*print\(.*\)\s+# (.*)$", re.M)


def test_readme_has_python_examples():
    assert len(BLOCKS) >= 3


@pytest.mark.parametrize("i", range(len(BLOCKS)), ids=lambda i: f"block{i + 1}")
def test_readme_block_runs_alone_and_prints_its_comments(i):
    code = BLOCKS[i]
    out = io.StringIO()
    with contextlib.redirect_stdout(out):
        exec(compile(code, f"README.md python block {i + 1}", "exec"), {"__name__": "__readme__"})
    printed = out.getvalue().splitlines()
    # Every print of a block states its output, so the lines pair up in order.
    assert code.count("print(") == len(PRINT_WITH_OUTPUT.findall(code))
    assert printed == PRINT_WITH_OUTPUT.findall(code)
