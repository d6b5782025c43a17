// Number and sequence slots shared by the coefficient classes.
#pragma once

#include <utility>

#include "python/container/coeffs/classes.hpp"

namespace vemo::py {

// a * b for two objects of class T: a new object; any other operand is NotImplemented.
template <Bound T>
PyObject* product_slot(PyObject* a, PyObject* b) {
    return guarded<PyObject*>(nullptr, [&]() -> PyObject* {
        auto* ia = instance_cast<T>(a);
        auto* ib = instance_cast<T>(b);
        if (!ia || !ib) return not_implemented().release();
        SharedBorrow<T> ga(ia);
        SharedBorrow<T> gb(ib);
        return to_py(T(ga.get() * gb.get())).release();
    });
}

// a *= b: changes a in place and returns it. When b is a itself the two borrows
// conflict, so the interpreter falls back to a * b (a new object).
template <Bound T>
PyObject* inplace_product_slot(PyObject* a, PyObject* b) {
    return guarded<PyObject*>(nullptr, [&]() -> PyObject* {
        auto* ia = instance_cast<T>(a);
        auto* ib = instance_cast<T>(b);
        if (!ia || !ib || a == b || ia->borrow != 0 || ib->borrow < 0) return not_implemented().release();
        ExclusiveBorrow<T> ga(ia);
        SharedBorrow<T> gb(ib);
        ga.get() *= gb.get();
        Py_INCREF(a);
        return a;
    });
}

template <Bound T>
void add_product_slots(ClassDef<T>& c) {
    c.slot(Py_nb_multiply, reinterpret_cast<void*>(&product_slot<T>));
    c.slot(Py_nb_inplace_multiply, reinterpret_cast<void*>(&inplace_product_slot<T>));
}

// Sequence item access for iteration and membership: entry i as a Python object,
// IndexError past the end. Get(const V&, uint64_t) -> Python value.
template <Bound V, auto Get>
PyObject* seq_item_slot(PyObject* self, Py_ssize_t i) {
    return guarded<PyObject*>(nullptr, [&]() -> PyObject* {
        auto* inst = instance_cast<V>(self);
        if (!inst) raise(PyExc_TypeError, "bad self");
        SharedBorrow<V> g(inst);
        const uint64_t k = to_py_result(try_py_index(static_cast<int64_t>(i), g.get().size()));
        return to_py(Get(g.get(), k)).release();
    });
}

}  // namespace vemo::py
