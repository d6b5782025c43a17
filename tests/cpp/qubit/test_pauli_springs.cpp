// The Pauli text form: the stored entries and the many-part form. Printing,
// sizes, token errors, setting strings from texts, the phases of a parsed list
// and the default register are checked from Python.
#include <gtest/gtest.h>

#include <string>

#include "core/cmpnt/springs.hpp"
#include "core/qubit/pauli_word.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using P = PauliMatrix;

namespace {

Springs part(std::string_view text) {
    Springs s;
    EXPECT_TRUE(s.push_str(text)) << text;
    return s;
}

}  // namespace

TEST(PauliSprings, TokensAndEntries) {
    const Springs s = part("X0  Y12");
    EXPECT_EQ(s.get_pauli_iter(0), (std::pair<size_t, size_t>{0, 2}));
    EXPECT_EQ(std::pair(s.position(1), s.get_setting(1)), std::pair(uint16_t{12}, P::Y));
    EXPECT_EQ(part("I5").n_entries(), 0u);  // no entry, but it counts for the register size
    // A bad token anywhere stores nothing, not even the tokens before it.
    Springs bad = part("X1");
    for (const char* t : {"Q3 X0", "X0 Q3", "Y2 \u00c91"}) EXPECT_FALSE(bad.push_str(t)) << t;
    EXPECT_EQ(bad, part("X1"));
}

TEST(PauliSprings, ManyParts) {
    const ManyPartSprings three{*all_parts_from_str<Springs>("X0*Y1, Z2, (2, X3*Z4*Y5)")};
    EXPECT_EQ(three.len(), 3u);
    EXPECT_EQ(three.to_string(), "X0, Z2, X3 Y1, , Z4 , , Y5");
    const ManyPartSprings none{*all_parts_from_str<Springs>("")};
    EXPECT_EQ(none.len(), 0u);
    EXPECT_EQ(none.to_string(), "");
}
