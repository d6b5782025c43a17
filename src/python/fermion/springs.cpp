// Python class FermionSprings: one parsed fermion text form.
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "python/cmpnt/springs_arg.hpp"
#include "python/container/copies.hpp"
#include "python/fermion/springs.hpp"

namespace vemo::py {
namespace {

using fermion::Springs;

Springs springs_new(std::optional<std::string> s) {
    return one_part_springs_arg<Springs>(s, "Fermion springs object does not have exactly one part");
}

uint64_t springs_len(const Springs& s) { return s.n_strings(); }

std::vector<std::tuple<uint64_t, bool>> get_ops(const Springs& s, int64_t i) {
    const uint64_t k = py_index(i, s.n_strings());
    std::vector<std::tuple<uint64_t, bool>> out;
    for (fermion::LadderOp op : s.get_ladder_op_iter(k)) out.emplace_back(op.mode, op.is_creation);
    return out;
}


}  // namespace

VEMO_CLASS(Springs) {
    c.doc("FermionSprings(s)\n--\n\nPython wrapper for fermionic ladder-operator sparse strings.");
    c.init<&springs_new>();
    c.len<&springs_len>();
    c.str<&Springs::to_string>();
    c.repr<&Springs::to_string>();
    c.def<&get_ops>("get_ops($self, i)\n--\n\nGet one sparse string as `(mode, is_creation)` pairs.");
    c.def<&Springs::default_n_mode>(
        "default_n_mode($self)\n--\n\nNumber of modes required in the smallest space of modes that can contain modes "
        "indexed in [0, self.max].");
    add_copies(c);
}

}  // namespace vemo::py
