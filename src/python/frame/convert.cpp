// The out-of-line part of the argument conversions: special-method lookup on
// types, the general path of complex arguments, and file paths.
#include <array>
#include <complex>
#include <cstring>

#include "python/frame/convert.hpp"

namespace vemo::py {

namespace {

PyObject* interned(const char* s) {
    PyObject* p = PyUnicode_InternFromString(s);
    if (!p) throw ErrorAlreadySet{};
    return p;  // kept for the life of the process
}

// Walks the type's method resolution order for `name` in each class's own
// dictionary; `immutable` tells whether every class in it is immutable.
Obj lookup_in_mro(PyTypeObject* tp, PyObject* name, bool& immutable) {
    static PyObject* const dunder_mro = interned("__mro__");
    static PyObject* const dunder_dict = interned("__dict__");
    Obj mro = check(PyObject_GetAttr(reinterpret_cast<PyObject*>(tp), dunder_mro));
    if (!PyTuple_Check(mro.get())) raise(PyExc_TypeError, "__mro__ of '" + type_name(mro.get()) + "' type");
    immutable = true;
    Obj found;
    const Py_ssize_t n = PyTuple_Size(mro.get());
    for (Py_ssize_t k = 0; k < n; ++k) {
        PyObject* cls = PyTuple_GetItem(mro.get(), k);
        if (!PyType_Check(cls)) raise(PyExc_TypeError, "__mro__ holds a '" + type_name(cls) + "' object");
        if (!(PyType_GetFlags(reinterpret_cast<PyTypeObject*>(cls)) & Py_TPFLAGS_IMMUTABLETYPE)) immutable = false;
        if (found) continue;
        Obj dict = check(PyObject_GetAttr(cls, dunder_dict));
        const int r = PySequence_Contains(dict.get(), name);
        if (r < 0) throw ErrorAlreadySet{};
        if (r == 1) found = check(PyObject_GetItem(dict.get(), name));
    }
    return found;
}

// Answers for types that cannot change, each type held so that its address is never reused.
struct Known {
    PyTypeObject* type;
    PyObject* name;
    PyObject* attr;  // null when the type does not define it
};
std::array<Known, 32> known;
size_t n_known = 0;

}  // namespace

Obj type_lookup(PyTypeObject* tp, PyObject* name) {
    for (size_t k = 0; k < n_known; ++k)
        if (known[k].type == tp && known[k].name == name) return Obj::borrow(known[k].attr);
    bool immutable = false;
    Obj attr = lookup_in_mro(tp, name, immutable);
    if (immutable && n_known < known.size()) {
        Py_INCREF(reinterpret_cast<PyObject*>(tp));
        known[n_known++] = {tp, name, Obj(attr).release()};
    }
    return attr;
}

Obj call_special(PyObject* attr, PyObject* o) {
    // A function (or any descriptor) is bound to the object first, as attribute access would.
    auto get = reinterpret_cast<descrgetfunc>(PyType_GetSlot(Py_TYPE(attr), Py_tp_descr_get));
    Obj bound = get ? check(get(attr, o, reinterpret_cast<PyObject*>(Py_TYPE(o)))) : Obj::borrow(attr);
    return check(PyObject_CallNoArgs(bound.get()));
}

std::complex<double> complex_from_number(PyObject* o) {
    static PyObject* const dunder_complex = interned("__complex__");
    if (Obj method = type_lookup(Py_TYPE(o), dunder_complex)) {
        Obj c = call_special(method.get(), o);
        if (!PyComplex_Check(c.get())) raise(PyExc_TypeError, "__complex__ returned non-complex");
        return {PyComplex_RealAsDouble(c.get()), PyComplex_ImagAsDouble(c.get())};
    }
    return {FromPy<double>::convert(o), 0.0};
}

FsPath FromPy<FsPath>::convert(PyObject* o) {
    if (!PyUnicode_Check(o)) raise_not_str(o);
    // As PyUnicode_FSConverter: encoded first (a surrogate that does not stand for a byte is
    // UnicodeEncodeError), then the NUL check.
    Obj encoded = check(PyUnicode_EncodeFSDefault(o));
    char* s = nullptr;
    Py_ssize_t n = 0;
    if (PyBytes_AsStringAndSize(encoded.get(), &s, &n) < 0) throw ErrorAlreadySet{};
    if (std::memchr(s, '\0', static_cast<size_t>(n))) raise(PyExc_ValueError, "embedded null byte");
    return {std::string(s, static_cast<size_t>(n)), Obj::borrow(o)};
}

}  // namespace vemo::py
