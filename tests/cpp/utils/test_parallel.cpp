// The work split over threads: every chunk exactly once, the first exception
// rethrown on the calling thread, no thread left once a call returns, and the
// thread count following the affinity mask.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include <sched.h>

#include "core/utils/parallel.hpp"

using namespace vemo;

namespace {

// The threads of this process now.
size_t thread_count() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// Whether the count comes back to `n` within two seconds: a joined thread has
// run to its end, but the kernel may list it a moment longer.
bool count_returns_to(size_t n) {
    for (int k = 0; k < 2000; ++k) {
        if (thread_count() == n) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// The count once threads have been started before (some runtimes, as
// sanitizers, add a helper thread of their own then).
size_t settled_thread_count() {
    for_each_chunk(2, 2, [](uint64_t) { std::this_thread::yield(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return thread_count();
}

}  // namespace

TEST(Parallel, EveryChunkOnceAndNoThreadLeft) {
    const size_t before = settled_thread_count();
    for (unsigned threads : {1u, 2u, 5u, 64u}) {
        for (uint64_t n_chunks : {0u, 1u, 3u, 1000u}) {
            std::vector<std::atomic<int>> seen(n_chunks);
            std::atomic<size_t> most{0};
            for_each_chunk(threads, n_chunks, [&](uint64_t c) {
                seen[c].fetch_add(1);
                const size_t now = thread_count();
                for (size_t m = most.load(); now > m && !most.compare_exchange_weak(m, now);) {
                }
            });
            for (uint64_t c = 0; c < n_chunks; ++c) EXPECT_EQ(seen[c].load(), 1) << threads << " " << c;
            EXPECT_TRUE(count_returns_to(before));
            // Threads were started where there was work to share.
            if (threads > 1 && n_chunks == 1000) {
                EXPECT_GT(most.load(), before);
            }
            if (threads == 1 || n_chunks <= 1) {
                EXPECT_EQ(most.load(), n_chunks ? before : 0u);
            }
        }
    }
}

TEST(Parallel, FirstErrorReachesTheCaller) {
    const size_t before = settled_thread_count();
    std::atomic<uint64_t> ran{0};
    EXPECT_THROW(for_each_chunk(4, 10000,
                                [&](uint64_t c) {
                                    ++ran;
                                    if (c == 10) throw std::runtime_error("chunk 10");
                                }),
                 std::runtime_error);
    EXPECT_TRUE(count_returns_to(before));
    EXPECT_LT(ran.load(), 10000u);  // the handing out stopped
    EXPECT_THROW(for_each_chunk(1, 3, [](uint64_t) { throw std::runtime_error("one"); }), std::runtime_error);
}

TEST(Parallel, ThreadCountFollowsTheAffinityMask) {
    cpu_set_t all;
    CPU_ZERO(&all);
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(usable_cpus(), static_cast<unsigned>(CPU_COUNT(&all)));
    int first = 0;
    while (!CPU_ISSET(first, &all)) ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    const unsigned limited = usable_cpus();
    const unsigned big_job = threads_for(uint64_t{1} << 40, 1, 64);
    ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(limited, 1u);
    EXPECT_EQ(big_job, 1u);
    // Small jobs stay on one thread; the cap holds.
    EXPECT_EQ(threads_for(999, 1000, 64), 1u);
    EXPECT_LE(threads_for(uint64_t{1} << 40, 1, 2), 2u);
    EXPECT_EQ(threads_for(uint64_t{1} << 40, 1, 64), std::min(64u, usable_cpus()));
}
