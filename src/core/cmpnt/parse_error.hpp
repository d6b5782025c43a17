// The error of parsing a component text: a malformed text, an index beyond the
// mode space, or a coefficient the target kind cannot hold.
#pragma once

#include <string>
#include <variant>

#include "core/cmpnt/bad_parse.hpp"
#include "core/container/coeffs/unrepresentable.hpp"
#include "core/base/errors.hpp"

namespace vemo {

struct ParseError {
    std::variant<BadParse, OutOfBounds, Unrepresentable> v;

    ParseError(BadParse e) : v(std::move(e)) {}
    ParseError(OutOfBounds e) : v(e) {}
    ParseError(Unrepresentable e) : v(std::move(e)) {}

    bool operator==(const ParseError&) const = default;

    bool is_bad_parse() const { return std::holds_alternative<BadParse>(v); }
    bool is_mode_bounds() const { return std::holds_alternative<OutOfBounds>(v); }
    bool is_coeff_unrepresentable() const { return std::holds_alternative<Unrepresentable>(v); }

    // The text of whichever error it holds.
    std::string message() const {
        return std::visit([](const auto& e) { return e.message(); }, v);
    }
};

}  // namespace vemo
