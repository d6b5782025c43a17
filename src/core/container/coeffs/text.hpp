// Printed forms and strict text grammars of real and complex coefficients.
// The grammars are spelled out by hand: strtod-style parsers accept more
// (hexadecimal, "nan(...)", locale decimal points) than a coefficient may.
#pragma once

#include <charconv>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/utils/whitespace.hpp"

namespace vemo {

using Complex = std::complex<double>;

namespace text {

// Texts are trimmed of Unicode White_Space, as everywhere in the library.
constexpr std::string_view trim_start(std::string_view s) { return trim_ws_start(s); }
constexpr std::string_view trim_end(std::string_view s) { return trim_ws_end(s); }
constexpr std::string_view trim(std::string_view s) { return trim_ws(s); }

// ---- printing ----

// The shortest digits that read back to x, written out without exponent
// (1e23 prints as 1 and 23 zeros). The digits come from the shortest scientific
// form: the fixed form of to_chars would print a large value's exact digits.
inline std::string fmt_real(double x) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x < 0 ? "-inf" : "inf";
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific);
    std::string_view sci(buf, static_cast<size_t>(r.ptr - buf));  // [-]d[.ddd]e(+|-)dd
    std::string out;
    if (sci.front() == '-') {
        out += '-';
        sci.remove_prefix(1);
    }
    const size_t e = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e))
        if (c != '.') digits += c;
    int exp = 0;
    std::string_view etxt = sci.substr(e + 1);
    if (etxt.front() == '+') etxt.remove_prefix(1);
    std::from_chars(etxt.data(), etxt.data() + etxt.size(), exp);
    const int n = static_cast<int>(digits.size());
    if (exp < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exp - 1), '0');
        out += digits;
    } else if (exp + 1 >= n) {
        out += digits;
        out.append(static_cast<size_t>(exp + 1 - n), '0');
    } else {
        out.append(digits, 0, static_cast<size_t>(exp + 1));
        out += '.';
        out.append(digits, static_cast<size_t>(exp + 1));
    }
    return out;
}

// Real part, the sign of the imaginary part, its magnitude, "i".
inline std::string fmt_complex(Complex z) {
    std::string s = fmt_real(z.real());
    if (z.imag() < 0) {
        s += '-';
        s += fmt_real(-z.imag());
    } else {
        s += '+';
        s += fmt_real(z.imag());
    }
    s += 'i';
    return s;
}

// ---- parsing ----

namespace detail {
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool ieq(std::string_view a, std::string_view lower) {
    if (a.size() != lower.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        char c = a[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[k]) return false;
    }
    return true;
}
}  // namespace detail

// A real in the decimal float grammar: [+-] digits [. digits] [(e|E) [+-] digits],
// at least one mantissa digit; or [+-] inf / infinity / nan in any case. No
// blanks anywhere. Magnitudes beyond the float range round to inf or zero.
inline std::optional<double> parse_real(std::string_view s) {
    using detail::is_digit;
    bool neg = false;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    const std::string_view body = s.substr(i);
    if (detail::ieq(body, "inf") || detail::ieq(body, "infinity")) {
        const double inf = std::numeric_limits<double>::infinity();
        return neg ? -inf : inf;
    }
    if (detail::ieq(body, "nan")) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return neg ? -nan : nan;
    }
    const size_t int_start = i;
    while (i < s.size() && is_digit(s[i])) ++i;
    const size_t int_end = i;
    size_t frac_start = i, frac_end = i;
    if (i < s.size() && s[i] == '.') {
        frac_start = ++i;
        while (i < s.size() && is_digit(s[i])) ++i;
        frac_end = i;
    }
    if (int_end == int_start && frac_end == frac_start) return std::nullopt;
    // The decimal exponent, saturated: only its sign matters once the value leaves the range.
    int64_t exp = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool eneg = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            eneg = s[i] == '-';
            ++i;
        }
        const size_t e_start = i;
        while (i < s.size() && is_digit(s[i])) {
            if (exp < (int64_t{1} << 40)) exp = exp * 10 + (s[i] - '0');
            ++i;
        }
        if (i == e_start) return std::nullopt;
        if (eneg) exp = -exp;
    }
    if (i != s.size()) return std::nullopt;

    double v = 0;
    const auto r = std::from_chars(s.data() + int_start, s.data() + s.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Out of range means the rounded result is inf or zero; the position of the
        // first significant digit tells which.
        int64_t sci = 0;
        bool found = false;
        for (size_t k = int_start; k < int_end && !found; ++k)
            if (s[k] != '0') {
                sci = static_cast<int64_t>(int_end - k) - 1;
                found = true;
            }
        for (size_t k = frac_start; k < frac_end && !found; ++k)
            if (s[k] != '0') {
                sci = -static_cast<int64_t>(k - frac_start) - 1;
                found = true;
            }
        v = (found && sci + exp >= 0) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (r.ec != std::errc() || r.ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return neg ? -v : v;
}

// A signed 8-bit decimal integer: [+-] digits, value in -128..127.
constexpr std::optional<int8_t> parse_i8(std::string_view s) {
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    if (i == s.size()) return std::nullopt;
    int v = 0;
    for (; i < s.size(); ++i) {
        if (!detail::is_digit(s[i])) return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > 128) return std::nullopt;
    }
    if (neg) v = -v;
    if (v > 127) return std::nullopt;
    return static_cast<int8_t>(v);
}

// A complex number: a real part and/or an imaginary part ending in the unit "j"
// (when the text holds a "j" anywhere) or "i". The two parts are split at the first
// "+" or "-" past the first character that does not follow "e"/"E"; blanks around
// that sign are allowed. A bare unit means 1, "-" with the unit -1.
inline std::optional<Complex> parse_complex(std::string_view s) {
    const char unit = s.find('j') != std::string_view::npos ? 'j' : 'i';
    std::string_view a = s, b;
    bool neg_b = false;
    for (size_t k = 0; k + 1 < s.size(); ++k) {
        const char p = s[k], c = s[k + 1];
        if ((c == '+' || c == '-') && p != 'e' && p != 'E') {
            a = trim_end(s.substr(0, k + 1));
            b = trim_start(s.substr(k + 2));
            neg_b = c == '-';
            if (b.empty() || (neg_b && b.front() == '-')) return std::nullopt;
            break;
        }
    }
    const auto ends_unit = [unit](std::string_view t) { return !t.empty() && t.back() == unit; };
    if (b.empty()) b = ends_unit(a) ? std::string_view("0") : std::string_view(unit == 'j' ? "0j" : "0i");

    std::string_view re_txt, im_txt;
    bool neg_re = false, neg_im = false;
    if (ends_unit(a)) {
        im_txt = a;
        re_txt = b;
        neg_re = neg_b;
    } else if (ends_unit(b)) {
        re_txt = a;
        im_txt = b;
        neg_im = neg_b;
    } else {
        return std::nullopt;
    }
    auto re = parse_real(re_txt);
    if (!re) return std::nullopt;
    // Negation as 0 - x, so a negated zero stays +0.
    const double re_v = neg_re ? 0.0 - *re : *re;

    im_txt.remove_suffix(1);
    if (im_txt.empty() || im_txt == "+") im_txt = "1";
    else if (im_txt == "-") im_txt = "-1";
    auto im = parse_real(im_txt);
    if (!im) return std::nullopt;
    const double im_v = neg_im ? 0.0 - *im : *im;
    return Complex(re_v, im_v);
}

}  // namespace text
}  // namespace vemo
