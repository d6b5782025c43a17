// A ladder operator from Python: a (mode, is_creation) pair, given as a tuple
// or any other sequence of two items but a str. One converter serves every
// method that takes ladder-operator products.
#pragma once

#include "core/fermion/ladder_op.hpp"
#include "python/frame/convert.hpp"

namespace vemo::py {

template <>
struct FromPy<fermion::LadderOp> {
    static fermion::LadderOp convert(PyObject* o) {
        // Tuples are read directly, since a product arrives with every term of a mapped operator.
        if (PyTuple_Check(o) && PyTuple_Size(o) == 2) {
            const uint64_t mode = FromPy<uint64_t>::convert(PyTuple_GetItem(o, 0));
            return {mode, FromPy<bool>::convert(PyTuple_GetItem(o, 1))};
        }
        if (PyUnicode_Check(o) || !PySequence_Check(o) || PySequence_Size(o) != 2) {
            PyErr_Clear();
            raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to a (mode, is_creation) pair");
        }
        Obj mode_obj = check(PySequence_GetItem(o, 0));
        const uint64_t mode = FromPy<uint64_t>::convert(mode_obj.get());
        Obj flag_obj = check(PySequence_GetItem(o, 1));
        return {mode, FromPy<bool>::convert(flag_obj.get())};
    }
};

}  // namespace vemo::py
