// Linear combinations of Pauli strings: a Pauli list with one real or complex
// coefficient per string (a Terms view), accumulated into a list kept unique
// by a Map (a TermSet view). Products, the commutation test and the addition
// of one string given position by position.
//
// Only the first min(strings, coefficients) terms of an input take part.
#pragma once

#include <algorithm>
#include <cstdint>
#include <expected>
#include <utility>
#include <vector>

#include "core/container/coeffs/coeffs.hpp"
#include "core/container/errors.hpp"
#include "core/container/siphash.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/pauli_elem.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/products.hpp"
#include "core/qubit/traits.hpp"

namespace vemo::qubit::pauli {

// An input combination (read) and an output combination (written).
template <FieldVec C>
using LincombView = TermsView<CmpntList, C>;
template <FieldVec C>
using LincombSetMutView = TermSetMutView<CmpntList, C>;
// Products always accumulate complex coefficients.
using ProductMutView = TermSetMutView<CmpntList, ComplexVec>;

template <FieldVec C>
uint64_t taking_part(const LincombView<C>& v) {
    return std::min<uint64_t>(v.cmpnts.size(), v.coeffs.size());
}

namespace detail {

// i^k as exact complex numbers; the zeros are positive so that a product
// with a positive coefficient has no negative-zero part.
inline constexpr Complex phase_values[4] = {{1.0, 0.0}, {0.0, 1.0}, {-1.0, 0.0}, {0.0, -1.0}};

// (i^k a) b, multiplied in that order.
inline Complex phased_product(uint32_t k, double a, double b) {
    const Complex p = phase_values[k & 3];
    return {b * (p.real() * a), b * (p.imag() * a)};
}
inline Complex phased_product(uint32_t k, Complex a, Complex b) {
    return scaled_complex(scaled_complex(phase_values[k & 3], a), b);
}

}  // namespace detail

// The scaled-add of one product string into out, specialised for Pauli rows
// of W words per plane (W = 0: the count known only at run time). It follows
// the accumulation rule of the generic kernel exactly: one SipHash of the x
// then z words, one map probe, a word comparison on a hit, append or add, and
// swap-removal of an exact zero.
template <size_t W>
class ProductAccumulator {
public:
    ProductAccumulator(const ProductMutView& out, size_t words) : out_(out), w_(W ? W : words) {}

    size_t words() const { return w_; }

    uint64_t hash(const uint64_t* x, const uint64_t* z) const {
        SipHasher13 hs;
        for (size_t k = 0; k < w_; ++k) hs.write_u64(x[k]);
        for (size_t k = 0; k < w_; ++k) hs.write_u64(z[k]);
        return hs.finish();
    }

    // A read-only probe whose only purpose is to bring the map's slot for h
    // into cache ahead of add(); returns a value so that it is not optimised away.
    uint64_t touch(uint64_t h) const {
        const MapLookup r = out_.map.lookup(h);
        return static_cast<uint64_t>(r.kind);
    }

    // out += c * (x, z), h being the string's hash.
    void add(uint64_t h, const uint64_t* x, const uint64_t* z, Complex c) const {
        CmpntList& l = out_.cmpnts;
        const uint64_t n = l.size();
        const MapLookup r = out_.map.lookup(h);
        for (uint64_t i : r.indices()) {
            if (i >= n) vemo::detail::map_index_beyond_list(i, n);
            if (equal(l.x_part().row(i).data(), x) && equal(l.z_part().row(i).data(), z)) {
                Complex& e = out_.coeffs.at_mut(i);
                e = c + e;
                if (is_exact_zero(e) && vemo::detail::drop_hashed(l, out_.map, i, h)) out_.coeffs.pop_and_swap(i);
                return;
            }
        }
        l.resize(n + 1);
        std::copy_n(x, w_, l.x_part_mut().row_mut(n).data());
        std::copy_n(z, w_, l.z_part_mut().row_mut(n).data());
        if (!out_.map.insert(h, n)) internal_failure("product accumulation: the map registers the new string already");
        out_.coeffs.push(c);
        if (is_exact_zero(c) && vemo::detail::drop_hashed(l, out_.map, n, h)) out_.coeffs.pop_and_swap(n);
    }

private:
    bool equal(const uint64_t* a, const uint64_t* b) const {
        for (size_t k = 0; k < w_; ++k)
            if (a[k] != b[k]) return false;
        return true;
    }

