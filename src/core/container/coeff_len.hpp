// The error of an output coefficient vector that must stay in step with its
// component list and does not: one coefficient per component, no more, no
// fewer. (Too few coefficients for an input is ShortCoeffs.)
#pragma once

#include <cstdint>
#include <expected>
#include <string>

namespace vemo {

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
