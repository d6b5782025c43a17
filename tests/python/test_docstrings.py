"""Text signatures and docstrings of the classes and methods (one table for all), and the copy members."""

import copy

import pytest

import vemo._vemo as v

VECS = "RealVec ComplexVec SignVec ComplexSignVec"
N_MODES = "Number of modes required in the smallest space of modes that can contain modes indexed in [0, self.max]."
# Classes (several separated by blanks) | member ("" for the class) | text signature ("" unchecked) | docstring
TABLE = f"""
Map | | () | A Map wrapper for Python.
{VECS} | | (n_element=0) | A {{cls}} wrapper for Python.
{VECS} | same_as | | Return whether the two instances are the same.
{VECS} | imul_elem | ($self, index, other) | Multiply in-place by `other` at `index`.
{VECS} | append | | Append `value` to `self`.
{VECS} | extend_external | | Extend `self` with `value` where `value` is different to `self`.
{VECS} | extend_internal | | Extend `self` with `self`.
{VECS} | resize | | Set the number of elements.
{VECS} | parse | (source) | Try to read from a string
RealVec ComplexVec | to_array | | Get `self` as a Python list.
RealVec ComplexVec | from_array | | Get a new instance from a python array of phases.
SignVec ComplexSignVec | from_phases | | Get a new instance from a python array of phases.
RealVec ComplexVec | all_insignificant | | Determine whether this vector is nearly zero in all elements.
Sign | | (is_minus_one) | A Sign wrapper for Python.
Sign | to_phase | | Get the raw phase bool.
ComplexSign | | (power_of_i) | A ComplexSign wrapper for Python.
ComplexSign | to_phase | | Get the raw phase byte.
QubitPauliArray | | (qubits=None, springs=None) | A list of Pauli strings
QubitPauliArray | with_phases | (qubits, springs) | \
Get a new instance and the phases associated with coincidentally-indexed Paulis in the input springs.
QubitPauliArray | same_as | ($self, other) | Return whether the two instances are the same.
QubitPauliArray | qubits | | Get the qubit space on which this term is based.
QubitPauliArray | lincomb_mul_real | (lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs) | \
Mul lhs by rhs and update out with the result
QubitPauliArray | lincomb_mul_complex | (lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs) | \
Mul lhs by rhs and update out with the result
CliffordGate | | | Kinds of Clifford gate
CliffordGateList | | () | A python wrapper for a list of Clifford gates
CliffordGateList | push_cx | ($self, i_control, i_target) | Push a CNOT gate to the end of this vector of Clifford gates.
CliffordGateList | pop | | Remove the last-pushed gate if this vector is non-empty.
CliffordGateList | from_iterable | | \
Create a new list of Clifford gates from an iterator over tuples e.g.\\n`(S, 0), (H, 1), (CX, 3, 2), (S, 1)`
PauliSprings BinarySprings FermionSprings | | (s) |
PauliSprings | | | Python wrapper for qubit Pauli sparse strings
PauliSprings | default_n_qubit | | {N_MODES}
Qubits | | | Python wrapper for Qubits, which can either take the form of a vector of modes\\nor simply a number of modes
Qubits | from_count | | Create using the first n modes of the default register.
Qubits | from_offset | (i, n) | Create using the modes i to i+n of the default register.
Qubits | from_inds | | Create using the modes indexed.
Qubits | from_hilbert_space_dim | | Create by taking the ceiling of the log2 of the size of the hilbert space
PauliMatrix | | | Pauli matrices and the identity
SymplecticPart | | | \
Symbols representing the Pauli X and Z\\nUsed to identify the X or Z part of the symplectic representation of Paulis
BinarySprings | | | Python wrapper for binary sparse strings
BinarySprings | default_n_qubit | | Number of modes required in the smallest space that can contain this spring.
Modes | | | Python wrapper for fermionic mode spaces.
Modes | from_fock_space_dim | | Create by taking the ceiling of the log2 of the size of the Fock space.
Modes | from_pair_count_spin_minor | (n) |
FermionSprings | | | Python wrapper for fermionic ladder-operator sparse strings.
FermionSprings | get_ops | | Get one sparse string as `(mode, is_creation)` pairs.
FermionSprings | default_n_mode | | {N_MODES}
QubitStateArray | | (qubits=None, springs=None) | A list of computational basis state strings
NormalFermionOperatorArray | | (modes=None, springs=None) | A list of normal-ordered fermion ladder-operator products.
NormalFermionOperatorArray | cmpnt_clear | ($self, i) |
GeneralFermionOperatorArray | | (modes=None, max_len=None, springs=None) | \
A list of raw, non-normal-ordered fermion ladder-operator products.
GeneralFermionOperatorArray | from_ladder_product | (modes, ops) |
FermionStateArray | | (modes=None, springs=None) | A list of fermionic occupation-number basis state strings.
FermionStateArray | resize | | Set the number of occupation-number basis strings in `self`.
FermionStateArray | cmpnt_set_from_set | | Set the indexed component from the set of occupied mode indices.
Mapper | | | Base class for fermion to qubit transformation mappers.
Mapper | op_load_product | | Update the state of self to a mapping of the given ladder operators.
Mapper | op_contribute_real | | \
Using the mapping defined by `self`, contribute a fermionic ladder operator product to the operator (cmpnt, map, coeffs)
JordanWignerMapper | | (qubits, mode_ordering=None) | A Jordan-Wigner transformation mapper.
ParityMapper | | (qubits, mode_ordering=None) | A parity transformation mapper.
BravyiKitaevMapper | | (qubits, mode_ordering=None) | A Bravyi-Kitaev transformation mapper.
ParaparticularMapper | | (qubits, mode_ordering=None) | A paraparticular transformation mapper.
"""
ROWS = [
    (cls, *(f.strip() for f in rest))
    for line in TABLE.strip().splitlines()
    for classes, *rest in [line.split("|")]
    for cls in classes.split()
]


