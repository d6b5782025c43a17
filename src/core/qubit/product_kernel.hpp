// The product loop of Pauli linear combinations: every pair of terms, lhs
// index outer and rhs index inner, multiplied, hashed and accumulated into a
// term set by the accumulation rule of the generic scaled-add kernel, with
// the same result bit for bit. Heavy to compile: product_kernel.cpp
// instantiates it once for both coefficient types; everyone else sees the
// extern declarations at the end of this header.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "core/container/coeffs/coeffs.hpp"
#include "core/base/errors.hpp"
#include "core/container/siphash.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/lincomb.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/products.hpp"

namespace vemo::qubit::pauli {

namespace detail {

// (i^k a) b, multiplied in that order.
inline Complex phased_product(uint32_t k, double a, double b) {
    const Complex p = phase_values[k & 3];
    return {b * (p.real() * a), b * (p.imag() * a)};
}
inline Complex phased_product(uint32_t k, Complex a, Complex b) {
    return scaled_complex(scaled_complex(phase_values[k & 3], a), b);
}

}  // namespace detail

// The scaled-add of product strings into out, specialised for Pauli rows of
// W words per plane (W = 0: the count known only at run time). It follows the
// accumulation rule of the generic kernel exactly: one SipHash of the x then
// z words, a word comparison against the strings registered under that hash,
// add to a match or append, and swap-removal of an exact zero.
//
// A new string costs one probe of the map (lookup and registration at once).
// The planes hold spare zero rows beyond the strings so that an append writes
// its words in place; finish() trims them. Between finish() calls the list
// may hold those spare rows: out is read only through this class meanwhile.
template <size_t W>
class ProductAccumulator {
public:
    // `room`: the strings out has room for (its lists' reserve).
    ProductAccumulator(const ProductMutView& out, size_t words, uint64_t room)
        : out_(out), w_(W ? W : words), n_(out.cmpnts.size()), rows_(n_), room_(room) {
        refresh();
    }

    // A constant for W > 0, so that the word loops unroll.
    size_t words() const { return W ? W : w_; }

    [[gnu::always_inline, gnu::flatten]] uint64_t hash(const uint64_t* x, const uint64_t* z) const {
        SipHasher13 hs;
        for (size_t k = 0; k < words(); ++k) hs.write_u64(x[k]);
        for (size_t k = 0; k < words(); ++k) hs.write_u64(z[k]);
        return hs.finish();
    }

    // Hints that a string of hash h comes to add() soon: prefetch() some
    // strings ahead, then prefetch_slot() about half as far ahead.
    [[gnu::always_inline]] void prefetch(uint64_t h) const { out_.map.prefetch(h); }
    [[gnu::always_inline]] void prefetch_slot(uint64_t h) const { out_.map.prefetch_slot(h); }

    // out += c * (x, z), h being the string's hash. The common case, a new
    // string, is inlined into the pair loop: a call per pair would cost more
    // than the rest of its work.
    // NonZero: the caller knows c is not an exact zero, so that a new string
    // stays (the common case then has no test of c at all).
    template <bool NonZero = false>
    [[gnu::always_inline]] void add(uint64_t h, const uint64_t* x, const uint64_t* z, Complex c) {
        // Room first: the probe below may register row n_ at once.
        if (n_ == rows_) [[unlikely]]
            grow();
        const MapLookup r = out_.map.lookup_or_insert(h, n_);
        if (!r.is_none()) [[unlikely]]
            return add_registered(r, h, x, z, c);
        append<NonZero>(h, x, z, c);
    }

    // The planes end at the last string.
    void finish() {
        out_.cmpnts.resize(n_);
        rows_ = n_;
        refresh();
    }

private:
    // Row n_ becomes (x, z) with coefficient c; the map registers it already.
    template <bool NonZero = false>
    [[gnu::always_inline]] void append(uint64_t h, const uint64_t* x, const uint64_t* z, Complex c) {
        std::copy_n(x, words(), xd_ + n_ * words());
        std::copy_n(z, words(), zd_ + n_ * words());
        out_.coeffs.push(c);
        ++n_;
        if constexpr (!NonZero) {
            if (is_exact_zero(c)) [[unlikely]]
                drop(n_ - 1, h);
        }
    }

