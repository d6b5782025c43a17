// The component-text parser: comma splitting, coefficients, parts and padding,
// with a recording token syntax that keeps each piece verbatim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cmpnt/parse_error.hpp"
#include "core/cmpnt/springs.hpp"

using namespace vemo;

namespace {

// Keeps every piece as given; a piece holding "!" is refused.
struct Recorder : SpringsBase {
    std::vector<std::string> pieces;

    void end_string() {
        SpringsBase::end_string();
        pieces.emplace_back();
    }
    std::expected<void, BadParse> push_str(std::string_view piece) {
        if (piece.find('!') != std::string_view::npos) return std::unexpected(BadParse{"bang in " + std::string(piece)});
        pieces.emplace_back(piece);
        SpringsBase::end_string();
        return {};
    }
    size_t get_setting(size_t k) const { return k; }
    std::string to_string_ind(size_t k) const { return pieces.at(k); }
};
static_assert(ModeSettings<Recorder>);

using Strings = std::vector<std::string>;

std::vector<Strings> parts_of(std::string_view text) {
    auto r = all_parts_from_str<Recorder>(text);
    EXPECT_TRUE(r.has_value()) << text;
    std::vector<Strings> out;
    if (!r) return out;
    for (const auto& p : *r) {
        EXPECT_EQ(p.n_strings(), p.pieces.size());
        out.push_back(p.pieces);
    }
    return out;
}

std::string error_of(std::string_view text) {
    auto r = all_parts_from_str<Recorder>(text);
    EXPECT_FALSE(r.has_value()) << text;
    return r ? std::string() : r.error().text;
}

std::vector<std::string> split_all(std::string_view text) {
    CommaSplitter s(text);
    std::vector<std::string> out;
    for (;;) {
        auto p = s.next();
        EXPECT_TRUE(p.has_value());
        if (!p || !*p) break;
        out.emplace_back(**p);
    }
    return out;
}

}  // namespace

TEST(CommaSplitter, SplitsOutsideBracketsOnly) {
    EXPECT_EQ(split_all("[0, 1], [1, 0]"), (Strings{"[0, 1]", " [1, 0]"}));
    EXPECT_EQ(split_all("(0.5, X0), {a,b}c"), (Strings{"(0.5, X0)", " {a,b}c"}));
    EXPECT_EQ(split_all("(a,[b,{c,d}],e),f"), (Strings{"(a,[b,{c,d}],e)", "f"}));
}

TEST(CommaSplitter, EmptyAndTrailingPieces) {
    EXPECT_EQ(split_all(""), Strings{});
    EXPECT_EQ(split_all("a,"), Strings{"a"});
    EXPECT_EQ(split_all(",a"), (Strings{"", "a"}));
    EXPECT_EQ(split_all("a,,b"), (Strings{"a", "", "b"}));
    EXPECT_EQ(split_all("a,,"), (Strings{"a", ""}));
    EXPECT_EQ(split_all(" "), Strings{" "});
}

TEST(CommaSplitter, BracketErrors) {
    for (std::string_view t : {"[0, 1", "(X0, ), )", ")", "(]", "[(])", "{", "a, b]"}) {
        auto v = CommaSplitter::trimmed_validated(t);
        ASSERT_FALSE(v.has_value()) << t;
        EXPECT_EQ(v.error(), BadParse{"Mismatched brackets."});
    }
    EXPECT_TRUE(CommaSplitter::validated("([{}])").has_value());
    // The validated splitter works on the trimmed text.
    auto v = CommaSplitter::trimmed_validated("  a, b \n");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->text(), "a, b");
}

TEST(ExtractAfterCoeff, Bodies) {
    EXPECT_EQ(extract_after_coeff("  X0 Y1 "), "X0 Y1");
    EXPECT_EQ(extract_after_coeff("(0.5, X0 Y1)"), " X0 Y1");
    EXPECT_EQ(extract_after_coeff("((2, X0))"), " X0");
    EXPECT_EQ(extract_after_coeff("(1, [0, 1])"), " [0, 1]");
    EXPECT_EQ(extract_after_coeff("(1,)"), "");
    EXPECT_EQ(extract_after_coeff(""), "");
    EXPECT_EQ(extract_after_coeff("(0.5 X0)"), std::nullopt);
    EXPECT_EQ(extract_after_coeff("("), std::nullopt);
    EXPECT_EQ(extract_after_coeff("()"), std::nullopt);
}

TEST(AllParts, OnePart) {
    EXPECT_EQ(parts_of("X0, Y1"), (std::vector<Strings>{{"X0", "Y1"}}));
    // Bodies keep the blank after the coefficient's comma.
    EXPECT_EQ(parts_of("(0.5, X0 Y1), (-1, Z2)"), (std::vector<Strings>{{" X0 Y1", " Z2"}}));
}

TEST(AllParts, EmptyTexts) {
    EXPECT_TRUE(parts_of("").empty());
    EXPECT_TRUE(parts_of(" \t\n ").empty());
    // Unicode blanks (no-break space, ideographic space) count as white space too.
    EXPECT_TRUE(parts_of("\u00a0\u3000").empty());
    EXPECT_EQ(parts_of("X0,"), (std::vector<Strings>{{"X0"}}));
    EXPECT_EQ(parts_of("X0,,Y1"), (std::vector<Strings>{{"X0", "", "Y1"}}));
}

