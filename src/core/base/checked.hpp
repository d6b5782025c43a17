// Size arithmetic that cannot wrap. Every count, length or byte total that
// comes from a caller goes through one of three forms: the checked one (no
// value on overflow), the saturating one (UINT64_MAX) and the allocating one
// (std::bad_alloc, for a length about to grow). Buffer sizes are checked
// against memory by the guard in core/utils/memory.hpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>

namespace vemo {

static_assert(sizeof(size_t) == sizeof(uint64_t), "a 64-bit platform is assumed");

// a + b, or nothing when the sum does not fit in 64 bits.
constexpr std::optional<uint64_t> checked_add(uint64_t a, uint64_t b) {
    uint64_t r = 0;
    if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
    return r;
}

// a * b, or nothing when the product does not fit in 64 bits.
constexpr std::optional<uint64_t> checked_mul(uint64_t a, uint64_t b) {
    uint64_t r = 0;
    if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
    return r;
}

// a + b, or UINT64_MAX when the sum does not fit.
constexpr uint64_t saturating_add(uint64_t a, uint64_t b) { return checked_add(a, b).value_or(UINT64_MAX); }

// a * b, or UINT64_MAX when the product does not fit.
constexpr uint64_t saturating_mul(uint64_t a, uint64_t b) { return checked_mul(a, b).value_or(UINT64_MAX); }

// a + b as a size to allocate: std::bad_alloc when the sum does not fit.
inline uint64_t alloc_add(uint64_t a, uint64_t b) {
    const auto r = checked_add(a, b);
    if (!r) throw std::bad_alloc();
    return *r;
}

}  // namespace vemo
