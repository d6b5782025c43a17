// The fermion text form: token syntax, storage and printing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/fermion/springs.hpp"

using namespace vemo::fermion;

namespace {
std::string bad(const std::string& tok) {
    return "\"" + tok + "\" is not a valid fermionic ladder operator in a sparse string.";
}
}  // namespace

TEST(FermionSprings, PushStrStoresWrittenOrder) {
    Springs s;
    ASSERT_TRUE(s.push_str("F1^ F0").has_value());
    EXPECT_EQ(s.n_strings(), 1u);
    EXPECT_EQ(s.inds.indices, (std::vector<uint16_t>{1, 0}));
    EXPECT_TRUE(s.get_setting(0));
    EXPECT_FALSE(s.get_setting(1));
    EXPECT_EQ(s.to_string(), "F1^ F0");
    EXPECT_EQ(s.get_ops(0), (std::vector<LadderOp>{{1, true}, {0, false}}));

    // Blanks and empty pieces are the identity product.
    ASSERT_TRUE(s.push_str("  ").has_value());
    ASSERT_TRUE(s.push_str("").has_value());
    EXPECT_EQ(s.n_strings(), 3u);
    EXPECT_TRUE(s.get_ops(1).empty());
    EXPECT_EQ(s.to_string(), "F1^ F0, , ");

    // Repeats stay, leading zeros are read, tabs and newlines separate tokens.
    ASSERT_TRUE(s.push_str("\tF007 F0^\nF0 ").has_value());
    EXPECT_EQ(s.get_ops(3), (std::vector<LadderOp>{{7, false}, {0, true}, {0, false}}));
    EXPECT_EQ(s.to_string_ind(3), "F7 F0^ F0");
    EXPECT_EQ(s.max_string_len(), 3u);
}

TEST(FermionSprings, BadTokensStoreNothingAndQuoteThemselves) {
    for (std::string tok : {"X2", "F^", "F3^^", "F", "^", "f0", "F1a", "F-1", "F+1", "F65536", "F99999999999999999999",
                            "F1^2"}) {
        Springs s;
        ASSERT_TRUE(s.push_str("F0").has_value());
        auto r = s.push_str("F1 " + tok + " F2");
        ASSERT_FALSE(r.has_value()) << tok;
        EXPECT_EQ(r.error().text, bad(tok));
        EXPECT_EQ(r.error().message(), "Bad parse: " + bad(tok));
        // The earlier string is kept, nothing of the failing one is.
        EXPECT_EQ(s.n_strings(), 1u);
        EXPECT_EQ(s.inds.indices.size(), 1u);
        EXPECT_EQ(s.is_creation.size(), 1u);
    }
}

TEST(FermionSprings, DefaultModeCount) {
    Springs s;
    EXPECT_EQ(s.default_n_mode(), 0u);
    ASSERT_TRUE(s.push_str("").has_value());
    EXPECT_EQ(s.default_n_mode(), 0u);
    ASSERT_TRUE(s.push_str("F5 F2^").has_value());
    EXPECT_EQ(s.default_n_mode(), 6u);
    ASSERT_TRUE(s.push_str("F65535^").has_value());
    EXPECT_EQ(s.default_n_mode(), 65536u);
}

TEST(FermionSprings, WholeTextThroughTheSharedParser) {
    auto r = vemo::all_parts_from_str<Springs>("F1^ F0, F5 F2^");
    ASSERT_TRUE(r.has_value());
    ASSERT_EQ(r->size(), 1u);
    const Springs& s = (*r)[0];
    EXPECT_EQ(s.n_strings(), 2u);
    EXPECT_EQ(s.default_n_mode(), 6u);
    EXPECT_EQ(s.to_string(), "F1^ F0, F5 F2^");

    auto c = vemo::all_parts_from_str<Springs>("(0.5, F0^ F1), (-1, F3)");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ((*c)[0].to_string(), "F0^ F1, F3");

    auto parts = vemo::all_parts_from_str<Springs>("F0 * F1, F2");
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->size(), 2u);

    EXPECT_TRUE(vemo::all_parts_from_str<Springs>("   ")->empty());
    auto e = vemo::all_parts_from_str<Springs>("F1 X2");
    ASSERT_FALSE(e.has_value());
    EXPECT_EQ(e.error().text, bad("X2"));
}

TEST(FermionSprings, PushOpsAndEquality) {
    Springs a, b;
    ASSERT_TRUE(a.push_str("F3^ F0").has_value());
    const std::vector<LadderOp> ops{{3, true}, {0, false}};
    b.push_ops(ops);
    EXPECT_EQ(a, b);
    b.push_ops({});
    EXPECT_FALSE(a == b);
}
