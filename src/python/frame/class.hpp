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

// A class or subclass named for Python.
template <class T>
concept Declared = requires { PyClass<T>::name; };

// A Python subclass: a tag type whose objects hold the value of its base class.
template <class T>
concept Subclass = Declared<T> && requires { typename PyClass<T>::base; };

// A class whose objects hold a T: the type of arguments and results.
template <class T>
concept Bound = Declared<T> && !Subclass<T>;

template <Declared T>
class ClassDef;

// The one ordered list of a class's members: defined once per class by VEMO_CLASS.
template <Declared T>
void define_class(ClassDef<T>& c);

template <class T>
struct ValueOfT {
    using type = T;
};
template <Subclass T>
struct ValueOfT<T> {
    using type = typename PyClass<T>::base;
};
// The C++ value that the objects of class T hold.
template <Declared T>
using ValueOf = typename ValueOfT<T>::type;

#define VEMO_PY_CLASS(T, NAME)                    \
    template <>                                   \
    struct vemo::py::PyClass<T> {                 \
        static constexpr const char* name = NAME; \
    };                                            \
    template <>                                   \
    void vemo::py::define_class<T>(::vemo::py::ClassDef<T>&)

// TAG (any declared type) names a Python subclass of the bound class BASE that
// adds only a constructor: its objects hold a BASE, so every method of BASE
// works on them, and isinstance(obj, BASE) is true.
#define VEMO_PY_SUBCLASS(TAG, BASE, NAME)         \
    template <>                                   \
    struct vemo::py::PyClass<TAG> {               \
        static constexpr const char* name = NAME; \
        using base = BASE;                        \
    };                                            \
    template <>                                   \
    void vemo::py::define_class<TAG>(::vemo::py::ClassDef<TAG>&)

// The object layout: the header, the borrow flag, the value.
template <class T>
struct Instance {
    PyObject_HEAD
    // 0: free; n > 0: n shared borrows; -1: borrowed exclusively.
    int64_t borrow;
    T value;
};

// The type of the class registered under `name`: null when none is, SystemError when two are.
PyTypeObject* type_object_by_name(const char* name);

template <Declared T>
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

// A new Python object of class T (a subclass tag or the value's own class) owning `value`.
template <Declared T>
Obj new_instance(ValueOf<T> value) {
    using V = ValueOf<T>;
    PyTypeObject* tp = type_of<T>();
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(tp, Py_tp_alloc));
    PyObject* o = alloc(tp, 0);
    if (!o) throw ErrorAlreadySet{};
    auto* inst = reinterpret_cast<Instance<V>*>(o);
    inst->borrow = 0;
    new (&inst->value) V(std::move(value));
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

// Everything a type object is built from, collected by the class's definition
// when the type is first needed.
struct ClassSpec {
    std::string name;
    std::string qualified_name;
    std::string doc;
    Py_ssize_t basicsize = 0;
    bool has_new = false;
    bool has_subclasses = false;
    PyTypeObject* base = nullptr;
    std::vector<PyMethodDef> methods;
    std::vector<PyGetSetDef> getset;
    std::vector<PyType_Slot> slots;
    PyTypeObject* type = nullptr;
};

PyTypeObject* build_type(ClassSpec& spec);
// Sets a class attribute of a type that is being completed (in `after_build`):
// the types are immutable from Python, so the entry goes into the type's dictionary.
void set_class_attr(PyTypeObject* tp, const char* name, Obj value);

// A class as VEMO_CLASS registers it when the library is loaded: a node of a
// list that links itself in without allocating, and cannot fail, so loading
// allocates nothing for it. Everything else about the class is made when its
// type is first needed, under the guard of a call.
struct ClassNode {
    const char* name;
    PyTypeObject* (*get)();  // the type, built on first use; null with an exception set
    PyTypeObject* (*base)();  // a subclass's base class's `get`; else null
    const ClassNode* next;
    ClassNode(const char* n, PyTypeObject* (*g)(), PyTypeObject* (*b)()) noexcept;
};

// Whether a registered class is a subclass of the class whose type `get` gives.
bool has_registered_subclass(PyTypeObject* (*get)()) noexcept;

#define VEMO_CAT2(a, b) a##b
#define VEMO_CAT(a, b) VEMO_CAT2(a, b)

// The definition of class T, used inside namespace vemo::py; its calls run in
// order when the type is built, and that order is the order of the method table:
//   VEMO_CLASS(Map) { c.doc("..."); c.init<&f>(); c.def<&g>("g($self)\n--\n\nDoc"); }
// A second definition of the same class is a link error.
#define VEMO_CLASS(T)                                                                                        \
    [[maybe_unused]] static const ::vemo::py::ClassNode VEMO_CAT(vemo_class_node_, __LINE__){               \
        ::vemo::py::PyClass<T>::name, &::vemo::py::ClassDef<T>::type_or_null, ::vemo::py::ClassDef<T>::base()}; \
    template <>                                                                                              \
    void define_class<T>([[maybe_unused]] ::vemo::py::ClassDef<T> & c)

}  // namespace vemo::py