@pytest.mark.parametrize("cls,member,signature,doc", ROWS, ids=lambda x: x)
def test_signature_and_doc(cls, member, signature, doc):
    obj = getattr(getattr(v, cls), member) if member else getattr(v, cls)
    assert not signature or obj.__text_signature__ == signature
    assert not doc or obj.__doc__ == doc.replace("\\n", "\n").format(cls=cls)


@pytest.mark.parametrize("make", [
    lambda: v.Sign(True), lambda: v.ComplexSign(7), lambda: v.PauliMatrix.Y, lambda: v.SymplecticPart.Z,
    lambda: v.PauliSprings("X0 Y1"), lambda: v.BinarySprings("[0, 1], [1]"), lambda: v.FermionSprings("F1^ F0, F2"),
])
def test_copies_are_new_objects_with_the_same_value(make):
    x = make()
    for c in (copy.copy(x), copy.deepcopy(x), x.__deepcopy__(None)):
        assert type(c) is type(x) and c is not x and str(c) == str(x)


def test_copy_members():
    with_copies = [getattr(v, n) for n in v.__all__ if hasattr(getattr(v, n), "__copy__")]
    for name in ("Sign", "ComplexSign", "SignVec", "ComplexSignVec", "PauliSprings", "PauliMatrix", "BinarySprings"):
        assert getattr(v, name) in with_copies
    for cls in with_copies:
        assert (cls.__copy__.__text_signature__, cls.__copy__.__doc__) == ("($self)", "Return shallow copy.")
        assert (cls.__deepcopy__.__text_signature__, cls.__deepcopy__.__doc__) == ("($self, _memo)", "Return deep copy.")
    # Float vectors copy through their constructor only; sign vectors have no array form.
    for cls in (v.RealVec, v.ComplexVec, v.SignVec, v.ComplexSignVec):
        floats = cls in (v.RealVec, v.ComplexVec)
        assert not any(hasattr(cls, n) for n in (("__copy__", "from_phases") if floats else ("to_array", "from_array")))
