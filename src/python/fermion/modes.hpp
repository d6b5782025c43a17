// The Python names of the fermion mode space and the fermion error types.
#pragma once

#include "core/fermion/general.hpp"
#include "core/fermion/mode.hpp"
#include "python/frame/bind.hpp"

VEMO_PY_CLASS(vemo::fermion::Modes, "Modes");

namespace vemo::py {

template <>
struct ErrorToException<fermion::DifferentSpaces> {
    static PyObject* type(const fermion::DifferentSpaces&) { return PyExc_ValueError; }
};
template <>
struct ErrorToException<fermion::general::ProductError> {
    static PyObject* type(const fermion::general::ProductError&) { return PyExc_ValueError; }
};

}  // namespace vemo::py
