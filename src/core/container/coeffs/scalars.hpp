// The coefficient scalars besides real and complex: Sign, ComplexSign, Unity,
// and the complex arithmetic that every coefficient kernel spells out.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <string>

#include "core/container/coeffs/text.hpp"

namespace vemo {

// +1 or -1; the flag set means -1.
struct Sign {
    bool is_minus_one = false;

    constexpr Sign() = default;
    constexpr explicit Sign(bool minus) : is_minus_one(minus) {}

    constexpr bool operator==(const Sign&) const = default;
    constexpr Sign operator*(Sign o) const { return Sign(is_minus_one != o.is_minus_one); }
    constexpr Sign& operator*=(Sign o) {
        is_minus_one = is_minus_one != o.is_minus_one;
        return *this;
    }
    constexpr double to_real() const { return is_minus_one ? -1.0 : 1.0; }
    std::string to_string() const { return is_minus_one ? "-1" : "+1"; }
};

// i to the power (power mod 4). The byte is kept as given; every reading of the
// value reduces it, and products add bytes with wrap-around (256 is a multiple of 4).
struct ComplexSign {
    uint8_t power = 0;

    constexpr ComplexSign() = default;
    constexpr explicit ComplexSign(uint8_t p) : power(p) {}

    // The power of i in 0..3.
    constexpr uint8_t value() const { return power & 3; }
    constexpr bool operator==(const ComplexSign& o) const { return value() == o.value(); }
    constexpr ComplexSign operator*(ComplexSign o) const { return ComplexSign(static_cast<uint8_t>(power + o.power)); }
    constexpr ComplexSign& operator*=(ComplexSign o) {
        power = static_cast<uint8_t>(power + o.power);
        return *this;
    }
    // (p * e) mod 4 as the non-negative residue, for any exponent.
    constexpr ComplexSign ipow(int32_t e) const {
        const int64_t r = (static_cast<int64_t>(value()) * e) % 4;
        return ComplexSign(static_cast<uint8_t>(r < 0 ? r + 4 : r));
    }
    constexpr ComplexSign conj() const { return ComplexSign(static_cast<uint8_t>((4 - value()) & 3)); }
    // The exact complex value, zeros signed as a multiplication by i would give them.
    constexpr Complex to_complex() const {
        switch (value()) {
            case 0: return {1.0, 0.0};
            case 1: return {0.0, 1.0};
            case 2: return {-1.0, -0.0};
            default: return {-0.0, -1.0};
        }
    }
    std::string to_string() const {
        static constexpr const char* names[] = {"+1", "+i", "-1", "-i"};
        return names[value()];
    }
};

// Always 1; holds nothing.
struct Unity {
    constexpr bool operator==(const Unity&) const { return true; }
    constexpr Unity operator*(Unity) const { return {}; }
    constexpr Unity& operator*=(Unity) { return *this; }
    std::string to_string() const { return {}; }
};

// ---- complex arithmetic, written out so that infinities and NaN follow one fixed order ----

// s * z with re = s.re z.re - s.im z.im and im = s.im z.re + s.re z.im.
constexpr Complex scaled_complex(Complex s, Complex z) {
    const double re = s.real() * z.real() - s.imag() * z.imag();
    const double im = s.imag() * z.real() + s.real() * z.imag();
    return {re, im};
}

inline double magnitude(Complex z) { return std::hypot(z.real(), z.imag()); }

// |a - b| <= atol + rtol |b|; false whenever a NaN is involved.
inline bool is_close(Complex a, Complex b, double rtol, double atol) {
    return magnitude(Complex(a.real() - b.real(), a.imag() - b.imag())) <= atol + rtol * magnitude(b);
}

// The exact zero test of accumulation: -0.0 is zero, NaN never.
constexpr bool is_exact_zero(double x) { return x == 0.0; }
constexpr bool is_exact_zero(Complex z) { return z.real() == 0.0 && z.imag() == 0.0; }

}  // namespace vemo
