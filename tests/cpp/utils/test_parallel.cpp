// The work split over threads: every chunk exactly once, the first exception
// stopping the work and rethrown on the calling thread, no thread left once a
// call returns, and the thread count following the affinity mask.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <vector>

#include <sched.h>

#include "core/utils/parallel.hpp"

using namespace vemo;
using namespace std::chrono_literals;

namespace {

size_t thread_count() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

// A joined thread has run to its end, but the kernel may list it a moment longer.
bool count_returns_to(size_t n) {
    for (int k = 0; k < 2000 && thread_count() != n; ++k) std::this_thread::sleep_for(1ms);
    return thread_count() == n;
}

}  // namespace

TEST(Parallel, EveryChunkOnceFirstErrorRethrownNoThreadLeft) {
    for_each_chunk(2, 2, [](uint64_t) {});  // runtimes such as the sanitizers' add a thread at the first start
    std::this_thread::sleep_for(50ms);
    const size_t before = thread_count();
    for (unsigned threads : {1u, 5u, 64u})
        for (uint64_t n_chunks : {0u, 1u, 1000u}) {
            std::vector<std::atomic<int>> seen(n_chunks);
            std::atomic<bool> more_threads{false};
            for_each_chunk(threads, n_chunks, [&](uint64_t c) {
                seen[c].fetch_add(1);
                if (thread_count() > before) more_threads = true;
            });
            for (uint64_t c = 0; c < n_chunks; ++c) EXPECT_EQ(seen[c].load(), 1) << threads << " " << c;
            EXPECT_TRUE(count_returns_to(before));
            // Threads are started (before any chunk runs) only where there is work to share.
            EXPECT_EQ(more_threads.load(), threads > 1 && n_chunks > 1) << threads << " " << n_chunks;
        }
    // The chunks would take a quarter of a second at least: the error stops them.
    std::atomic<uint64_t> ran{0};
    EXPECT_THROW(for_each_chunk(4, 10000,
                                [&](uint64_t c) {
                                    ++ran;
                                    if (c == 10) throw std::runtime_error("chunk 10");
                                    std::this_thread::sleep_for(100us);
                                }),
                 std::runtime_error);
    EXPECT_TRUE(count_returns_to(before));
    EXPECT_LT(ran.load(), 10000u);
}

TEST(Parallel, ThreadCountFollowsTheAffinityMask) {
    cpu_set_t all, one;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(usable_cpus(), static_cast<unsigned>(CPU_COUNT(&all)));
    CPU_ZERO(&one);
    for (int c = 0; CPU_COUNT(&one) == 0; ++c)
        if (CPU_ISSET(c, &all)) CPU_SET(c, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    const unsigned big_job_on_one = threads_for(uint64_t{1} << 40, 1, 64);
    ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(big_job_on_one, 1u);
    EXPECT_EQ(threads_for(999, 1000, 64), 1u);  // a small job stays on one thread
    for (unsigned cap : {1u, 2u, 64u}) EXPECT_EQ(threads_for(uint64_t{1} << 40, 1, cap), std::min(cap, usable_cpus()));
}
