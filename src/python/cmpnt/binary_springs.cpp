// Python class BinarySprings: one parsed text of 0/1 basis states.
#include <cstdint>
#include <optional>
#include <string>

#include "core/cmpnt/springs.hpp"
#include "python/cmpnt/binary_springs.hpp"
#include "python/cmpnt/springs_arg.hpp"
#include "python/container/copies.hpp"

namespace vemo::py {
namespace {

// None counts as the empty text.
BinarySprings springs_new(std::optional<std::string> s) {
    return one_part_springs_arg<BinarySprings>(s, "Binary springs object does not have exactly one part");
}

uint64_t springs_len(const BinarySprings& s) { return s.n_strings(); }

}  // namespace

VEMO_CLASS(BinarySprings) {
    c.doc("BinarySprings(s)\n--\n\nPython wrapper for binary sparse strings");
    c.init<&springs_new>();
    c.len<&springs_len>();
    c.str<&BinarySprings::to_string>();
    c.repr<&BinarySprings::to_string>();
    c.def<&BinarySprings::default_n_qubit>(
        "default_n_qubit($self)\n--\n\nNumber of modes required in the smallest space that can contain this spring.");
    add_copies(c);
}

}  // namespace vemo::py
