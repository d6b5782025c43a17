// How much memory the machine has: the bound beyond which a buffer cannot be
// held, checked before allocating where an allocation could otherwise be
// granted (overcommitted) and fail only when its pages are first written.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include <unistd.h>

namespace vemo {

// Bytes of physical memory; UINT64_MAX when the system does not say.
inline uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page <= 0) return UINT64_MAX;
    uint64_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<uint64_t>(pages), static_cast<uint64_t>(page), &bytes)) return UINT64_MAX;
    return bytes;
}

// A refused allocation that says what could not be allocated and how large
// it was. A std::bad_alloc, so code that rolls back on one rolls back on it;
// the binding layer raises MemoryError with this text.
class AllocRefused : public std::bad_alloc {
public:
    explicit AllocRefused(std::string what) : what_(std::make_shared<const std::string>(std::move(what))) {}
    const char* what() const noexcept override { return what_->c_str(); }

private:
    std::shared_ptr<const std::string> what_;  // shared: copying an exception must not throw
};

// The row count of a list of n rows after one more is appended. A list whose
// rows take no memory (no qubits, no modes) can hold 2^64 - 1 rows; one more
// would wrap the count to 0, so it is refused before anything changes.
[[noreturn, gnu::cold, gnu::noinline]] inline void refuse_one_more_row(uint64_t n) {
    throw AllocRefused("Cannot append a row to a list of " + std::to_string(n) +
                       " rows: the row count would pass 2^64 - 1.");
}
inline uint64_t one_more_row(uint64_t n) {
    if (n == UINT64_MAX) [[unlikely]]
        refuse_one_more_row(n);
    return n + 1;
}

}  // namespace vemo
