// State texts: parsing, limits, printing and their use through the parser.
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
    if (parts->size() != 1) return std::unexpected(BadParse{"parts"});
    return std::move((*parts)[0]);
}

std::string setting_error(std::string_view item) {
    return "State setting \"" + std::string(item) + "\" is unparsable or out of bounds.";
}

// "[" + n entries + "]", entry k being f(k).
template <class F>
std::string state_text(size_t n, F f) {
    std::string t = "[";
    for (size_t k = 0; k < n; ++k) {
        if (k) t += ", ";
        t += f(k);
    }
    return t + "]";
}

}  // namespace

static_assert(ModeSettings<BinarySprings>);

TEST(StateSprings, StoresNonzeroEntries) {
    auto s = binary("[0, 1, 1], [1, 0]");
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->n_strings(), 2u);
    EXPECT_EQ(pairs_of(*s, 0), (Pairs{{1, 1}, {2, 1}}));
    EXPECT_EQ(pairs_of(*s, 1), (Pairs{{0, 1}}));
    EXPECT_EQ(s->default_n_qubit(), 3u);
    EXPECT_EQ(s->get_setting(2), 1);
    EXPECT_THROW(s->get_setting(3), InternalError);
}

TEST(StateSprings, EmptyAndZeroStates) {
    auto e = binary("[]");
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->n_strings(), 1u);
    EXPECT_TRUE(pairs_of(*e, 0).empty());
    EXPECT_EQ(e->default_n_qubit(), 0u);
    auto z = binary("[0, 0]");
    ASSERT_TRUE(z.has_value());
    EXPECT_TRUE(pairs_of(*z, 0).empty());
    EXPECT_EQ(z->default_n_qubit(), 2u);
    auto blank = binary(" [ \t ] ");
    ASSERT_TRUE(blank.has_value());
    EXPECT_EQ(blank->to_string(), "[]");
}

TEST(StateSprings, ItemForms) {
    auto trailing = binary("[1, 0,]");
    auto plain = binary("[1, 0]");
    ASSERT_TRUE(trailing && plain);
    EXPECT_EQ(*trailing, *plain);
    auto plus = binary("[+1, 01,  0 ]");
    ASSERT_TRUE(plus.has_value());
    EXPECT_EQ(pairs_of(*plus, 0), (Pairs{{0, 1}, {1, 1}}));
    EXPECT_EQ(binary("[1,,0]").error().text, setting_error(""));
    EXPECT_EQ(binary("[,]").error().text, setting_error(""));
    EXPECT_EQ(binary("[1, 0,,]").error().text, setting_error(""));
    EXPECT_EQ(binary("[-0]").error().text, setting_error("-0"));
    EXPECT_EQ(binary("[2]").error().text, setting_error("2"));
    EXPECT_EQ(binary("[+]").error().text, setting_error("+"));
    EXPECT_EQ(binary("[0, x1 ]").error().text, setting_error("x1"));
    EXPECT_EQ(binary("[0, 1 1]").error().text, setting_error("1 1"));
    EXPECT_EQ(binary("[256]").error().text, setting_error("256"));
    EXPECT_EQ(binary("[0x1]").error().text, setting_error("0x1"));
    // The first bad item is the one reported.
    EXPECT_EQ(binary("[0, 7, 9]").error().text, setting_error("7"));
}

TEST(StateSprings, BracketsRequired) {
    const std::string msg = "State string should be between square brackets.";
    for (std::string_view t : {"0, 1", "[0, 1", "0]", "[", "]", "(1, 0)"}) {
        StateSprings s;
        auto r = s.push_str_with_max(t, 1);
        ASSERT_FALSE(r.has_value()) << t;
        EXPECT_EQ(r.error().text, msg);
    }
    // An empty component reaches the state syntax as an empty piece.
    EXPECT_EQ(binary("[1],,[0]").error().text, msg);
    EXPECT_EQ(binary("[1], , [0]").error().text, msg);
}

TEST(StateSprings, LargerValuesWithMax) {
    StateSprings s;
    ASSERT_TRUE(s.push_str_with_max("[0, 3, 255, 0]", 255));
    EXPECT_EQ(pairs_of(s, 0), (Pairs{{1, 3}, {2, 255}}));
    EXPECT_EQ(s.to_string_ind(0), "[0, 3, 255, 0]");
    auto r = s.push_str_with_max("[3, 4]", 3);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().text, setting_error("4"));
    // A refused string leaves nothing behind.
    EXPECT_EQ(s.n_strings(), 1u);
    EXPECT_EQ(s.values().size(), 2u);
    EXPECT_EQ(s.mode_inds().indices.size(), 2u);
}

