// The domain-independent springs parser: components, optional coefficients and
// "*"-separated parts, each part parsed by the domain's springs type.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/cmpnt/bad_parse.hpp"
#include "core/cmpnt/comma_splitter.hpp"
#include "core/cmpnt/mode_inds.hpp"
#include "core/utils/whitespace.hpp"

namespace vemo {

// The token syntax of one domain. `push_str` parses one part of one component
// (handed over untrimmed, possibly empty) and appends it as one new string,
// storing nothing when it fails. `end_string` appends an empty string.
template <class S>
concept ModeSettings = std::default_initializable<S> && std::copy_constructible<S> &&
                       requires(S& s, const S& cs, std::string_view piece, size_t k) {
                           { s.push_str(piece) } -> std::same_as<std::expected<void, BadParse>>;
                           cs.get_setting(k);
                           { cs.to_string_ind(k) } -> std::convertible_to<std::string>;
                           { cs.n_strings() } -> std::convertible_to<size_t>;
                           s.end_string();
                       };

// Part j, created on demand; every part is first padded with empty strings up
// to component i, so string k of every part belongs to component k even when
// components carry different numbers of parts.
template <ModeSettings S>
S& get_part(std::vector<S>& parts, size_t j, size_t i) {
    while (parts.size() <= j) parts.emplace_back();
    S& part = parts[j];
    while (part.n_strings() < i) part.end_string();
    return part;
}

namespace detail {

// Padding gives every part one string per component, so a short text could ask
// for parts x components strings (one component with 10^5 "*" among 10^5
// others: 10^10 strings from 800 kB). A text may make at most 2^20 strings plus
// 8 per byte of its length, far above what honest texts need (about one string
// per piece); beyond that the result is refused as an impossible allocation
// (MemoryError) before it is padded, so memory stays proportional to the text.
inline void check_string_count(uint64_t n_parts, uint64_t per_part, size_t text_len) {
    const uint64_t budget = (uint64_t{1} << 20) + 8 * static_cast<uint64_t>(text_len);
    if (per_part != 0 && n_parts > budget / per_part) throw std::bad_alloc();
}

inline BadParse ill_formed(std::string_view piece) { return quoting_bad_parse(piece, " is ill-formed"); }

// Walks the components of `text`, calling f(component index, body) for each.
template <class F>
std::expected<size_t, BadParse> for_each_body(std::string_view text, F&& f) {
    auto splitter = CommaSplitter::trimmed_validated(text);
    if (!splitter) return std::unexpected(splitter.error());
    size_t i = 0;
    for (;; ++i) {
        auto piece = splitter->next();
        if (!piece) return std::unexpected(piece.error());
        if (!*piece) break;
        const std::string_view trimmed = trim_ws(**piece);
        const auto body = extract_after_coeff(trimmed);
        if (!body) return std::unexpected(ill_formed(trimmed));
        if (auto r = f(i, *body); !r) return std::unexpected(r.error());
    }
    return i;
}

}  // namespace detail

// One springs value per "*"-part; string k of every part belongs to component k.
template <ModeSettings S>
std::expected<std::vector<S>, BadParse> all_parts_from_str(std::string_view text) {
    std::vector<S> parts;
    auto n = detail::for_each_body(text, [&](size_t i, std::string_view body) -> std::expected<void, BadParse> {
        size_t j = 0;
        for (;;) {
            const size_t star = body.find('*');
            const std::string_view piece = body.substr(0, star);
            if (parts.size() <= j || parts[j].n_strings() < i)
                detail::check_string_count(std::max(parts.size(), j + 1), i, text.size());
            if (auto r = get_part(parts, j, i).push_str(piece); !r) return r;
            if (star == std::string_view::npos) return {};
            body.remove_prefix(star + 1);
            ++j;
        }
    });
    if (!n) return std::unexpected(n.error());
    detail::check_string_count(parts.size(), *n, text.size());
    for (S& part : parts)
        while (part.n_strings() < *n) part.end_string();
    return parts;
}

// The first part of every component; whatever follows a component's first "*" is ignored.
template <ModeSettings S>
std::expected<S, BadParse> from_str(std::string_view text) {
    S out;
    auto n = detail::for_each_body(text, [&](size_t, std::string_view body) {
        return out.push_str(body.substr(0, body.find('*')));
    });
    if (!n) return std::unexpected(n.error());
    return out;
}

}  // namespace vemo
