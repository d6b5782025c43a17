// The Pauli text form: strings of tokens such as "X0 Y12 Z3", parsed into
// 16-bit positions with one 2-bit Pauli code per entry. Identity tokens ("I5")
// make no entry but count towards the largest position.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cmpnt/bad_parse.hpp"
#include "core/utils/join.hpp"
#include "core/cmpnt/mode_inds.hpp"
#include "core/cmpnt/springs.hpp"
#include "core/container/bit_vec.hpp"
#include "core/qubit/symbols.hpp"
#include "core/utils/whitespace.hpp"

namespace vemo::qubit::pauli {

namespace detail {

// A token is one of I, X, Y, Z, then an optional "+" and at least one ASCII
// digit with a value of at most 65535 (leading zeros allowed).
inline std::optional<std::pair<PauliMatrix, uint16_t>> parse_token(std::string_view tok) {
    if (tok.size() < 2) return std::nullopt;
    const auto p = pauli_from_char(tok[0]);
    if (!p) return std::nullopt;
    std::string_view digits = tok.substr(1);
    if (digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty()) return std::nullopt;
    uint32_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint32_t>(c - '0');
        if (v > 65535) return std::nullopt;
    }
    return std::pair{*p, static_cast<uint16_t>(v)};
}

}  // namespace detail

class Springs : public SpringsBase {
public:
    // Parses one part of one component into one new string; a bad token stores
    // nothing (what its predecessors stored is taken back) and names the whole token.
    std::expected<void, BadParse> push_str(std::string_view piece) {
        const size_t n_entries = inds.indices.size();
        const auto max_index = inds.max_index;
        for (std::string_view tok : WsTokens(piece)) {
            const auto t = detail::parse_token(tok);
            if (!t) {
                inds.indices.resize(n_entries);
                codes_.resize(n_entries);
                inds.max_index = max_index;
                return std::unexpected(quoting_bad_parse(tok, " is not a valid Pauli matrix in a sparse string."));
            }
            const auto [p, q] = *t;
            if (p == PauliMatrix::I) {
                inds.record_index(q);
            } else {
                inds.push_index(q);
                codes_.push(static_cast<uint8_t>(p));
            }
        }
        inds.end_string();
        return {};
    }

    // The Pauli code of entry k.
    PauliMatrix get_setting(size_t k) const { return pauli_from_code(codes_.get(k)); }

    uint64_t n_entries() const { return inds.indices.size(); }
    const TwoBitVec& codes() const { return codes_; }

    // [begin, end) entry range of string s; s below n_strings().
    std::pair<size_t, size_t> get_pauli_iter(size_t s) const { return inds.string_range(s); }
    uint16_t position(size_t k) const { return inds.indices[k]; }

    // Largest position of any token, identity tokens included.
    std::optional<uint16_t> max_position() const { return inds.max_index; }
    // max + 1 in full width (65536 for a largest position of 65535), 0 without tokens.
    uint64_t default_n_qubit() const { return inds.default_n_modes(); }

    std::string to_string_ind(size_t s) const {
        const auto [b, e] = get_pauli_iter(s);
        std::string out;
        for (size_t k = b; k < e; ++k) {
            if (k != b) out += ' ';
            out += pauli_char(get_setting(k));
            out += std::to_string(inds.indices[k]);
        }
        return out;
    }

    std::string to_string() const {
        return join_texts(n_strings(), ", ", [&](size_t s) { return to_string_ind(s); });
    }

    bool operator==(const Springs&) const = default;

private:
    TwoBitVec codes_;
};

static_assert(ModeSettings<Springs>);

// A text of any number of "*"-parts, one text form per part.
struct ManyPartSprings {
    std::vector<Springs> parts;

    // The smallest number of strings over the parts; 0 without parts.
    uint64_t len() const {
        uint64_t n = 0;
        for (size_t j = 0; j < parts.size(); ++j)
            n = j == 0 ? parts[j].n_strings() : std::min<uint64_t>(n, parts[j].n_strings());
        return n;
    }
    // The parts' texts joined by a single blank.
    std::string to_string() const {
        return join_texts(parts.size(), " ", [&](size_t j) { return parts[j].to_string(); });
    }
};

}  // namespace vemo::qubit::pauli
