#include "python/frame/numpy.hpp"

#include <bit>
#include <optional>

#include "core/base/checked.hpp"
#include "core/utils/memory.hpp"
#include "python/frame/bind.hpp"

VEMO_PY_CLASS(vemo::py::AdoptedBuffer, "_AdoptedBuffer");

namespace vemo::py {

PyObject* cached_attr(const char* module, const char* attr) {
    // A handful of (module, attr) pairs at most: a linear list is enough.
    struct Entry {
        std::string module, attr;
        PyObject* value;
    };
    static std::vector<Entry> cache;
    for (auto& e : cache)
        if (e.module == module && e.attr == attr) return e.value;
    Obj m = check(PyImport_ImportModule(module));
    Obj a = check(PyObject_GetAttrString(m.get(), attr));
    cache.push_back({module, attr, a.get()});
    return a.release();  // kept for the life of the process
}

bool is_ndarray(PyObject* o) {
    int r = PyObject_IsInstance(o, cached_attr("numpy", "ndarray"));
    if (r < 0) throw ErrorAlreadySet{};
    return r == 1;
}

Buffer::Buffer(PyObject* o, int flags) {
    if (PyObject_GetBuffer(o, &view_, flags) < 0) throw ErrorAlreadySet{};
}

std::string Buffer::format() const {
    std::string f = view_.format ? view_.format : "B";
    if (!f.empty() && (f[0] == '@' || f[0] == '=')) f.erase(0, 1);
    return f;
}

std::string Buffer::native_format() const {
    std::string f = format();
    constexpr bool little = std::endian::native == std::endian::little;
    if (!f.empty() && (little ? f[0] == '<' : f[0] == '>' || f[0] == '!')) f.erase(0, 1);
    return f;
}

bool Buffer::holds(const char* format, size_t itemsize) const {
    return view_.itemsize == static_cast<Py_ssize_t>(itemsize) && native_format() == format;
}

namespace {

// Whether o's items are read by the code of its nearest built-in type: a class
// written in Python that redefines __iter__ or __getitem__ (a masked array)
// gives values of its own, which its buffer does not hold.
bool reads_items_as_its_builtin_type(PyObject* o) {
    PyTypeObject* const tp = Py_TYPE(o);
    PyTypeObject* builtin = tp;
    while (builtin && (PyType_GetFlags(builtin) & Py_TPFLAGS_HEAPTYPE))
        builtin = static_cast<PyTypeObject*>(PyType_GetSlot(builtin, Py_tp_base));
    if (builtin == tp) return true;
    if (!builtin) return false;
    for (int slot : {Py_tp_iter, Py_sq_item, Py_mp_subscript})
        if (PyType_GetSlot(tp, slot) != PyType_GetSlot(builtin, slot)) return false;
    return true;
}

}  // namespace

template <BufferScalar T>
std::optional<std::vector<T>> vector_from_buffer(PyObject* o) {
    if (!PyObject_CheckBuffer(o) || !reads_items_as_its_builtin_type(o)) return std::nullopt;
    std::optional<Buffer> held;
    try {
        held.emplace(o);
    } catch (const ErrorAlreadySet&) {
        PyErr_Clear();  // e.g. an array of Python objects: its iterator decides
        return std::nullopt;
    }
    const Buffer& buf = *held;
    constexpr bool real = std::is_same_v<T, double>;
    if (buf.ndim() != 1 || !buf.holds(real ? "d" : "Zd", sizeof(T))) return std::nullopt;
    // A view with stride 0 may be far longer than the memory behind it.
    const uint64_t n = guard_allocation(real ? "a list of floats" : "a list of complex numbers",
                                        static_cast<uint64_t>(buf.shape(0)), sizeof(T));
    std::vector<T> out;
    out.reserve(n);
    buf.append_to(out);
    return out;
}
template std::optional<std::vector<double>> vector_from_buffer(PyObject*);
template std::optional<std::vector<std::complex<double>>> vector_from_buffer(PyObject*);

bool shape_holds(std::span<const Py_ssize_t> shape, uint64_t n_entries) {
    uint64_t product = 1;
    for (Py_ssize_t d : shape) {
        const auto next = d < 0 ? std::nullopt : checked_mul(product, static_cast<uint64_t>(d));
        if (!next) return false;
        product = *next;
    }
    return product == n_entries;
}

namespace {

// NumPy reads this (once per array made over the buffer) and keeps the object as the array's base.
Obj array_interface(const AdoptedBuffer& b) {
    Obj dims = check(PyTuple_New(static_cast<Py_ssize_t>(b.shape.size())));
    for (size_t k = 0; k < b.shape.size(); ++k)
        PyTuple_SetItem(dims.get(), static_cast<Py_ssize_t>(k), check(PyLong_FromSsize_t(b.shape[k])).release());
    return check(Py_BuildValue("{s:O,s:s,s:(K,O),s:i}", "shape", dims.get(), "typestr", b.typestr, "data",
                               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(b.data)), Py_False,
                               "version", 3));
}

}  // namespace

VEMO_CLASS(AdoptedBuffer) {
    c.doc("The memory of NumPy arrays that vemo computed: freed with the last of them.");
    c.prop<&array_interface>("__array_interface__", "The array over the memory, as NumPy reads it.");
}

Obj array_over(AdoptedBuffer&& buffer) {
    Obj holder = new_instance<AdoptedBuffer>(std::move(buffer));
    return check(PyObject_CallFunctionObjArgs(cached_attr("numpy", "asarray"), holder.get(), nullptr));
}

Obj numpy_empty(std::span<const Py_ssize_t> shape, const char* dtype) {
    Obj tup = check(PyTuple_New(static_cast<Py_ssize_t>(shape.size())));
    for (size_t k = 0; k < shape.size(); ++k)
        PyTuple_SetItem(tup.get(), static_cast<Py_ssize_t>(k), check(PyLong_FromSsize_t(shape[k])).release());
    return check(PyObject_CallFunction(cached_attr("numpy", "empty"), "Os", tup.get(), dtype));
}

}  // namespace vemo::py
