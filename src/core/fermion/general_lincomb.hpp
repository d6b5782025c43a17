// Linear combinations of raw ladder-operator products: empty term sets and the
// concatenation product, which neither orders nor merges its products.
#pragma once

#include <algorithm>
#include <cstdint>
#include <expected>

#include "core/base/checked.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/container/map.hpp"
#include "core/container/terms.hpp"
#include "core/fermion/general.hpp"
#include "core/fermion/mode.hpp"
#include "core/utils/memory.hpp"

namespace vemo::fermion::general {

template <FieldVec C>
using TermSet = ::vemo::TermSet<CmpntList, C>;

template <FieldVec C>
TermSet<C> new_term_set(uint64_t max_len, Modes modes) {
    return TermSet<C>::empty_from(CmpntList(max_len, modes));
}

// The product of two combinations: every lhs term (outer) times every rhs term
// (inner). Equal products stay separate elements, all registered in the map
// under their common hash, so this is a term list with a map rather than a
// term set with distinct components.
template <FieldVec C>
struct ProductTerms {
    CmpntList cmpnts;
    Map map;
    C coeffs;
};

// Each side's terms run up to the shorter of its list and its coefficients.
// The result's max_len is the sum of both (saturating: with no room for even
// one element it can only ever hold what fits).
template <FieldVec C>
std::expected<ProductTerms<C>, DifferentSpaces> rmul(const CmpntList& lhs, const C& lhs_coeffs, const CmpntList& rhs,
                                                    const C& rhs_coeffs) {
    const uint64_t max_len = saturating_add(lhs.max_len(), rhs.max_len());
    ProductTerms<C> out{CmpntList(max_len, lhs.modes()), Map(), C()};
    if (rhs.modes() != lhs.modes()) return std::unexpected(DifferentSpaces{});
    const uint64_t p = taking_part(TermsView<CmpntList, C>{lhs, lhs_coeffs});
    const uint64_t q = taking_part(TermsView<CmpntList, C>{rhs, rhs_coeffs});
    if (p == 0 || q == 0) return out;
    // At least a word and a coefficient per term.
    const uint64_t total =
        guard_allocation("the terms of a product", count_product(p, q), sizeof(uint64_t) + sizeof(typename C::Scalar));
    out.cmpnts.reserve(total);
    out.coeffs.reserve(total);
    for (uint64_t i = 0; i < p; ++i) {
        const auto ci = lhs_coeffs.get(i);
        for (uint64_t j = 0; j < q; ++j) {
            ::vemo::detail::push_registered(out.cmpnts, out.map, out.coeffs,
                                            [&] { out.cmpnts.push_concat_elems(lhs, i, rhs, j); },
                                            num_mul(ci, rhs_coeffs.get(j)));
        }
    }
    return out;
}

}  // namespace vemo::fermion::general
