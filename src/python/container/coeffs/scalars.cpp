// Python classes Sign, ComplexSign and Unity: one coefficient scalar each.
#include <cstdint>
#include <optional>
#include <string>

#include "python/container/coeffs/classes.hpp"
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

// ---------------------------------------------------------------- products

// a * b for two objects of class T; any other operand is NotImplemented.
template <class T>
T product(const T& a, const T& b) {
    return a * b;
}
// a *= b in place; when b is a itself the borrows conflict and the interpreter falls back to a * b.
template <class T>
void product_in_place(T& a, const T& b) {
    a *= b;
}

// ---------------------------------------------------------------- Sign

Sign sign_new(BoolArg is_minus_one) { return Sign(is_minus_one.v); }
bool sign_to_phase(const Sign& s) { return s.is_minus_one; }
bool sign_eq(const Sign& a, const Sign& b) { return a == b; }

// ---------------------------------------------------------------- ComplexSign

ComplexSign csign_new(ByteArg power_of_i) { return ComplexSign(power_of_i.v); }
uint8_t csign_to_phase(const ComplexSign& s) { return s.power; }
// Equal powers of i: bytes that agree modulo 4 stand for the same value.
bool csign_eq(const ComplexSign& a, const ComplexSign& b) { return a.value() == b.value(); }

// a ** e and pow(a, e, m): e and m must be 32-bit integers (m may be None and is
// otherwise unused); anything else is NotImplemented.
ComplexSign csign_pow(const ComplexSign& a, int32_t e, std::optional<int32_t>) { return a.ipow(e); }

// ---------------------------------------------------------------- Unity

Unity unity_new() { return {}; }
bool unity_eq(const Unity&, const Unity&) { return true; }

}  // namespace

VEMO_CLASS(Sign) {
    c.doc("Sign(is_minus_one)\n--\n\nA Sign wrapper for Python.");
    c.init<&sign_new>();
    c.str<&Sign::to_string>();
    c.repr<&Sign::to_string>();
    c.eq<&sign_eq>();
    add_copies(c);
    c.def<&sign_to_phase>("to_phase($self)\n--\n\nGet the raw phase bool.");
    c.binary<Py_nb_multiply, &product<Sign>>();
    c.inplace<Py_nb_inplace_multiply, &product_in_place<Sign>>();
}

VEMO_CLASS(ComplexSign) {
    c.doc("ComplexSign(power_of_i)\n--\n\nA ComplexSign wrapper for Python.");
    c.init<&csign_new>();
    c.str<&ComplexSign::to_string>();
    c.repr<&ComplexSign::to_string>();
    c.eq<&csign_eq>();
    add_copies(c);
    c.def<&csign_to_phase>("to_phase($self)\n--\n\nGet the raw phase byte.");
    c.binary<Py_nb_multiply, &product<ComplexSign>>();
    c.inplace<Py_nb_inplace_multiply, &product_in_place<ComplexSign>>();
    c.ternary<Py_nb_power, &csign_pow>();
}

VEMO_CLASS(Unity) {
    c.doc("Unity()\n--\n\nA Unity wrapper for Python.");
    c.init<&unity_new>();
    c.str<&Unity::to_string>();
    c.repr<&Unity::to_string>();
    c.eq<&unity_eq>();
    add_copies(c);
    c.binary<Py_nb_multiply, &product<Unity>>();
    c.inplace<Py_nb_inplace_multiply, &product_in_place<Unity>>();
}

}  // namespace vemo::py
