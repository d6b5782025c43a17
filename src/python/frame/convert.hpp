// Conversions between Python objects and C++ values: FromPy<T> for arguments,
// to_py for results. One specialisation per kind of value.
#pragma once

#include <complex>
#include <concepts>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "python/frame/class.hpp"

namespace vemo::py {

template <class T>
struct FromPy;  // static T convert(PyObject*)

// Python integers (and objects with __index__) to C++ integers.
template <std::integral T>
    requires(!std::same_as<T, bool>)
struct FromPy<T> {
    static T convert(PyObject* o) {
        // Exact ints skip the __index__ round trip.
        Obj idx = PyLong_Check(o) ? Obj::borrow(o) : check(PyNumber_Index(o));
        // Narrow unsigned types range-check through a signed value, as the signed ones do.
        if constexpr (std::is_signed_v<T> || sizeof(T) < sizeof(long long)) {
            long long v = PyLong_AsLongLong(idx.get());
            if (v == -1 && PyErr_Occurred()) throw ErrorAlreadySet{};
            if (v < static_cast<long long>(std::numeric_limits<T>::min()) ||
                v > static_cast<long long>(std::numeric_limits<T>::max()))
                raise(PyExc_OverflowError, "out of range integral type conversion attempted");
            return static_cast<T>(v);
        } else {
            unsigned long long v = PyLong_AsUnsignedLongLong(idx.get());
            if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw ErrorAlreadySet{};
            if (v > std::numeric_limits<T>::max())
                raise(PyExc_OverflowError, "out of range integral type conversion attempted");
            return static_cast<T>(v);
        }
    }
};

template <>
struct FromPy<bool> {
    static bool convert(PyObject* o) {
        if (o == Py_True) return true;
        if (o == Py_False) return false;
        raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to 'PyBool'");
    }
};

// Numbers are read the interpreter's way, and nothing is raised on the way to
// an accepted value: the exact built-in types first, read without a call, then
// the type's number slots (a subclass of int or float may override __float__).
template <>
struct FromPy<double> {
    static double convert(PyObject* o) {
        if (PyFloat_CheckExact(o)) return PyFloat_AsDouble(o);
        if (PyBool_Check(o)) return o == Py_True ? 1.0 : 0.0;
        // A float subclass as it is, else __float__, else __index__; exact ints directly, with
        // the same OverflowError as int.__float__.
        double v = PyLong_CheckExact(o) ? PyLong_AsDouble(o) : PyFloat_AsDouble(o);
        if (v == -1.0 && PyErr_Occurred()) throw ErrorAlreadySet{};
        return v;
    }
};

// The attribute `name` (an interned str) of a type, looked up in the
// dictionaries of the type and its bases as the interpreter looks up special
// methods (never on the instance): null when none defines it, with nothing
// raised. The answers for types that cannot change (built-in and NumPy types,
// whose bases are immutable too) are kept for the life of the process.
Obj type_lookup(PyTypeObject* tp, PyObject* name);

// Calls the special method `attr` (from type_lookup on o's type) of o, without arguments.
Obj call_special(PyObject* attr, PyObject* o);

// A complex argument that is not a complex number (nor subclass), nor an exact float, int or bool.
std::complex<double> complex_from_number(PyObject* o);

// A complex number (or subclass) as it is; otherwise the type's __complex__;
// otherwise the real number the object converts to (__float__, then __index__).
template <>
struct FromPy<std::complex<double>> {
    static std::complex<double> convert(PyObject* o) {
        // Exact types first: each check is one comparison. None of these defines __complex__.
        if (PyComplex_CheckExact(o)) return {PyComplex_RealAsDouble(o), PyComplex_ImagAsDouble(o)};
        if (PyFloat_CheckExact(o) || PyLong_CheckExact(o) || PyBool_Check(o)) return {FromPy<double>::convert(o), 0.0};
        if (PyComplex_Check(o)) return {PyComplex_RealAsDouble(o), PyComplex_ImagAsDouble(o)};
        return complex_from_number(o);
    }
};

[[noreturn]] inline void raise_not_str(PyObject* o) {
    raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to 'PyString'");
}

template <>
struct FromPy<std::string> {
    static std::string convert(PyObject* o) {
        if (!PyUnicode_Check(o)) raise_not_str(o);
        Py_ssize_t n = 0;
        const char* s = PyUnicode_AsUTF8AndSize(o, &n);
        if (!s) throw ErrorAlreadySet{};
        return std::string(s, static_cast<size_t>(n));
    }
};

// A file's path, taken as open() takes a str: encoded with the file-system
// encoding (os.fsencode), so that a name that is not UTF-8, which os.fsdecode
// gives as lone surrogates, names its file. `given` is the str itself, which
// the errors about the file name as open()'s errors do.
struct FsPath {
    std::string bytes;
    Obj given;
};

// A str only, refused as a std::string parameter refuses other objects; a
// NUL in the name is open()'s ValueError, raised before any system call.
template <>
struct FromPy<FsPath> {
    static FsPath convert(PyObject* o);
};

// An object of a bound class taken by value: a copy, made under a shared
// borrow while the plain arguments are converted (so in parameter order).
template <Bound T>
struct FromPy<T> {
    static T convert(PyObject* o) {
        auto* inst = instance_cast<T>(o);
        if (!inst) raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be cast as '" + PyClass<T>::name + "'");
        SharedBorrow<T> g(inst);
        return g.get();
    }
};

// A borrowed reference, passed through unchanged.
template <>
struct FromPy<PyObject*> {
    static PyObject* convert(PyObject* o) { return o; }
};

// Whether len(o) is defined, known from the type's slots without calling anything.
inline bool has_length(PyObject* o) {
    PyTypeObject* tp = Py_TYPE(o);
    return PyType_GetSlot(tp, Py_sq_length) || PyType_GetSlot(tp, Py_mp_length);
}

// The items of a sequence that offers a one-dimensional buffer of exactly T in
// native byte order (a float64 or complex128 array, any strides; a memoryview
// of 'd'), read from the buffer: the values its iterator would give, without
// a conversion per item. Nullopt for any other object, which is then read as
// any sequence is; a failed buffer request only means that, and so does a
// class written in Python that redefines how its items are read.
template <class T>
concept BufferScalar = std::same_as<T, double> || std::same_as<T, std::complex<double>>;
template <BufferScalar T>
std::optional<std::vector<T>> vector_from_buffer(PyObject* o);

// Any sequence but a str. Lists and tuples are read by index (a list's length
// read again at each step, as its iterator does: a conversion may run Python
// code that changes it); other sequences through their iterator, or their
// buffer (above) for floats and complex numbers.
template <class T>
struct FromPy<std::vector<T>> {
    static std::vector<T> convert(PyObject* o) {
        std::vector<T> out;
        if (PyList_CheckExact(o)) {
            out.reserve(static_cast<size_t>(PyList_Size(o)));
            for (Py_ssize_t k = 0; k < PyList_Size(o); ++k) {
                Obj item = Obj::borrow(PyList_GetItem(o, k));
                out.push_back(FromPy<T>::convert(item.get()));
            }
            return out;
        }
        if (PyTuple_CheckExact(o)) {
            const Py_ssize_t n = PyTuple_Size(o);
            out.reserve(static_cast<size_t>(n));
            for (Py_ssize_t k = 0; k < n; ++k) out.push_back(FromPy<T>::convert(PyTuple_GetItem(o, k)));
            return out;
        }
        if (PyUnicode_Check(o)) raise(PyExc_TypeError, "Can't extract `str` to `Vec`");
        if (!PySequence_Check(o))
            raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to 'Sequence'");
        if constexpr (BufferScalar<T>)
            if (auto read = vector_from_buffer<T>(o)) return std::move(*read);
        if (has_length(o)) {
            // Only a hint: a failing __len__ leaves the iterator to decide.
            const Py_ssize_t n = PySequence_Size(o);
            if (n < 0) PyErr_Clear();
            else out.reserve(static_cast<size_t>(n));
        }
        Obj it = check(PyObject_GetIter(o));
        while (PyObject* item = PyIter_Next(it.get())) {
            Obj held = Obj::steal(item);
            out.push_back(FromPy<T>::convert(item));
        }
        if (PyErr_Occurred()) throw ErrorAlreadySet{};
        return out;
    }
};

// A Python set or frozenset.
template <class T>
struct FromPy<std::set<T>> {
    static std::set<T> convert(PyObject* o) {
        if (!PyAnySet_Check(o)) raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to 'PySet'");
        std::set<T> out;
        Obj it = check(PyObject_GetIter(o));
        while (PyObject* item = PyIter_Next(it.get())) {
            Obj held = Obj::steal(item);
            out.insert(FromPy<T>::convert(item));
        }
        if (PyErr_Occurred()) throw ErrorAlreadySet{};
        return out;
    }
};

// A Python tuple of two items.
template <class A, class B>
struct FromPy<std::pair<A, B>> {
    static std::pair<A, B> convert(PyObject* o) {
        if (!PyTuple_Check(o)) raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to 'PyTuple'");
        if (PyTuple_Size(o) != 2)
            raise(PyExc_ValueError,
                  "expected tuple of length 2, but got tuple of length " + std::to_string(PyTuple_Size(o)));
        A a = FromPy<A>::convert(PyTuple_GetItem(o, 0));
        return {std::move(a), FromPy<B>::convert(PyTuple_GetItem(o, 1))};
    }
};

// A Python dict (or a subclass); each key and value converted in the dict's order.
template <class K, class V>
struct FromPy<std::map<K, V>> {
    static std::map<K, V> convert(PyObject* o) {
        if (!PyDict_Check(o)) raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to 'PyDict'");
        std::map<K, V> out;
        // A snapshot of the pairs: a conversion may run Python code that changes the dict.
        Obj items = check(PyDict_Items(o));
        const Py_ssize_t n = PyList_Size(items.get());
        for (Py_ssize_t k = 0; k < n; ++k) {
            PyObject* pair = PyList_GetItem(items.get(), k);
            // The key first: its error is the one reported when both are bad.
            K key = FromPy<K>::convert(PyTuple_GetItem(pair, 0));
            V value = FromPy<V>::convert(PyTuple_GetItem(pair, 1));
            out.insert_or_assign(std::move(key), std::move(value));
        }
        return out;
    }
};

// ---------------------------------------------------------------- results

Obj to_py_str(std::string_view s);

template <class T>
Obj to_py(T&& v);

template <class T>
struct ToPy;  // static Obj convert(T&&)

template <class T>
Obj to_py(T&& v) {
    using U = std::remove_cvref_t<T>;
    if constexpr (std::same_as<U, Obj>) {
        return std::forward<T>(v);
    } else if constexpr (std::same_as<U, bool>) {
        return Obj::borrow(v ? Py_True : Py_False);
    } else if constexpr (std::integral<U> && std::is_signed_v<U>) {
        return check(PyLong_FromLongLong(v));
    } else if constexpr (std::integral<U>) {
        return check(PyLong_FromUnsignedLongLong(v));
    } else if constexpr (std::floating_point<U>) {
        return check(PyFloat_FromDouble(v));
    } else if constexpr (std::same_as<U, std::complex<double>>) {
        return check(PyComplex_FromDoubles(v.real(), v.imag()));
    } else if constexpr (std::same_as<U, std::string> || std::same_as<U, std::string_view>) {
        return to_py_str(v);
    } else if constexpr (Bound<U>) {
        return new_instance<U>(std::forward<T>(v));
    } else {
        return ToPy<U>::convert(std::forward<T>(v));
    }
}

inline Obj none() { return Obj::borrow(Py_None); }
inline Obj not_implemented() { return Obj::borrow(Py_NotImplemented); }

template <class T>
struct ToPy<std::optional<T>> {
    static Obj convert(std::optional<T>&& v) { return v ? to_py(std::move(*v)) : none(); }
};

template <class T>
struct ToPy<std::vector<T>> {
    static Obj convert(std::vector<T>&& v) {
        Obj list = check(PyList_New(static_cast<Py_ssize_t>(v.size())));
        for (size_t i = 0; i < v.size(); ++i) {
            if constexpr (std::same_as<T, bool>)  // vector<bool> hands out proxies
                PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), to_py(static_cast<bool>(v[i])).release());
            else
                PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), to_py(std::move(v[i])).release());
        }
        return list;
    }
};

