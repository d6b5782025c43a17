// The allocation guard: sizes within the machine's memory pass, larger ones
// (including products beyond 64 bits) are refused with their size, and the
// thrown refusal is a std::bad_alloc.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "core/utils/memory.hpp"

using namespace vemo;

TEST(AllocationGuard, PassesWhatFitsRefusesWhatDoesNot) {
    const uint64_t limit = max_allocation_bytes();
    ASSERT_GT(limit, uint64_t{1} << 20);
    EXPECT_LE(limit, physical_memory_bytes());
    EXPECT_TRUE(check_allocation("x", limit, 1));
    EXPECT_TRUE(check_allocation("x", limit / 8, 8));
    EXPECT_TRUE(check_allocation("x", 0, UINT64_MAX));
    EXPECT_FALSE(check_allocation("x", limit + 1, 1));
    EXPECT_FALSE(check_allocation("x", limit / 8 + 1, 8));
    EXPECT_FALSE(check_allocation("x", 1, UINT64_MAX));
    // 2^64 * 2^64 entries: no 64-bit product could say this size.
    EXPECT_FALSE(check_allocation("x", count_product(UINT64_MAX, UINT64_MAX), 16));
    EXPECT_EQ(count_product(uint64_t{1} << 40, uint64_t{1} << 40), AllocationCount{1} << 80);
}

TEST(AllocationGuard, MessageNamesTheBufferAndItsSize) {
    const std::string phys = std::to_string(physical_memory_bytes());
    auto r = check_allocation("a dense state vector", uint64_t{1} << 40, 16);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message(), "Cannot allocate a dense state vector of 1099511627776 entries (17592186044416 "
                                   "bytes): more than the " + phys + " bytes of memory this machine has.");
    // 2^80 entries of 2 bytes: 2^81 bytes, printed in full.
    auto big = check_allocation("a table", AllocationCount{1} << 80, 2);
    ASSERT_FALSE(big);
    EXPECT_EQ(big.error().message(), "Cannot allocate a table of 1208925819614629174706176 entries "
                                     "(2417851639229258349412352 bytes): more than the " + phys +
                                         " bytes of memory this machine has.");
    EXPECT_EQ(AllocationRefused({"one", 1, UINT64_MAX}).message(),
              "Cannot allocate one of 1 entry (18446744073709551615 bytes): more than the " + phys +
                  " bytes of memory this machine has.");
}

TEST(AllocationGuard, ByteTotalsPastTwoTo128AreNamedSo) {
    const std::string phys = std::to_string(physical_memory_bytes());
    // 2^126 entries of 3 bytes stay below 2^128 bytes; of 4 bytes they reach it.
    EXPECT_EQ(AllocationRefused({"a", AllocationCount{1} << 126, 3}).message(),
              "Cannot allocate a of 85070591730234615865843651857942052864 entries "
              "(255211775190703847597530955573826158592 bytes): more than the " + phys +
                  " bytes of memory this machine has.");
    EXPECT_EQ(AllocationRefused({"a", AllocationCount{1} << 126, 4}).message(),
              "Cannot allocate a of 85070591730234615865843651857942052864 entries (over 2^128 bytes): more than "
              "the " + phys + " bytes of memory this machine has.");
}

TEST(AllocationGuard, ThrownRefusalIsBadAllocCarryingTheSize) {
    EXPECT_NO_THROW(guard_allocation("small", 16, 8));
    EXPECT_EQ(guard_allocation("admitted", count_product(3, 5), 8), 15u);  // the count, for the allocation
    EXPECT_EQ(guard_allocation("empty", count_product(0, UINT64_MAX), 8), 0u);
    try {
        guard_allocation("a sparse matrix", uint64_t{1} << 62, 24);
        FAIL() << "not refused";
    } catch (const std::bad_alloc& e) {
        const auto* r = dynamic_cast<const AllocationRefusedError*>(&e);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->refused, (AllocationRefused{"a sparse matrix", AllocationCount{1} << 62, 24}));
    }
}
