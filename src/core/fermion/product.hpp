// The product of two normal-ordered components by Wick's theorem.
//
// For the left factor (Cl, Al) and the right factor (Cr, Ar) the operator
// sequence Cl Al Cr Ar is expanded over the contractions of the shared modes
// S = Al & Cr. A shared mode in Cl or Ar is forced (left uncontracted the term
// would hold an operator twice); the other k shared modes are optional, so the
// product has 2^k terms. For a contracted set X (the forced modes plus some
// optional ones) the term is (Cl | Cr\X, Al\X | Ar) with sign (-1)^e,
//   e = inv(Cl, Cr) + inv(Al, Ar) + sum_{m in X} v(m) + |X|(|X|-1)/2 + |Al\X| |Cr\X|,
//   v(m) = |Al above m| + |Cr below m| + |Cl above m| + |Ar below m|   (mod 2),
// where inv(P, Q) counts pairs p in P, q in Q with p > q. (Bring each
// contracted pair together in ascending order, move the remaining creators of
// the middle block past its annihilators, then merge the two creator blocks
// and the two annihilator blocks.) All of it is parities of popcounts, so a
// product costs a few passes over the words plus one copy per term: no walk,
// no recursion, and no depth limit on the number of shared modes.
//
// Row numbering: with the optional modes numbered d = 1..k in ascending mode
// order, bit (k - d) of row r is set when mode d survives (c_m stays among the
// creators and a_m among the annihilators) and clear when it is contracted:
// row 2^k - 1 contracts no optional mode, row 0 all of them.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <new>
#include <span>
#include <utility>
#include <vector>

#include "core/base/bits.hpp"
#include "core/base/checked.hpp"
#include "core/container/coeffs/vecs.hpp"
#include "core/base/errors.hpp"
#include "core/container/table.hpp"
#include "core/container/word_iters.hpp"
#include "core/fermion/normal.hpp"
#include "core/utils/memory.hpp"

namespace vemo::fermion::normal {

namespace detail {

constexpr bool parity(uint64_t x) { return std::popcount(x) & 1; }

// Bit m: parity of the bits of x strictly above m.
constexpr uint64_t parity_above(uint64_t x) {
    x ^= x >> 1;
    x ^= x >> 2;
    x ^= x >> 4;
    x ^= x >> 8;
    x ^= x >> 16;
    x ^= x >> 32;
    return x >> 1;
}
// Bit m: parity of the bits of x strictly below m.
constexpr uint64_t parity_below(uint64_t x) {
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x << 1;
}
constexpr uint64_t all_if(bool b) { return b ? ~uint64_t{0} : 0; }

}  // namespace detail

// Plans the product of one pair of components and hands out its terms one row
// at a time. Reused across products, it allocates only while its buffers grow.
class ProductHelper {
public:
    ProductHelper() = default;

