// NormalFermionOperatorArray: the class's single member list, in the order of
// its method table, and the members that read and write single components.
// The algebra's bodies are in normal_array_algebra.hpp.
#include <cstdint>
#include <set>
#include <tuple>
#include <vector>

#include "core/base/bits.hpp"
#include "core/fermion/normal_order.hpp"
#include "python/container/array_common.hpp"
#include "python/fermion/arrays.hpp"
#include "python/fermion/normal_array_algebra.hpp"

namespace vemo::py {
namespace {

using fermion::Modes;
using fermion::normal::CmpntList;
using fermion::general::ProductError;

// Every string of the text must be one component written in canonical order.
std::expected<CmpntList, ProductError> array_new(const Modes* modes, const fermion::Springs* springs) {
    const Modes m = modes ? *modes : Modes::count(springs ? springs->default_n_mode() : 0);
    CmpntList out(m);
    if (!springs) return out;
    fermion::NormalOrderer<RealVec> orderer(m);
    for (size_t s = 0; s < springs->n_strings(); ++s)
        if (auto r = fermion::push_canonical(out, springs->get_ops(s), orderer); !r) return std::unexpected(r.error());
    return out;
}



std::expected<void, OutOfBounds> cmpnt_set_from_sets(CmpntList& self, int64_t i, std::set<uint64_t> cre,
                                                     std::set<uint64_t> ann) {
    return self.assign_sets(py_index(i, self.size()), cre, ann);
}
std::expected<void, OutOfBounds> cmpnt_set_from_lists(CmpntList& self, int64_t i, std::vector<bool> cre,
                                                      std::vector<bool> ann) {
    return self.assign_flags(py_index(i, self.size()), cre, ann);
}

// The string is checked and ordered before the component index is converted.
void cmpnt_set_from_spring(CmpntList& self, int64_t i_cmpnt, const fermion::Springs& src, int64_t i_src) {
    const uint64_t s = py_index(i_src, src.n_strings());
    CmpntList one(self.modes());
    fermion::NormalOrderer<RealVec> orderer(self.modes());
    to_py_result(fermion::push_canonical(one, src.get_ops(s), orderer));
    copy_elem_from(self, py_index(i_cmpnt, self.size()), one, 0);
}

std::tuple<std::vector<uint64_t>, std::vector<uint64_t>> cmpnt_get_sets(const CmpntList& self, int64_t i) {
    const uint64_t k = py_index(i, self.size());
    return {self.modes_of(k, true), self.modes_of(k, false)};
}

// One mode of the creation (cre true) or annihilation set.
template <bool cre>
void cmpnt_set_mode(CmpntList& self, int64_t i_cmpnt, int64_t i_mode, bool value) {
    const uint64_t i = py_index(i_cmpnt, self.size()), m = py_index(i_mode, self.n_modes());
    self.set_mode(i, m, cre, value);
}
template <bool cre>
bool cmpnt_get_mode(const CmpntList& self, int64_t i_cmpnt, int64_t i_mode) {
    const uint64_t i = py_index(i_cmpnt, self.size()), m = py_index(i_mode, self.n_modes());
    return self.has_mode(i, m, cre);
}

uint64_t cmpnt_count_n_body(const CmpntList& self, int64_t i) { return self.count_n_body(py_index(i, self.size())); }
int64_t cmpnt_particle_number_change(const CmpntList& self, int64_t i) {
    return self.particle_number_change(py_index(i, self.size()));
}

}  // namespace

VEMO_CLASS(fermion::normal::CmpntList) {
    using namespace normal_array;
    using L = CmpntList;
    c.doc("NormalFermionOperatorArray(modes=None, springs=None)\n--\n\n"
          "A list of normal-ordered fermion ladder-operator products.");
    c.init<&array_new>();
    c.len<&array::len<L>>();
    c.eq<&array::eq<L>>();
    c.def_static<&from_ladder_product>(
        "from_ladder_product(modes, ops)\n--\n\n"
        "Create from a single arbitrary ladder-operator product, returning normal-ordered terms.");
    c.def<&array::same_as<L>>("same_as($self, other)\n--\n\n");
    c.def<&array::resize<L>>("resize($self, n)\n--\n\n");
    c.prop<&CmpntList::modes>("modes", nullptr);
    c.def<&array::append_clear<L>>("append_clear($self)\n--\n\n");
    c.def<&array::cmpnt_clear<L>>("cmpnt_clear($self, i)\n--\n\n");
    c.def<&cmpnt_set_from_sets>("cmpnt_set_from_sets($self, i, cre, ann)\n--\n\n");
    c.def<&cmpnt_set_from_lists>("cmpnt_set_from_lists($self, i, cre, ann)\n--\n\n");
    c.def<&cmpnt_set_from_spring>("cmpnt_set_from_spring($self, i_cmpnt, src, i_src)\n--\n\n");
    c.def<&cmpnt_get_sets>("cmpnt_get_sets($self, i)\n--\n\n");
    c.def<&cmpnt_set_mode<true>>("cmpnt_set_cre($self, i_cmpnt, i_mode, value)\n--\n\n");
    c.def<&cmpnt_set_mode<false>>("cmpnt_set_ann($self, i_cmpnt, i_mode, value)\n--\n\n");
    c.def<&cmpnt_get_mode<true>>("cmpnt_get_cre($self, i_cmpnt, i_mode)\n--\n\n");
    c.def<&cmpnt_get_mode<false>>("cmpnt_get_ann($self, i_cmpnt, i_mode)\n--\n\n");
    c.def<&array::cmpnt_to_string<L>>("cmpnt_to_string($self, i)\n--\n\n");
    c.def<&cmpnt_count_n_body>("cmpnt_count_n_body($self, i)\n--\n\n");
    c.def<&cmpnt_particle_number_change>("cmpnt_particle_number_change($self, i)\n--\n\n");
    c.def<&CmpntList::dagger_get_signs>("dagger_get_signs($self)\n--\n\n");
    array::def_copies(c, array::Docs::signature);
    c.def<&array::cmpnt_equal<L>>("cmpnt_equal($self, i_lhs, rhs, i_rhs)\n--\n\n");
    c.def<&cmpnt_mul>("cmpnt_mul($self, i_lhs, rhs, i_rhs)\n--\n\n");
    array::def_selections(c, array::Docs::signature);
    array::def_mapped(c, array::Docs::signature);
    c.section<&define_algebra>();
}

}  // namespace vemo::py
