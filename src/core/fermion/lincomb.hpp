// Linear combinations of normal-ordered components with real or complex
// coefficients: products, commutators, adjoints, Hermiticity and
// particle-number tests, active modes and number operators.
//
// Products accumulate through the scaled-add kernel, so results come in the
// order in which components first arrive (changed only by the swap-removal of
// exact zeros) and are never merged or reordered otherwise.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <expected>
#include <ranges>
#include <span>
#include <string>
#include <vector>

#include "core/base/bits.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/base/errors.hpp"
#include "core/container/terms.hpp"
#include "core/fermion/accumulate.hpp"
#include "core/fermion/mode.hpp"
#include "core/fermion/normal.hpp"
#include "core/fermion/product.hpp"

namespace vemo::fermion::normal::lincomb {

template <FieldVec C>
using Terms = ::vemo::Terms<CmpntList, C>;
template <FieldVec C>
using TermsView = ::vemo::TermsView<CmpntList, C>;
template <FieldVec C>
using TermSet = ::vemo::TermSet<CmpntList, C>;
template <FieldVec C>
using TermSetMutView = ::vemo::TermSetMutView<CmpntList, C>;

template <FieldVec C>
TermSet<C> new_term_set(Modes modes) {
    return TermSet<C>::empty_from(CmpntList(modes));
}

using ShortCoeffs = ::vemo::ShortCoeffs;

template <FieldVec C>
std::expected<void, ShortCoeffs> check_one_coeff_each(const TermsView<C>& terms) {
    return ::vemo::check_one_coeff_each(terms.coeffs.size(), terms.cmpnts.size());
}

namespace detail {

template <FieldVec C>
auto rows_of(const TermsView<C>& t) {
    return [&l = t.cmpnts](uint64_t i) { return std::pair{l.cre_row(i), l.ann_row(i)}; };
}
template <FieldVec C>
auto coeffs_of(const TermsView<C>& t) {
    return [&c = t.coeffs](uint64_t i) { return c.get(i); };
}

// out += lhs x rhs through the kernel, in the order of pairs and rows.
template <FieldVec C>
void mul_into(const TermSetMutView<C>& out, const TermsView<C>& lhs, const TermsView<C>& rhs,
              normal::detail::MulScratch& scratch) {
    normal::detail::BatchedAdder<C> add(out);
    normal::detail::mul_accumulate(out.cmpnts.words_per_row(), taking_part(lhs), rows_of(lhs), coeffs_of(lhs),
                                   taking_part(rhs), rows_of(rhs), coeffs_of(rhs), scratch, add);
    add.flush();
}

template <FieldVec C>
void check_distinct_storage(const TermSetMutView<C>& out, const TermsView<C>& a, const TermsView<C>& b) {
    if (&out.cmpnts == &a.cmpnts || &out.cmpnts == &b.cmpnts || &out.coeffs == &a.coeffs || &out.coeffs == &b.coeffs)
        internal_failure("assign_from_mul: the output shares storage with an operand");
}

}  // namespace detail

// out = lhs x rhs, over the first min(components, coefficients) terms of each
// side. Fails with DifferentSpaces, leaving out as it was, unless out, lhs and
// rhs share one mode space. `scratch` carries buffers from call to call.
template <FieldVec C>
std::expected<void, DifferentSpaces> assign_from_mul(const TermSetMutView<C>& out, const TermsView<C>& lhs,
                                                     const TermsView<C>& rhs, normal::detail::MulScratch& scratch) {
    if (out.cmpnts.modes() != lhs.cmpnts.modes() || lhs.cmpnts.modes() != rhs.cmpnts.modes())
        return std::unexpected(DifferentSpaces{});
    detail::check_distinct_storage(out, lhs, rhs);
    out.cmpnts.resize(0);
    out.coeffs.resize(0);
    out.map.clear();
    detail::mul_into(out, lhs, rhs, scratch);
    return {};
}
// Heavy to compile: product_kernel.cpp compiles it once for both coefficient types.
extern template std::expected<void, DifferentSpaces> assign_from_mul(const TermSetMutView<RealVec>&,
                                                                     const TermsView<RealVec>&,
                                                                     const TermsView<RealVec>&,
                                                                     normal::detail::MulScratch&);
extern template std::expected<void, DifferentSpaces> assign_from_mul(const TermSetMutView<ComplexVec>&,
                                                                     const TermsView<ComplexVec>&,
                                                                     const TermsView<ComplexVec>&,
                                                                     normal::detail::MulScratch&);
template <FieldVec C>
std::expected<void, DifferentSpaces> assign_from_mul(const TermSetMutView<C>& out, const TermsView<C>& lhs,
                                                     const TermsView<C>& rhs) {
    normal::detail::MulScratch scratch;
    return assign_from_mul(out, lhs, rhs, scratch);
}
template <FieldVec C>
std::expected<void, DifferentSpaces> assign_from_mul(TermSet<C>& out, const TermsView<C>& lhs,
                                                     const TermsView<C>& rhs) {
    return assign_from_mul(out.mut_view(), lhs, rhs);
}

namespace detail {

// lhs x rhs + s (rhs x lhs), both products built before they are combined.
template <FieldVec C>
std::expected<TermSet<C>, DifferentSpaces> combine_products(const TermsView<C>& lhs, const TermsView<C>& rhs,
                                                            const typename C::Scalar& s) {
    normal::detail::MulScratch scratch;
    TermSet<C> a = new_term_set<C>(lhs.cmpnts.modes());
    if (auto r = assign_from_mul(a.mut_view(), lhs, rhs, scratch); !r) return std::unexpected(r.error());
    TermSet<C> b = new_term_set<C>(rhs.cmpnts.modes());
    if (auto r = assign_from_mul(b.mut_view(), rhs, lhs, scratch); !r) return std::unexpected(r.error());
    scaled_iadd(a, b.as_terms(), s);
    return a;
}

}  // namespace detail

// lhs x rhs - rhs x lhs.
template <FieldVec C>
std::expected<TermSet<C>, DifferentSpaces> commutator(const TermsView<C>& lhs, const TermsView<C>& rhs) {
    return detail::combine_products(lhs, rhs, typename C::Scalar(-1.0));
}
// lhs x rhs + rhs x lhs.
template <FieldVec C>
std::expected<TermSet<C>, DifferentSpaces> anticommutator(const TermsView<C>& lhs, const TermsView<C>& rhs) {
    return detail::combine_products(lhs, rhs, typename C::Scalar(1.0));
}

// The adjoint, one term per component in order (nothing merged): (C, A) with
// coefficient c becomes (A, C) with s conj(c), s the reversal sign of both sets.
template <FieldVec C>
std::expected<Terms<C>, ShortCoeffs> adjoint(const TermsView<C>& terms) {
    if (auto r = check_one_coeff_each(terms); !r) return std::unexpected(r.error());
    Terms<C> out{CmpntList(terms.cmpnts), C()};
    const uint64_t n = out.cmpnts.size();
    const SignVec signs = out.cmpnts.dagger_get_signs();
    out.coeffs.reserve(n);
    for (uint64_t i = 0; i < n; ++i) {
        const auto c = num_conj(terms.coeffs.get(i));
        out.coeffs.push(signs.get(i).is_minus_one ? normal::detail::negated(c) : c);
    }
    return out;
}

namespace detail {

inline double magnitude_of(double x) { return std::fabs(x); }
inline double magnitude_of(Complex z) { return magnitude(z); }

// True when every coefficient has magnitude at most atol; NaN fails.
template <FieldVec C>
bool all_within(const C& coeffs, double atol) {
    for (const auto& c : coeffs.data())
        if (!(magnitude_of(c) <= atol)) return false;
    return true;
}

}  // namespace detail

// Whether the operator equals its adjoint up to atol per coefficient. Repeated
// components are summed before the comparison.
template <FieldVec C>
std::expected<bool, ShortCoeffs> is_hermitian(const TermsView<C>& terms, double atol) {
    auto a = adjoint(terms);
    if (!a) return std::unexpected(a.error());
    TermSet<C> d = new_term_set<C>(terms.cmpnts.modes());
    const uint64_t n = terms.cmpnts.size();
    for (uint64_t i = 0; i < n; ++i) scaled_iadd_u64it(d, terms.cmpnts.elem_u64it(i), terms.coeffs.get(i));
    scaled_iadd(d, a->view(), typename C::Scalar(-1.0));
    return detail::all_within(d.coeffs(), atol);
}

// The number operator sum_m c_m a_m over the given modes, in the given order,
// coefficient 1 each; a mode at or beyond the space fails with OutOfBounds
// (kind Bit) and builds nothing.
template <FieldVec C, std::ranges::input_range R>
std::expected<Terms<C>, OutOfBounds> num_op_from_inds(const R& inds, Modes modes) {
    Terms<C> out{CmpntList(modes), C()};
    for (auto&& m : inds) {
        const auto u = static_cast<uint64_t>(m);
        if (auto r = check_bounds(u, modes.len(), OutOfBoundsKind::Bit); !r) return std::unexpected(r.error());
        out.cmpnts.push_identity();
        const uint64_t i = out.cmpnts.size() - 1;
        out.cmpnts.cre_row_mut(i)[u / 64] |= uint64_t{1} << (u % 64);
        out.cmpnts.ann_row_mut(i)[u / 64] |= uint64_t{1} << (u % 64);
        out.coeffs.push(typename C::Scalar(1.0));
    }
    return out;
}

// Whether the operator commutes with the total number operator up to atol per
// coefficient of the commutator (NaN fails). Reads min(components,
// coefficients) terms. The number operator's terms are made one at a time
// rather than stored, which on M modes would take M rows of M bits.
template <FieldVec C>
bool conserves_particle_number(const TermsView<C>& terms, double atol) {
    const Modes modes = terms.cmpnts.modes();
    const uint64_t m_modes = modes.len();
    const uint64_t w = terms.cmpnts.words_per_row();
    const uint64_t n = taking_part(terms);
    if (n == 0) return true;  // nothing to commute; spares the row buffer on a vast space
    // One number-operator term c_m a_m, held in a row that follows m.
    std::vector<uint64_t> num(w);
    uint64_t num_mode = 0;
    const auto num_row = [&](uint64_t m) {
        if (w) {
            num[num_mode / 64] = 0;
            num[m / 64] = uint64_t{1} << (m % 64);
        }
        num_mode = m;
        const std::span<const uint64_t> r(num);
        return std::pair{r, r};
    };
    const auto one = [](uint64_t) { return typename C::Scalar(1.0); };

    normal::detail::MulScratch scratch;
    TermSet<C> a = new_term_set<C>(modes);
    {
        normal::detail::BatchedAdder<C> add(a.mut_view());
        normal::detail::mul_accumulate(w, n, detail::rows_of(terms), detail::coeffs_of(terms), m_modes, num_row, one,
                                       scratch, add);
        add.flush();
    }
    TermSet<C> b = new_term_set<C>(modes);
    {
        normal::detail::BatchedAdder<C> add(b.mut_view());
        normal::detail::mul_accumulate(w, m_modes, num_row, one, n, detail::rows_of(terms), detail::coeffs_of(terms),
                                       scratch, add);
        add.flush();
    }
    scaled_iadd(a, b.as_terms(), typename C::Scalar(-1.0));
    return detail::all_within(a.coeffs(), atol);
}

// The modes that some component creates or annihilates, ascending; components
// count whatever their coefficient.
template <FieldVec C>
std::expected<std::vector<uint64_t>, ShortCoeffs> active_modes(const TermsView<C>& terms) {
    if (auto r = check_one_coeff_each(terms); !r) return std::unexpected(r.error());
    const CmpntList& l = terms.cmpnts;
    if (l.size() == 0) return std::vector<uint64_t>{};
    std::vector<uint64_t> any(l.words_per_row(), 0);
    for (uint64_t i = 0; i < l.size(); ++i) {
        const auto c = l.cre_row(i), a = l.ann_row(i);
        for (size_t t = 0; t < any.size(); ++t) any[t] |= c[t] | a[t];
    }
    std::vector<uint64_t> out;
    for_each_set_position(any, [&](uint64_t k) { out.push_back(k); });
    return out;
}

// The largest (|C| + |A|) div 2 over the components; 0 for an empty list.
template <FieldVec C>
std::expected<uint64_t, ShortCoeffs> largest_n_body_order(const TermsView<C>& terms) {
    if (auto r = check_one_coeff_each(terms); !r) return std::unexpected(r.error());
    uint64_t best = 0;
    for (uint64_t i = 0; i < terms.cmpnts.size(); ++i) best = std::max(best, terms.cmpnts.count_n_body(i));
    return best;
}

}  // namespace vemo::fermion::normal::lincomb