TEST(AllParts, PartsAndPadding) {
    EXPECT_EQ(parts_of("X0*Y1, Z2"), (std::vector<Strings>{{"X0", "Z2"}, {"Y1", ""}}));
    EXPECT_EQ(parts_of("X0, Y1*Z2"), (std::vector<Strings>{{"X0", "Y1"}, {"", "Z2"}}));
    // A component with fewer parts between two with more keeps the strings aligned.
    EXPECT_EQ(parts_of("X0*Y1, Z2, X3*Y4"), (std::vector<Strings>{{"X0", "Z2", "X3"},
                                                                  {"Y1", "", "Y4"}}));
    EXPECT_EQ(parts_of("a, b*c*d, e*f"),
              (std::vector<Strings>{{"a", "b", "e"}, {"", "c", "f"}, {"", "d", ""}}));
    // Empty pieces around "*" are kept.
    EXPECT_EQ(parts_of("*a*"), (std::vector<Strings>{{""}, {"a"}, {""}}));
    EXPECT_EQ(parts_of("(2, a*b), (3, c)"), (std::vector<Strings>{{" a", " c"}, {"b", ""}}));
}

TEST(AllParts, EveryPartHasOneStringPerComponent) {
    const std::string text = "a*b*c, d, e*f, g*h*i*j, k";
    auto r = all_parts_from_str<Recorder>(text);
    ASSERT_TRUE(r.has_value());
    ASSERT_EQ(r->size(), 4u);
    for (const auto& p : *r) EXPECT_EQ(p.n_strings(), 5u);
    EXPECT_EQ((*r)[3].pieces, (Strings{"", "", "", "j", ""}));
    EXPECT_EQ((*r)[2].pieces, (Strings{"c", "", "", "i", ""}));
}

TEST(AllParts, Errors) {
    EXPECT_EQ(error_of("[0, 1"), "Mismatched brackets.");
    EXPECT_EQ(error_of("(X0, ), )"), "Mismatched brackets.");
    // Brackets are checked before any component: the bad piece at the start is not reported.
    EXPECT_EQ(error_of("a!, (b"), "Mismatched brackets.");
    EXPECT_EQ(error_of("X0, (0.5 X0)"), "\"(0.5 X0)\" is ill-formed");
    EXPECT_EQ(error_of("  ( 1 )  , X0"), "\"( 1 )\" is ill-formed");
    EXPECT_EQ(error_of("a, b*c!*d, e!"), "bang in c!");
    auto full = all_parts_from_str<Recorder>("(0.5 X0)");
    ASSERT_FALSE(full.has_value());
    EXPECT_EQ(full.error().message(), "Bad parse: \"(0.5 X0)\" is ill-formed");
}

TEST(FromStr, FirstPartOnly) {
    auto r = from_str<Recorder>("X0*Y1, Z2");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->pieces, (Strings{"X0", "Z2"}));
    // The ignored parts are not parsed at all.
    auto ignored = from_str<Recorder>("a*b!, c");
    ASSERT_TRUE(ignored.has_value());
    EXPECT_EQ(ignored->pieces, (Strings{"a", "c"}));
    auto empty = from_str<Recorder>("");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->n_strings(), 0u);
    EXPECT_FALSE(from_str<Recorder>("(a b)").has_value());
    EXPECT_FALSE(from_str<Recorder>("a!").has_value());
}

TEST(ModeIndsStorage, StringsAndLargestIndex) {
    ModeInds m;
    EXPECT_EQ(m.default_n_modes(), 0u);
    m.push_index(3);
    m.push_index(1);
    m.end_string();
    m.end_string();
    m.record_index(7);
    m.end_string();
    EXPECT_EQ(m.n_strings(), 3u);
    EXPECT_EQ(std::vector<uint16_t>(m.string_indices(0).begin(), m.string_indices(0).end()),
              (std::vector<uint16_t>{3, 1}));
    EXPECT_TRUE(m.string_indices(1).empty());
    EXPECT_TRUE(m.string_indices(2).empty());
    EXPECT_EQ(m.max_index, std::optional<uint16_t>(7));
    EXPECT_EQ(m.default_n_modes(), 8u);
    EXPECT_THROW(m.string_indices(3), InternalError);
    m.record_index(65535);
    EXPECT_EQ(m.default_n_modes(), 65536u);
}

TEST(ParseErrors, MessagesByKind) {
    const ParseError bad(BadParse{"Mismatched brackets."});
    EXPECT_TRUE(bad.is_bad_parse());
    EXPECT_EQ(bad.message(), "Bad parse: Mismatched brackets.");
    const ParseError bounds(OutOfBounds{70, 64, OutOfBoundsKind::Mode});
    EXPECT_TRUE(bounds.is_mode_bounds());
    EXPECT_EQ(bounds.message(), "Mode index 70 is out-of-bounds for component list with 64 modes per component.");
    const ParseError coeff(Unrepresentable{"+i", "ComplexSign", "Sign"});
    EXPECT_TRUE(coeff.is_coeff_unrepresentable());
    EXPECT_EQ(coeff.message(), "Value +i of type \"ComplexSign\" is not representable as type \"Sign\"");
    EXPECT_EQ((DifferentModeCounts{3, 4}).message(), "Mode counts 3 and 4 differ.");
}
