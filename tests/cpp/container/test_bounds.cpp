// The bounds and distinct-pair error texts, and the unwrapping of results that cannot fail.
#include <gtest/gtest.h>

#include <expected>
#include <string>

#include "core/container/errors.hpp"

using namespace vemo;
using K = OutOfBoundsKind;

TEST(OutOfBounds, EveryKindInSingularAndPlural) {
    auto msg = [](uint64_t i, uint64_t n, K k) { return OutOfBounds{i, n, k}.message(); };
    const struct {
        K kind;
        const char* one;
        const char* three;
    } cases[] = {
        {K::Row, "Row index 5 is out-of-bounds for bit matrix with 1 row.",
         "Row index 5 is out-of-bounds for bit matrix with 3 rows."},
        {K::Bit, "Bit index 5 is out-of-bounds for bit matrix with 1 bit per row.",
         "Bit index 5 is out-of-bounds for bit matrix with 3 bits per row."},
        {K::Element, "Element index 5 is out-of-bounds for a container with 1 element.",
         "Element index 5 is out-of-bounds for a container with 3 elements."},
        {K::Cmpnt, "Component index 5 is out-of-bounds for component list with 1 component.",
         "Component index 5 is out-of-bounds for component list with 3 components."},
        {K::Mode, "Mode index 5 is out-of-bounds for component list with 1 mode per component.",
         "Mode index 5 is out-of-bounds for component list with 3 modes per component."},
        {K::String, "String index 5 is out-of-bounds for string list with 1 string.",
         "String index 5 is out-of-bounds for string list with 3 strings."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(msg(5, 1, c.kind), c.one);
        EXPECT_EQ(msg(5, 3, c.kind), c.three);
    }
    // The worked cases; a count of 0 takes the plural.
    EXPECT_EQ(msg(70, 64, K::Bit), "Bit index 70 is out-of-bounds for bit matrix with 64 bits per row.");
    EXPECT_EQ(msg(1, 1, K::Cmpnt), "Component index 1 is out-of-bounds for component list with 1 component.");
    EXPECT_EQ(msg(0, 0, K::Row), "Row index 0 is out-of-bounds for bit matrix with 0 rows.");
    EXPECT_EQ(msg(~0ULL, 0, K::Element),
              "Element index 18446744073709551615 is out-of-bounds for a container with 0 elements.");
    EXPECT_EQ((OutOfBounds{7, 3, K::Cmpnt}.debug()), "OutOfBounds(7, 3, Cmpnt)");
}

TEST(OutOfBounds, CheckAndUnwrap) {
    EXPECT_TRUE(check_bounds(2, 3, K::Row).has_value());
    EXPECT_EQ(check_bounds(3, 3, K::Bit).error(), (OutOfBounds{3, 3, K::Bit}));
    EXPECT_FALSE(check_bounds(0, 0, K::Mode).has_value());
    EXPECT_EQ(expect_ok(std::expected<int, OutOfBounds>(4), "never"), 4);
    try {
        expect_ok(check_bounds(9, 2, K::Row), "row lookup");
        FAIL() << "expected an internal failure";
    } catch (const InternalError& e) {
        EXPECT_EQ(std::string(e.what()), "row lookup: OutOfBounds(9, 2, Row)");
    }
}

TEST(IndistinctError, Message) {
    EXPECT_EQ(IndistinctError{3}.message(), "Value 3 is both elements of what is supposed to be a distinct pair.");
}
