// The component-text parser: comma splitting, coefficients, parts and padding,
// with a token syntax that records each piece verbatim. Plain components,
// coefficients, unclosed brackets, the ill-formed message and the refusal of
// padding out of proportion to the text are checked from Python through the
// springs classes, which accept a single part only, as are the largest indices.
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
using Parts = std::vector<Strings>;

Parts parts_of(std::string_view text) {
    auto r = all_parts_from_str<Recorder>(text);
    EXPECT_TRUE(r.has_value()) << text;
    Parts out;
    for (const auto& p : r.value_or(std::vector<Recorder>{})) {
        EXPECT_EQ(p.n_strings(), p.pieces.size());
        out.push_back(p.pieces);
    }
    return out;
}

std::string error_of(std::string_view text) {
    auto r = all_parts_from_str<Recorder>(text);
    EXPECT_FALSE(r.has_value()) << text;
    return r ? std::string() : r.error().message();
}

Strings split_all(std::string_view text) {
    CommaSplitter s(text);
    Strings out;
    for (auto p = s.next(); p && *p; p = s.next()) out.emplace_back(**p);
    return out;
}

}  // namespace

TEST(CommaSplitter, SplitsOutsideBracketsOnly) {
    EXPECT_EQ(split_all("(a,[b,{c,d}],e),f"), (Strings{"(a,[b,{c,d}],e)", "f"}));
    EXPECT_EQ(split_all(""), Strings{});
    EXPECT_EQ(split_all(",a,,b"), (Strings{"", "a", "", "b"}));
    for (std::string_view t : {"(X0, ), )", "(]", "[(])", "a, b]"})
        EXPECT_EQ(CommaSplitter::trimmed_validated(t).error(), BadParse{"Mismatched brackets."}) << t;
    EXPECT_EQ(CommaSplitter::trimmed_validated("  a, b \n")->text(), "a, b");
}

TEST(AllParts, PartsArePaddedSoStringKIsComponentK) {
    EXPECT_TRUE(parts_of(" \t\u00a0\u3000").empty());  // Unicode blanks trim too
    EXPECT_EQ(parts_of("X0, Y1*Z2"), (Parts{{"X0", "Y1"}, {"", "Z2"}}));
    // A component with fewer parts before one with more keeps later strings in place.
    EXPECT_EQ(parts_of("a*b*c, d, e*f, g*h*i*j, k"),
              (Parts{{"a", "d", "e", "g", "k"}, {"b", "", "f", "h", ""}, {"c", "", "", "i", ""}, {"", "", "", "j", ""}}));
    EXPECT_EQ(parts_of("*a*"), (Parts{{""}, {"a"}, {""}}));  // empty pieces are kept
    EXPECT_EQ(parts_of("(2, a*b), ((3, c)), (1,)"), (Parts{{" a", " c", ""}, {"b", "", ""}}));
}

TEST(AllParts, Errors) {
    // Brackets are checked before any component: the bad first piece is not reported.
    EXPECT_EQ(error_of("a!, (b"), "Bad parse: Mismatched brackets.");
    EXPECT_EQ(error_of("  ( 1 )  , X0"), "Bad parse: \"( 1 )\" is ill-formed");
    EXPECT_EQ(error_of("a, b*c!*d, e!"), "Bad parse: bang in c!");  // the first failing piece
}

TEST(FromStr, FirstPartOnly) {
    auto r = from_str<Recorder>("X0*Y1, Z2, a*b!");  // ignored parts are not parsed
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->pieces, (Strings{"X0", "Z2", "a"}));
    EXPECT_EQ(from_str<Recorder>("")->n_strings(), 0u);
    EXPECT_FALSE(from_str<Recorder>("(a b)").has_value());
    EXPECT_FALSE(from_str<Recorder>("a!").has_value());
}
