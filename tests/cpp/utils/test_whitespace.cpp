// Trimming and tokenising at Unicode White_Space.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/utils/whitespace.hpp"

using namespace vemo;

namespace {

// UTF-8 bytes of one code point.
std::string utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

const std::vector<char32_t> white = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,   0xA0,   0x1680,
                                     0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
                                     0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};

}  // namespace

TEST(WhiteSpace, ExactlyTheTwentyFiveCodePoints) {
    ASSERT_EQ(white.size(), 25u);
    size_t count = 0;
    for (char32_t c = 0; c < 0x11000; ++c) {
        const bool expected = std::find(white.begin(), white.end(), c) != white.end();
        EXPECT_EQ(is_white_space(c), expected) << std::hex << uint32_t(c);
        count += is_white_space(c);
    }
    EXPECT_EQ(count, 25u);
    // Blanks of other definitions that are not White_Space.
    for (char32_t c : {0x1C, 0x1D, 0x1E, 0x1F, 0x180E, 0x200B, 0xFEFF})
        EXPECT_FALSE(is_white_space(c)) << std::hex << uint32_t(c);
}

TEST(WhiteSpace, TrimsEveryBlankAtBothEnds) {
    for (char32_t c : white) {
        const std::string b = utf8(c);
        EXPECT_EQ(trim_ws(b + "x" + b + "y" + b + b), "x" + b + "y") << std::hex << uint32_t(c);
        EXPECT_EQ(trim_ws(b + b), "");
    }
    // Separators from outside the property are kept, and so are look-alike bytes.
    for (char32_t c : {char32_t(0x1F), char32_t(0x200B), char32_t(0xFEFF), char32_t(0xA9), char32_t(0x2030)}) {
        const std::string b = utf8(c);
        EXPECT_EQ(trim_ws(b + "x" + b), b + "x" + b);
    }
    EXPECT_EQ(trim_ws(""), "");
    EXPECT_EQ(trim_ws_start("  a "), "a ");
    EXPECT_EQ(trim_ws_end("  a "), "  a");
    // A truncated multi-byte sequence is not blank.
    EXPECT_EQ(trim_ws("\xE3\x80"), "\xE3\x80");
    EXPECT_EQ(trim_ws("\x80 "), "\x80");
}

TEST(WhiteSpace, Tokens) {
    std::vector<std::string> toks;
    for (auto t : WsTokens("  X0\u3000Y1 \t Z2\u00a0")) toks.emplace_back(t);
    EXPECT_EQ(toks, (std::vector<std::string>{"X0", "Y1", "Z2"}));
    toks.clear();
    for (auto t : WsTokens(" \u2028 ")) toks.emplace_back(t);
    EXPECT_TRUE(toks.empty());
    for (auto t : WsTokens("\u00e9t\u00e9")) toks.emplace_back(t);
    EXPECT_EQ(toks, (std::vector<std::string>{"\u00e9t\u00e9"}));
}
