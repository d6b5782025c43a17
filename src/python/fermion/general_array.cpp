// GeneralFermionOperatorArray: raw ladder-operator products. The class's
// single member list in the order of its method table, the setting of single
// products and the products' linear-combination operations.
//
// Setting a product: it is checked against the capacity (max_len, or its own
// length while max_len is 0) before the index is converted; an array whose
// max_len is 0 holds only empty products and takes the length of the first
// non-empty product set into it as its max_len.
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


// The product (inds, flags) checked against self's capacity, then product i
// of self (a Python index) becomes it.
void set_product(CmpntList& self, int64_t i, const std::vector<uint64_t>& inds, const std::vector<bool>& flags) {
    const uint64_t cap = self.max_len() ? self.max_len() : inds.size();
    to_py_result(check_general_ops(self.modes(), inds, flags.size(), cap));
    const uint64_t k = py_index(i, self.size());
    if (cap != self.max_len()) {
        CmpntList wider(cap, self.modes());
        wider.resize(self.size());
        self = std::move(wider);
    }
    self.assign(k, inds, flags);
}

void cmpnt_clear(CmpntList& self, int64_t i) { set_product(self, i, {}, {}); }
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
void cmpnt_copy_internal(CmpntList& self, int64_t i_dst, int64_t i_src) {
    py_index(i_dst, self.size());
    const auto [inds, flags] = self.get(py_index(i_src, self.size()));
    set_product(self, i_dst, inds, flags);
}
void cmpnt_copy_external(CmpntList& self, int64_t i_dst, const CmpntList& src, int64_t i_src) {
    to_py_result(fermion::check_same_space(self.modes(), src.modes()));
    py_index(i_dst, self.size());
    const auto [inds, flags] = src.get(py_index(i_src, src.size()));
    set_product(self, i_dst, inds, flags);
}

// Products are compared operator by operator: lists of different max_len
// store equal products in words of different widths. Both indices are
// converted before the spaces are compared.
bool cmpnt_equal(const CmpntList& self, int64_t i_lhs, const CmpntList& rhs, int64_t i_rhs) {
    const uint64_t i = py_index(i_lhs, self.size()), j = py_index(i_rhs, rhs.size());
    return self.compatible_with(rhs) && elems_equal(self, i, rhs, j);
}

bool cmpnts_eq(const CmpntList& self, std::optional<std::vector<int64_t>> indices, const CmpntList& other,
               std::optional<std::vector<int64_t>> other_indices) {
    if (!self.compatible_with(other)) return false;
    const uint64_t n = indices ? indices->size() : self.size();
    if (n != (other_indices ? other_indices->size() : other.size())) return false;
    for (uint64_t k = 0; k < n; ++k) {
        const uint64_t i = indices ? py_index((*indices)[k], self.size()) : k;
        const uint64_t j = other_indices ? py_index((*other_indices)[k], other.size()) : k;
        if (!elems_equal(self, i, other, j)) return false;
    }
    return true;
}

// Product `index` of `other` (on self's space) in self's word layout, for
// lookups through self's map: f(list, row) gets `other` itself when both
// layouts agree, else a one-product copy; `too_long()` answers when the
// product is longer than self's max_len, so that self cannot hold it.
template <class F, class G>
auto with_product_of(const CmpntList& self, const CmpntList& other, int64_t index, F&& f, G&& too_long) {
    to_py_result(fermion::check_same_space(self.modes(), other.modes()));
    const uint64_t j = py_index(index, other.size());
    if (other.max_len() == self.max_len()) return f(other, j);
    if (other.len_of(j) > self.max_len()) return too_long();
    CmpntList one(self.max_len(), self.modes());
    one.push_elem(other, j);
    return f(one, 0);
}

uint64_t mapped_insert(CmpntList& self, Map& map, const CmpntList& other, int64_t index) {
    return with_product_of(
        self, other, index, [&](const CmpntList& l, uint64_t j) { return vemo::mapped_insert(SetMutView(self, map), l, j); },
        []() -> uint64_t { raise_error(ProductError{ProductError::Kind::TooLong}); });
}
std::optional<uint64_t> mapped_lookup(const CmpntList& self, const Map& map, const CmpntList& other, int64_t index) {
    return with_product_of(
        self, other, index, [&](const CmpntList& l, uint64_t j) { return vemo::mapped_lookup(SetView(self, map), l, j); },
        [] { return std::optional<uint64_t>(); });
}
std::optional<uint64_t> mapped_remove(CmpntList& self, Map& map, const CmpntList& other, int64_t index) {
    return with_product_of(
        self, other, index, [&](const CmpntList& l, uint64_t j) { return vemo::mapped_remove(SetMutView(self, map), l, j); },
        [] { return std::optional<uint64_t>(); });
}
bool mapped_equal(const CmpntList& self, const Map& map, const CmpntList& other) {
    to_py_result(fermion::check_same_space(self.modes(), other.modes()));
    if (self.size() != other.size()) return false;
    for (uint64_t j = 0; j < other.size(); ++j)
        if (!mapped_lookup(self, map, other, static_cast<int64_t>(j))) return false;
    return true;
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
    c.def<&cmpnt_clear>("cmpnt_clear($self, i)\n--\n\n");
    c.def<&cmpnt_set_from_ops>("cmpnt_set_from_ops($self, i, mode_inds, adj)\n--\n\n");
    c.def<&cmpnt_set_from_spring>("cmpnt_set_from_spring($self, i_cmpnt, src, i_src)\n--\n\n");
    c.def<&cmpnt_get_ops>("cmpnt_get_ops($self, i)\n--\n\n");
    c.def<&array::cmpnt_to_string<L>>("cmpnt_to_string($self, i)\n--\n\n");
    c.def<&cmpnt_copy_internal>("cmpnt_copy_internal($self, i_dst, i_src)\n--\n\n");
    c.def<&cmpnt_copy_external>("cmpnt_copy_external($self, i_dst, src, i_src)\n--\n\n");
    c.def<&cmpnt_equal>("cmpnt_equal($self, i_lhs, rhs, i_rhs)\n--\n\n");
    c.def<&array::cmpnts_clone<L>>("cmpnts_clone($self, indices)\n--\n\n");
    c.def<&cmpnts_eq>("cmpnts_eq($self, indices, other, other_indices)\n--\n\n");
    c.def<&array::refresh_map<L>>("refresh_map($self, map)\n--\n\n");
    c.def<&mapped_insert>("mapped_insert($self, map, other, index)\n--\n\n");
    c.def<&mapped_lookup>("mapped_lookup($self, map, other, index)\n--\n\n");
    c.def<&mapped_remove>("mapped_remove($self, map, other, index)\n--\n\n");
    c.def<&mapped_equal>("mapped_equal($self, map, other)\n--\n\n");
    c.def_static<&from_ladder_product>("from_ladder_product(modes, ops)\n--\n\n");
    c.def_static<&lincomb_mul<RealVec>>("lincomb_mul_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_mul<ComplexVec>>("lincomb_mul_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_to_normal_order<RealVec>>("lincomb_to_normal_order_real(cmpnts, coeffs)\n--\n\n");
    c.def_static<&lincomb_to_normal_order<ComplexVec>>("lincomb_to_normal_order_complex(cmpnts, coeffs)\n--\n\n");
}

}  // namespace vemo::py