    // The hash is registered already (r): add to the equal string, or append
    // a different one with the same hash.
    [[gnu::noinline]] void add_registered(const MapLookup& r, uint64_t h, const uint64_t* x, const uint64_t* z,
                                          Complex c) {
        for (uint64_t i : r.indices()) {
            if (i >= n_) vemo::detail::map_index_beyond_list(i, n_);
            if (equal(xd_ + i * words(), x) && equal(zd_ + i * words(), z)) {
                Complex& e = out_.coeffs.at_mut(i);
                e = c + e;
                if (is_exact_zero(e)) drop(i, h);
                return;
            }
        }
        if (!out_.map.insert(h, n_)) internal_failure("product accumulation: the map registers the new string already");
        append(h, x, z, c);
    }

    // Swap-removal of string i (hash h), on planes without spare rows so that
    // the true last string takes its place.
    [[gnu::noinline]] void drop(uint64_t i, uint64_t h) {
        finish();
        if (vemo::detail::set_drop(out_.cmpnts, out_.map, i, h)) out_.coeffs.pop_and_swap(i);
        n_ = rows_ = out_.cmpnts.size();
        refresh();
    }

    // Spare rows in chunks: a chunk's zero fill is a short sequential write.
    // Beyond the reserve, the lists double it through reserve().
    [[gnu::noinline]] void grow() {
        constexpr uint64_t chunk = 1024;
        if (rows_ == room_) {
            room_ = std::max(rows_ + chunk, room_ > UINT64_MAX / 2 ? UINT64_MAX : 2 * room_);
            out_.cmpnts.reserve(room_);
            out_.coeffs.reserve(room_);
        }
        rows_ = std::min(rows_ + chunk, room_);
        out_.cmpnts.resize(rows_);
        refresh();
    }

    void refresh() {
        xd_ = out_.cmpnts.x_part_mut().data_mut().data();
        zd_ = out_.cmpnts.z_part_mut().data_mut().data();
    }

    bool equal(const uint64_t* a, const uint64_t* b) const {
        for (size_t k = 0; k < words(); ++k)
            if (a[k] != b[k]) return false;
        return true;
    }

    const ProductMutView& out_;
    const size_t w_;
    uint64_t n_;     // strings in out
    uint64_t rows_;  // rows of the planes, n_ or more
    uint64_t room_;  // reserved rows and coefficients
    uint64_t* xd_ = nullptr;
    uint64_t* zd_ = nullptr;
};

#if defined(VEMO_HAVE_SIP13_X4)
namespace detail {

// Four products of one-word rows, lhs row (ax, az) times rhs rows bx[0..4),
// bz[0..4): their words into x[0..4), z[0..4) and their hashes into h[0..4).
__attribute__((target("avx2"))) inline void stage4_one_word(uint64_t ax, uint64_t az, const uint64_t* bx,
                                                             const uint64_t* bz, uint64_t* x, uint64_t* z,
                                                             uint64_t* h) {
    const __m256i xv = _mm256_xor_si256(_mm256_set1_epi64x(static_cast<long long>(ax)),
                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bx)));
    const __m256i zv = _mm256_xor_si256(_mm256_set1_epi64x(static_cast<long long>(az)),
                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bz)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(x), xv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(z), zv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(h), sip13_x4_two_words(xv, zv));
}

}  // namespace detail
#endif

// The pair loop for rows of W words per plane (0: any count), software
// pipelined: a ring holds the products of the next pairs, each with its hash
// and coefficient. The map is told about a product as soon as it is formed,
// a ring's length of pairs before its probe (prefetch), and again half a
// ring before it (prefetch_slot). Independent probes of a large map then
// overlap their cache misses. The ring is filled a group of four pairs at a
// time, so that with Simd the four hashes are computed together in four-lane
// code (same values as SipHasher13). Pairs are accumulated in order, so the
// result is that of accumulating pair by pair. The ring is allocated once per
// call; every step is inlined into the one loop of mul_pairs_body.
inline constexpr size_t ring_group = 4, ring_groups = 8, ring_slots = ring_group * ring_groups;

// Where the ring's slots live. Each array is a variable of the caller's
// own, so that the compiler sees that they overlap neither each other nor the
// slots' words (the heap), and keeps the loop's values in registers.
struct RingSlots {
    uint64_t* hashes;  // [ring_slots]
    Complex* coeffs;   // [ring_slots]
    size_t* staged;    // [ring_groups]
    bool* zero_in;     // [ring_groups]: whether group g holds an exactly zero coefficient
    uint64_t* words;   // [2 * ring_slots * w]: slot t's x words at [t * w], its z words at [(ring_slots + t) * w]
};

