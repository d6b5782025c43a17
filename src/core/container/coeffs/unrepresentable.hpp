// The error of every refused coefficient conversion or parse.
#pragma once

#include <string>
#include <string_view>

namespace vemo {

// A value that the target coefficient kind cannot hold exactly. The texts are the
// value's printed form (or the text as given) and the short type names
// ("f64", "Complex<f64>", "Sign", "ComplexSign", "Unity", "usize", "&str").
struct Unrepresentable {
    std::string value;
    std::string source;
    std::string target;

    bool operator==(const Unrepresentable&) const = default;

    std::string message() const {
        std::string m;
        m.reserve(value.size() + source.size() + target.size() + 48);
        m += "Value ";
        m += value;
        m += " of type \"";
        m += source;
        m += "\" is not representable as type \"";
        m += target;
        m += "\"";
        return m;
    }
    std::string debug() const { return "Unrepresentable(" + message() + ")"; }
};

}  // namespace vemo
