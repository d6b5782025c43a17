"""vemo: fast quantum-operator algebra.

Pauli-string operators, qubit basis states, fermion ladder-operator products
and fermion-to-qubit mappings, implemented in C++ (the extension module
``vemo._vemo``). Every class of the extension is also reachable as ``vemo.X``.
"""

from . import _vemo
from ._vemo import *  # noqa: F401,F403

__all__ = list(_vemo.__all__)
