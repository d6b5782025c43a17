// The word-parallel compatibility matrix against a position-by-position count
// of anticommuting factors, for every specialised word count, and the
// centralizer against its rows; the sort's distinct-key path bit-equal to the
// Lomuto quicksort.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/qubit/pauli_array_algebra.hpp"
#include "core/qubit/pauli_sort.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;

namespace {

bool commute_by_positions(const CmpntList& l, uint64_t i, uint64_t j) {
    int anti = 0;
    for (uint64_t q = 0; q < l.n_qubit(); ++q) {
        const PauliMatrix a = l.get_pauli_unchecked(i, q), b = l.get_pauli_unchecked(j, q);
        anti += a != PauliMatrix::I && b != PauliMatrix::I && a != b;
    }
    return anti % 2 == 0;
}

// Strings with a factor at one position in `sparsity`; diagonal ones hold only
// Z factors but for an X at position 0 of the first, so that most of them
// commute with everything.
CmpntList random_list(std::mt19937_64& rng, uint64_t n_qubit, uint64_t m, uint64_t sparsity, bool diagonal = false) {
    CmpntList l(Qubits::from_count(n_qubit));
    l.resize(m);
    for (uint64_t i = 0; i < m; ++i)
        for (uint64_t q = 0; q < n_qubit; ++q)
            if (rng() % sparsity == 0)
                l.set_pauli_unchecked(i, q, diagonal ? PauliMatrix::Z : static_cast<PauliMatrix>(1 + rng() % 3));
    if (diagonal && m > 0 && n_qubit > 0) l.set_pauli_unchecked(0, 0, PauliMatrix::X);
    return l;
}

}  // namespace

class Compatibility : public ::testing::TestWithParam<uint64_t> {};

TEST_P(Compatibility, MatchesPositionCount) {
    std::mt19937_64 rng(GetParam());
    const uint64_t n_qubit = GetParam();
    for (uint64_t m : {0u, 1u, 63u, 130u, 131u}) {
        const CmpntList l = random_list(rng, n_qubit, m, 1 + n_qubit / 8, m % 2 == 1);
        const U8Matrix c = compatibility_u8(l);
        ASSERT_EQ(c.n_rows, m);
        for (uint64_t i = 0; i < m; ++i)
            for (uint64_t j = 0; j < m; ++j) ASSERT_EQ(c.at(i, j), commute_by_positions(l, i, j)) << i << ", " << j;
        // The centralizer through a basis of the span equals the rows of ones.
        const auto [cen, rem] = centralizer_and_remainder(l);
        uint64_t k = 0;
        for (uint64_t i = 0; i < m; ++i)
            if (std::all_of(c.data.begin() + i * m, c.data.begin() + (i + 1) * m, [](uint8_t b) { return b; })) {
                ASSERT_TRUE(words_equal(cen.elem_u64it(k++), l.elem_u64it(i)));
            }
        ASSERT_EQ(cen.size(), k);
        ASSERT_EQ(rem.size(), m - k);
    }
}

INSTANTIATE_TEST_SUITE_P(WordCounts, Compatibility, ::testing::Values(0, 5, 64, 100, 190, 256, 300));

TEST(PauliSort, DistinctKeyPathEqualsQuicksort) {
    std::mt19937_64 rng(3);
    for (uint64_t n_qubit : {3u, 64u, 130u})
        for (bool ascending : {true, false})
            for (int rep = 0; rep < 20; ++rep) {
                // Few qubits give repeated strings (the quicksort itself); many give distinct ones.
                const CmpntList l0 = random_list(rng, n_qubit, rng() % 300, 2);
                ComplexVec c0 = ComplexVec::new_with_len(l0.size() + 2);
                for (uint64_t i = 0; i < c0.size(); ++i) c0.set(i, {double(i), 0});
                CmpntList fast = l0, slow = l0;
                ComplexVec cf = c0, cs = c0;
                ASSERT_TRUE(lexicographic_sort(fast, cf, ascending));
                quicksort(slow, cs, ascending);
                ASSERT_EQ(fast, slow);
                ASSERT_EQ(cf, cs);
            }
}