TEST(StateSprings, PrintsEveryEntry) {
    auto s = binary("[0, 1, 0, 1], [], [0, 0, 0], [1], [ 0 , +1 ,0,]");
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->to_string_ind(0), "[0, 1, 0, 1]");
    EXPECT_EQ(s->to_string_ind(1), "[]");
    EXPECT_EQ(s->to_string_ind(2), "[0, 0, 0]");
    EXPECT_EQ(s->to_string_ind(3), "[1]");
    EXPECT_EQ(s->to_string_ind(4), "[0, 1, 0]");
    EXPECT_EQ(s->to_string(), "[0, 1, 0, 1], [], [0, 0, 0], [1], [0, 1, 0]");
    EXPECT_EQ(s->string_len(0), 4u);
    EXPECT_THROW(s->to_string_ind(5), InternalError);
    // The printed form parses back to the same value.
    auto again = binary(s->to_string());
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(*again, *s);
}

TEST(StateSprings, EntryLimit) {
    // 65536 entries fit; the last position is 65535 and the count is computed in 64 bits.
    const std::string full = state_text(65536, [](size_t k) { return k == 65535 ? "1" : "0"; });
    auto s = binary(full);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->default_n_qubit(), 65536u);
    EXPECT_EQ(pairs_of(*s, 0), (Pairs{{65535, 1}}));
    EXPECT_EQ(s->to_string_ind(0), full);
    // One entry more is refused at the first item beyond the limit.
    const std::string over = state_text(65537, [](size_t k) { return k == 65536 ? " 1" : "0"; });
    auto r = binary(over);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().text, setting_error("1"));
    // A bad item before the limit is still the one reported.
    const std::string both = state_text(70000, [](size_t k) { return k == 3 ? "5" : "0"; });
    EXPECT_EQ(binary(both).error().text, setting_error("5"));
}

TEST(StateSprings, MultiplePartsAndCoefficients) {
    auto parts = all_parts_from_str<BinarySprings>("[1]*[0, 1], (0.5, [1, 1])");
    ASSERT_TRUE(parts.has_value());
    ASSERT_EQ(parts->size(), 2u);
    EXPECT_EQ((*parts)[0].to_string(), "[1], [1, 1]");
    EXPECT_EQ((*parts)[1].to_string(), "[0, 1], []");
    EXPECT_EQ((*parts)[1].default_n_qubit(), 2u);
}

TEST(SetSpring, WritesNamedBitsAndKeepsOthers) {
    auto s = binary("[0, 1, 0, 1], [], [1, 1]");
    ASSERT_TRUE(s.has_value());
    BitMatrix m(2, 70);
    ASSERT_TRUE(m.assign_set(0, {0, 2, 69}));
    ASSERT_TRUE(set_spring(m.row_mut_ref(0), *s, 0));
    EXPECT_EQ(m.row_ref(0).to_set(), (std::vector<uint64_t>{0, 1, 2, 3, 69}));
    ASSERT_TRUE(set_spring(m.row_mut_ref(1), *s, 2));
    EXPECT_EQ(m.row_ref(1).to_set(), (std::vector<uint64_t>{0, 1}));
    // An empty string succeeds even on a row beyond the matrix.
    EXPECT_TRUE(set_spring(m.row_mut_ref(5), *s, 1));
    EXPECT_THROW((void)set_spring(m.row_mut_ref(0), *s, 3), InternalError);
}

TEST(SetSpring, ValidatesBeforeWriting) {
    auto s = binary("[1, 0, 1, 0, 0, 1]");
    ASSERT_TRUE(s.has_value());
    BitMatrix m(1, 4);
    ASSERT_TRUE(m.assign_set(0, {1}));
    auto r = set_spring(m.row_mut_ref(0), *s, 0);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error(), (OutOfBounds{5, 4, OutOfBoundsKind::Bit}));
    // Positions 0 and 2 were valid but were not written.
    EXPECT_EQ(m.row_ref(0).to_set(), (std::vector<uint64_t>{1}));
    auto row = set_spring(m.row_mut_ref(1), *s, 0);
    ASSERT_FALSE(row.has_value());
    EXPECT_EQ(row.error(), (OutOfBounds{1, 1, OutOfBoundsKind::Row}));
}