template <size_t W, bool Simd, FieldVec C>
class PairRing {
public:
    static constexpr size_t group = ring_group, groups = ring_groups, ring = ring_slots;

    PairRing(ProductAccumulator<W>& acc, const RingSlots& slots, const LincombView<C>& lhs,
             const LincombView<C>& rhs, uint64_t nl, uint64_t nr)
        : acc_(acc),
          w_(acc.words()),
          hashes_(slots.hashes),
          coeffs_(slots.coeffs),
          staged_(slots.staged),
          zero_in_(slots.zero_in),
          xs_(slots.words),
          zs_(xs_ + ring * w_),
          lc_(lhs.coeffs.data()),
          rc_(rhs.coeffs.data()),
          lx_(lhs.cmpnts.x_part().data().data()),
          lz_(lhs.cmpnts.z_part().data().data()),
          rx_(rhs.cmpnts.x_part().data().data()),
          rz_(rhs.cmpnts.z_part().data().data()),
          nl_(nl),
          nr_(nr) {}

    // The pairs staged in group g; 0 once no pair is left.
    size_t staged(size_t g) const { return staged_[g]; }

    // Fills group g with the next pairs, marking whether a coefficient is an exact zero.
    [[gnu::always_inline]] void restage(size_t g) {
        staged_[g] = stage(g);
        bool zero = false;
        for (size_t l = 0; l < staged_[g]; ++l) zero |= is_exact_zero(coeffs_[g * group + l]);
        zero_in_[g] = zero;
    }

    // Tells the map that group g comes half a ring later.
    [[gnu::always_inline]] void prefetch_slots(size_t g) const {
        for (size_t l = 0; l < staged_[g]; ++l) acc_.prefetch_slot(hashes_[g * group + l]);
    }

    // Accumulates group g; without an exact zero in it, new strings stay without a test.
    [[gnu::always_inline]] void drain(size_t g) {
        if (zero_in_[g]) [[unlikely]] {
            for (size_t l = 0; l < staged_[g]; ++l) add_slot<false>(g * group + l);
        } else {
            for (size_t l = 0; l < staged_[g]; ++l) add_slot<true>(g * group + l);
        }
    }

private:
    // The next pairs' words, coefficients and hashes into group g: their number.
    [[gnu::always_inline]] size_t stage(size_t g) {
#if defined(VEMO_HAVE_SIP13_X4)
        if constexpr (Simd && W == 1) {
            if (i_ < nl_ && nr_ - j_ >= group) return stage_four_one_word(g);
        }
#endif
        const size_t n = stage_products(g);
#if defined(VEMO_HAVE_SIP13_X4)
        if constexpr (Simd) {
            if (n == group) {
                hash_four(g);
                return n;
            }
        }
#endif
        hash_each(g, n);
        return n;
    }

#if defined(VEMO_HAVE_SIP13_X4)
    // Four pairs of one lhs row of one word: words and hashes in four-lane code.
    [[gnu::always_inline]] size_t stage_four_one_word(size_t g) {
        const size_t t0 = g * group;
        detail::stage4_one_word(lx_[i_], lz_[i_], rx_ + j_, rz_ + j_, xs_ + t0, zs_ + t0, hashes_ + t0);
        for (size_t l = 0; l < group; ++l) {
            const uint32_t k = pauli::detail::word_phase_count(lx_[i_], lz_[i_], rx_[j_ + l], rz_[j_ + l]) & 3;
            coeffs_[t0 + l] = detail::phased_product(k, lc_[i_], rc_[j_ + l]);
            acc_.prefetch(hashes_[t0 + l]);
        }
        if ((j_ += group) == nr_) {
            j_ = 0;
            ++i_;
        }
        return group;
    }

    // The hashes of a full group in four-lane code.
    [[gnu::always_inline]] void hash_four(size_t g) {
        const size_t t0 = g * group;
        const uint64_t* const mx[group] = {slot_x(t0), slot_x(t0 + 1), slot_x(t0 + 2), slot_x(t0 + 3)};
        const uint64_t* const mz[group] = {slot_z(t0), slot_z(t0 + 1), slot_z(t0 + 2), slot_z(t0 + 3)};
        sip13_x4<W>(mx, mz, w_, hashes_ + t0);
        for (size_t l = 0; l < group; ++l) acc_.prefetch(hashes_[t0 + l]);
    }
#endif

