// Growth that runs out of memory leaves fermion lists as they were: the two
// planes of a normal list, and the tables and lengths of a general list, stay
// in step. Memory runs out for real: the address space is limited to what the
// process maps now plus a small budget while one append runs.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <fstream>
#include <new>
#include <vector>

#include "core/container/huge_alloc.hpp"
#include "core/fermion/general.hpp"
#include "core/fermion/normal.hpp"

using namespace vemo::fermion;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool can_limit_memory = false;  // the sanitizers' shadow memory needs the address space
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool can_limit_memory = false;
#else
constexpr bool can_limit_memory = true;
#endif
#else
constexpr bool can_limit_memory = true;
#endif

uint64_t mapped_bytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t pages = 0;
    statm >> pages;
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGE_SIZE));
}

// Runs f with the address space limited to the bytes mapped now plus `budget`;
// true when f ran out of memory (std::bad_alloc or std::length_error).
template <class F>
bool runs_out(uint64_t budget, F&& f) {
    vemo::BlockCache::instance().release();  // kept blocks would serve the growth
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    rlimit tight = old;
    tight.rlim_cur = mapped_bytes() + budget;
    setrlimit(RLIMIT_AS, &tight);
    bool failed = false;
    try {
        f();
    } catch (const std::bad_alloc&) {
        failed = true;
    } catch (const std::length_error&) {
        failed = true;
    }
    setrlimit(RLIMIT_AS, &old);
    return failed;
}

constexpr uint64_t mib = uint64_t{1} << 20;

}  // namespace

TEST(NormalListRollback, PlaneThatCannotGrowLeavesBoth) {
    if (!can_limit_memory) GTEST_SKIP() << "sanitizer build";
    // 1024 modes: 16 words per row and plane, 16 MiB per plane. The creation
    // plane has room for one more row, the annihilation plane must move.
    const uint64_t n = 16 * mib / (16 * 8);
    normal::CmpntList l(Modes::count(1024));
    l.resize(n);
    l.cre_row_mut(n - 1)[0] = 5;
    l.cre_mut().reserve(n + 1);
    ASSERT_TRUE(runs_out(mib, [&] { l.push_identity(); }));
    EXPECT_EQ(l.size(), n);
    EXPECT_EQ(l.cre().size(), n);
    EXPECT_EQ(l.ann().size(), n);
    EXPECT_EQ(l.cre_row(n - 1)[0], 5u);
    l.push_identity();
    EXPECT_EQ(l.size(), n + 1);
    EXPECT_EQ(l.ann().size(), n + 1);
}

TEST(GeneralListRollback, RowsAndLengthsStayInStep) {
    if (!can_limit_memory) GTEST_SKIP() << "sanitizer build";
    // 2^20 products of at most 8 operators on 64 modes: a word of indices, a
    // word of flags and a length each, 8 MiB per part; every part is full, so
    // one more product grows all three. Budgets from none upwards make each
    // allocation in turn the first one to fail.
    const uint64_t n = uint64_t{1} << 20;
    general::CmpntList l(8, Modes::count(64));
    const std::vector<uint64_t> inds{3, 1};
    const std::vector<bool> flags{true, false};
    for (uint64_t i = 0; i < n; ++i) l.push(inds, flags);
    uint64_t failures = 0;
    for (uint64_t budget = 0; budget <= 256 * mib; budget += mib / 2) {
        const bool failed = runs_out(budget, [&] { l.push(inds, flags); });
        ASSERT_EQ(l.size(), n + !failed);
        ASSERT_EQ(l.mode_inds().n_rows(), l.size());
        ASSERT_EQ(l.adj().n_rows(), l.size());
        if (!failed) break;
        ++failures;
    }
    EXPECT_GT(failures, 0u);
    EXPECT_EQ(l.size(), n + 1);
    EXPECT_EQ(l.get(n), l.get(0));
}
