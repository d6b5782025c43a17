// The fermion text form: token syntax, storage and printing. The Python
// FermionSprings tests cover the whole-text parser, the messages, the mode
// count and each component read back with get_ops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fermion/springs.hpp"

using namespace vemo::fermion;

TEST(FermionSprings, PushStrStoresWrittenOrder) {
    Springs s;
    ASSERT_TRUE(s.push_str("F1^ F0").has_value());
    EXPECT_EQ(s.inds.indices, (std::vector<uint16_t>{1, 0}));
    EXPECT_TRUE(s.get_setting(0));
    EXPECT_FALSE(s.get_setting(1));

    // Blank and empty pieces are the identity product.
    ASSERT_TRUE(s.push_str("  ").has_value());
    ASSERT_TRUE(s.push_str("").has_value());
    EXPECT_EQ(s.to_string(), "F1^ F0, , ");

    // Repeats stay, leading zeros are read, any Unicode blank separates tokens.
    ASSERT_TRUE(s.push_str("\tF007 F0^\nF0\u00a0F3 ").has_value());
    EXPECT_EQ(s.get_ops(3), (std::vector<LadderOp>{{7, false}, {0, true}, {0, false}, {3, false}}));
    EXPECT_EQ(s.to_string_ind(3), "F7 F0^ F0 F3");
    EXPECT_EQ(s.max_string_len(), 4u);

    Springs t;
    t.push_ops(std::vector<LadderOp>{{1, true}, {0, false}});
    EXPECT_EQ(t.to_string(), "F1^ F0");
}

TEST(FermionSprings, BadTokensStoreNothingAndQuoteThemselves) {
    // Indices above 65535 cannot be stored in 16 bits and are refused, not wrapped.
    for (std::string tok : {"F1a", "F-1", "F+1", "F1^2", "F65536", "F99999999999999999999"}) {
        Springs s;
        ASSERT_TRUE(s.push_str("F0").has_value());
        auto r = s.push_str("F1 " + tok + " F2");
        ASSERT_FALSE(r.has_value()) << tok;
        EXPECT_EQ(r.error().message(),
                  "Bad parse: \"" + tok + "\" is not a valid fermionic ladder operator in a sparse string.");
        EXPECT_EQ(s.n_strings(), 1u);
        EXPECT_EQ(s.inds.indices.size(), 1u);
        EXPECT_EQ(s.is_creation.size(), 1u);
    }
}
