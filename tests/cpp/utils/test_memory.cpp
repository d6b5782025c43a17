// The allocation guard: sizes within the machine's memory pass, larger ones
// (including products beyond 64 bits) are refused with their size, and the
// thrown refusal is a std::bad_alloc.
#include <gtest/gtest.h>

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
    const std::string tail =
        " bytes): more than the " + std::to_string(physical_memory_bytes()) + " bytes of memory this machine has.";
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
