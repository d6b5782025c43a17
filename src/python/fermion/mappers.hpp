// The Python mapper classes: Mapper holds one mapping engine; its four
// subclasses add only a constructor that builds the engine of their kind.
#pragma once

#include <variant>

#include "core/fermion/mappings/operators.hpp"
#include "python/fermion/ladder_op.hpp"
#include "python/frame/bind.hpp"

namespace vemo::py::mappers {
struct JordanWigner;
struct Parity;
struct BravyiKitaev;
struct Paraparticular;
}  // namespace vemo::py::mappers

VEMO_PY_CLASS(vemo::fermion::mappings::Mapper, "Mapper");
VEMO_PY_SUBCLASS(vemo::py::mappers::JordanWigner, vemo::fermion::mappings::Mapper, "JordanWignerMapper");
VEMO_PY_SUBCLASS(vemo::py::mappers::BravyiKitaev, vemo::fermion::mappings::Mapper, "BravyiKitaevMapper");
VEMO_PY_SUBCLASS(vemo::py::mappers::Parity, vemo::fermion::mappings::Mapper, "ParityMapper");
VEMO_PY_SUBCLASS(vemo::py::mappers::Paraparticular, vemo::fermion::mappings::Mapper, "ParaparticularMapper");

namespace vemo::py {

// A refused mode ordering: IndexError for an entry out of range, ValueError when too short.
template <>
struct ErrorToException<fermion::mappings::ModeOrderingError> {
    static PyObject* type(const fermion::mappings::ModeOrderingError& e) {
        return std::holds_alternative<OutOfBounds>(e.v) ? PyExc_IndexError : PyExc_ValueError;
    }
};

}  // namespace vemo::py
