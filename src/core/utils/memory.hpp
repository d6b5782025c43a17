// How much memory the machine has, and the one guard for buffers whose size
// comes from the user: checked before allocating, since an allocation could
// otherwise be granted (overcommitted) and fail only when its pages are first
// written, which stops the process instead of returning an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include <unistd.h>

#include "core/base/checked.hpp"

namespace vemo {

// Bytes of physical memory; UINT64_MAX when the system does not say.
inline uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page <= 0) return UINT64_MAX;
    return saturating_mul(static_cast<uint64_t>(pages), static_cast<uint64_t>(page));
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

using AllocationCount = unsigned __int128;  // a product of two 64-bit sizes never overflows it

// A buffer refused before anything was allocated: what it was for and its
// size, count items of item_bytes each.
struct AllocationRefused {
    std::string what;
    AllocationCount count = 0;
    uint64_t item_bytes = 0;

    bool operator==(const AllocationRefused&) const = default;

    std::string message() const {
        const bool wraps = item_bytes != 0 && count > ~AllocationCount{0} / item_bytes;
        const std::string size = wraps ? "over 2^128" : decimal(count * item_bytes);
        return "Cannot allocate " + what + " of " + decimal(count) + (count == 1 ? " entry (" : " entries (") + size +
               " bytes): more than the " + std::to_string(physical_memory_bytes()) +
               " bytes of memory this machine has.";
    }

    static std::string decimal(AllocationCount v) {
        std::string s;
        do {
            s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
            v /= 10;
        } while (v != 0);
        return s;
    }
};

// The refusal thrown where a size cannot be reported as a value (deep inside
// an algorithm or a constructor). An AllocRefused carrying the message, so
// every rollback written for a failed allocation applies to it too.
struct AllocationRefusedError : AllocRefused {
    AllocationRefused refused;
    explicit AllocationRefusedError(AllocationRefused r) : AllocRefused(r.message()), refused(std::move(r)) {}
};

// The most bytes one allocation may ask for: the machine's memory, and never
// more than a pointer difference can span.
inline uint64_t max_allocation_bytes() {
    static const uint64_t limit = [] {
        const uint64_t phys = physical_memory_bytes();
        const uint64_t addressable = static_cast<uint64_t>(PTRDIFF_MAX);
        return phys < addressable ? phys : addressable;
    }();
    return limit;
}

// Whether count items of item_bytes each fit in memory.
[[nodiscard]] inline std::expected<void, AllocationRefused> check_allocation(const char* what, AllocationCount count,
                                                                             uint64_t item_bytes) {
    const uint64_t limit = max_allocation_bytes();
    // count <= limit < 2^63 keeps the product within 128 bits.
    if (count <= limit && count * item_bytes <= limit) return {};
    return std::unexpected(AllocationRefused{what, count, item_bytes});
}

// The same check, throwing AllocationRefusedError on refusal; returns the
// count admitted (below 2^63, so it fits a size).
inline uint64_t guard_allocation(const char* what, AllocationCount count, uint64_t item_bytes) {
    if (auto r = check_allocation(what, count, item_bytes); !r) throw AllocationRefusedError(std::move(r.error()));
    return static_cast<uint64_t>(count);
}

// a * b without overflow, for the guard.
inline AllocationCount count_product(uint64_t a, uint64_t b) { return AllocationCount{a} * b; }

}  // namespace vemo
