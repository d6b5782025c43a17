// The operations that every Python coefficient vector class shares, written
// once over the core vector type V.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "python/container/coeffs/classes.hpp"
#include "python/container/copies.hpp"
#include "python/frame/numpy.hpp"

namespace vemo::py::coeffs {

// The unit value that fills every entry a constructor or resize creates.
template <class V>
typename V::Scalar unit() {
    return num_one<typename V::Scalar>();
}

template <class V>
V vec_new(std::optional<uint64_t> n_element) {
    V v;
    v.resize_with(n_element.value_or(0), unit<V>());
    return v;
}

template <class V>
uint64_t vec_len(const V& v) {
    return v.size();
}

template <class V>
typename V::Scalar vec_getitem(const V& v, int64_t index) {
    return v.get(py_index(index, v.size()));
}

// Elements arrive converted (a float, a complex, or a copy of a scalar object),
// in parameter order; the index is tested against the length the vector has then.
template <class V>
using ElementArg = typename V::Scalar;

template <class V>
void vec_setitem(V& v, int64_t index, ElementArg<V> value) {
    v.set(py_index(index, v.size()), value);
}

template <class V>
void vec_append(V& v, ElementArg<V> value) {
    v.push(value);
}

template <class V>
void vec_resize(V& v, uint64_t n) {
    v.resize_with(n, unit<V>());
}

template <class V>
void vec_imul_elem(V& v, int64_t index, ElementArg<V> other) {
    imul_elem_unchecked(v, py_index(index, v.size()), other);
}

// `value` is borrowed shared after `v` exclusively: passing v itself fails in the borrow step.
template <class V>
void vec_extend_external(V& v, const V& value) {
    v.extend(value);
}

template <class V>
void vec_extend_internal(V& v) {
    v.extend(v);
}

template <class V>
bool vec_same_as(const V& v, const V& other) {
    return &v == &other;
}

template <class V>
V vec_parse(std::string source) {
    return to_py_result(try_parse<V>(source));
}

// An object equals itself even when it holds NaN.
template <class V>
bool vec_eq(const V& a, const V& b) {
    return &a == &b || a == b;
}

template <class V>
std::string vec_str(const V& v) {
    return fmt_vec(v);
}

// The methods and slots of every vector class but UnityVec.
template <class V>
void add_common_methods(ClassDef<V>& c) {
    c.template init<&vec_new<V>>();
    c.template len<&vec_len<V>>();
    c.template getitem<&vec_getitem<V>>("index");
    c.template setitem<&vec_setitem<V>>("index", "value");
    c.template seq_item<&vec_getitem<V>>();
    c.template eq<&vec_eq<V>>();
    c.template def<&vec_same_as<V>>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
    c.template def<&vec_imul_elem<V>>("imul_elem($self, index, other)\n--\n\nMultiply in-place by `other` at `index`.");
    c.template def<&vec_append<V>>("append($self, value)\n--\n\nAppend `value` to `self`.");
    c.template def<&vec_extend_external<V>>(
        "extend_external($self, value)\n--\n\nExtend `self` with `value` where `value` is different to `self`.");
    c.template def<&vec_extend_internal<V>>("extend_internal($self)\n--\n\nExtend `self` with `self`.");
    c.template def<&vec_resize<V>>("resize($self, n)\n--\n\nSet the number of elements.");
    c.template def_static<&vec_parse<V>>("parse(source)\n--\n\nTry to read from a string");
}

// Printing and copying (the bit-packed vectors and UnityVec).
template <class V>
void add_print_and_copy(ClassDef<V>& c) {
    add_copies(c);
    c.template str<&vec_str<V>>();
    c.template repr<&vec_str<V>>();
}

// ---------------------------------------------------------------- NumPy input

// A new vector from a one-dimensional NumPy array whose buffer format is `format`
// (elements of C type E, any strides); entry k := conv(element k).
template <class V, class E, class Conv>
V vec_from_numpy(PyObject* source, const char* format, const char* dtype, Conv conv) {
    const auto fail = [&](const std::string& why) { raise(PyExc_TypeError, "argument 'source': " + why); };
    if (!is_ndarray(source))
        fail("'" + type_name(source) + "' object is not a one-dimensional NumPy array of dtype " + dtype);
    // Arrays of Python objects (and some other dtypes) refuse to export a buffer.
    std::optional<Buffer> held;
    try {
        held.emplace(source);
    } catch (const ErrorAlreadySet&) {
        PyErr_Clear();
        fail("expected an array of dtype " + std::string(dtype) + ", got one without a buffer");
    }
    const Buffer& buf = *held;
    if (buf.ndim() != 1)
        fail("expected a one-dimensional array of dtype " + std::string(dtype) + ", got " +
             std::to_string(buf.ndim()) + " dimensions");
    if (!buf.holds(format, sizeof(E))) {
        Obj dt = Obj::steal(PyObject_GetAttrString(source, "dtype"));
        if (!dt) PyErr_Clear();
        fail("expected an array of dtype " + std::string(dtype) + ", got " +
             (dt ? str_of(dt.get()) : buf.native_format()));
    }
    const Py_ssize_t n = buf.shape(0);
    V v = V::new_with_len(static_cast<uint64_t>(n));
    for (Py_ssize_t k = 0; k < n; ++k) v.set(static_cast<uint64_t>(k), conv(buf.get<E>(k)));
    return v;
}

}  // namespace vemo::py::coeffs