    const ProductMutView& out_;
    const size_t w_;
};

// The pair loop for rows of W words per plane (0: any count). Pairs go in
// blocks: the products and hashes of a block are formed first, then the map
// is probed for all of them in a tight loop (independent probes overlap their
// cache misses), then the block is accumulated in pair order. The result is
// that of accumulating pair by pair. The block's scratch rows are allocated
// once per call.
template <size_t W, FieldVec C>
void mul_pairs(const ProductMutView& out, const LincombView<C>& lhs, const LincombView<C>& rhs, uint64_t nl,
               uint64_t nr) {
    constexpr size_t block = 32;
    const ProductAccumulator<W> acc(out, lhs.cmpnts.words_per_row());
    const size_t w = acc.words();
    std::vector<uint64_t> scratch(2 * block * w + 1);
    uint64_t hashes[block];
    Complex coeffs[block];
    const auto lc = lhs.coeffs.data(), rc = rhs.coeffs.data();
    const uint64_t* lx = lhs.cmpnts.x_part().row(0).data();
    const uint64_t* lz = lhs.cmpnts.z_part().row(0).data();
    const uint64_t* rx = rhs.cmpnts.x_part().row(0).data();
    const uint64_t* rz = rhs.cmpnts.z_part().row(0).data();
    uint64_t i = 0, j = 0;
    uint64_t sink = 0;
    while (i < nl) {
        size_t nb = 0;
        for (; nb < block && i < nl; ++nb) {
            const uint64_t *ax = lx + i * w, *az = lz + i * w, *bx = rx + j * w, *bz = rz + j * w;
            uint64_t* sx = scratch.data() + 2 * nb * w;
            uint64_t* sz = sx + w;
            pauli::detail::LaneCounter k;
            for (size_t q = 0; q < w; ++q) {
                k.add(ax[q], az[q], bx[q], bz[q]);
                sx[q] = ax[q] ^ bx[q];
                sz[q] = az[q] ^ bz[q];
            }
            hashes[nb] = acc.hash(sx, sz);
            coeffs[nb] = detail::phased_product(k.phase(), lc[i], rc[j]);
            if (++j == nr) {
                j = 0;
                ++i;
            }
        }
        for (size_t t = 0; t < nb; ++t) sink += acc.touch(hashes[t]);
        for (size_t t = 0; t < nb; ++t) {
            const uint64_t* sx = scratch.data() + 2 * t * w;
            acc.add(hashes[t], sx, sx + w, coeffs[t]);
        }
    }
    asm volatile("" : : "r"(sink));
}

inline constexpr uint64_t max_reserve = uint64_t{1} << 22;

// out := lhs * rhs without the register check. Every product string lives in
// a scratch row (one block of them per call) on its way into out, so a pair
// allocates nothing beyond the growth of out itself. out must not share a
// list with lhs or rhs, and all three must have rows of one width.
template <FieldVec C>
void assign_from_mul_unchecked(const ProductMutView& out, const LincombView<C>& lhs, const LincombView<C>& rhs) {
    if (&out.cmpnts == &lhs.cmpnts || &out.cmpnts == &rhs.cmpnts)
        internal_failure("assign_from_mul: the output list is also an input");
    const uint64_t w = lhs.cmpnts.words_per_row();
    if (rhs.cmpnts.words_per_row() != w || out.cmpnts.words_per_row() != w)
        internal_failure("assign_from_mul: rows of different widths");
    out.cmpnts.resize(0);
    out.coeffs.clear();
    out.map.clear();
    const uint64_t nl = taking_part(lhs), nr = taking_part(rhs);
    if (nl == 0 || nr == 0) return;
    // Room for every product up to a bound: growth by copying is avoided, and
    // untouched reserved pages cost no memory when products coincide.
    const uint64_t expect = nl > max_reserve / nr ? max_reserve : std::min(nl * nr, max_reserve);
    out.cmpnts.reserve(expect);
    out.coeffs.reserve(expect);
    out.map.reserve(expect);
    switch (w) {
        case 1: return mul_pairs<1>(out, lhs, rhs, nl, nr);
        case 2: return mul_pairs<2>(out, lhs, rhs, nl, nr);
        default: return mul_pairs<0>(out, lhs, rhs, nl, nr);
    }
}

// out := lhs * rhs, term pairs in (lhs index, rhs index) order. All three
// must share one register; otherwise nothing changes.
template <FieldVec C>
std::expected<void, DifferentQubits> assign_from_mul(const ProductMutView& out, const LincombView<C>& lhs,
                                                     const LincombView<C>& rhs) {
    if (auto ok = check_transitive(lhs.cmpnts, rhs.cmpnts, out.cmpnts); !ok) return ok;
    assign_from_mul_unchecked(out, lhs, rhs);
    return {};
}

// An empty complex term set on the register.
inline TermSet<CmpntList, ComplexVec> empty_product(const Qubits& qubits) {
    return TermSet<CmpntList, ComplexVec>::empty_from(CmpntList(qubits));
}

// Whether AB - BA vanishes: every coefficient of the difference has a
// magnitude of at most atol (a NaN magnitude does not count against it).
template <FieldVec C>
std::expected<bool, DifferentQubits> commute(const LincombView<C>& a, const LincombView<C>& b, double atol) {
    auto ab = empty_product(a.cmpnts.qubits());
    if (auto r = assign_from_mul(ab.mut_view(), a, b); !r) return std::unexpected(r.error());
    auto ba = empty_product(b.cmpnts.qubits());
    if (auto r = assign_from_mul(ba.mut_view(), b, a); !r) return std::unexpected(r.error());
    scaled_iadd(ab, ba.as_terms(), Complex(-1.0, 0.0));
    for (const Complex& c : ab.coeffs().data())
        if (magnitude(c) > atol) return false;
    return true;
}

// out += coeff * (the string with paulis[q] at position q, I elsewhere).
// `paulis` is any range of (position, PauliMatrix) pairs. A position not
// below the qubit count leaves out unchanged.
template <FieldVec C, class PauliMap>
std::expected<void, OutOfBounds> add_from_pauli_map(const LincombSetMutView<C>& out, const PauliMap& paulis,
                                                    const typename C::Scalar& coeff) {
    auto e = elem_from_map(out.cmpnts.qubits(), paulis);
    if (!e) return std::unexpected(e.error());
    scaled_iadd_u64it(out, e->elem_u64it(0), coeff);
    return {};
}

}  // namespace vemo::qubit::pauli
