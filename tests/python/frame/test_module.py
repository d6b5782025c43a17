import shutil
import subprocess

import pytest

MODULE_ORDER = [
    "Sign", "SignVec", "ComplexSign", "ComplexSignVec", "RealVec", "ComplexVec", "Map",
    "QubitPauliArray", "QubitStateArray", "Mapper", "JordanWignerMapper", "BravyiKitaevMapper",
    "ParityMapper", "ParaparticularMapper", "Modes", "FermionSprings", "FermionStateArray",
    "NormalFermionOperatorArray", "GeneralFermionOperatorArray", "BinarySprings", "CliffordGateList",
    "CliffordGate", "PauliSprings", "Qubits", "PauliMatrix", "SymplecticPart",
]


def test_module_identity(v):
    import vemo

    assert v.__doc__ == "The Python bindings to Vemo."
    assert "Map" in v.__all__
    # __all__ keeps the module's order, whatever subset is present.
    assert v.__all__ == [n for n in MODULE_ORDER if n in v.__all__]
    for name in v.__all__:
        assert getattr(v, name) is getattr(vemo, name)
    for hidden in ("Unity", "UnityVec", "ManyPartPauliSprings"):
        assert not hasattr(v, hidden)


@pytest.mark.skipif(shutil.which("nm") is None, reason="nm not available")
def test_only_init_symbol_exported(v):
    out = subprocess.run(["nm", "-D", "--defined-only", v.__file__], capture_output=True, text=True, check=True)
    symbols = [line.split()[-1] for line in out.stdout.splitlines() if line.strip()]
    assert symbols == ["PyInit__vemo"]


def test_new_without_parameters(v):
    with pytest.raises(TypeError, match=r"^Map\.__new__\(\) takes 0 positional arguments but 1 was given$"):
        v.Map(1)


def test_second_interpreter_is_refused(v):
    si = pytest.importorskip("_xxsubinterpreters")
    interp = si.create()
    try:
        with pytest.raises(si.RunFailedError, match="ImportError"):
            si.run_string(interp, "import vemo._vemo")
    finally:
        si.destroy(interp)


def test_reimport_after_removal_returns_same_module(v):
    import importlib
    import sys

    del sys.modules["vemo._vemo"]
    try:
        assert importlib.import_module("vemo._vemo") is v
    finally:
        sys.modules["vemo._vemo"] = v


def test_classes_are_immutable(v):
    for name in v.__all__:
        cls = getattr(v, name)
        with pytest.raises(TypeError):
            cls.added = 1
        with pytest.raises(TypeError):
            del cls.__doc__
    assert v.PauliMatrix.X is not None  # class attributes set while building are kept
