// The exceptions of the text-form errors: a malformed text is a ValueError, an
// index beyond the mode space an IndexError, a refused coefficient a ValueError.
#pragma once

#include <variant>

#include "core/cmpnt/bad_parse.hpp"
#include "core/cmpnt/parse_error.hpp"
#include "python/frame/bind.hpp"

namespace vemo::py {

template <>
struct ErrorToException<BadParse> {
    static PyObject* type(const BadParse&) { return PyExc_ValueError; }
};

template <>
struct ErrorToException<ParseError> {
    static PyObject* type(const ParseError& e) {
        return std::holds_alternative<OutOfBounds>(e.v) ? PyExc_IndexError : PyExc_ValueError;
    }
};

// Raised through the register error, which is an IndexError.
template <>
struct ErrorToException<DifferentModeCounts> {
    static PyObject* type(const DifferentModeCounts&) { return PyExc_IndexError; }
};

}  // namespace vemo::py
