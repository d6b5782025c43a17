// The Python names of the qubit classes and the qubit error types.
#pragma once

#include <string>
#include <vector>

#include "core/qubit/clifford.hpp"
#include "core/qubit/mode.hpp"
#include "core/qubit/pauli_springs.hpp"
#include "core/qubit/symbols.hpp"
#include "core/qubit/traits.hpp"
#include "python/frame/bind.hpp"

VEMO_PY_CLASS(vemo::qubit::Qubits, "Qubits");
VEMO_PY_CLASS(vemo::qubit::PauliMatrix, "PauliMatrix");
VEMO_PY_CLASS(vemo::qubit::SymplecticPart, "SymplecticPart");
VEMO_PY_CLASS(vemo::qubit::clifford::GateKind, "CliffordGate");
VEMO_PY_CLASS(vemo::qubit::clifford::CliffordGateList, "CliffordGateList");
VEMO_PY_CLASS(vemo::qubit::pauli::Springs, "PauliSprings");
VEMO_PY_CLASS(vemo::qubit::pauli::ManyPartSprings, "ManyPartPauliSprings");

namespace vemo::py {

template <>
struct ErrorToException<qubit::BasisError> {
    static PyObject* type(const qubit::BasisError&) { return PyExc_IndexError; }
};
template <>
struct ErrorToException<qubit::CoincidentIndex> {
    static PyObject* type(const qubit::CoincidentIndex&) { return PyExc_IndexError; }
};
template <>
struct ErrorToException<qubit::OffsetOverflow> {
    static PyObject* type(const qubit::OffsetOverflow&) { return PyExc_OverflowError; }
};
template <>
struct ErrorToException<qubit::DifferentQubits> {
    static PyObject* type(const qubit::DifferentQubits&) { return PyExc_ValueError; }
};
template <>
struct ErrorToException<qubit::SubspaceNonorthogonal> {
    static PyObject* type(const qubit::SubspaceNonorthogonal&) { return PyExc_ValueError; }
};

}  // namespace vemo::py
