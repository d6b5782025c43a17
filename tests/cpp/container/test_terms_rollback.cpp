// Term sets that run out of memory while they grow: each appended row is all
// or nothing across list, map and coefficients, so the three keep one length,
// the map describes the list, and the next call works. Memory runs out for
// real: the address space is limited to what the process maps now plus a
// margin, for many margins, so that the list, the map and the coefficients
// each in turn are the one that cannot grow. A set's own insertion changes
// nothing when refused, and a rebuild from a dense vector keeps the caller's
// terms.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <vector>

#include "../common/address_limit.hpp"
#include "core/container/bit_matrix.hpp"
#include "core/container/bit_rows_dense.hpp"
#include "core/container/huge_alloc.hpp"
#include "core/container/list_ops.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/state.hpp"

using namespace vemo;

namespace {

constexpr uint64_t kib = uint64_t{1} << 10, mib = uint64_t{1} << 20;

std::vector<uint64_t> margins() {
    std::vector<uint64_t> out;
    for (uint64_t m = 0; m <= 5 * mib / 2; m += 96 * kib) out.push_back(m);
    return out;
}

// One-word components k = 1, 2, ... added with coefficient k.
template <class V>
struct Growing {
    BitMatrix list{0, 64};
    Map map;
    V coeffs;
    uint64_t next = 1;

    TermSetMutView<BitMatrix, V> view() { return {list, map, coeffs}; }
    // One term at a time, or through the batched kernel.
    void add_one() {
        const uint64_t k = next++;
        scaled_iadd_u64it(view(), std::span<const uint64_t>(&k, 1), typename V::Scalar(static_cast<double>(k)));
    }
    void add_batch(uint64_t m) {
        BitMatrix rhs(m, 64);
        for (uint64_t i = 0; i < m; ++i) rhs.row_mut(i)[0] = next + i;
        next += m;
        scaled_iadd_each(view(), rhs, m, [&](uint64_t i) {
            return std::optional(typename V::Scalar(static_cast<double>(rhs.row(i)[0])));
        });
    }
    // Same length, every component registered at its index, its own coefficient.
    void expect_in_step() const {
        ASSERT_EQ(coeffs.size(), list.size());
        ASSERT_EQ(map.size(), list.size());
        uint64_t wrong = 0;
        for (uint64_t i = 0; i < list.size(); ++i) {
            const uint64_t k = list.row(i)[0];
            wrong += coeffs.get(i) != typename V::Scalar(static_cast<double>(k)) ||
                     SetView<BitMatrix>(list, map).lookup(list.row(i)) != std::optional<uint64_t>(i);
        }
        ASSERT_EQ(wrong, 0u);
    }
};

template <class V>
void check_scaled_add_rolls_back() {
    Growing<V> g;
    uint64_t failures = 0;
    for (uint64_t margin : margins()) {
        const bool one = margin % (192 * kib) == 0;
        failures += out_of_memory_under(margin, [&] {
            for (int k = 0; k < 1 << 16; k += one ? 1 : 64) one ? g.add_one() : g.add_batch(64);
        });
        g.expect_in_step();
        const uint64_t n = g.list.size();
        g.add_one();  // the next call works
        ASSERT_EQ(g.list.size(), n + 1);
    }
    EXPECT_GT(failures, margins().size() / 4);
    g.expect_in_step();
}

}  // namespace

TEST(TermSetRollback, ScaledAddKeepsListMapAndCoefficientsInStep) {
#ifdef VEMO_TEST_SANITIZED
    GTEST_SKIP() << "sanitizer build";
#endif
    check_scaled_add_rolls_back<RealVec>();
    check_scaled_add_rolls_back<ComplexVec>();
}

TEST(TermSetRollback, RefusedInsertionChangesNothing) {
#ifdef VEMO_TEST_SANITIZED
    GTEST_SKIP() << "sanitizer build";
#endif
    BitMatrix list(0, 64), other(1, 64);
    Map map;
    uint64_t failures = 0, next = 1, last = 0;
    for (uint64_t margin : margins()) {
        uint64_t inserted = list.size();
        failures += out_of_memory_under(margin, [&] {
            for (int k = 0; k < 1 << 15; ++k) {
                other.row_mut(0)[0] = next++;
                ASSERT_EQ(mapped_insert(SetMutView<BitMatrix>(list, map), other, 0), inserted);
                ++inserted;
                last = next - 1;
            }
        });
        // The refused element is nowhere: the list ends with the one before it.
        ASSERT_EQ(list.size(), inserted);
        ASSERT_EQ(map.size(), inserted);
        ASSERT_EQ(list.row(inserted - 1)[0], last);
    }
    EXPECT_GT(failures, 0u);
    for (uint64_t i = 0; i < list.size(); ++i)
        ASSERT_EQ(SetView<BitMatrix>(list, map).lookup(list.row(i)), std::optional<uint64_t>(i));
}

TEST(TermSetRollback, FailedRebuildFromDenseKeepsTheCallersTerms) {
#ifdef VEMO_TEST_SANITIZED
    GTEST_SKIP() << "sanitizer build";
#endif
    using States = qubit::state::CmpntList;
    const uint64_t n = 20;
    States list(qubit::Qubits::from_count(n));
    Map map;
    RealVec coeffs;
    for (uint64_t k = 0; k < 1000; ++k) {
        const uint64_t row = 3 * k;
        scaled_iadd_u64it(TermSetMutView<States, RealVec>{list, map, coeffs}, std::span<const uint64_t>(&row, 1), 0.5);
    }
    const States list0 = list;
    const RealVec coeffs0 = coeffs;
    const std::vector<double> source(uint64_t{1} << n, 1.0);
    uint64_t failures = 0;
    bool done = false;
    for (uint64_t margin = 0; !done && margin <= 64 * mib; margin += 2 * mib) {
        const bool failed = out_of_memory_under(margin, [&] {
            ASSERT_TRUE(bit_rows::assign_from_dense(TermSetMutView<States, RealVec>{list, map, coeffs},
                                                    std::span<const double>(source), false));
        });
        failures += failed;
        done = !failed;
        if (failed) {
            ASSERT_TRUE(list == list0 && coeffs == coeffs0);
            ASSERT_EQ(map.size(), list.size());
            ASSERT_EQ(SetView<States>(list, map).lookup(list.row(999)), std::optional<uint64_t>(999));
        }
    }
    EXPECT_GT(failures, 0u);
    ASSERT_TRUE(done);
    ASSERT_EQ(list.size(), source.size());
    ASSERT_EQ(map.size(), source.size());
    ASSERT_EQ(coeffs.size(), source.size());
}
