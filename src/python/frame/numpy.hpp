// NumPy arrays: read through the buffer protocol, created through NumPy's
// own Python API and filled through their buffers.
#pragma once

#include <complex>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/container/huge_alloc.hpp"
#include "python/frame/convert.hpp"

namespace vemo::py {

// module.attr, imported once and kept for the life of the process.
PyObject* cached_attr(const char* module, const char* attr);

bool is_ndarray(PyObject* o);

// A read-only view of an object's buffer, released on destruction.
class Buffer {
public:
    // Throws ErrorAlreadySet when the object has no buffer.
    explicit Buffer(PyObject* o, int flags = PyBUF_RECORDS_RO);
    Buffer(const Buffer&) = delete;
    ~Buffer() { PyBuffer_Release(&view_); }

    int ndim() const { return view_.ndim; }
    Py_ssize_t shape(int k) const { return view_.shape[k]; }
    Py_ssize_t stride(int k) const { return view_.strides[k]; }
    Py_ssize_t itemsize() const { return view_.itemsize; }
    // The struct-module format, without a native-order prefix ('@' or '=').
    std::string format() const;
    // The format without any prefix that names the platform's byte order ('<'
    // on a little-endian machine as well).
    std::string native_format() const;
    // Whether the items are `format` in native byte order, of `itemsize` bytes
    // each: what a C array of the matching type holds.
    bool holds(const char* format, size_t itemsize) const;
    // Element k of a one-dimensional buffer, for any stride.
    template <class T>
    T get(Py_ssize_t k) const {
        T v;
        std::memcpy(&v, static_cast<const char*>(view_.buf) + k * view_.strides[0], sizeof(T));
        return v;
    }
    void* data() const { return view_.buf; }
    // The items of a one-dimensional buffer of T, in order (one copy when
    // contiguous and aligned; a buffer need not be either).
    template <class T>
    void append_to(std::vector<T>& out) const {
        const Py_ssize_t n = view_.shape[0];
        if (view_.strides[0] == static_cast<Py_ssize_t>(sizeof(T)) &&
            reinterpret_cast<uintptr_t>(view_.buf) % alignof(T) == 0) {
            const T* first = static_cast<const T*>(view_.buf);
            out.insert(out.end(), first, first + n);
        } else {
            for (Py_ssize_t k = 0; k < n; ++k) out.push_back(get<T>(k));
        }
    }

private:
    Py_buffer view_{};
};

// The array-interface type string of T (little-endian, as the platform is).
template <class T>
constexpr const char* typestr_of() {
    if constexpr (std::is_same_v<T, double>) return "<f8";
    else if constexpr (std::is_same_v<T, std::complex<double>>) return "<c16";
    else if constexpr (std::is_same_v<T, uint8_t>) return "|u1";
    else if constexpr (std::is_same_v<T, uint64_t>) return "<u8";
    else if constexpr (std::is_same_v<T, int32_t>) return "<i4";
    else if constexpr (std::is_same_v<T, int64_t>) return "<i8";
    else static_assert(sizeof(T) == 0, "no array-interface type for this type");
}

template <class T>
constexpr const char* dtype_name() {
    if constexpr (std::is_same_v<T, double>) return "float64";
    else if constexpr (std::is_same_v<T, std::complex<double>>) return "complex128";
    else if constexpr (std::is_same_v<T, bool>) return "bool";
    else if constexpr (std::is_same_v<T, uint8_t>) return "uint8";
    else if constexpr (std::is_same_v<T, uint64_t>) return "uint64";
    else if constexpr (std::is_same_v<T, int32_t>) return "int32";
    else if constexpr (std::is_same_v<T, int64_t>) return "int64";
    else static_assert(sizeof(T) == 0, "no NumPy dtype for this type");
}

// numpy.empty(shape, dtype) (C order).
Obj numpy_empty(std::span<const Py_ssize_t> shape, const char* dtype);

// Whether data.size() entries are exactly an array of this shape.
bool shape_holds(std::span<const Py_ssize_t> shape, uint64_t n_entries);

// A new C-ordered array of the given shape holding a copy of `data`, whose
// length must be the product of the shape.
template <class T>
Obj make_array(std::span<const Py_ssize_t> shape, std::span<const T> data) {
    if (!shape_holds(shape, data.size()))
        internal_failure("make_array: " + std::to_string(data.size()) + " entries do not fill the shape");
    Obj arr = numpy_empty(shape, dtype_name<T>());
    if (!data.empty()) {
        Py_buffer view;
        if (PyObject_GetBuffer(arr.get(), &view, PyBUF_WRITABLE | PyBUF_C_CONTIGUOUS) < 0) throw ErrorAlreadySet{};
        std::memcpy(view.buf, data.data(), data.size_bytes());
        PyBuffer_Release(&view);
    }
    return arr;
}

template <class T>
Obj make_array_1d(std::span<const T> data) {
    const Py_ssize_t shape[1] = {static_cast<Py_ssize_t>(data.size())};
    return make_array<T>(shape, data);
}

// A buffer taken over from C++, the function that frees it, and the array it
// holds. It is the base of the NumPy arrays made over it: an object of a frame
// class (`_AdoptedBuffer`, not in the module) with no attribute that Python can
// set or delete, so the buffer lives exactly as long as the arrays that use it.
struct AdoptedBuffer {
    std::unique_ptr<void, void (*)(void*)> owner;
    const void* data;
    std::vector<Py_ssize_t> shape;  // C order
    const char* typestr;            // of the array interface
};

// The one adopting conversion: a writable NumPy array over the buffer, whose
// base holds it. The buffer is freed when the conversion fails.
Obj array_over(AdoptedBuffer&& buffer);

// A C-ordered array that adopts the vector's buffer (no copy): the array's
// base owns it and frees it with the array. The vector must fill the shape.
template <class T, class A>
Obj adopt_array(std::vector<T, A>&& v, std::span<const Py_ssize_t> shape) {
    if (!shape_holds(shape, v.size()))
        internal_failure("adopt_array: " + std::to_string(v.size()) + " entries do not fill the shape");
    if (v.empty()) return make_array<T>(shape, std::span<const T>());
    using Vec = std::vector<T, A>;
    auto* held = new Vec(std::move(v));
    AdoptedBuffer buffer{{held, [](void* p) { delete static_cast<Vec*>(p); }},
                         held->data(),
                         {shape.begin(), shape.end()},
                         typestr_of<T>()};
    return array_over(std::move(buffer));
}

// An array as a method's result: the body fills it under its borrows, and
// the NumPy array, which adopts the buffer, is made once they are released,
// since NumPy runs Python code during which other threads may use the operands.
template <class T, class A = HugePageAllocator<T>>
struct NdArray {
    std::vector<Py_ssize_t> shape;
    std::vector<T, A> data;  // C order
};

template <class T, class A>
struct ToPy<NdArray<T, A>> {
    static Obj convert(NdArray<T, A>&& a) { return adopt_array(std::move(a.data), a.shape); }
};

}  // namespace vemo::py
