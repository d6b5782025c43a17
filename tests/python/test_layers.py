"""The folders of src/core form layers: each includes only itself and the folders below it.

Reads every `#include "core/..."` of src/core (a sub-folder such as container/coeffs counts as its
top folder). Runs with the suite, or alone: `python3 tests/python/test_layers.py`.
"""

import pathlib
import re
import sys

import pytest

CORE = pathlib.Path(__file__).resolve().parents[2] / "src" / "core"

# Bottom first; the same order stands in each folder's README.
LAYERS = ["base", "utils", "container", "cmpnt", "qubit", "fermion"]

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def folder_of(path):
    """The top folder under src/core of a path relative to src/core."""
    return pathlib.PurePosixPath(path).parts[0]


def violations(core=CORE, layers=LAYERS):
    """(file, included header, why) for every include that breaks the order."""
    rank = {name: k for k, name in enumerate(layers)}
    found = []
    for src in sorted(core.rglob("*")):
        if src.suffix not in (".hpp", ".cpp", ".h"):
            continue
        rel = src.relative_to(core).as_posix()
        own = folder_of(rel)
        if own not in rank:
            found.append((rel, "", f"folder '{own}' has no place in the layer order"))
            continue
        for target in INCLUDE.findall(src.read_text()):
            if not target.startswith("core/"):
                found.append((rel, target, "the core includes only core headers"))
                continue
            other = folder_of(target[len("core/"):])
            if other not in rank:
                found.append((rel, target, f"folder '{other}' has no place in the layer order"))
            elif rank[other] > rank[own]:
                found.append((rel, target, f"'{own}' may not include '{other}', which lies above it"))
    return found


def test_core_folders_include_only_folders_below():
    assert CORE.is_dir()
    assert sorted(p.name for p in CORE.iterdir() if p.is_dir()) == sorted(LAYERS)
    assert violations() == []


@pytest.mark.parametrize(
    "files, bad",
    [
        ({"base/a.hpp": "", "utils/b.hpp": '#include "core/base/a.hpp"\n'}, []),
        ({"utils/b.hpp": "", "base/a.hpp": '#include "core/utils/b.hpp"\n'}, ["base/a.hpp"]),
        ({"container/coeffs/c.hpp": '#include "core/cmpnt/d.hpp"\n', "cmpnt/d.hpp": ""},
         ["container/coeffs/c.hpp"]),
        ({"qubit/q.hpp": '  #  include "core/fermion/f.hpp"\n', "fermion/f.hpp": ""}, ["qubit/q.hpp"]),
        ({"extra/e.hpp": ""}, ["extra/e.hpp"]),
        ({"base/a.hpp": '#include "python/frame/frame.hpp"\n'}, ["base/a.hpp"]),
        ({"fermion/f.cpp": '#include "core/qubit/q.hpp"\n#include <vector>\n', "qubit/q.hpp": ""}, []),
    ],
)
def test_the_check_finds_upward_includes(tmp_path, files, bad):
    for rel, text in files.items():
        p = tmp_path / rel
        p.parent.mkdir(parents=True, exist_ok=True)
        p.write_text(text)
    assert [f for f, _, _ in violations(tmp_path)] == bad


if __name__ == "__main__":
    for f, target, why in violations():
        print(f"src/core/{f}: {target}: {why}")
    sys.exit(1 if violations() else 0)
