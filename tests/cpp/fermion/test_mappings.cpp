// The Bravyi-Kitaev position sets against their definition by the ranges of
// modes whose parities the qubits hold, for registers beyond what dense
// matrices reach. (The mapped operators are checked from Python.)
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "core/fermion/mappings/sets.hpp"

namespace {

using namespace vemo::fermion::mappings;

// Qubit i of the Bravyi-Kitaev encoding holds the parity of modes lo(i)..i.
uint64_t lo(uint64_t i) { return i + 1 - ((i + 1) & -(i + 1)); }
bool inside(uint64_t a, uint64_t b) { return lo(b) <= lo(a) && a <= b; }  // range a within range b

// The maximal ranges among those of qubits below j that satisfy `keep`.
template <class Keep>
std::set<uint64_t> maximal_below(uint64_t j, Keep keep) {
    std::set<uint64_t> out;
    for (uint64_t i = 0; i < j; ++i) {
        if (!keep(i)) continue;
        bool covered = false;
        for (uint64_t k = 0; k < j; ++k) covered |= k != i && keep(k) && inside(i, k);
        if (!covered) out.insert(i);
    }
    return out;
}

std::set<uint64_t> as_set(const std::vector<uint64_t>& v) { return {v.begin(), v.end()}; }

TEST(MappingSets, BravyiKitaevMatchesFenwickRanges) {
    using M = bk::BravyiKitaevMapper;
    for (uint64_t n = 1; n <= 70; ++n)
        for (uint64_t j = 0; j < n; ++j) {
            std::set<uint64_t> update;
            for (uint64_t i = j + 1; i < n; ++i)
                if (inside(j, i)) update.insert(i);
            const auto parity = maximal_below(j, [&](uint64_t i) { return i < j; });
            const auto flip = maximal_below(j, [&](uint64_t i) { return inside(i, j); });
            std::set<uint64_t> rho;
            for (uint64_t p : parity)
                if (!flip.count(p)) rho.insert(p);
            ASSERT_EQ(as_set(M::update_set(j, n)), update) << n << " " << j;
            ASSERT_EQ(as_set(M::parity_set(j)), parity) << j;
            ASSERT_EQ(as_set(M::rho_set(j)), rho) << j;
        }
}

}  // namespace
