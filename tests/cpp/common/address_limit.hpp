// Running out of memory for real in a test: the address space is limited to
// what the process maps now plus a margin while one call runs.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <new>
#include <stdexcept>

#include "core/container/huge_alloc.hpp"

// The sanitizers' shadow memory needs the address space: such tests skip there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VEMO_TEST_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VEMO_TEST_SANITIZED
#endif
#endif

// Runs f with the address space limited to what the process maps now plus
// `margin` bytes: true when f ran out of memory.
template <class F>
bool out_of_memory_under(uint64_t margin, F&& f) {
    vemo::BlockCache::instance().release();  // kept blocks would serve the growth
    uint64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    const rlimit tight{pages * static_cast<uint64_t>(sysconf(_SC_PAGE_SIZE)) + margin, old.rlim_max};
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
