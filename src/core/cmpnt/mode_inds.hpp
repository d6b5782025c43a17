// Index storage shared by every springs value: the 16-bit mode indices of all
// strings concatenated, one end offset per string, and the largest index seen.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/base/errors.hpp"

namespace vemo {

struct ModeInds {
    std::vector<uint16_t> indices;
    std::vector<uint64_t> ends;
    std::optional<uint16_t> max_index;

    bool operator==(const ModeInds&) const = default;

    size_t n_strings() const { return ends.size(); }

    // Closes the current string: everything pushed since the previous close.
    void end_string() { ends.push_back(indices.size()); }

    // Counts i towards the largest index without storing it.
    void record_index(uint16_t i) {
        if (!max_index || *max_index < i) max_index = i;
    }
    void push_index(uint16_t i) {
        indices.push_back(i);
        record_index(i);
    }

    // [begin, end) of string k within `indices`; k must be below n_strings().
    std::pair<size_t, size_t> string_range(size_t k) const {
        if (k >= ends.size())
            internal_failure("ModeInds::string_range: " +
                             OutOfBounds{k, ends.size(), OutOfBoundsKind::String}.debug());
        const size_t b = k == 0 ? 0 : static_cast<size_t>(ends[k - 1]);
        return {b, static_cast<size_t>(ends[k])};
    }
    std::span<const uint16_t> string_indices(size_t k) const {
        auto [b, e] = string_range(k);
        return std::span<const uint16_t>(indices).subspan(b, e - b);
    }

    // Number of modes a space needs to hold every index seen (0 when none), in 64 bits.
    uint64_t default_n_modes() const { return max_index ? uint64_t{*max_index} + 1 : 0; }
};

// Base of every springs type: the index storage and the string operations the
// parser needs. A domain that keeps per-string data shadows `end_string`.
struct SpringsBase {
    ModeInds inds;

    size_t n_strings() const { return inds.n_strings(); }
    void end_string() { inds.end_string(); }
    ModeInds& mode_inds() { return inds; }
    const ModeInds& mode_inds() const { return inds; }

    bool operator==(const SpringsBase&) const = default;
};

}  // namespace vemo