    // Plans (cl, al) times (cr, ar), rows of equal width; returns the number
    // of terms, 0 for a vanishing product. Throws AllocationRefusedError (a
    // std::bad_alloc), before anything else, when the 2^k terms need more
    // than the machine's memory.
    uint64_t prepare(std::span<const uint64_t> cl, std::span<const uint64_t> al, std::span<const uint64_t> cr,
                     std::span<const uint64_t> ar) {
        const size_t w = cl.size();
        if (al.size() != w || cr.size() != w || ar.size() != w)
            internal_failure("ProductHelper: component rows of different widths");
        n_rows_ = 0;
        n_words_ = w;
        if (w == 1) return prepare_one_word(cl[0], al[0], cr[0], ar[0]);

        // A creator in both factors that no contraction removes, or likewise an
        // annihilator, makes every term vanish.
        uint64_t tot_cl = 0, tot_al = 0, n_al = 0, n_cr = 0, n_forced = 0, k = 0;
        for (size_t t = 0; t < w; ++t) {
            if ((cl[t] & cr[t] & ~al[t]) | (al[t] & ar[t] & ~cr[t])) return 0;
            const uint64_t shared = al[t] & cr[t];
            tot_cl ^= cl[t];
            tot_al ^= al[t];
            n_al += static_cast<uint64_t>(std::popcount(al[t]));
            n_cr += static_cast<uint64_t>(std::popcount(cr[t]));
            n_forced += static_cast<uint64_t>(std::popcount(shared & (cl[t] | ar[t])));
            k += static_cast<uint64_t>(std::popcount(shared & ~cl[t] & ~ar[t]));
        }
        const uint64_t rows = check_rows(k, w);
        if (base_.size() < 2 * w) base_.resize(2 * w);

        // Parities of the members above (Cl, Al) or below (Cr, Ar) each mode,
        // carried across words: total parity minus what lies at or below.
        bool hi_cl = detail::parity(tot_cl), hi_al = detail::parity(tot_al), lo_cr = false, lo_ar = false;
        bool sign = false;
        uint64_t v_bits = 0;
        uint64_t d = 0;  // optional modes met so far
        for (size_t t = 0; t < w; ++t) {
            hi_cl ^= detail::parity(cl[t]);
            hi_al ^= detail::parity(al[t]);
            const uint64_t above_cl = detail::parity_above(cl[t]) ^ detail::all_if(hi_cl);
            const uint64_t above_al = detail::parity_above(al[t]) ^ detail::all_if(hi_al);
            const uint64_t below_cr = detail::parity_below(cr[t]) ^ detail::all_if(lo_cr);
            const uint64_t below_ar = detail::parity_below(ar[t]) ^ detail::all_if(lo_ar);
            lo_cr ^= detail::parity(cr[t]);
            lo_ar ^= detail::parity(ar[t]);

            const uint64_t v = above_al ^ below_cr ^ above_cl ^ below_ar;
            const uint64_t shared = al[t] & cr[t];
            const uint64_t forced = shared & (cl[t] | ar[t]);
            // inv(Cl, Cr) + inv(Al, Ar), and the forced contractions.
            sign ^= detail::parity(above_cl & cr[t]) ^ detail::parity(above_al & ar[t]) ^ detail::parity(v & forced);
            v_bits |= note_optional(shared & ~forced, v, t, k, d);
            base_[t] = cl[t] | (cr[t] & ~forced);
            base_[w + t] = (al[t] & ~forced) | ar[t];
        }
        set_plan(rows, n_al, n_cr, n_forced, k, v_bits, sign);
        return rows;
    }

    uint64_t n_rows() const { return n_rows_; }
    uint64_t n_words() const { return n_words_; }
    // Number of optional shared modes of the planned product.
    uint64_t n_branch() const { return k_; }

    // Writes term r (below n_rows()) into cre and ann, each n_words() long;
    // returns true when its coefficient is -1.
    bool row(uint64_t r, std::span<uint64_t> cre, std::span<uint64_t> ann) const {
        if (r >= n_rows_) internal_failure("ProductHelper: row beyond the product's terms");
        if (cre.size() != n_words_ || ann.size() != n_words_)
            internal_failure("ProductHelper: output rows of another width");
        std::copy_n(base_.begin(), n_words_, cre.begin());
        std::copy_n(base_.begin() + static_cast<std::ptrdiff_t>(n_words_), n_words_, ann.begin());
        const uint64_t contracted = ~r & (n_rows_ - 1);
        for_each_set_bit(contracted, [&](uint64_t b) {
            cre[opt_word_[b]] &= ~opt_bit_[b];
            ann[opt_word_[b]] &= ~opt_bit_[b];
        });
        const uint64_t x = n_forced_ + static_cast<uint64_t>(std::popcount(contracted));
        return sign_ ^ detail::parity(contracted & v_bits_) ^ reversal_parity(x) ^
               (((n_al_ - x) & (n_cr_ - x) & 1) != 0);
    }

