// Term sets that run out of memory for real, at many margins so that list, map
// and coefficients each in turn cannot grow: each row is all or nothing, the
// three stay in step and the next call works; a refused insertion and a failed
// rebuild from a dense vector leave the caller's elements as they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "../common/address_limit.hpp"
#include "core/container/bit_matrix.hpp"
#include "core/container/bit_rows_dense.hpp"
#include "core/container/list_ops.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/state.hpp"

using namespace vemo;

namespace {

constexpr uint64_t kib = uint64_t{1} << 10, mib = uint64_t{1} << 20;

// The map registers every element of the list at its index, and nothing else.
template <class L>
bool map_describes(const L& list, const Map& map) {
    bool ok = map.size() == list.size();
    for (uint64_t i = 0; ok && i < list.size(); ++i) ok = SetView<L>(list, map).lookup(list.row(i)) == std::optional(i);
    return ok;
}

// Components k = 1, 2, ... of one word with coefficient k, added to an empty
// set one at a time or 64 at a time, until memory runs out.
template <class V>
void check_scaled_add_rolls_back() {
    using S = typename V::Scalar;
    uint64_t failures = 0;
    for (uint64_t margin = 0; margin <= 5 * mib / 2; margin += 96 * kib)
        for (const uint64_t batch : {1, 64}) {
            BitMatrix list{0, 64}, rhs{batch, 64};
            Map map;
            V coeffs;
            const TermSetMutView<BitMatrix, V> terms{list, map, coeffs};
            uint64_t next = 1;
            const auto add = [&] {
                for (uint64_t i = 0; i < batch; ++i) rhs.row_mut(i)[0] = next++;
                const auto coeff = [&](uint64_t i) { return S(1.0 * rhs.row(i)[0]); };
                if (batch == 1) scaled_iadd_u64it(terms, rhs.row(0), coeff(0));
                if (batch > 1) scaled_iadd_each(terms, rhs, batch, [&](uint64_t i) { return std::optional(coeff(i)); });
            };
            failures += out_of_memory_under(margin, [&] { while (next < 1 << 16) add(); });
            ASSERT_TRUE(coeffs.size() == list.size() && map_describes(list, map));
            for (uint64_t i = 0; i < list.size(); ++i) ASSERT_EQ(coeffs.get(i), S(1.0 * list.row(i)[0]));
            const uint64_t n = list.size();
            add();  // the next call works
            ASSERT_EQ(list.size(), n + batch);
        }
    EXPECT_GT(failures, 20u);
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
    uint64_t failures = 0, inserted = 0;
    for (uint64_t margin = 0; margin <= 5 * mib / 2; margin += 96 * kib) {
        failures += out_of_memory_under(margin, [&] {
            for (int k = 0; k < 1 << 15; ++k, ++inserted) {
                other.row_mut(0)[0] = inserted + 1;
                ASSERT_EQ(mapped_insert(SetMutView<BitMatrix>(list, map), other, 0), inserted);
            }
        });
        ASSERT_TRUE(list.size() == inserted && map_describes(list, map));
    }
    EXPECT_GT(failures, 0u);

    // With a coefficient, where list and map have room: the coefficients' growth to 4 MiB (a fresh mapping) fails.
    BitMatrix list2(0, 64);
    Map map2;
    ComplexVec coeffs;
    list2.reserve(1 << 18);
    map2.reserve(1 << 18);
    uint64_t k = 0;
    const auto insert = [&] { TermSetMutView{list2, map2, coeffs}.insert_u64it_or_get_index(std::span(&k, 1), 1.0); };
    for (; k < 1 << 17; ++k) insert();
    ASSERT_TRUE(out_of_memory_under(mib, insert));
    ASSERT_TRUE(coeffs.size() == list2.size() && map_describes(list2, map2));
}

TEST(TermSetRollback, FailedRebuildFromDenseKeepsTheCallersTerms) {
#ifdef VEMO_TEST_SANITIZED
    GTEST_SKIP() << "sanitizer build";
#endif
    using States = qubit::state::CmpntList;
    States list(qubit::Qubits::from_count(20));
    Map map;
    RealVec coeffs;
    const TermSetMutView<States, RealVec> terms{list, map, coeffs};
    for (uint64_t row = 0; row < 3000; row += 3) scaled_iadd_u64it(terms, std::span<const uint64_t>(&row, 1), 0.5);
    const States list0 = list;
    const RealVec coeffs0 = coeffs;
    const std::vector<double> source(uint64_t{1} << 20, 1.0);
    const auto rebuild = [&] { ASSERT_TRUE(bit_rows::assign_from_dense(terms, std::span(source), false)); };
    uint64_t failures = 0;
    for (uint64_t margin = 0; margin < 1024 * mib && out_of_memory_under(margin, rebuild); margin = 2 * margin + mib) {
        ++failures;
        ASSERT_TRUE(list == list0 && coeffs == coeffs0 && map_describes(list, map));
    }
    EXPECT_GT(failures, 0u);
    ASSERT_TRUE(coeffs.size() == source.size() && map_describes(list, map));
}
