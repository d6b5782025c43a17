// Python classes SignVec and ComplexSignVec (bit-packed) and UnityVec (a length).
#include <cstdint>

#include "python/container/coeffs/vec_common.hpp"

namespace vemo::py {
namespace {

using namespace coeffs;

SignVec sign_from_phases(PyObject* source) {
    return vec_from_numpy<SignVec, uint8_t>(source, "?", "bool", [](uint8_t b) { return Sign(b != 0); });
}
ComplexSignVec csign_from_phases(PyObject* source) {
    // Stored modulo 4 as a power of i.
    return vec_from_numpy<ComplexSignVec, uint8_t>(source, "B", "uint8", [](uint8_t p) { return ComplexSign(p); });
}

UnityVec unity_vec_new(std::optional<uint64_t> n_element) { return UnityVec(n_element.value_or(0)); }

constexpr const char* from_phases_doc = "from_phases(source)\n--\n\nGet a new instance from a python array of phases.";

}  // namespace

VEMO_CLASS(SignVec) {
    c.doc("SignVec(n_element=0)\n--\n\nA SignVec wrapper for Python.");
    add_common_methods(c);
    c.def_static<&sign_from_phases>(from_phases_doc);
    add_print_and_copy(c);
}

VEMO_CLASS(ComplexSignVec) {
    c.doc("ComplexSignVec(n_element=0)\n--\n\nA ComplexSignVec wrapper for Python.");
    add_common_methods(c);
    c.def_static<&csign_from_phases>(from_phases_doc);
    add_print_and_copy(c);
}

// Compares and hashes by identity: no equality of its own.
VEMO_CLASS(UnityVec) {
    c.doc("UnityVec(n_element=0)\n--\n\nA UnityVec wrapper for Python.");
    c.init<&unity_vec_new>();
    add_print_and_copy(c);
}

}  // namespace vemo::py
