// Exact conversion between the five coefficient kinds, their parsing and printing.
//
// Every kind T has a NumReprTraits<T> with its short type name, printed form,
// conjugate, product and the exact acceptance rule for a value given as a complex
// number. A conversion passes the source through its exact complex value (an
// unsigned integer rounds to the nearest float first), and the target accepts it
// only if it holds exactly that value (floats compared with ==).
#pragma once

#include <concepts>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "core/container/coeffs/scalars.hpp"
#include "core/container/coeffs/text.hpp"
#include "core/container/coeffs/unrepresentable.hpp"

namespace vemo {

template <class T>
struct NumReprTraits;

template <>
struct NumReprTraits<double> {
    static constexpr std::string_view name = "f64";
    static std::string fmt(double x) { return text::fmt_real(x); }
    static constexpr double conj(double x) { return x; }
    static constexpr double mul(double a, double b) { return a * b; }
    static constexpr double one() { return 1.0; }
    static constexpr std::optional<double> from_exact(Complex z) {
        if (z.imag() == 0.0) return z.real();
        return std::nullopt;
    }
    static std::optional<double> parse_trimmed(std::string_view s) { return text::parse_real(s); }
};

template <>
struct NumReprTraits<Complex> {
    static constexpr std::string_view name = "Complex<f64>";
    static std::string fmt(Complex z) { return text::fmt_complex(z); }
    static constexpr Complex conj(Complex z) { return {z.real(), -z.imag()}; }
    static constexpr Complex mul(Complex a, Complex b) { return scaled_complex(a, b); }
    static constexpr Complex one() { return {1.0, 0.0}; }
    static constexpr std::optional<Complex> from_exact(Complex z) { return z; }
    static std::optional<Complex> parse_trimmed(std::string_view s) { return text::parse_complex(s); }
};

template <>
struct NumReprTraits<Sign> {
    static constexpr std::string_view name = "Sign";
    static std::string fmt(Sign s) { return s.to_string(); }
    static constexpr Sign conj(Sign s) { return s; }
    static constexpr Sign mul(Sign a, Sign b) { return a * b; }
    static constexpr Sign one() { return Sign(false); }
    static constexpr std::optional<Sign> from_exact(Complex z) {
        if (z.imag() != 0.0) return std::nullopt;
        if (z.real() == 1.0) return Sign(false);
        if (z.real() == -1.0) return Sign(true);
        return std::nullopt;
    }
    static std::optional<Sign> parse_trimmed(std::string_view s) {
        const auto v = text::parse_i8(s);
        if (v == 1) return Sign(false);
        if (v == -1) return Sign(true);
        return std::nullopt;
    }
};

template <>
struct NumReprTraits<ComplexSign> {
    static constexpr std::string_view name = "ComplexSign";
    static std::string fmt(ComplexSign c) { return c.to_string(); }
    static constexpr ComplexSign conj(ComplexSign c) { return c.conj(); }
    static constexpr ComplexSign mul(ComplexSign a, ComplexSign b) { return a * b; }
    static constexpr ComplexSign one() { return ComplexSign(0); }
    static constexpr std::optional<ComplexSign> from_exact(Complex z) {
        const double re = z.real(), im = z.imag();
        if (im == 0.0 && re == 1.0) return ComplexSign(0);
        if (re == 0.0 && im == 1.0) return ComplexSign(1);
        if (im == 0.0 && re == -1.0) return ComplexSign(2);
        if (re == 0.0 && im == -1.0) return ComplexSign(3);
        return std::nullopt;
    }
    static std::optional<ComplexSign> parse_trimmed(std::string_view s) {
        const auto z = text::parse_complex(s);
        if (!z) return std::nullopt;
        return from_exact(*z);
    }
};

template <>
struct NumReprTraits<Unity> {
    static constexpr std::string_view name = "Unity";
    static std::string fmt(Unity) { return {}; }
    static constexpr Unity conj(Unity u) { return u; }
    static constexpr Unity mul(Unity, Unity) { return {}; }
    static constexpr Unity one() { return {}; }
    static constexpr std::optional<Unity> from_exact(Complex z) {
        if (z.real() == 1.0 && z.imag() == 0.0) return Unity{};
        return std::nullopt;
    }
};

// The five coefficient kinds.
template <class T>
concept NumRepr = requires(const T& v, Complex z) {
    { NumReprTraits<T>::name } -> std::convertible_to<std::string_view>;
    { NumReprTraits<T>::fmt(v) } -> std::same_as<std::string>;
    { NumReprTraits<T>::conj(v) } -> std::same_as<T>;
    { NumReprTraits<T>::from_exact(z) } -> std::same_as<std::optional<T>>;
};

// The kinds that can be parsed from text (all but Unity).
template <class T>
concept ParsableNumRepr = NumRepr<T> && requires(std::string_view s) {
    { NumReprTraits<T>::parse_trimmed(s) } -> std::same_as<std::optional<T>>;
};

// What a conversion may start from: a coefficient or an unsigned integer.
template <class S>
concept ReprSource = NumRepr<S> || std::same_as<S, uint64_t>;

template <ReprSource S>
constexpr std::string_view num_type_name() {
    if constexpr (std::same_as<S, uint64_t>) return "usize";
    else return NumReprTraits<S>::name;
}

template <ReprSource S>
std::string fmt_num(const S& v) {
    if constexpr (std::same_as<S, uint64_t>) return std::to_string(v);
    else return NumReprTraits<S>::fmt(v);
}

// The exact value of a source as a complex number.
template <ReprSource S>
constexpr Complex exact_value(const S& v) {
    if constexpr (std::same_as<S, uint64_t>) return {static_cast<double>(v), 0.0};
    else if constexpr (std::same_as<S, double>) return {v, 0.0};
    else if constexpr (std::same_as<S, Complex>) return v;
    else if constexpr (std::same_as<S, Sign>) return {v.to_real(), 0.0};
    else if constexpr (std::same_as<S, ComplexSign>) return v.to_complex();
    else return {1.0, 0.0};
}

// The source as a value of kind T, or Unrepresentable when T cannot hold it exactly.
template <NumRepr T, ReprSource S>
constexpr std::expected<T, Unrepresentable> try_represent_any(const S& v) {
    if constexpr (std::same_as<T, S>) {
        return v;  // a kind holds itself as is (a ComplexSign keeps its byte, a NaN stays)
    } else {
        if (auto r = NumReprTraits<T>::from_exact(exact_value(v))) return *r;
        return std::unexpected(Unrepresentable{fmt_num(v), std::string(num_type_name<S>()),
                                               std::string(NumReprTraits<T>::name)});
    }
}

// Reads a coefficient from text trimmed of white space; a refusal shows the text as given.
template <ParsableNumRepr T>
std::expected<T, Unrepresentable> parse_num(std::string_view s) {
    if (auto r = NumReprTraits<T>::parse_trimmed(text::trim(s))) return *r;
    return std::unexpected(Unrepresentable{std::string(s), "&str", std::string(NumReprTraits<T>::name)});
}

template <NumRepr T>
constexpr T num_conj(const T& v) {
    return NumReprTraits<T>::conj(v);
}

// a * b; for complex numbers in the written-out order of scaled_complex (a scales b).
template <NumRepr T>
constexpr T num_mul(const T& a, const T& b) {
    return NumReprTraits<T>::mul(a, b);
}

template <NumRepr T>
constexpr T num_one() {
    return NumReprTraits<T>::one();
}

}  // namespace vemo