    // The words and coefficients of the next pairs (up to a group) into the
    // slots of group g: their number.
    [[gnu::always_inline]] size_t stage_products(size_t g) {
        size_t n = 0;
        for (; n < group && i_ < nl_; ++n) {
            const size_t t = g * group + n;
            const uint64_t *ax = lx_ + i_ * w_, *az = lz_ + i_ * w_, *bx = rx_ + j_ * w_, *bz = rz_ + j_ * w_;
            uint64_t* const sx = slot_x(t);
            uint64_t* const sz = slot_z(t);
            pauli::detail::LaneCounter k;
            for (size_t q = 0; q < w_; ++q) {
                k.add(ax[q], az[q], bx[q], bz[q]);
                sx[q] = ax[q] ^ bx[q];
                sz[q] = az[q] ^ bz[q];
            }
            coeffs_[t] = detail::phased_product(k.phase(), lc_[i_], rc_[j_]);
            if (++j_ == nr_) {
                j_ = 0;
                ++i_;
            }
        }
        return n;
    }

    // The hashes of the first n slots of group g, one string at a time.
    [[gnu::always_inline]] void hash_each(size_t g, size_t n) {
        for (size_t t = g * group; t < g * group + n; ++t) {
            hashes_[t] = acc_.hash(slot_x(t), slot_z(t));
            acc_.prefetch(hashes_[t]);
        }
    }

    template <bool NonZero>
    [[gnu::always_inline]] void add_slot(size_t t) {
        acc_.template add<NonZero>(hashes_[t], slot_x(t), slot_z(t), coeffs_[t]);
    }

    // Slot t's x words at xs_[t * w], its z words at zs_[t * w].
    uint64_t* slot_x(size_t t) const { return xs_ + t * w_; }
    uint64_t* slot_z(size_t t) const { return zs_ + t * w_; }

    ProductAccumulator<W>& acc_;
    const size_t w_;  // words per plane: W, or the count at run time for W = 0
    uint64_t* const hashes_;
    Complex* const coeffs_;
    size_t* const staged_;
    bool* const zero_in_;
    uint64_t* const xs_;
    uint64_t* const zs_;
    const std::span<const typename C::Scalar> lc_, rc_;
    const uint64_t *const lx_, *const lz_, *const rx_, *const rz_;
    const uint64_t nl_, nr_;
    uint64_t i_ = 0, j_ = 0;  // the next pair: lhs term i_, rhs term j_
};

template <size_t W, bool Simd, FieldVec C>
[[gnu::always_inline]] inline void mul_pairs_body(const ProductMutView& out, const LincombView<C>& lhs,
                                                  const LincombView<C>& rhs, uint64_t nl, uint64_t nr,
                                                  uint64_t room) {
    using Ring = PairRing<W, Simd, C>;
    ProductAccumulator<W> acc(out, lhs.cmpnts.words_per_row(), room);
    uint64_t hashes[Ring::ring];
    Complex coeffs[Ring::ring];
    size_t staged[Ring::groups];
    bool zero_in[Ring::groups];
    std::vector<uint64_t> words(2 * Ring::ring * acc.words());
    Ring ring(acc, RingSlots{hashes, coeffs, staged, zero_in, words.data()}, lhs, rhs, nl, nr);
    for (size_t g = 0; g < Ring::groups; ++g) ring.restage(g);
    for (size_t g = 0; ring.staged(g) > 0; g = (g + 1) % Ring::groups) {
        ring.prefetch_slots((g + Ring::groups / 2) % Ring::groups);
        ring.drain(g);
        ring.restage(g);
    }
    acc.finish();
}

template <size_t W, FieldVec C>
[[gnu::flatten]] void mul_pairs(const ProductMutView& out, const LincombView<C>& lhs, const LincombView<C>& rhs,
                                uint64_t nl, uint64_t nr, uint64_t room) {
    mul_pairs_body<W, false>(out, lhs, rhs, nl, nr, room);
}

