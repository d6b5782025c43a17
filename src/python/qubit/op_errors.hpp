// The exceptions of the errors of matrix elements, applications and projections.
#pragma once

#include <variant>

#include "core/qubit/mat_elem.hpp"
#include "python/qubit/qubit.hpp"

namespace vemo::py {

// A register beyond one word is an IndexError, the others ValueErrors.
template <>
struct ErrorToException<qubit::pauli::MatElemError> {
    static PyObject* type(const qubit::pauli::MatElemError& e) {
        return std::holds_alternative<OutOfBounds>(e.v) ? PyExc_IndexError : PyExc_ValueError;
    }
};

}  // namespace vemo::py
