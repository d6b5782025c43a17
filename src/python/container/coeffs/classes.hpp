// The Python classes of the coefficient scalars and vectors, and the
// exceptions of a refused coefficient conversion and of too few coefficients.
// Include this to take or return them.
#pragma once

#include "core/container/coeffs/coeffs.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "python/frame/bind.hpp"

VEMO_PY_CLASS(vemo::Sign, "Sign");
VEMO_PY_CLASS(vemo::ComplexSign, "ComplexSign");
VEMO_PY_CLASS(vemo::Unity, "Unity");
VEMO_PY_CLASS(vemo::RealVec, "RealVec");
VEMO_PY_CLASS(vemo::ComplexVec, "ComplexVec");
VEMO_PY_CLASS(vemo::SignVec, "SignVec");
VEMO_PY_CLASS(vemo::ComplexSignVec, "ComplexSignVec");
VEMO_PY_CLASS(vemo::UnityVec, "UnityVec");

namespace vemo::py {

template <>
struct ErrorToException<Unrepresentable> {
    static PyObject* type(const Unrepresentable&) { return PyExc_ValueError; }
};
template <>
struct ErrorToException<ShortCoeffs> {
    static PyObject* type(const ShortCoeffs&) { return PyExc_ValueError; }
};
template <>
struct ErrorToException<UnequalCoeffs> {
    static PyObject* type(const UnequalCoeffs&) { return PyExc_ValueError; }
};

}  // namespace vemo::py
