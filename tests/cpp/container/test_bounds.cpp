// The bounds error texts (the ones no Python method shows), and the
// unwrapping of results that cannot fail.
#include <gtest/gtest.h>

#include <expected>
#include <string>

#include "core/base/errors.hpp"

using namespace vemo;
using K = OutOfBoundsKind;

TEST(OutOfBounds, TextsCheckAndUnwrap) {
    auto msg = [](uint64_t i, uint64_t n, K k) { return OutOfBounds{i, n, k}.message(); };
    EXPECT_EQ(msg(5, 1, K::Row), "Row index 5 is out-of-bounds for bit matrix with 1 row.");
    EXPECT_EQ(msg(0, 0, K::Row), "Row index 0 is out-of-bounds for bit matrix with 0 rows.");
    EXPECT_EQ(msg(5, 1, K::Bit), "Bit index 5 is out-of-bounds for bit matrix with 1 bit per row.");
    EXPECT_EQ(msg(5, 1, K::Element), "Element index 5 is out-of-bounds for a container with 1 element.");
    EXPECT_EQ(msg(7, 3, K::Cmpnt), "Component index 7 is out-of-bounds for component list with 3 components.");
    EXPECT_EQ(msg(1, 1, K::Cmpnt), "Component index 1 is out-of-bounds for component list with 1 component.");
    EXPECT_EQ(msg(5, 1, K::Mode), "Mode index 5 is out-of-bounds for component list with 1 mode per component.");
    EXPECT_EQ(msg(5, 1, K::String), "String index 5 is out-of-bounds for string list with 1 string.");
    EXPECT_EQ(msg(5, 3, K::String), "String index 5 is out-of-bounds for string list with 3 strings.");
    EXPECT_EQ((OutOfBounds{7, 3, K::Cmpnt}.debug()), "OutOfBounds(7, 3, Cmpnt)");
    EXPECT_TRUE(check_bounds(2, 3, K::Row).has_value());
    EXPECT_EQ(check_bounds(3, 3, K::Bit).error(), (OutOfBounds{3, 3, K::Bit}));
    EXPECT_EQ(expect_ok(std::expected<int, OutOfBounds>(4), "never"), 4);
    try {
        expect_ok(check_bounds(9, 2, K::Row), "row lookup");
        FAIL() << "expected an internal failure";
    } catch (const InternalError& e) {
        EXPECT_EQ(std::string(e.what()), "row lookup: OutOfBounds(9, 2, Row)");
    }
}
