// The out-of-line part of the argument conversions: special-method lookup on
// types and the general path of complex arguments.
#include <array>
#include <complex>

#include "python/frame/convert.hpp"

namespace vemo::py {

namespace {

PyObject* interned(const char* s) {
    PyObject* p = PyUnicode_InternFromString(s);
    if (!p) throw ErrorAlreadySet{};
    return p;  // kept for the life of the process
}

// Walks the type's method resolution order, looking for `name` in each class's
// own dictionary; `immutable` tells whether every class in it is immutable.
bool lookup_in_mro(PyTypeObject* tp, PyObject* name, bool& immutable) {
    static PyObject* const dunder_mro = interned("__mro__");
    static PyObject* const dunder_dict = interned("__dict__");
    Obj mro = check(PyObject_GetAttr(reinterpret_cast<PyObject*>(tp), dunder_mro));
    if (!PyTuple_Check(mro.get())) raise(PyExc_TypeError, "__mro__ of '" + type_name(mro.get()) + "' type");
    immutable = true;
    bool found = false;
    const Py_ssize_t n = PyTuple_Size(mro.get());
    for (Py_ssize_t k = 0; k < n; ++k) {
        PyObject* cls = PyTuple_GetItem(mro.get(), k);
        if (!PyType_Check(cls)) raise(PyExc_TypeError, "__mro__ holds a '" + type_name(cls) + "' object");
        if (!(PyType_GetFlags(reinterpret_cast<PyTypeObject*>(cls)) & Py_TPFLAGS_IMMUTABLETYPE)) immutable = false;
        if (found) continue;
        Obj dict = check(PyObject_GetAttr(cls, dunder_dict));
        const int r = PySequence_Contains(dict.get(), name);
        if (r < 0) throw ErrorAlreadySet{};
        found = r == 1;
    }
    return found;
}

// Answers for types that cannot change, each type held so that its address is never reused.
struct Known {
    PyTypeObject* type;
    PyObject* name;
    bool defines;
};
std::array<Known, 32> known;
size_t n_known = 0;

}  // namespace

bool type_defines(PyTypeObject* tp, PyObject* name) {
    for (size_t k = 0; k < n_known; ++k)
        if (known[k].type == tp && known[k].name == name) return known[k].defines;
    bool immutable = false;
    const bool defines = lookup_in_mro(tp, name, immutable);
    if (immutable && n_known < known.size()) {
        Py_INCREF(reinterpret_cast<PyObject*>(tp));
        known[n_known++] = {tp, name, defines};
    }
    return defines;
}

std::complex<double> complex_from_number(PyObject* o) {
    static PyObject* const dunder_complex = interned("__complex__");
    if (type_defines(Py_TYPE(o), dunder_complex)) {
        Obj c = check(PyObject_CallMethodObjArgs(o, dunder_complex, nullptr));
        if (!PyComplex_Check(c.get())) raise(PyExc_TypeError, "__complex__ returned non-complex");
        return {PyComplex_RealAsDouble(c.get()), PyComplex_ImagAsDouble(c.get())};
    }
    return {FromPy<double>::convert(o), 0.0};
}

}  // namespace vemo::py
