// Work split over the CPUs the process may run on. A call stays synchronous:
// its threads are started for that call and joined before it returns, and
// they only compute into buffers the caller owns (nothing of Python, no state
// shared between calls), so no thread outlives the call and a later fork is
// safe.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

namespace vemo {

// The number of CPUs this process may run on: its affinity mask, so limits
// set by taskset, cgroups' cpusets and the like count; at least 1.
inline unsigned usable_cpus() {
#if defined(__linux__)
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0) return static_cast<unsigned>(n);
    }
#endif
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

// Threads for `work` units: as many as give each at least `per_thread` units,
// at most `cap` and the usable CPUs; 1 for small jobs.
inline unsigned threads_for(uint64_t work, uint64_t per_thread, unsigned cap) {
    const uint64_t by_work = per_thread == 0 ? UINT64_MAX : work / per_thread;
    return static_cast<unsigned>(std::max<uint64_t>(1, std::min<uint64_t>({by_work, cap, usable_cpus()})));
}

// Calls f(c) once for every chunk c in [0, n_chunks), on `threads` threads:
// the calling thread and threads - 1 started here, all joined before the
// return. Chunks are handed out in ascending order to whichever thread is
// free. A thread that cannot be started (no memory for its stack) leaves its
// share to the others.
//
// f must neither allocate nor throw: the caller allocates its scratch before
// the call, so that a shortage of memory is refused on the calling thread.
// On a thread started here the first exception makes the C++ runtime allocate
// that thread's data, and when that allocation fails (an address-space limit)
// the C library aborts the process. An exception that f throws all the same
// (an internal failure) stops the handing out and is rethrown here once every
// thread has stopped.
template <class F>
void for_each_chunk(unsigned threads, uint64_t n_chunks, F&& f) {
    if (threads <= 1 || n_chunks <= 1) {
        for (uint64_t c = 0; c < n_chunks; ++c) f(c);
        return;
    }
    std::atomic<uint64_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex error_mutex;
    auto run = [&]() noexcept {
        try {
            for (uint64_t c; !failed.load(std::memory_order_relaxed) &&
                             (c = next.fetch_add(1, std::memory_order_relaxed)) < n_chunks;)
                f(c);
        } catch (...) {
            std::lock_guard lock(error_mutex);
            if (!error) error = std::current_exception();
            failed = true;
        }
    };
    {
        std::vector<std::jthread> workers;
        try {
            const auto extra = static_cast<unsigned>(std::min<uint64_t>(threads, n_chunks)) - 1;
            workers.reserve(extra);
            for (unsigned t = 0; t < extra; ++t) workers.emplace_back(run);
        } catch (const std::system_error&) {
        } catch (const std::bad_alloc&) {
        }
        run();
    }  // joins the workers
    if (error) std::rethrow_exception(error);
}

}  // namespace vemo
