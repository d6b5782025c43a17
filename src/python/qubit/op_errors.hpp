// The exceptions of coefficient-length errors and of the errors of matrix
// elements, applications and projections.
#pragma once

#include <variant>

#include "core/container/coeff_len.hpp"
#include "core/qubit/mat_elem.hpp"
#include "python/qubit/qubit.hpp"

namespace vemo::py {

template <>
struct ErrorToException<CoeffLenError> {
    static PyObject* type(const CoeffLenError&) { return PyExc_ValueError; }
};

// A register beyond one word is an IndexError, the others ValueErrors.
template <>
struct ErrorToException<qubit::pauli::MatElemError> {
    static PyObject* type(const qubit::pauli::MatElemError& e) {
        return std::holds_alternative<OutOfBounds>(e.v) ? PyExc_IndexError : PyExc_ValueError;
    }
};

}  // namespace vemo::py
