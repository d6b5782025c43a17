// GeneralFermionOperatorArray: raw ladder-operator products. The class's
// single member list in the order of its method table, the setting of single
// products and the products' linear-combination operations. The capacity rule
// for setting a product (max_len, or the product's own length while max_len is
// 0) is the list's own.
#include <cstdint>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "core/fermion/general_lincomb.hpp"
#include "core/fermion/normal_order.hpp"
#include "python/container/array_common.hpp"
#include "python/fermion/arrays.hpp"
#include "python/fermion/normal_array_algebra.hpp"

namespace vemo::py {
namespace {

using fermion::Modes;
using fermion::general::CmpntList;
using fermion::general::ProductError;
using fermion::general::check_general_ops;
using normal_array::tuple_of;

std::pair<std::vector<uint64_t>, std::vector<bool>> split_ops(const std::vector<fermion::LadderOp>& ops) {
    std::pair<std::vector<uint64_t>, std::vector<bool>> out;
    for (const auto& op : ops) {
        out.first.push_back(op.mode);
        out.second.push_back(op.is_creation);
    }
    return out;
}

std::expected<CmpntList, ProductError> array_new(const Modes* modes, std::optional<uint64_t> max_len,
                                                 const fermion::Springs* springs) {
    const Modes m = modes ? *modes : Modes::count(springs ? springs->default_n_mode() : 0);
    CmpntList out(max_len.value_or(springs ? springs->max_string_len() : 0), m);
    if (!springs) return out;
    for (size_t s = 0; s < springs->n_strings(); ++s) {
        const auto [inds, flags] = split_ops(springs->get_ops(s));
        if (auto r = check_general_ops(m, inds, flags.size(), out.max_len()); !r) return std::unexpected(r.error());
        out.push(inds, flags);
    }
    return out;
}


// The product is checked against the capacity before the index is converted.
void set_product(CmpntList& self, int64_t i, const std::vector<uint64_t>& inds, const std::vector<bool>& flags) {
    to_py_result(self.check_product(inds, flags.size()));
    self.assign_widening(py_index(i, self.size()), inds, flags);
}

void cmpnt_set_from_ops(CmpntList& self, int64_t i, std::vector<uint64_t> mode_inds, std::vector<bool> adj) {
    set_product(self, i, mode_inds, adj);
}
void cmpnt_set_from_spring(CmpntList& self, int64_t i_cmpnt, const fermion::Springs& src, int64_t i_src) {
    const uint64_t s = py_index(i_src, src.n_strings());
    const auto [inds, flags] = split_ops(src.get_ops(s));
    set_product(self, i_cmpnt, inds, flags);
}
std::pair<std::vector<uint64_t>, std::vector<bool>> cmpnt_get_ops(const CmpntList& self, int64_t i) {
    return self.get(py_index(i, self.size()));
}

std::expected<CmpntList, ProductError> from_ladder_product(const Modes& modes, std::vector<fermion::LadderOp> ops) {
    const auto [inds, flags] = split_ops(ops);
    if (auto r = check_general_ops(modes, inds, flags.size(), inds.size()); !r) return std::unexpected(r.error());
    CmpntList out(inds.size(), modes);
    out.push(inds, flags);
    return out;
}

template <class C>
std::tuple<CmpntList, C> lincomb_mul(const CmpntList& lhs_impl, const C& lhs_coeffs, const CmpntList& rhs_impl,
                                     const C& rhs_coeffs) {
    auto p = to_py_result(fermion::general::rmul(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs));
    return {std::move(p.cmpnts), std::move(p.coeffs)};
}
template <class C>
std::tuple<fermion::normal::CmpntList, C> lincomb_to_normal_order(const CmpntList& cmpnts, const C& coeffs) {
    return tuple_of(fermion::to_normal_order<C>({cmpnts, coeffs}));
}

}  // namespace

VEMO_CLASS(fermion::general::CmpntList) {
    using L = CmpntList;
    c.doc("GeneralFermionOperatorArray(modes=None, max_len=None, springs=None)\n--\n\n"
          "A list of raw, non-normal-ordered fermion ladder-operator products.");
    c.init<&array_new>();
    c.len<&array::len<L>>();
    c.eq<&array::eq<L>>();
    c.prop<&L::modes>("modes", nullptr);
    c.prop<&L::max_len>("max_len", nullptr);
    c.def<&array::same_as<L>>("same_as($self, other)\n--\n\n");
    c.def<&array::resize<L>>("resize($self, n)\n--\n\n");
    c.def<&array::append_clear<L>>("append_clear($self)\n--\n\n");
    c.def<&array::cmpnt_clear<L>>("cmpnt_clear($self, i)\n--\n\n");
    c.def<&cmpnt_set_from_ops>("cmpnt_set_from_ops($self, i, mode_inds, adj)\n--\n\n");
    c.def<&cmpnt_set_from_spring>("cmpnt_set_from_spring($self, i_cmpnt, src, i_src)\n--\n\n");
    c.def<&cmpnt_get_ops>("cmpnt_get_ops($self, i)\n--\n\n");
    c.def<&array::cmpnt_to_string<L>>("cmpnt_to_string($self, i)\n--\n\n");
    array::def_copies(c, array::Docs::signature);
    c.def<&array::cmpnt_equal<L>>("cmpnt_equal($self, i_lhs, rhs, i_rhs)\n--\n\n");
    array::def_selections(c, array::Docs::signature);
    array::def_mapped(c, array::Docs::signature);
    c.def_static<&from_ladder_product>("from_ladder_product(modes, ops)\n--\n\n");
    c.def_static<&lincomb_mul<RealVec>>("lincomb_mul_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_mul<ComplexVec>>("lincomb_mul_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_to_normal_order<RealVec>>("lincomb_to_normal_order_real(cmpnts, coeffs)\n--\n\n");
    c.def_static<&lincomb_to_normal_order<ComplexVec>>("lincomb_to_normal_order_complex(cmpnts, coeffs)\n--\n\n");
}

}  // namespace vemo::py
