// Growth that runs out of memory leaves fermion lists as they were: the two
// planes of a normal list, and the tables and lengths of a general list, stay
// in step. Memory runs out for real: the address space is limited to what the
// process maps now plus a budget while one push runs, for budgets from none
// upwards, so that each allocation in turn is the first one to fail.
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

// The sanitizers' shadow memory needs the address space.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VEMO_TEST_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VEMO_TEST_SANITIZED
#endif
#endif

constexpr uint64_t mib = uint64_t{1} << 20;

// Runs `push` under budgets of 0, 1/2, 1, ... MiB until it succeeds, with
// `check(failed)` after each try; returns the number of failures.
template <class Push, class Check>
uint64_t failures_before_push(Push&& push, Check&& check) {
    uint64_t failures = 0;
    for (uint64_t budget = 0; budget <= 256 * mib; budget += mib / 2, ++failures) {
        vemo::BlockCache::instance().release();  // kept blocks would serve the growth
        uint64_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit old{};
        getrlimit(RLIMIT_AS, &old);
        const rlimit tight{pages * static_cast<uint64_t>(sysconf(_SC_PAGE_SIZE)) + budget, old.rlim_max};
        setrlimit(RLIMIT_AS, &tight);
        bool failed = false;
        try {
            push();
        } catch (const std::bad_alloc&) {
            failed = true;
        } catch (const std::length_error&) {
            failed = true;
        }
        setrlimit(RLIMIT_AS, &old);
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
