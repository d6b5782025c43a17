// The position sets that define the Majorana strings of a fermion-to-qubit
// mapping. For mode j of n, a mapping kind supplies
//   update_set(j, n)  U(j): positions that take an X in both strings,
//   parity_set(j)     P(j): positions that take a Z in c_j,
//   rho_set(j)        R(j): positions that take a Z in d_j,
// each lying strictly above or strictly below j, so that no position of a
// string receives two codes. Positions are 0-based.
#pragma once

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstdint>
#include <vector>

namespace vemo::fermion::mappings {

namespace traits {

template <class M>
concept UpdateParityRho = requires(uint64_t j, uint64_t n) {
    { M::update_set(j, n) } -> std::same_as<std::vector<uint64_t>>;
    { M::parity_set(j) } -> std::same_as<std::vector<uint64_t>>;
    { M::rho_set(j) } -> std::same_as<std::vector<uint64_t>>;
};

}  // namespace traits

namespace detail {

// 0, 1, ..., j-1.
inline std::vector<uint64_t> below(uint64_t j) {
    std::vector<uint64_t> out(j);
    for (uint64_t p = 0; p < j; ++p) out[p] = p;
    return out;
}

constexpr uint64_t lowbit(uint64_t x) { return x & (~x + 1); }

}  // namespace detail

namespace jw {

// Occupations stored directly: mode j's parity is that of all modes below it.
struct JordanWignerMapper {
    static std::vector<uint64_t> update_set(uint64_t, uint64_t) { return {}; }
    static std::vector<uint64_t> parity_set(uint64_t j) { return detail::below(j); }
    static std::vector<uint64_t> rho_set(uint64_t j) { return detail::below(j); }
};

}  // namespace jw

namespace parity {

// Qubit j stores the parity of modes 0..j.
struct ParityMapper {
    static std::vector<uint64_t> update_set(uint64_t j, uint64_t n) {
        std::vector<uint64_t> out;
        for (uint64_t u = j + 1; u < n; ++u) out.push_back(u);
        return out;
    }
    static std::vector<uint64_t> parity_set(uint64_t j) {
        if (j == 0) return {};
        return {j - 1};
    }
    static std::vector<uint64_t> rho_set(uint64_t) { return {}; }
};

}  // namespace parity

namespace bk {

// Qubit j stores the parity of a Fenwick-tree range of modes ending at j.
struct BravyiKitaevMapper {
    // The qubits whose ranges contain mode j, above j.
    static std::vector<uint64_t> update_set(uint64_t j, uint64_t n) {
        std::vector<uint64_t> out;
        uint64_t m = j | (j + 1);
        uint64_t s = (j + 1) + detail::lowbit(j + 1);
        while (m < n) {
            out.push_back(m);
            const uint64_t next = s + detail::lowbit(s);
            if (next < s) break;  // the chain has left the 64-bit range
            s = next;
            m = s - 1;
        }
        return out;
    }
    // The qubits whose ranges together cover modes 0..j-1.
    static std::vector<uint64_t> parity_set(uint64_t j) {
        std::vector<uint64_t> out;
        for (uint64_t k = j; k != 0; k &= k - 1) out.push_back(k - 1);
        return out;
    }
    // P(j) for even j; for odd j, P(j) without the flip set: the qubits
    // below j whose ranges lie inside j's own.
    static std::vector<uint64_t> rho_set(uint64_t j) {
        std::vector<uint64_t> p = parity_set(j);
        if (j % 2 == 0) return p;
        std::vector<uint64_t> flip;
        const uint64_t stop = j & (j + 1);
        uint64_t v = j;
        do {
            flip.push_back(v - 1);
            v &= v - 1;
        } while (v != stop);
        std::erase_if(p, [&](uint64_t x) { return std::ranges::find(flip, x) != flip.end(); });
        return p;
    }
};

}  // namespace bk

static_assert(traits::UpdateParityRho<jw::JordanWignerMapper>);
static_assert(traits::UpdateParityRho<parity::ParityMapper>);
static_assert(traits::UpdateParityRho<bk::BravyiKitaevMapper>);

}  // namespace vemo::fermion::mappings
