// Python class BinarySprings: one parsed text of 0/1 basis states.
#include <cstdint>
#include <string>

#include "core/cmpnt/springs.hpp"
#include "python/cmpnt/binary_springs.hpp"
#include "python/cmpnt/springs_arg.hpp"
#include "python/container/copies.hpp"

namespace vemo::py {
namespace {

// None counts as the empty text.
BinarySprings springs_new(PyObject* s) {
    return one_part_springs_arg<BinarySprings>(s, "Binary springs object does not have exactly one part");
}

uint64_t springs_len(const BinarySprings& s) { return s.n_strings(); }
std::string springs_str(const BinarySprings& s) { return s.to_string(); }
uint64_t default_n_qubit(const BinarySprings& s) { return s.default_n_qubit(); }

}  // namespace

VEMO_CLASS_BLOCK(BinarySprings, 0) {
    c.doc("BinarySprings(s)\n--\n\nPython wrapper for binary sparse strings");
    c.init<&springs_new>();
    c.len<&springs_len>();
    c.str<&springs_str>();
    c.repr<[](const BinarySprings& s) { return s.to_string(); }>();
    c.def<&default_n_qubit>(
        "default_n_qubit($self)\n--\n\nNumber of modes required in the smallest space that can contain this spring.");
    add_copies(c);
}

}  // namespace vemo::py
