// The error of an operation that needs one coefficient per component and was
// given fewer; a ValueError in Python.
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

}  // namespace vemo
