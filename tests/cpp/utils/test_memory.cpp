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
    const std::string tail = " bytes): more than " + allocation_limit().text() + ".";
    EXPECT_EQ(AllocationRefused({"one", 1, UINT64_MAX}).message(),
              "Cannot allocate one of 1 entry (18446744073709551615" + tail);
    // 2^126 entries of 3 bytes stay below 2^128 bytes; of 4 bytes they reach it.
    const std::string n126 = "Cannot allocate a of 85070591730234615865843651857942052864 entries (";
    EXPECT_EQ(AllocationRefused({"a", AllocationCount{1} << 126, 3}).message(),
              n126 + "255211775190703847597530955573826158592" + tail);
    EXPECT_EQ(AllocationRefused({"a", AllocationCount{1} << 126, 4}).message(), n126 + "over 2^128" + tail);
}

TEST(AllocationGuard, ThrownRefusalIsBadAllocCarryingTheSize) {
    EXPECT_EQ(guard_allocation("admitted", count_product(3, 5), 8), 15u);  // the count, for the allocation
    try {
        guard_allocation("a sparse matrix", uint64_t{1} << 62, 24);
        FAIL() << "not refused";
    } catch (const std::bad_alloc& e) {
        const auto* r = dynamic_cast<const AllocationRefusedError*>(&e);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->refused, (AllocationRefused{"a sparse matrix", AllocationCount{1} << 62, 24}));
    }
}

TEST(AllocationGuard, MessageNamesTheLimitThatRefused) {
    const std::string head = "Cannot allocate a of 5 entries (40 bytes): more than the 4294967296 bytes ";
    for (const auto& [kind, says] : std::vector<std::pair<MemoryLimit::Kind, std::string>>{
             {MemoryLimit::physical, "of memory this machine has."},
             {MemoryLimit::cgroup, "this process may use (cgroup limit)."},
             {MemoryLimit::address_space, "this process may use (address-space limit)."},
             {MemoryLimit::data_size, "this process may use (data-size limit)."}})
        EXPECT_EQ(AllocationRefused({"a", 5, 8}).message({uint64_t{1} << 32, kind}), head + says);
}

namespace {

namespace fs = std::filesystem;

// A tree of files (path below the root: text) in a fresh directory.
struct Tree {
    fs::path root = fs::temp_directory_path() / ("vemo_cgroups_" + std::to_string(::getpid()));
    explicit Tree(const std::map<std::string, std::string>& files) {
        fs::remove_all(root);
        for (const auto& [path, text] : files) {
            fs::create_directories((root / path).parent_path());
            std::ofstream(root / path) << text;
        }
    }
    ~Tree() { fs::remove_all(root); }
};

const std::string v2_mount = "30 23 0:26 / /sys/fs/cgroup rw,nosuid shared:4 - cgroup2 cgroup2 rw\n";
const std::string v1_mount = "35 31 0:32 / /sys/fs/cgroup/memory rw,relatime - cgroup cgroup rw,memory\n"
                             "32 31 0:29 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu\n";
const std::string unified_mount = "41 31 0:38 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n";
// v2 mounted from a cgroup below the hierarchy's top.
std::string v2_mount_of(const std::string& root, const std::string& at) {
    return "1 0 0:26 " + root + " " + at + " rw - cgroup2 cgroup2 rw\n";
}
const uint64_t none = UINT64_MAX;

}  // namespace

TEST(CgroupMemoryLimit, ReadsTheProcessCgroupAndItsAncestors) {
    using Files = std::map<std::string, std::string>;
    const std::string cgroup = "proc/self/cgroup", mounts = "proc/self/mountinfo";
    const std::string v2 = "sys/fs/cgroup/", v1 = "sys/fs/cgroup/memory/";
    for (const auto& [name, files, limit] : std::vector<std::tuple<const char*, Files, uint64_t>>{
             {"v2 number", {{cgroup, "0::/job\n"}, {mounts, v2_mount}, {v2 + "job/memory.max", "4294967296\n"}},
              4294967296},
             {"v2 max", {{cgroup, "0::/job\n"}, {mounts, v2_mount}, {v2 + "job/memory.max", "max\n"}}, none},
             {"v2 smaller parent",
              {{cgroup, "0::/a/b/c\n"}, {mounts, v2_mount}, {v2 + "a/b/c/memory.max", "8000000000\n"},
               {v2 + "a/b/memory.max", "max\n"}, {v2 + "a/memory.max", "2000000000\n"}},
              2000000000},
             // A container's own cgroup mounted as its /sys/fs/cgroup: the process's cgroup is the mount's top.
             {"v2 container",
              {{cgroup, "0::/pods/p1\n"}, {mounts, v2_mount_of("/pods/p1", "/sys/fs/cgroup")},
               {v2 + "memory.max", "1073741824\n"}},
              1073741824},
             {"v2 mount root stripped",
              {{cgroup, "0::/pods/p1/c\n"}, {mounts, v2_mount_of("/pods/p1/", "/mnt/cg")},
               {"mnt/cg/c/memory.max", "max\n"}, {"mnt/cg/memory.max", "1073741824\n"}},
              1073741824},
             {"v2 outside the mount root",
              {{cgroup, "0::/pods/p10\n"}, {mounts, v2_mount_of("/pods/p1", "/mnt/cg")},
               {"mnt/cg/memory.max", "1073741824\n"}},
              none},
             {"v1 number",
              {{cgroup, "4:memory:/job\n3:cpu:/job\n0::/\n"}, {mounts, v1_mount},
               {v1 + "job/memory.limit_in_bytes", "536870912\n"}, {v2 + "cpu/job/memory.limit_in_bytes", "1\n"}},
              536870912},
             {"v1 none",
              {{cgroup, "4:blkio,memory:/job\n"}, {mounts, v1_mount},
               {v1 + "job/memory.limit_in_bytes", "9223372036854771712\n"},
               {v1 + "memory.limit_in_bytes", "9223372036854771712\n"}},
              none},
             {"hybrid",
              {{cgroup, "4:memory:/job\n0::/job\n"}, {mounts, v1_mount + unified_mount},
               {v1 + "job/memory.limit_in_bytes", "8589934592\n"}, {v2 + "unified/job/memory.max", "3221225472\n"}},
              3221225472},
             {"hybrid, v1 only",
              {{cgroup, "4:memory:/job\n0::/job\n"}, {mounts, v1_mount + unified_mount},
               {v1 + "job/memory.limit_in_bytes", "8589934592\n"}},
              8589934592},
             {"no files", {}, none},
             {"garbage",
              {{cgroup, "nonsense\n::\n0::\n7\n"}, {mounts, "1 2 3\n - \n1 2 3 4 5 6 - cgroup2\n" + v2_mount},
               {v2 + "memory.max", "12abc\n"}},
              none},
         }) {
        Tree tree(files);
        EXPECT_EQ(cgroup_memory_limit(tree.root), limit) << name;
    }
}

TEST(AllocationGuard, LimitIsTheSmallestOfThoseThatApply) {
    const MemoryLimit& limit = allocation_limit();
    EXPECT_EQ(max_allocation_bytes(), limit.bytes);
    EXPECT_EQ(limit.bytes, std::min({physical_memory_bytes(), cgroup_memory_limit("/"), rlimit_bytes(RLIMIT_AS),
                                     rlimit_bytes(RLIMIT_DATA), uint64_t{PTRDIFF_MAX}}));
}
