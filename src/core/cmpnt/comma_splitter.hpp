// Splitting of a springs text into components at commas outside brackets, and
// removal of a component's "(coefficient, body)" wrapping.
#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <string_view>
#include <vector>

#include "core/cmpnt/bad_parse.hpp"
#include "core/utils/whitespace.hpp"

namespace vemo {

inline BadParse mismatched_brackets() { return BadParse{"Mismatched brackets."}; }

class CommaSplitter {
public:
    explicit CommaSplitter(std::string_view text) : text_(text) {}

    // A splitter over `text` once a complete split has shown its brackets balanced.
    static std::expected<CommaSplitter, BadParse> validated(std::string_view text) {
        CommaSplitter probe(text);
        for (;;) {
            auto piece = probe.next();
            if (!piece) return std::unexpected(piece.error());
            if (!*piece) break;
        }
        return CommaSplitter(text);
    }
    static std::expected<CommaSplitter, BadParse> trimmed_validated(std::string_view text) {
        return validated(trim_ws(text));
    }

    std::string_view text() const { return text_; }

    // The next piece (untrimmed), nothing at the end, or the bracket error.
    std::expected<std::optional<std::string_view>, BadParse> next() {
        if (pos_ >= text_.size()) return std::nullopt;
        const size_t start = pos_;
        for (size_t i = pos_; i < text_.size(); ++i) {
            const char c = text_[i];
            switch (c) {
                case '(':
                case '[':
                case '{':
                    stack_.push_back(c);
                    break;
                case ')':
                case ']':
                case '}': {
                    const char open = c == ')' ? '(' : c == ']' ? '[' : '{';
                    if (stack_.empty() || stack_.back() != open) {
                        pos_ = text_.size();
                        return std::unexpected(mismatched_brackets());
                    }
                    stack_.pop_back();
                    break;
                }
                case ',':
                    if (stack_.empty()) {
                        pos_ = i + 1;
                        return text_.substr(start, i - start);
                    }
                    break;
                default:
                    break;
            }
        }
        pos_ = text_.size();
        if (!stack_.empty()) return std::unexpected(mismatched_brackets());
        return text_.substr(start);
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    std::vector<char> stack_;
};

// The body of a component: the trimmed text itself, or for "(c, body)" the text
// after the first comma once the wrapping brackets are gone; nothing when a
// wrapped component has no comma.
inline std::optional<std::string_view> extract_after_coeff(std::string_view component) {
    std::string_view t = trim_ws(component);
    if (t.empty() || t.front() != '(') return t;
    while (!t.empty() && t.front() == '(') t.remove_prefix(1);
    while (!t.empty() && t.back() == ')') t.remove_suffix(1);
    const size_t comma = t.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    return t.substr(comma + 1);
}

}  // namespace vemo