    // Appends every term to `out` (a list of this width) with its sign bit.
    void append_to(CmpntList& out, SignVec& signs) const {
        const uint64_t n0 = out.size();
        out.resize(alloc_add(n0, n_rows_));
        signs.resize(out.size());
        for (uint64_t r = 0; r < n_rows_; ++r)
            signs.set(n0 + r, Sign(row(r, out.cre_row_mut(n0 + r), out.ann_row_mut(n0 + r))));
    }

private:
    // The same for rows of one word, without loops over words.
    uint64_t prepare_one_word(uint64_t cl, uint64_t al, uint64_t cr, uint64_t ar) {
        if ((cl & cr & ~al) | (al & ar & ~cr)) return 0;
        const uint64_t shared = al & cr;
        const uint64_t forced = shared & (cl | ar);
        const uint64_t opt = shared & ~forced;
        const auto k = static_cast<uint64_t>(std::popcount(opt));
        const uint64_t rows = check_rows(k, 1);
        if (base_.size() < 2) base_.resize(2);
        const uint64_t above_cl = detail::parity_above(cl), above_al = detail::parity_above(al);
        const uint64_t v = above_al ^ detail::parity_below(cr) ^ above_cl ^ detail::parity_below(ar);
        const bool sign = detail::parity(above_cl & cr) ^ detail::parity(above_al & ar) ^ detail::parity(v & forced);
        uint64_t d = 0;
        const uint64_t v_bits = note_optional(opt, v, 0, k, d);
        base_[0] = cl | (cr & ~forced);
        base_[1] = (al & ~forced) | ar;
        set_plan(rows, static_cast<uint64_t>(std::popcount(al)), static_cast<uint64_t>(std::popcount(cr)),
                 static_cast<uint64_t>(std::popcount(forced)), k, v_bits, sign);
        return rows;
    }

    // 2^k, refused (AllocationRefusedError) when 2^k rows of w words per
    // plane do not fit in memory, so always when k >= 64.
    static uint64_t check_rows(uint64_t k, uint64_t w) {
        const AllocationCount rows = k >= 127 ? ~AllocationCount{0} : AllocationCount{1} << k;
        return guard_allocation("the terms of a fermion product", rows, 2 * sizeof(uint64_t) * (w == 0 ? 1 : w));
    }

    // Records the optional modes of word t (ascending; d counts those met so
    // far) at their row-number bits; returns their v bits at those bits.
    uint64_t note_optional(uint64_t opt, uint64_t v, size_t t, uint64_t k, uint64_t& d) {
        uint64_t v_bits = 0;
        for_each_set_bit(opt, [&](uint64_t p) {
            const uint64_t b = k - 1 - d++;  // the lowest optional mode is the top bit of a row number
            const uint64_t bit = uint64_t{1} << p;
            opt_word_[b] = t;
            opt_bit_[b] = bit;
            v_bits |= static_cast<uint64_t>((v & bit) != 0) << b;
        });
        return v_bits;
    }

    void set_plan(uint64_t rows, uint64_t n_al, uint64_t n_cr, uint64_t n_forced, uint64_t k, uint64_t v_bits,
                  bool sign) {
        n_al_ = n_al;
        n_cr_ = n_cr;
        n_forced_ = n_forced;
        k_ = k;
        v_bits_ = v_bits;
        sign_ = sign;
        n_rows_ = rows;
    }

    std::vector<uint64_t> base_;           // creation then annihilation words of the row contracting only forced modes
    std::array<size_t, 64> opt_word_{};    // per row-number bit: the word of that optional mode
    std::array<uint64_t, 64> opt_bit_{};   // ... and its bit within the word
    size_t n_words_ = 0;
    uint64_t n_rows_ = 0, n_al_ = 0, n_cr_ = 0, n_forced_ = 0, k_ = 0, v_bits_ = 0;
    bool sign_ = false;
};

// The terms of a product with one sign bit each (set means -1).
struct Product {
    CmpntList cmpnts;
    SignVec signs;
};

// lhs times rhs: components of lists on one mode space (the caller's check).
// A vanishing product has no rows. Distinct rows hold distinct components.
inline Product mul_cmpnts(const ElemRef<CmpntList>& lhs, const ElemRef<CmpntList>& rhs) {
    const CmpntList& l = *lhs.list;
    const CmpntList& r = *rhs.list;
    if (l.words_per_row() != r.words_per_row()) internal_failure("mul_cmpnts: components of different widths");
    Product out{CmpntList(l.modes()), SignVec()};
    ProductHelper h;
    if (h.prepare(l.cre_row(lhs.index), l.ann_row(lhs.index), r.cre_row(rhs.index), r.ann_row(rhs.index)) != 0)
        h.append_to(out.cmpnts, out.signs);
    return out;
}

}  // namespace vemo::fermion::normal