template <class T>
struct ToPy<std::set<T>> {
    static Obj convert(std::set<T>&& v) {
        Obj set = check(PySet_New(nullptr));
        for (const T& x : v)
            if (PySet_Add(set.get(), to_py(T(x)).get()) < 0) throw ErrorAlreadySet{};
        return set;
    }
};

template <class K, class V>
struct ToPy<std::map<K, V>> {
    static Obj convert(std::map<K, V>&& m) {
        Obj dict = check(PyDict_New());
        for (auto& [k, v] : m) {
            Obj key = to_py(K(k));
            Obj value = to_py(std::move(v));
            if (PyDict_SetItem(dict.get(), key.get(), value.get()) < 0) throw ErrorAlreadySet{};
        }
        return dict;
    }
};

template <class... Ts>
struct ToPy<std::tuple<Ts...>> {
    static Obj convert(std::tuple<Ts...>&& t) {
        Obj tup = check(PyTuple_New(sizeof...(Ts)));
        [&]<size_t... I>(std::index_sequence<I...>) {
            (PyTuple_SetItem(tup.get(), I, to_py(std::move(std::get<I>(t))).release()), ...);
        }(std::index_sequence_for<Ts...>{});
        return tup;
    }
};

template <class A, class B>
struct ToPy<std::pair<A, B>> {
    static Obj convert(std::pair<A, B>&& p) {
        return ToPy<std::tuple<A, B>>::convert(std::tuple<A, B>(std::move(p.first), std::move(p.second)));
    }
};

template <class T, class E>
struct ToPy<std::expected<T, E>> {
    static Obj convert(std::expected<T, E>&& r) {
        if (!r) raise_error(r.error());
        if constexpr (std::is_void_v<T>) return none();
        else return to_py(std::move(*r));
    }
};

}  // namespace vemo::py
