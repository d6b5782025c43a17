// The allocation guard: sizes within the limit pass, larger ones (including
// products beyond 64 bits) are refused with their size and the limit that
// refused them, and the thrown refusal is a std::bad_alloc. The cgroup limit
// is read from made-up trees of /proc and /sys files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "core/utils/memory.hpp"

using namespace vemo;

TEST(AllocationGuard, PassesWhatFitsRefusesWhatDoesNot) {
    const uint64_t limit = max_allocation_bytes();
    ASSERT_GT(limit, uint64_t{1} << 20);
    EXPECT_LE(limit, physical_memory_bytes());
    // The last cases: about 2^128 entries, which no 64-bit product could say,
    // and 2^124 entries whose 2^128 bytes would wrap 128 bits to 0.
    for (const auto& [count, item_bytes, fits] : std::vector<std::tuple<AllocationCount, uint64_t, bool>>{
             {limit, 1, true}, {limit / 8, 8, true}, {0, UINT64_MAX, true}, {limit + 1, 1, false},
             {limit / 8 + 1, 8, false}, {1, UINT64_MAX, false}, {count_product(UINT64_MAX, UINT64_MAX), 16, false},
             {AllocationCount{1} << 124, 16, false}})
        EXPECT_EQ(check_allocation("x", count, item_bytes).has_value(), fits) << uint64_t(count) << " x " << item_bytes;
}

TEST(AllocationGuard, MessageNamesTheBufferAndItsSize) {
    const MemoryLimit limit{uint64_t{1} << 32, MemoryLimit::physical};
    const std::string tail = " bytes): more than " + limit.text() + ".";
    EXPECT_EQ(AllocationRefused({"one", 1, UINT64_MAX, limit}).message(),
              "Cannot allocate one of 1 entry (18446744073709551615" + tail);
    // 2^126 entries of 3 bytes stay below 2^128 bytes; of 4 bytes they reach it.
    const std::string n126 = "Cannot allocate a of 85070591730234615865843651857942052864 entries (";
    EXPECT_EQ(AllocationRefused({"a", AllocationCount{1} << 126, 3, limit}).message(),
              n126 + "255211775190703847597530955573826158592" + tail);
    EXPECT_EQ(AllocationRefused({"a", AllocationCount{1} << 126, 4, limit}).message(), n126 + "over 2^128" + tail);
}

TEST(AllocationGuard, ThrownRefusalIsBadAllocCarryingTheSize) {
    EXPECT_EQ(guard_allocation("admitted", count_product(3, 5), 8), 15u);  // the count, for the allocation
    try {
        guard_allocation("a sparse matrix", uint64_t{1} << 62, 24);
        FAIL() << "not refused";
    } catch (const std::bad_alloc& e) {
        const auto* r = dynamic_cast<const AllocationRefusedError*>(&e);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->refused, (AllocationRefused{"a sparse matrix", AllocationCount{1} << 62, 24, allocation_limit()}));
    }
}

TEST(AllocationGuard, MessageNamesTheLimitThatRefused) {
    for (const auto& [kind, says] : std::vector<std::pair<MemoryLimit::Kind, std::string>>{
             {MemoryLimit::physical, "of memory this machine has"},
             {MemoryLimit::cgroup, "this process may use (cgroup limit)"},
             {MemoryLimit::address_space, "this process may use (address-space limit)"},
             {MemoryLimit::data_size, "this process may use (data-size limit)"}})
        EXPECT_EQ(AllocationRefused({"a", 5, 8, {uint64_t{1} << 32, kind}}).message(),
                  "Cannot allocate a of 5 entries (40 bytes): more than the 4294967296 bytes " + says + ".");
}

TEST(AllocationGuard, LimitIsTheSmallestOfThoseThatApply) {
    const MemoryLimit limit = allocation_limit();
    EXPECT_EQ(max_allocation_bytes(), limit.bytes);
    EXPECT_EQ(limit.bytes, std::min({physical_memory_bytes(), cgroup_memory_limit("/"), rlimit_bytes(RLIMIT_AS),
                                     rlimit_bytes(RLIMIT_DATA), uint64_t{PTRDIFF_MAX}}));
    EXPECT_EQ(fixed_allocation_limit().bytes,
              std::min({physical_memory_bytes(), cgroup_memory_limit("/"), uint64_t{PTRDIFF_MAX}}));
}

// Made-up trees: the process's cgroup, the mounts and the files below the root.
TEST(CgroupMemoryLimit, ReadsTheProcessCgroupAndItsAncestors) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("vemo_cgroups_" + std::to_string(::getpid()));
    const auto mount = [](const std::string& from, const std::string& at, const char* type = "cgroup2 cgroup2 rw") {
        return "1 0 0:26 " + from + " " + at + " rw shared:4 - " + type + "\n";
    };
    const std::string v2 = "sys/fs/cgroup/", v1 = v2 + "memory/",
                      v1_mounts = mount("/", "/sys/fs/cgroup/memory", "cgroup cgroup rw,memory") +
                                  mount("/", "/sys/fs/cgroup/cpu", "cgroup cgroup rw,cpu"),
                      hybrid = v1_mounts + mount("/", "/sys/fs/cgroup/unified");
    const uint64_t none = UINT64_MAX;
    struct Case {
        const char* name;
        std::string cgroup, mounts;
        std::map<std::string, std::string> files;
        uint64_t limit;
    };
    for (const auto& [name, cgroup, mounts, files, limit] : std::vector<Case>{
             {"v2 container", "0::/pods/p1", mount("/pods/p1", "/sys/fs/cgroup"), {{v2 + "memory.max", "5000"}}, 5000},
             {"v2 below the mount root, \"max\" below a limit", "0::/pods/p1/c", mount("/pods", "/mnt/cg"),
              {{"mnt/cg/p1/c/memory.max", "max"}, {"mnt/cg/p1/memory.max", "5000"}}, 5000},
             {"v2 outside the mount", "0::/pods/p10", mount("/pods/p1", "/mnt/cg"), {{"mnt/cg/memory.max", "1"}}, none},
             {"v1", "4:memory:/job\n3:cpu:/job", v1_mounts,
              {{v1 + "job/memory.limit_in_bytes", "5000"}, {v2 + "cpu/job/memory.limit_in_bytes", "1"}}, 5000},
             {"v1 and v2", "4:memory:/job\n0::/job", hybrid,
              {{v1 + "job/memory.limit_in_bytes", "8000"}, {v2 + "unified/job/memory.max", "5000"}}, 5000},
             {"v1 none (2^63 less a page), v2 max", "4:blkio,memory:/job\n0::/job", hybrid,
              {{v1 + "job/memory.limit_in_bytes", "9223372036854771712"}, {v2 + "unified/job/memory.max", "max"}},
              none},
             {"garbage", "nonsense\n::\n0::\n7", "1 2 3\n - \n1 2 3 4 5 6 - cgroup2\n" + mount("/", "/sys/fs/cgroup"),
              {{v2 + "memory.max", "12abc"}}, none}}) {
        fs::remove_all(root);
        auto all = files;
        all.insert({{"proc/self/cgroup", cgroup}, {"proc/self/mountinfo", mounts}});
        for (const auto& [path, text] : all) {
            fs::create_directories((root / path).parent_path());
            std::ofstream(root / path) << text << "\n";
        }
        EXPECT_EQ(cgroup_memory_limit(root), limit) << name;
    }
    fs::remove_all(root);
}
