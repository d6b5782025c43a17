// State texts: one bracketed list of small integers per string, such as
// "[0, 1, 1]". The nonzero entries are stored as (position, value) pairs; each
// string also keeps its number of entries, so it prints back in full.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "core/cmpnt/bad_parse.hpp"
#include "core/cmpnt/mode_inds.hpp"
#include "core/container/bit_matrix.hpp"
#include "core/container/bit_rows.hpp"
#include "core/base/errors.hpp"
#include "core/utils/whitespace.hpp"

namespace vemo {

class StateSprings : public SpringsBase {
public:
    // Positions are stored in 16 bits, so a string holds at most this many entries.
    static constexpr uint64_t max_entries = uint64_t{1} << 16;

    bool operator==(const StateSprings&) const = default;

    // Appends an empty string (no entries).
    void end_string() {
        inds.end_string();
        lens_.push_back(0);
    }

    // Parses one state text whose values may not exceed `max` and appends it as
    // one string; nothing is stored when it fails.
    std::expected<void, BadParse> push_str_with_max(std::string_view piece, uint8_t max) {
        const std::string_view t = trim_ws(piece);
        if (t.size() < 2 || t.front() != '[' || t.back() != ']')
            return std::unexpected(BadParse{"State string should be between square brackets."});
        std::string_view inner = trim_ws(t.substr(1, t.size() - 2));
        if (inner.empty()) {
            end_string();
            return {};
        }
        if (inner.back() == ',') inner.remove_suffix(1);

        // Check every item before anything is stored.
        uint64_t n = 0;
        for (ItemIter it(inner); !it.done(); it.next(), ++n) {
            const std::string_view item = trim_ws(it.item());
            const int v = parse_u8(item);
            if (v < 0 || v > max || n >= max_entries) return std::unexpected(bad_setting(item));
        }

        inds.indices.reserve(inds.indices.size() + n);
        uint16_t k = 0;
        for (ItemIter it(inner); !it.done(); it.next(), ++k) {
            const int v = parse_u8(trim_ws(it.item()));
            if (v != 0) {
                inds.indices.push_back(k);
                values_.push_back(static_cast<uint8_t>(v));
            }
        }
        inds.record_index(static_cast<uint16_t>(n - 1));  // n is 1..65536 here
        inds.end_string();
        lens_.push_back(n);
        return {};
    }

    // The value of stored pair t (pairs of all strings, in order).
    uint8_t get_setting(size_t t) const {
        if (t >= values_.size())
            internal_failure("StateSprings::get_setting: " +
                             OutOfBounds{t, values_.size(), OutOfBoundsKind::Element}.debug());
        return values_[t];
    }

    // Number of entries of string k, zeros included.
    uint64_t string_len(size_t k) const {
        check_string(k);
        return lens_[k];
    }

    // Calls f(position, value) for each stored pair of string k, in order.
    template <class F>
    void for_each_pair(size_t k, F&& f) const {
        auto [b, e] = inds.string_range(k);
        for (size_t t = b; t < e; ++t) f(inds.indices[t], values_[t]);
    }

    // "[" + every entry of string k, zeros included, joined by ", " + "]".
    std::string to_string_ind(size_t k) const {
        check_string(k);
        std::string out;
        append_string(out, k);
        return out;
    }

    // The texts of all strings joined by ", ".
    std::string to_string() const {
        std::string out;
        for (size_t k = 0; k < n_strings(); ++k) {
            if (k) out += ", ";
            append_string(out, k);
        }
        return out;
    }

    // The smallest number of modes that holds every entry of every text (the
    // length of the longest non-empty text), in 64 bits.
    uint64_t default_n_qubit() const { return inds.default_n_modes(); }

    const std::vector<uint8_t>& values() const { return values_; }

private:
    // Walks the comma-separated items of a text, empty items included.
    class ItemIter {
    public:
        explicit ItemIter(std::string_view s) : rest_(s) { cut(); }
        bool done() const { return done_; }
        std::string_view item() const { return item_; }
        void next() {
            if (last_) {
                done_ = true;
                return;
            }
            cut();
        }

