// Python objects that hold one C++ value, their borrow flags, and the
// per-class registry of methods and slots from which type objects are built.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "python/frame/errors.hpp"
#include "python/frame/py.hpp"

namespace vemo::py {

// Names a C++ type as a Python class: specialise through VEMO_PY_CLASS in a
// header, so that every binding file can take the class as an argument.
template <class T>
struct PyClass;

template <class T>
concept Bound = requires { PyClass<T>::name; };

#define VEMO_PY_CLASS(T, NAME)                       \
    template <>                                      \
    struct vemo::py::PyClass<T> {                    \
        static constexpr const char* name = NAME;    \
    }

// The object layout: the header, the borrow flag, the value.
template <class T>
struct Instance {
    PyObject_HEAD
    // 0: free; n > 0: n shared borrows; -1: borrowed exclusively.
    int64_t borrow;
    T value;
};

PyTypeObject* type_object_by_name(const char* name);

template <Bound T>
PyTypeObject* type_of();

template <Bound T>
inline Instance<T>* instance_cast(PyObject* o) {
    PyTypeObject* tp = type_of<T>();
    if (Py_TYPE(o) == tp || PyType_IsSubtype(Py_TYPE(o), tp)) return reinterpret_cast<Instance<T>*>(o);
    return nullptr;
}

// The value of an instance of T, or null; takes no borrow.
template <Bound T>
inline T* try_cast(PyObject* o) {
    auto* i = instance_cast<T>(o);
    return i ? &i->value : nullptr;
}

template <Bound T>
class SharedBorrow {
public:
    explicit SharedBorrow(Instance<T>* i) : i_(i) {
        if (i_->borrow < 0) raise(PyExc_RuntimeError, "Already mutably borrowed");
        ++i_->borrow;
    }
    SharedBorrow(const SharedBorrow&) = delete;
    ~SharedBorrow() { --i_->borrow; }
    const T& get() const { return i_->value; }

private:
    Instance<T>* i_;
};

template <Bound T>
class ExclusiveBorrow {
public:
    explicit ExclusiveBorrow(Instance<T>* i) : i_(i) {
        if (i_->borrow != 0) raise(PyExc_RuntimeError, "Already borrowed");
        i_->borrow = -1;
    }
    ExclusiveBorrow(const ExclusiveBorrow&) = delete;
    ~ExclusiveBorrow() { i_->borrow = 0; }
    T& get() const { return i_->value; }

private:
    Instance<T>* i_;
};

// A new Python object owning `value`.
template <Bound T>
Obj new_instance(T value) {
    PyTypeObject* tp = type_of<T>();
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(tp, Py_tp_alloc));
    PyObject* o = alloc(tp, 0);
    if (!o) throw ErrorAlreadySet{};
    auto* inst = reinterpret_cast<Instance<T>*>(o);
    inst->borrow = 0;
    new (&inst->value) T(std::move(value));
    return Obj::steal(o);
}

template <class T>
void dealloc_instance(PyObject* self) {
    auto* inst = reinterpret_cast<Instance<T>*>(self);
    inst->value.~T();
    PyTypeObject* tp = Py_TYPE(self);
    auto free_fn = reinterpret_cast<freefunc>(PyType_GetSlot(tp, Py_tp_free));
    free_fn(self);
    Py_DECREF(tp);
}

// Everything a type object is built from. Built lazily: binding files add
// blocks at load time; the blocks run when the type is first needed.
struct ClassSpec {
    std::string name;
    std::string qualified_name;
    std::string doc;
    Py_ssize_t basicsize = 0;
    bool has_new = false;
    std::vector<PyMethodDef> methods;
    std::vector<PyType_Slot> slots;
    PyTypeObject* type = nullptr;
};

PyTypeObject* build_type(ClassSpec& spec);
void register_class(const char* name, PyTypeObject* (*get)());

#define VEMO_CAT2(a, b) a##b
#define VEMO_CAT(a, b) VEMO_CAT2(a, b)

// Defines a block of methods and slots of class T:
//   VEMO_CLASS_BLOCK(Map, 0) { c.doc("..."); c.def<&f>("f($self)\n--\n\nDoc"); }
#define VEMO_CLASS_BLOCK(T, ORDER)                                                                   \
    static void VEMO_CAT(vemo_block_, __LINE__)(::vemo::py::ClassDef<T>&);                           \
    [[maybe_unused]] static const bool VEMO_CAT(vemo_block_reg_, __LINE__) =                         \
        ::vemo::py::ClassDef<T>::add_block(ORDER, &VEMO_CAT(vemo_block_, __LINE__));                 \
    static void VEMO_CAT(vemo_block_, __LINE__)([[maybe_unused]] ::vemo::py::ClassDef<T> & c)

}  // namespace vemo::py
