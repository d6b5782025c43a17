// Python class BinarySprings: one parsed text of 0/1 basis states.
#include <cstdint>
#include <string>

#include "core/cmpnt/springs.hpp"
#include "python/cmpnt/binary_springs.hpp"

namespace vemo::py {
namespace {

// None counts as the empty text.
BinarySprings springs_new(PyObject* s) {
    std::string text;
    if (s != Py_None) text = with_argument_name("s", [&] { return FromPy<std::string>::convert(s); });
    auto parts = to_py_result(all_parts_from_str<BinarySprings>(text));
    if (parts.size() != 1) raise(PyExc_ValueError, "Binary springs object does not have exactly one part");
    return std::move(parts.front());
}

uint64_t springs_len(const BinarySprings& s) { return s.n_strings(); }
std::string springs_str(const BinarySprings& s) { return s.to_string(); }
uint64_t default_n_qubit(const BinarySprings& s) { return s.default_n_qubit(); }
BinarySprings copy(const BinarySprings& s) { return s; }
BinarySprings deepcopy(const BinarySprings& s, PyObject*) { return s; }

}  // namespace

VEMO_CLASS_BLOCK(BinarySprings, 0) {
    c.doc("BinarySprings(s)\n--\n\nPython wrapper for binary sparse strings");
    c.init<&springs_new>();
    c.len<&springs_len>();
    c.str<&springs_str>();
    c.repr<[](const BinarySprings& s) { return s.to_string(); }>();
    c.def<&default_n_qubit>(
        "default_n_qubit($self)\n--\n\nNumber of modes required in the smallest space that can contain this spring.");
    c.def<&copy>("__copy__($self)\n--\n\nReturn shallow copy.");
    c.def<&deepcopy>("__deepcopy__($self, _memo)\n--\n\nReturn deep copy.");
}

}  // namespace vemo::py