    private:
        void cut() {
            const size_t c = rest_.find(',');
            item_ = rest_.substr(0, c);
            if (c == std::string_view::npos) {
                last_ = true;
            } else {
                rest_.remove_prefix(c + 1);
            }
        }
        std::string_view rest_, item_;
        bool last_ = false, done_ = false;
    };

    // An unsigned 8-bit decimal (optional "+", then digits only), or -1.
    static int parse_u8(std::string_view s) {
        if (!s.empty() && s.front() == '+') s.remove_prefix(1);
        if (s.empty()) return -1;
        int v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
            if (v > 255) return -1;
        }
        return v;
    }

    static BadParse bad_setting(std::string_view item) {
        std::string m = "State setting \"";
        m += item;
        m += "\" is unparsable or out of bounds.";
        return BadParse{std::move(m)};
    }

    void check_string(size_t k) const {
        if (k >= lens_.size())
            internal_failure("StateSprings: " + OutOfBounds{k, lens_.size(), OutOfBoundsKind::String}.debug());
    }

    void append_string(std::string& out, size_t k) const {
        auto [b, e] = inds.string_range(k);
        out += '[';
        uint64_t next = 0;
        for (size_t t = b; t <= e; ++t) {
            // Zeros up to the next stored position (or the end of the string).
            const uint64_t upto = t < e ? uint64_t{inds.indices[t]} : lens_[k];
            for (; next < upto; ++next) out += next ? ", 0" : "0";
            if (t < e) {
                if (next) out += ", ";
                out += std::to_string(values_[t]);
                ++next;
            }
        }
        out += ']';
    }

    std::vector<uint8_t> values_;
    std::vector<uint64_t> lens_;
};

// State texts whose entries are 0 or 1; one object holds exactly one part.
class BinarySprings : public StateSprings {
public:
    bool operator==(const BinarySprings&) const = default;
    std::expected<void, BadParse> push_str(std::string_view piece) { return push_str_with_max(piece, 1); }
};

// Writes the stored (position, value) pairs of string i into a bit-matrix row:
// a nonzero value sets the bit, zero clears it; bits the string does not name
// keep their values. Every pair is checked before anything is written, so a
// failure leaves the row unchanged. i must be below the holder's string count.
inline std::expected<void, OutOfBounds> set_spring(BitRowMutRef row, const StateSprings& holder, size_t i) {
    auto [b, e] = holder.mode_inds().string_range(i);
    if (b == e) return {};
    BitMatrix& m = *row.matrix;
    if (auto c = check_bounds(row.row, m.n_rows(), OutOfBoundsKind::Row); !c) return c;
    const auto& idx = holder.mode_inds().indices;
    for (size_t t = b; t < e; ++t)
        if (auto c = check_bounds(idx[t], m.n_bits(), OutOfBoundsKind::Bit); !c) return c;
    const std::span<uint64_t> w = m.row_mut(row.row);
    for (size_t t = b; t < e; ++t) {
        const uint64_t p = idx[t];
        const uint64_t bit = uint64_t{1} << (p % 64);
        w[p / 64] = holder.get_setting(t) ? (w[p / 64] | bit) : (w[p / 64] & ~bit);
    }
    return {};
}

// Writes string s of the text into row i of a basis-state list: positions
// marked 1 are set, those marked 0 cleared, the others keep their bits. A
// string index beyond the text (kind String) and a marked position beyond the
// row (kind Bit) are refused before anything is written.
template <class Space>
std::expected<void, OutOfBounds> set_spring(BitRowList<Space>& l, uint64_t i, const StateSprings& springs, size_t s) {
    if (auto c = check_bounds(s, springs.n_strings(), OutOfBoundsKind::String); !c) return c;
    return set_spring(l.bits_mut().row_mut_ref(i), springs, s);
}

}  // namespace vemo
