// Python classes PauliSprings (a one-part Pauli text) and ManyPartPauliSprings.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "python/cmpnt/springs_arg.hpp"
#include "python/container/copies.hpp"
#include "python/qubit/qubit.hpp"

namespace vemo::py {
namespace {

using qubit::pauli::ManyPartSprings;
using qubit::pauli::Springs;

Springs springs_new(std::optional<std::string> s) {
    return one_part_springs_arg<Springs>(s, "Springs object does not have exactly one part");
}
uint64_t springs_len(const Springs& s) { return s.n_strings(); }

ManyPartSprings many_new(std::optional<std::string> s) { return ManyPartSprings{springs_parts_arg<Springs>(s)}; }
uint64_t many_len(const ManyPartSprings& m) { return m.len(); }

}  // namespace

VEMO_CLASS(qubit::pauli::Springs) {
    c.doc("PauliSprings(s)\n--\n\nPython wrapper for qubit Pauli sparse strings");
    c.init<&springs_new>();
    c.len<&springs_len>();
    c.str<&Springs::to_string>();
    c.repr<&Springs::to_string>();
    c.def<&Springs::default_n_qubit>(
        "default_n_qubit($self)\n--\n\nNumber of modes required in the smallest space of modes that can contain modes "
        "indexed in [0, self.max].");
    add_copies(c);
}

VEMO_CLASS(qubit::pauli::ManyPartSprings) {
    c.doc("ManyPartPauliSprings(s)\n--\n\nPython wrapper for a vector of qubit operator sparse strings, i.e. there can be "
          "many parts to each\ncomponent.");
    c.init<&many_new>();
    c.len<&many_len>();
    c.str<&ManyPartSprings::to_string>();
    add_copies(c);
}

}  // namespace vemo::py