#if defined(VEMO_HAVE_SIP13_X4)
// The same loop compiled for AVX2 processors.
template <size_t W, FieldVec C>
__attribute__((target("avx2"), flatten)) void mul_pairs_avx2(const ProductMutView& out, const LincombView<C>& lhs,
                                                               const LincombView<C>& rhs, uint64_t nl, uint64_t nr,
                                                               uint64_t room) {
    mul_pairs_body<W, true>(out, lhs, rhs, nl, nr, room);
}
#endif

template <size_t W, FieldVec C>
void mul_pairs_dispatch(const ProductMutView& out, const LincombView<C>& lhs, const LincombView<C>& rhs, uint64_t nl,
                        uint64_t nr, uint64_t room) {
#if defined(VEMO_HAVE_SIP13_X4)
    if (cpu_has_avx2()) return mul_pairs_avx2<W>(out, lhs, rhs, nl, nr, room);
#endif
    mul_pairs<W>(out, lhs, rhs, nl, nr, room);
}

// Bounds on what a product reserves ahead. The lists' untouched reserve
// costs address space only (they are written from the front); the map's
// pages are touched at random, so its reserve is bounded lower.
inline constexpr uint64_t max_reserve = uint64_t{1} << 22;
inline constexpr uint64_t max_list_reserve_bytes = uint64_t{1} << 29;

// Every product string lives in a scratch row (a ring of them per call) on
// its way into out, so a pair allocates nothing beyond the growth of out itself.
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
    // Room for every product up to the bounds: growth by copying is avoided.
    const uint64_t pairs = nl > UINT64_MAX / nr ? UINT64_MAX : nl * nr;
    const uint64_t room = std::min(pairs, max_list_reserve_bytes / (16 * w + 16));
    out.cmpnts.reserve(room);
    out.coeffs.reserve(room);
    out.map.reserve(std::min(pairs, max_reserve));
    try {
        switch (w) {
            case 1: return mul_pairs_dispatch<1>(out, lhs, rhs, nl, nr, room);
            case 2: return mul_pairs_dispatch<2>(out, lhs, rhs, nl, nr, room);
            default: return mul_pairs_dispatch<0>(out, lhs, rhs, nl, nr, room);
        }
    } catch (...) {
        // A failed product (memory) leaves out empty rather than half built.
        out.cmpnts.resize(0);
        out.coeffs.clear();
        out.map.clear();
        throw;
    }
}

// The loops are compiled in product_kernel.cpp only.
#define VEMO_PAULI_MUL_PAIRS(prefix, loop, W, C)                                                                \
    prefix template void loop<W, C>(const ProductMutView&, const LincombView<C>&, const LincombView<C>&, uint64_t, \
                                    uint64_t, uint64_t);
#if defined(VEMO_HAVE_SIP13_X4)
#define VEMO_PAULI_MUL_PAIRS_AVX2(prefix, W, C) VEMO_PAULI_MUL_PAIRS(prefix, mul_pairs_avx2, W, C)
#else
#define VEMO_PAULI_MUL_PAIRS_AVX2(prefix, W, C)
#endif
#define VEMO_PAULI_PRODUCT_KERNELS(prefix)                  \
    VEMO_PAULI_MUL_PAIRS(prefix, mul_pairs, 0, RealVec)     \
    VEMO_PAULI_MUL_PAIRS(prefix, mul_pairs, 1, RealVec)     \
    VEMO_PAULI_MUL_PAIRS(prefix, mul_pairs, 2, RealVec)     \
    VEMO_PAULI_MUL_PAIRS(prefix, mul_pairs, 0, ComplexVec)  \
    VEMO_PAULI_MUL_PAIRS(prefix, mul_pairs, 1, ComplexVec)  \
    VEMO_PAULI_MUL_PAIRS(prefix, mul_pairs, 2, ComplexVec)  \
    VEMO_PAULI_MUL_PAIRS_AVX2(prefix, 0, RealVec)           \
    VEMO_PAULI_MUL_PAIRS_AVX2(prefix, 1, RealVec)           \
    VEMO_PAULI_MUL_PAIRS_AVX2(prefix, 2, RealVec)           \
    VEMO_PAULI_MUL_PAIRS_AVX2(prefix, 0, ComplexVec)        \
    VEMO_PAULI_MUL_PAIRS_AVX2(prefix, 1, ComplexVec)        \
    VEMO_PAULI_MUL_PAIRS_AVX2(prefix, 2, ComplexVec)
VEMO_PAULI_PRODUCT_KERNELS(extern)

}  // namespace vemo::qubit::pauli
