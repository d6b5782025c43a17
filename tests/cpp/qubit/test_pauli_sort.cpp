// The sort's distinct-key path bit-equal to the Lomuto quicksort. (The
// compatibility kernels are checked from Python for every word count.)
#include <gtest/gtest.h>

#include <random>

#include "core/qubit/pauli_sort.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;

namespace {

// Strings with a factor at each position with probability 1/2.
CmpntList random_list(std::mt19937_64& rng, uint64_t n_qubit, uint64_t m) {
    CmpntList l(Qubits::from_count(n_qubit));
    l.resize(m);
    for (uint64_t i = 0; i < m; ++i)
        for (uint64_t q = 0; q < n_qubit; ++q)
            if (rng() % 2 == 0) l.set_pauli_unchecked(i, q, static_cast<PauliMatrix>(1 + rng() % 3));
    return l;
}

}  // namespace

TEST(PauliSort, DistinctKeyPathEqualsQuicksort) {
    std::mt19937_64 rng(3);
    for (uint64_t n_qubit : {3u, 64u, 130u})
        for (bool ascending : {true, false})
            for (int rep = 0; rep < 20; ++rep) {
                // Few qubits give repeated strings (the quicksort itself); many give distinct ones.
                const CmpntList l0 = random_list(rng, n_qubit, rng() % 300);
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
