// Fermion mode spaces: every fermion object lives on one, and objects combine
// only when their spaces are equal.
#pragma once

#include <bit>
#include <cstdint>
#include <expected>
#include <limits>
#include <optional>
#include <string>

#include "core/base/errors.hpp"

namespace vemo::fermion {

enum class ModesKind : uint8_t { Count = 0, SpinMajorPairs = 1, SpinMinorPairs = 2 };

// A mode space: n modes, or n spin-orbital pairs (2n modes) in one of two
// orderings. Modes are numbered 0..len()-1 whatever the kind; the kind is only
// carried and compared.
class Modes {
public:
    // The largest pair count whose mode count still fits in 64 bits.
    static constexpr uint64_t max_pair_count = std::numeric_limits<uint64_t>::max() >> 1;

    constexpr Modes() = default;

    static constexpr Modes count(uint64_t n) { return Modes(ModesKind::Count, n); }
    // Refuses pair counts whose mode count would overflow.
    static constexpr std::optional<Modes> try_pairs(ModesKind kind, uint64_t n) {
        if (kind != ModesKind::Count && n > max_pair_count) return std::nullopt;
        return Modes(kind, n);
    }
    static constexpr Modes spin_major_pairs(uint64_t n) { return pairs_or_fail(ModesKind::SpinMajorPairs, n); }
    static constexpr Modes spin_minor_pairs(uint64_t n) { return pairs_or_fail(ModesKind::SpinMinorPairs, n); }

    // ceil(log2 d) modes; d = 0 and d = 1 both give none.
    static constexpr Modes from_fock_space_dim(uint64_t d) {
        if (d <= 1) return count(0);
        const uint64_t k = std::bit_width(d);
        return count(std::has_single_bit(d) ? k - 1 : k);
    }

    constexpr ModesKind kind() const { return kind_; }
    constexpr uint64_t n() const { return n_; }
    // Number of modes.
    constexpr uint64_t len() const { return kind_ == ModesKind::Count ? n_ : n_ << 1; }

    constexpr bool operator==(const Modes&) const = default;

private:
    constexpr Modes(ModesKind kind, uint64_t n) : kind_(kind), n_(n) {}
    static constexpr Modes pairs_or_fail(ModesKind kind, uint64_t n) {
        auto m = try_pairs(kind, n);
        if (!m) internal_failure("pair count " + std::to_string(n) + " overflows the mode count");
        return *m;
    }

    ModesKind kind_ = ModesKind::Count;
    uint64_t n_ = 0;
};

// Two objects that must share one mode space do not.
struct DifferentSpaces {
    bool operator==(const DifferentSpaces&) const = default;
    std::string message() const { return "Qubits-based objects are based on different qubit spaces."; }
    std::string debug() const { return "DifferentSpaces"; }
};

inline std::expected<void, DifferentSpaces> check_same_space(const Modes& a, const Modes& b) {
    if (a == b) return {};
    return std::unexpected(DifferentSpaces{});
}

}  // namespace vemo::fermion
