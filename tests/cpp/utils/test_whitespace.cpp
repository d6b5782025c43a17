// Trimming and tokenising at Unicode White_Space.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/utils/whitespace.hpp"

using namespace vemo;

namespace {

std::string utf8(char32_t c) {
    if (c < 0x80) return std::string(1, char(c));
    if (c < 0x800) return {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    return {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
}

const std::vector<char32_t> white = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,   0xA0,   0x1680,
                                     0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
                                     0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};

}  // namespace

TEST(WhiteSpace, TrimsExactlyTheTwentyFiveCodePoints) {
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        const bool blank = std::find(white.begin(), white.end(), c) != white.end();
        ASSERT_EQ(is_white_space(c), blank) << std::hex << uint32_t(c);
        const std::string b = utf8(c);
        // Blanks go from both ends only; anything else (U+001F, U+200B, U+FEFF...) stays.
        ASSERT_EQ(trim_ws(b + "x" + b + "y" + b + b), blank ? "x" + b + "y" : b + "x" + b + "y" + b + b)
            << std::hex << uint32_t(c);
    }
    EXPECT_EQ(trim_ws_start("  a "), "a ");
    EXPECT_EQ(trim_ws_end("  a "), "  a");
    EXPECT_EQ(trim_ws("\xE3\x80"), "\xE3\x80");  // a truncated sequence is not blank
}

TEST(WhiteSpace, Tokens) {
    std::vector<std::string> toks;
    for (auto t : WsTokens("  X0\u3000Y1 \t Z2\u00a0")) toks.emplace_back(t);
    EXPECT_EQ(toks, (std::vector<std::string>{"X0", "Y1", "Z2"}));
    EXPECT_EQ(WsTokens(" \u2028 ").begin(), WsTokens(" \u2028 ").end());
}
