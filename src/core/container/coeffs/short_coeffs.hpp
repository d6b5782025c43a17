// The errors of a coefficient vector whose length does not fit its component
// list: too few for an input that needs one coefficient per component
// (ShortCoeffs), or not exactly one per component for an output that must stay
// in step with its list (UnequalCoeffs). Both are ValueErrors in Python.
#pragma once

#include <cstdint>
#include <expected>
#include <string>

namespace vemo {

struct ShortCoeffs {
    uint64_t n_coeffs = 0;
    uint64_t n_cmpnts = 0;

    bool operator==(const ShortCoeffs&) const = default;
    std::string message() const {
        return "Coefficient vector of length " + std::to_string(n_coeffs) +
               " is shorter than the component list of length " + std::to_string(n_cmpnts) + ".";
    }
    std::string debug() const {
        return "ShortCoeffs(" + std::to_string(n_coeffs) + ", " + std::to_string(n_cmpnts) + ")";
    }
};

inline std::expected<void, ShortCoeffs> check_one_coeff_each(uint64_t n_coeffs, uint64_t n_cmpnts) {
    if (n_coeffs >= n_cmpnts) return {};
    return std::unexpected(ShortCoeffs{n_coeffs, n_cmpnts});
}

struct UnequalCoeffs {
    uint64_t n_coeffs = 0;
    uint64_t n_cmpnts = 0;

    bool operator==(const UnequalCoeffs&) const = default;
    std::string message() const {
        return "Coefficient vector of length " + std::to_string(n_coeffs) +
               " does not match the component list of length " + std::to_string(n_cmpnts) + ".";
    }
    std::string debug() const {
        return "UnequalCoeffs(" + std::to_string(n_coeffs) + ", " + std::to_string(n_cmpnts) + ")";
    }
};

inline std::expected<void, UnequalCoeffs> check_one_coeff_exactly(uint64_t n_coeffs, uint64_t n_cmpnts) {
    if (n_coeffs == n_cmpnts) return {};
    return std::unexpected(UnequalCoeffs{n_coeffs, n_cmpnts});
}

}  // namespace vemo
