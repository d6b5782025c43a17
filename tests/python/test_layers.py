"""The folders of src/core form layers, bottom first as in LAYERS (and in each folder's README): a
file includes only core headers of its own folder or of folders below it (a sub-folder such as
container/coeffs counts as its top folder)."""

import pathlib
import re

CORE = pathlib.Path(__file__).resolve().parents[2] / "src" / "core"
LAYERS = ["base", "utils", "container", "cmpnt", "qubit", "fermion"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def violations(core=CORE):
    """(file, included header) for every include out of the order; (file, "") for a file out of it."""
    rank = {name: k for k, name in enumerate(LAYERS)}
    found = []
    for src in sorted(p for p in core.rglob("*") if p.suffix in (".hpp", ".cpp", ".h")):
        rel = src.relative_to(core).as_posix()
        own = rank.get(rel.split("/")[0])
        if own is None:
            found.append((rel, ""))
            continue
        for target in INCLUDE.findall(src.read_text()):
            parts = target.split("/")
            if parts[0] != "core" or rank.get(parts[1], len(rank)) > own:
                found.append((rel, target))
    return found


def test_core_folders_include_only_folders_below():
    assert sorted(p.name for p in CORE.iterdir() if p.is_dir()) == sorted(LAYERS)
    assert violations() == []


# Includes that keep the order pass in the real tree above.
def test_the_check_finds_upward_includes(tmp_path):
    files = {
        "cmpnt/d.hpp": '#include "python/frame/frame.hpp"\n',  # outside the core
        "container/coeffs/c.hpp": '  #  include "core/cmpnt/d.hpp"\n',  # a sub-folder counts as its top folder
        "extra/e.hpp": "",  # a folder out of the order
    }
    for rel, text in files.items():
        (tmp_path / rel).parent.mkdir(parents=True, exist_ok=True)
        (tmp_path / rel).write_text(text)
    assert [f for f, _ in violations(tmp_path)] == ["cmpnt/d.hpp", "container/coeffs/c.hpp", "extra/e.hpp"]
