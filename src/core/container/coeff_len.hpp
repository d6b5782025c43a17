// The error of a coefficient vector whose length does not fit its component
// list: shorter than an operation that reads one coefficient per component
// needs, or (for an output kept in step with its list) not of equal length.
#pragma once

#include <cstdint>
#include <expected>
#include <string>

namespace vemo {

struct CoeffLenError {
    uint64_t n_coeffs = 0;
    uint64_t n_cmpnts = 0;
    bool need_equal = false;  // false: at least n_cmpnts coefficients are needed

    bool operator==(const CoeffLenError&) const = default;
    std::string message() const {
        return "Coefficient vector of length " + std::to_string(n_coeffs) +
               (need_equal ? " does not match" : " is shorter than") + " the component list of length " +
               std::to_string(n_cmpnts) + ".";
    }
    std::string debug() const {
        return "CoeffLenError(" + std::to_string(n_coeffs) + ", " + std::to_string(n_cmpnts) + ")";
    }
};

// At least one coefficient per component.
inline std::expected<void, CoeffLenError> check_coeffs_cover(uint64_t n_coeffs, uint64_t n_cmpnts) {
    if (n_coeffs >= n_cmpnts) return {};
    return std::unexpected(CoeffLenError{n_coeffs, n_cmpnts, false});
}

// Exactly one coefficient per component.
inline std::expected<void, CoeffLenError> check_coeffs_match(uint64_t n_coeffs, uint64_t n_cmpnts) {
    if (n_coeffs == n_cmpnts) return {};
    return std::unexpected(CoeffLenError{n_coeffs, n_cmpnts, true});
}

}  // namespace vemo
