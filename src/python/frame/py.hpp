// Python.h under the limited API, an owning reference, and the C++ exceptions
// through which binding code reports Python errors.
#pragma once

#ifndef Py_LIMITED_API
#define Py_LIMITED_API 0x030B0000
#endif
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string>
#include <utility>

namespace vemo::py {

// An owned (strong) reference.
class Obj {
public:
    Obj() = default;
    static Obj steal(PyObject* p) { return Obj(p); }
    static Obj borrow(PyObject* p) {
        Py_XINCREF(p);
        return Obj(p);
    }
    Obj(const Obj& o) : p_(o.p_) { Py_XINCREF(p_); }
    Obj(Obj&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    Obj& operator=(Obj o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Obj() { Py_XDECREF(p_); }

    PyObject* get() const { return p_; }
    PyObject* release() { return std::exchange(p_, nullptr); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    explicit Obj(PyObject* p) : p_(p) {}
    PyObject* p_ = nullptr;
};

// A Python exception to raise: thrown by binding code, turned into the
// interpreter's error state at the call boundary.
struct PyError {
    PyObject* type;
    std::string message;
};

// Thrown when the interpreter's error indicator is already set.
struct ErrorAlreadySet {};

// Throws ErrorAlreadySet when p is null; returns p owned otherwise.
inline Obj check(PyObject* p) {
    if (!p) throw ErrorAlreadySet{};
    return Obj::steal(p);
}

[[noreturn]] inline void raise(PyObject* type, std::string message) { throw PyError{type, std::move(message)}; }

// The name of an object's type, as Python prints it.
std::string type_name(PyObject* o);

// str(o) as UTF-8; never throws (empty on failure).
std::string str_of(PyObject* o);

}  // namespace vemo::py
