// Python classes Sign, ComplexSign and Unity: one coefficient scalar each.
#include <cstdint>
#include <limits>
#include <string>

#include "python/container/coeffs/classes.hpp"
#include "python/container/coeffs/slots.hpp"
#include "python/container/copies.hpp"

namespace vemo::py {
namespace {

// ---------------------------------------------------------------- arguments

// A Python bool or a NumPy bool scalar.
struct BoolArg {
    bool v;
};
// An integer 0..255 (range errors as OverflowError with the library's text).
struct ByteArg {
    uint8_t v;
};

bool is_numpy_bool(PyObject* o) {
    const std::string name = type_name(o);
    if (name != "bool_" && name != "bool") return false;
    PyObject* mod = PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(o)), "__module__");
    if (!mod) {
        PyErr_Clear();
        return false;
    }
    Obj held = Obj::steal(mod);
    return str_of(mod) == "numpy";
}

}  // namespace

template <>
struct FromPy<BoolArg> {
    static BoolArg convert(PyObject* o) {
        if (o == Py_True || o == Py_False) return {o == Py_True};
        if (is_numpy_bool(o)) {
            const int t = PyObject_IsTrue(o);
            if (t < 0) throw ErrorAlreadySet{};
            return {t == 1};
        }
        raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to 'PyBool'");
    }
};

template <>
struct FromPy<ByteArg> {
    static ByteArg convert(PyObject* o) {
        // Read as a signed 64-bit value first, so that negatives get the same text as large values.
        const int64_t v = FromPy<int64_t>::convert(o);
        if (v < 0 || v > 255) raise(PyExc_OverflowError, "out of range integral type conversion attempted");
        return {static_cast<uint8_t>(v)};
    }
};

namespace {

// ---------------------------------------------------------------- Sign

Sign sign_new(BoolArg is_minus_one) { return Sign(is_minus_one.v); }
std::string sign_str(const Sign& s) { return s.to_string(); }
std::string sign_repr(const Sign& s) { return s.to_string(); }
bool sign_to_phase(const Sign& s) { return s.is_minus_one; }
bool sign_eq(const Sign& a, const Sign& b) { return a == b; }

// ---------------------------------------------------------------- ComplexSign

ComplexSign csign_new(ByteArg power_of_i) { return ComplexSign(power_of_i.v); }
std::string csign_str(const ComplexSign& s) { return s.to_string(); }
std::string csign_repr(const ComplexSign& s) { return s.to_string(); }
uint8_t csign_to_phase(const ComplexSign& s) { return s.power; }
// Equal powers of i: bytes that agree modulo 4 stand for the same value.
bool csign_eq(const ComplexSign& a, const ComplexSign& b) { return a.value() == b.value(); }

// A 32-bit integer, or nothing (with no error left set) for any other object.
std::optional<int32_t> as_i32(PyObject* o) {
    PyObject* idx = PyNumber_Index(o);
    if (!idx) {
        PyErr_Clear();
        return std::nullopt;
    }
    Obj held = Obj::steal(idx);
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(idx, &overflow);
    if (overflow != 0 || (v == -1 && PyErr_Occurred())) {
        PyErr_Clear();
        return std::nullopt;
    }
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(v);
}

// a ** e and pow(a, e, m): e and m must be 32-bit integers (m may be None and is
// otherwise unused); anything else is NotImplemented.
PyObject* csign_pow(PyObject* a, PyObject* e, PyObject* m) {
    return guarded<PyObject*>(nullptr, [&]() -> PyObject* {
        auto* ia = instance_cast<ComplexSign>(a);
        if (!ia) return not_implemented().release();
        const auto exp = as_i32(e);
        if (!exp) return not_implemented().release();
        if (m && m != Py_None && !as_i32(m)) return not_implemented().release();
        SharedBorrow<ComplexSign> g(ia);
        return to_py(g.get().ipow(*exp)).release();
    });
}

// ---------------------------------------------------------------- Unity

Unity unity_new() { return {}; }
std::string unity_str(const Unity&) { return {}; }
std::string unity_repr(const Unity&) { return {}; }
bool unity_eq(const Unity&, const Unity&) { return true; }


}  // namespace

VEMO_CLASS_BLOCK(Sign, 0) {
    c.doc("Sign(is_minus_one)\n--\n\nA Sign wrapper for Python.");
    c.init<&sign_new>();
    c.str<&sign_str>();
    c.repr<&sign_repr>();
    c.eq<&sign_eq>();
    add_copies(c);
    c.def<&sign_to_phase>("to_phase($self)\n--\n\nGet the raw phase bool.");
    add_product_slots<Sign>(c);
}

VEMO_CLASS_BLOCK(ComplexSign, 0) {
    c.doc("ComplexSign(power_of_i)\n--\n\nA ComplexSign wrapper for Python.");
    c.init<&csign_new>();
    c.str<&csign_str>();
    c.repr<&csign_repr>();
    c.eq<&csign_eq>();
    add_copies(c);
    c.def<&csign_to_phase>("to_phase($self)\n--\n\nGet the raw phase byte.");
    add_product_slots<ComplexSign>(c);
    c.slot(Py_nb_power, reinterpret_cast<void*>(&csign_pow));
}

VEMO_CLASS_BLOCK(Unity, 0) {
    c.doc("Unity()\n--\n\nA Unity wrapper for Python.");
    c.init<&unity_new>();
    c.str<&unity_str>();
    c.repr<&unity_repr>();
    c.eq<&unity_eq>();
    add_copies(c);
    add_product_slots<Unity>(c);
}

}  // namespace vemo::py
