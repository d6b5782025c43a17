// Trimming and splitting of UTF-8 text at Unicode White_Space (the 25 code
// points of that property), which is what every text form of the library
// treats as blank. Invalid UTF-8 is never blank, so it is left in place for
// the parsers to refuse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vemo {

constexpr bool is_white_space(char32_t c) {
    if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    if (c < 0x85) return false;
    if (c == 0x85 || c == 0xA0 || c == 0x1680) return true;
    if (c >= 0x2000 && c <= 0x200A) return true;
    return c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

namespace detail {

inline constexpr uint8_t ws_byte(char c) { return static_cast<uint8_t>(c); }

// Byte length of the blank starting at s[i], or 0 when none starts there.
constexpr size_t blank_len_at(std::string_view s, size_t i) {
    const uint8_t b = ws_byte(s[i]);
    if (b < 0x80) return (b == 0x20 || (b >= 0x09 && b <= 0x0D)) ? 1 : 0;
    const size_t rest = s.size() - i;
    if (b == 0xC2) return rest >= 2 && (ws_byte(s[i + 1]) == 0x85 || ws_byte(s[i + 1]) == 0xA0) ? 2 : 0;
    if (rest < 3 || (b != 0xE1 && b != 0xE2 && b != 0xE3)) return 0;
    const uint8_t b1 = ws_byte(s[i + 1]), b2 = ws_byte(s[i + 2]);
    if ((b2 & 0xC0) != 0x80) return 0;
    const char32_t c = (char32_t(b & 0x0F) << 12) | (char32_t(b1 & 0x3F) << 6) | char32_t(b2 & 0x3F);
    return (b1 & 0xC0) == 0x80 && is_white_space(c) ? 3 : 0;
}

// Byte length of the blank ending just before s[end], or 0 when none ends there.
// UTF-8 lead bytes are never continuation bytes, so matching from the end is exact.
constexpr size_t blank_len_before(std::string_view s, size_t end) {
    if (end == 0) return 0;
    const uint8_t last = ws_byte(s[end - 1]);
    if (last < 0x80) return (last == 0x20 || (last >= 0x09 && last <= 0x0D)) ? 1 : 0;
    if (end >= 2 && ws_byte(s[end - 2]) == 0xC2) return blank_len_at(s, end - 2) == 2 ? 2 : 0;
    if (end >= 3) return blank_len_at(s.substr(0, end), end - 3) == 3 ? 3 : 0;
    return 0;
}

}  // namespace detail

constexpr std::string_view trim_ws_start(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const size_t n = detail::blank_len_at(s, i);
        if (n == 0) break;
        i += n;
    }
    return s.substr(i);
}

constexpr std::string_view trim_ws_end(std::string_view s) {
    size_t end = s.size();
    while (end > 0) {
        const size_t n = detail::blank_len_before(s, end);
        if (n == 0) break;
        end -= n;
    }
    return s.substr(0, end);
}

constexpr std::string_view trim_ws(std::string_view s) { return trim_ws_end(trim_ws_start(s)); }

// The non-empty runs of non-blank text, in order: `for (auto tok : WsTokens(s))`.
class WsTokens {
public:
    explicit constexpr WsTokens(std::string_view s) : s_(s) {}

    class iterator {
    public:
        constexpr iterator() = default;
        constexpr iterator(std::string_view s, size_t pos) : s_(s), pos_(pos) { advance(); }
        constexpr std::string_view operator*() const { return s_.substr(pos_, len_); }
        constexpr iterator& operator++() {
            pos_ += len_;
            advance();
            return *this;
        }
        constexpr bool operator==(const iterator& o) const { return pos_ == o.pos_; }

    private:
        constexpr void advance() {
            while (pos_ < s_.size()) {
                const size_t n = detail::blank_len_at(s_, pos_);
                if (n == 0) break;
                pos_ += n;
            }
            size_t e = pos_;
            while (e < s_.size() && detail::blank_len_at(s_, e) == 0) ++e;
            len_ = e - pos_;
        }
        std::string_view s_;
        size_t pos_ = 0, len_ = 0;
    };

    constexpr iterator begin() const { return iterator(s_, 0); }
    constexpr iterator end() const { return iterator(s_, s_.size()); }

private:
    std::string_view s_;
};

}  // namespace vemo
