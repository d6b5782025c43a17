// State texts: the parse errors and limits Python cannot reach, printing.
// Worked texts and writing a string into a row are checked from Python.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/cmpnt/state_springs.hpp"

using namespace vemo;

namespace {

using Pairs = std::vector<std::pair<uint16_t, uint8_t>>;

Pairs pairs_of(const StateSprings& s, size_t k) {
    Pairs out;
    s.for_each_pair(k, [&](uint16_t p, uint8_t v) { out.emplace_back(p, v); });
    return out;
}

std::expected<BinarySprings, BadParse> binary(std::string_view text) {
    auto parts = all_parts_from_str<BinarySprings>(text);
    if (!parts) return std::unexpected(parts.error());
    EXPECT_EQ(parts->size(), 1u) << text;
    return std::move(parts->at(0));
}

std::string setting_error(std::string_view item) {
    return "State setting \"" + std::string(item) + "\" is unparsable or out of bounds.";
}

}  // namespace

static_assert(ModeSettings<BinarySprings>);

// The messages are checked from Python; here the cases it cannot reach.
TEST(StateSprings, Errors) {
    const std::pair<const char*, const char*> bad_items[] = {{"[,]", ""}, {"[+]", "+"}, {"[0, 1 1]", "1 1"}, {"[256]", "256"}};
    for (auto [text, item] : bad_items) EXPECT_EQ(binary(text).error().text, setting_error(item)) << text;
    EXPECT_EQ(binary("[0, 1]x").error().text, "State string should be between square brackets.");
    StateSprings s;
    EXPECT_FALSE(s.push_str_with_max("", 1).has_value());
    // With a larger maximum; a refused string leaves nothing behind.
    ASSERT_TRUE(s.push_str_with_max("[0, 3, 255, 0]", 255));
    EXPECT_EQ(pairs_of(s, 0), (Pairs{{1, 3}, {2, 255}}));
    EXPECT_EQ(s.push_str_with_max("[3, 4]", 3).error().text, setting_error("4"));
    EXPECT_EQ(s.n_strings(), 1u);
    EXPECT_EQ(s.values().size(), 2u);
    EXPECT_EQ(s.mode_inds().indices.size(), 2u);
    // Past the entry limit, an earlier bad item is still the one reported.
    std::string long_text = "[0, 0, 0, 5";
    for (int k = 0; k < 70000; ++k) long_text += ", 0";
    EXPECT_EQ(binary(long_text + "]").error().text, setting_error("5"));
    // Printing keeps every entry and reads back.
    auto p = binary("[0, 1, 0, 1], [], [0, 0, 0]");
    EXPECT_EQ(p->to_string_ind(2), "[0, 0, 0]");
    EXPECT_THROW(p->to_string_ind(3), InternalError);
    EXPECT_EQ(*binary(p->to_string()), *p);
}
