// Occupation-number basis states: one state per row of a bit matrix of n bits
// per row, on one fermion mode space. Mode q is occupied when bit q % 64 of
// word q / 64 is set; bits at n and above stay zero; new rows are the vacuum.
// A row occupying m1 < ... < mr stands for c_m1 ... c_mr applied to the
// vacuum, the lowest creator leftmost. An element's words are its row.
#pragma once

#include <cstdint>
#include <expected>

#include "core/cmpnt/state_springs.hpp"
#include "core/container/bit_rows.hpp"
#include "core/base/errors.hpp"
#include "core/container/word_iters.hpp"
#include "core/fermion/mode.hpp"

namespace vemo::fermion::state {

class CmpntList : public BitRowList<Modes> {
public:
    using mismatch_error = DifferentSpaces;
    // Dense vectors (bit_rows_dense.hpp) exist below 64 modes; a dense source
    // fills a space of any width.
    static constexpr OutOfBoundsKind dense_limit_kind = OutOfBoundsKind::Mode;
    static constexpr bool from_dense_any_width = true;

    CmpntList() : CmpntList(Modes()) {}
    // An empty list on the space.
    explicit CmpntList(Modes modes) : BitRowList(modes, modes.len()) {}

    // A one-row list holding the vacuum: the work row of operator application.
    static CmpntList elem(Modes modes) {
        CmpntList l(modes);
        l.resize(1);
        return l;
    }

    // One row per string, with the positions written 1 occupied. A position at
    // or beyond n fails (kind Bit) and builds nothing; zeros beyond n are fine.
    static std::expected<CmpntList, OutOfBounds> from_springs(Modes modes, const BinarySprings& springs) {
        CmpntList l(modes);
        const size_t n_str = springs.n_strings();
        l.reserve(n_str);
        for (size_t s = 0; s < n_str; ++s) {
            l.resize(s + 1);
            if (auto r = set_spring(l, s, springs, s); !r) return std::unexpected(r.error());
        }
        return l;
    }

    // As from_springs on Count(m), m one more than the largest position the
    // text writes (zeros included, 65536 for position 65535), 0 for none.
    static CmpntList from_springs_default(const BinarySprings& springs) {
        return expect_ok(from_springs(Modes::count(springs.default_n_qubit()), springs),
                         "state list from springs on their own space");
    }

    const Modes& modes() const { return space_; }
    uint64_t n_modes() const { return bits_.n_bits(); }
    CmpntList empty_clone() const { return CmpntList(space_); }
    bool compatible_with(const CmpntList& o) const { return space_ == o.space_; }

    bool operator==(const CmpntList&) const = default;
};

static_assert(WordIters<CmpntList>);

}  // namespace vemo::fermion::state
