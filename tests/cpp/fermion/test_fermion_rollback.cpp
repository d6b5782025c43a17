// Growth that runs out of memory leaves fermion lists as they were: the two
// planes of a normal list, and the tables and lengths of a general list, stay
// in step. Memory runs out for real: the address space is limited to what the
// process maps now plus a budget while one push runs, for budgets from none
// upwards, so that each allocation in turn is the first one to fail.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "../common/address_limit.hpp"
#include "core/fermion/general.hpp"
#include "core/fermion/normal.hpp"

using namespace vemo::fermion;

namespace {

constexpr uint64_t mib = uint64_t{1} << 20;

// Runs `push` under budgets of 0, 1/2, 1, ... MiB until it succeeds, with
// `check(failed)` after each try; returns the number of failures.
template <class Push, class Check>
uint64_t failures_before_push(Push&& push, Check&& check) {
    uint64_t failures = 0;
    for (uint64_t budget = 0; budget <= 256 * mib; budget += mib / 2, ++failures) {
        const bool failed = out_of_memory_under(budget, push);
        check(failed);
        if (!failed) break;
    }
    return failures;
}

}  // namespace

TEST(FermionListRollback, PlanesAndTablesStayInStep) {
#ifdef VEMO_TEST_SANITIZED
    GTEST_SKIP() << "sanitizer build";
#endif
    // Normal: 1024 modes, 16 words per row and plane, 16 MiB per plane. The
    // creation plane has room for one more row, the annihilation plane must move.
    const uint64_t n = 16 * mib / (16 * 8);
    normal::CmpntList l(Modes::count(1024));
    l.resize(n);
    l.cre_row_mut(n - 1)[0] = 5;
    l.cre_mut().reserve(n + 1);
    EXPECT_GT(failures_before_push([&] { l.push_identity(); }, [&](bool failed) {
        ASSERT_EQ(l.size(), n + !failed);
        ASSERT_TRUE(l.cre().size() == l.size() && l.ann().size() == l.size() && l.cre_row(n - 1)[0] == 5);
    }), 0u);
    // General: 2^20 products of at most 8 operators on 64 modes, 8 MiB for each
    // of indices, flags and lengths; every part is full, so all three grow.
    const uint64_t m = uint64_t{1} << 20;
    general::CmpntList g(8, Modes::count(64));
    const std::vector<uint64_t> inds{3, 1};
    const std::vector<bool> flags{true, false};
    for (uint64_t i = 0; i < m; ++i) g.push(inds, flags);
    EXPECT_GT(failures_before_push([&] { g.push(inds, flags); }, [&](bool failed) {
        ASSERT_EQ(g.size(), m + !failed);
        ASSERT_TRUE(g.mode_inds().n_rows() == g.size() && g.adj().n_rows() == g.size());
    }), 0u);
    EXPECT_EQ(g.get(m), g.get(0));
}
