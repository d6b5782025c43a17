// How much memory one allocation may take, and the one guard for buffers whose
// size comes from the user: checked before allocating, since an allocation
// could otherwise be granted (overcommitted) and fail only when its pages are
// first written, which stops the process instead of returning an error.
//
// The limit is the smallest of the machine's physical memory, the memory limit
// of the process's cgroup (v1 or v2, with those of its ancestors), both read
// once at the first use, and the address-space and data-size rlimits, read at
// each request of 1 MiB or more (a program may lower them at any time). A
// limit caps one request; memory already in use is not counted.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <expected>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <ranges>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/checked.hpp"

namespace vemo {

// Bytes of physical memory; UINT64_MAX when the system does not say.
inline uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page <= 0) return UINT64_MAX;
    return saturating_mul(static_cast<uint64_t>(pages), static_cast<uint64_t>(page));
}

namespace memory_limits_detail {

// The text of a small file; empty when it cannot be read.
inline std::string file_text(const std::filesystem::path& p) {
    std::string text;
    if (FILE* f = std::fopen(p.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

inline std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    for (const auto part : std::views::split(s, sep)) parts.emplace_back(part.begin(), part.end());
    return parts;
}

inline bool lists(std::string_view comma_list, std::string_view name) {
    const auto names = split(comma_list, ',');
    return std::ranges::find(names, name) != names.end();
}

// The bytes a cgroup limit file allows; UINT64_MAX for none: "max" (v2), a
// value from 2^62 up (v1 says none with 2^63 rounded down to a page), or a
// file missing or not a number.
inline uint64_t limit_file_bytes(const std::filesystem::path& p) {
    const std::string t = file_text(p);
    const char* end = t.data() + t.size();
    uint64_t v = 0;
    const auto [stop, ec] = std::from_chars(t.data(), end, v);
    if (ec != std::errc{} || (stop != end && *stop != '\n') || v >= uint64_t{1} << 62) return UINT64_MAX;
    return v;
}

// The smallest limit from the cgroup's directory (rel, below the mount's top)
// up to the top: the limits of the ancestors apply as well.
inline uint64_t smallest_up_to_top(const std::filesystem::path& top, std::string_view rel, const char* file) {
    while (rel.ends_with('/')) rel.remove_suffix(1);
    uint64_t least = UINT64_MAX;
    for (;;) {
        least = std::min(least, limit_file_bytes(top / std::filesystem::path(rel).relative_path() / file));
        if (rel.empty()) return least;
        const size_t slash = rel.rfind('/');
        rel = rel.substr(0, slash == std::string_view::npos ? 0 : slash);
    }
}

}  // namespace memory_limits_detail

// The memory limit of the process's cgroup, read below root (root/proc/self/
// cgroup, root/proc/self/mountinfo and the cgroup files they point to);
// UINT64_MAX for none. Both hierarchies count when both are mounted (v2's
// memory.max, v1's memory.limit_in_bytes). A mount shows the hierarchy from
// its root field down (a container's cgroup namespace shows its own cgroup as
// "/"), so the process's cgroup path is taken relative to it. Anything
// missing or malformed gives no limit.
inline uint64_t cgroup_memory_limit(const std::filesystem::path& root) {
    using namespace memory_limits_detail;
    std::optional<std::string> v2, v1;  // the process's cgroup in each hierarchy
    const std::string cgroups = file_text(root / "proc/self/cgroup");
    for (const std::string_view line : split(cgroups, '\n')) {
        const size_t a = line.find(':'), b = line.find(':', a + 1);  // id:controllers:path
        if (b == std::string_view::npos) continue;
        const std::string_view id = line.substr(0, a), controllers = line.substr(a + 1, b - a - 1);
        if (id == "0" && controllers.empty())
            v2.emplace(line.substr(b + 1));
        else if (lists(controllers, "memory"))
            v1.emplace(line.substr(b + 1));
    }
    uint64_t least = UINT64_MAX;
    const std::string mounts = file_text(root / "proc/self/mountinfo");
    for (const std::string_view line : split(mounts, '\n')) {
        // id parent dev root mountpoint options [optional fields] - type source super-options
        const auto f = split(line, ' ');
        const auto dash = std::find(f.begin() + std::min<size_t>(f.size(), 6), f.end(), "-");
        if (f.end() - dash < 4) continue;
        const bool is_v2 = dash[1] == "cgroup2", is_v1 = dash[1] == "cgroup" && lists(dash[3], "memory");
        const std::optional<std::string>& path = is_v2 ? v2 : v1;
        std::string_view mount_root = f[3];
        while (mount_root.ends_with('/')) mount_root.remove_suffix(1);
        if (!(is_v2 || is_v1) || !path || !path->starts_with(mount_root) ||
            (path->size() > mount_root.size() && (*path)[mount_root.size()] != '/'))
            continue;  // not a memory hierarchy, or the process's cgroup is not below this mount
        least = std::min(least, smallest_up_to_top(root / std::filesystem::path(f[4]).relative_path(),
                                                   std::string_view(*path).substr(mount_root.size()),
                                                   is_v2 ? "memory.max" : "memory.limit_in_bytes"));
    }
    return least;
}

// The soft limit of an rlimit resource in bytes; UINT64_MAX when unlimited.
inline uint64_t rlimit_bytes(decltype(RLIMIT_AS) resource) {
    rlimit r{};
    if (getrlimit(resource, &r) != 0 || r.rlim_cur == RLIM_INFINITY) return UINT64_MAX;
    return r.rlim_cur;
}

// A ceiling on one allocation and what sets it.
struct MemoryLimit {
    enum Kind { physical, cgroup, address_space, data_size };
    uint64_t bytes = UINT64_MAX;
    Kind kind = physical;

    bool operator==(const MemoryLimit&) const = default;

    // What a refusal says of it: "the N bytes ...".
    std::string text() const {
        static constexpr const char* says[] = {" bytes of memory this machine has",
                                               " bytes this process may use (cgroup limit)",
                                               " bytes this process may use (address-space limit)",
                                               " bytes this process may use (data-size limit)"};
        return "the " + std::to_string(bytes) + says[kind];
    }
};

// The limits read once, at the first use: physical memory and the cgroup's
// (the smaller; physical memory on a tie), never more than a pointer
// difference can span.
inline const MemoryLimit& fixed_allocation_limit() {
    static const MemoryLimit limit = [] {
        MemoryLimit least{physical_memory_bytes(), MemoryLimit::physical};
        if (const uint64_t cgroup = cgroup_memory_limit("/"); cgroup < least.bytes)
            least = {cgroup, MemoryLimit::cgroup};
        least.bytes = std::min(least.bytes, static_cast<uint64_t>(PTRDIFF_MAX));
        return least;
    }();
    return limit;
}

// The limit in force now: the smallest of the fixed limits and the
// address-space and data-size rlimits (read here, one system call each; the
// first named on a tie).
inline MemoryLimit allocation_limit() {
    MemoryLimit least = fixed_allocation_limit();
    for (const MemoryLimit l : {MemoryLimit{rlimit_bytes(RLIMIT_AS), MemoryLimit::address_space},
                                MemoryLimit{rlimit_bytes(RLIMIT_DATA), MemoryLimit::data_size}})
        if (l.bytes < least.bytes) least = l;
    return least;
}

// Requests smaller than this are checked against the fixed limits alone: no
// address-space or data-size limit under which a Python process runs is as
// small, and reading them would slow every small call.
inline constexpr uint64_t small_request_bytes = uint64_t{1} << 20;

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

// A buffer refused before anything was allocated: what it was for, its size
// (count items of item_bytes each) and the limit that refused it.
struct AllocationRefused {
    std::string what;
    AllocationCount count = 0;
    uint64_t item_bytes = 0;
    MemoryLimit limit;

    bool operator==(const AllocationRefused&) const = default;

    std::string message() const {
        const bool wraps = item_bytes != 0 && count > ~AllocationCount{0} / item_bytes;
        const std::string size = wraps ? "over 2^128" : decimal(count * item_bytes);
        return "Cannot allocate " + what + " of " + decimal(count) + (count == 1 ? " entry (" : " entries (") + size +
               " bytes): more than " + limit.text() + ".";
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

// The most bytes one allocation may ask for now.
inline uint64_t max_allocation_bytes() { return allocation_limit().bytes; }

// Whether count items of item_bytes each fit in memory.
[[nodiscard]] inline std::expected<void, AllocationRefused> check_allocation(const char* what, AllocationCount count,
                                                                             uint64_t item_bytes) {
    // count <= limit < 2^63 keeps the product within 128 bits.
    const auto within = [&](uint64_t limit) { return count <= limit && count * item_bytes <= limit; };
    if (count < small_request_bytes && count * item_bytes < small_request_bytes &&
        within(fixed_allocation_limit().bytes)) [[likely]]
        return {};
    const MemoryLimit now = allocation_limit();
    if (within(now.bytes)) return {};
    return std::unexpected(AllocationRefused{what, count, item_bytes, now});
}

// The same check, throwing AllocationRefusedError on refusal; returns the
// count admitted (below 2^63, so it fits a size). A buffer that holds `held`
// items already (its capacity) passes a count within them at once: that
// request allocates nothing, as the growing of a list by one row mostly does.
inline uint64_t guard_allocation(const char* what, AllocationCount count, uint64_t item_bytes, uint64_t held = 0) {
    if (count <= held) [[likely]]
        return static_cast<uint64_t>(count);
    if (auto r = check_allocation(what, count, item_bytes); !r) throw AllocationRefusedError(std::move(r.error()));
    return static_cast<uint64_t>(count);
}

// a * b without overflow, for the guard.
inline AllocationCount count_product(uint64_t a, uint64_t b) { return AllocationCount{a} * b; }

}  // namespace vemo
