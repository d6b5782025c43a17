// The Pauli text form, setting strings from it, and building lists from it.
// Printing, sizes, token errors, the phases of a parsed list and the default
// register are checked from Python (PauliSprings, QubitPauliArray.with_phases);
// here the stored entries, the many-part form and products against dense matrices.
#include <gtest/gtest.h>

#include <string>

#include "core/cmpnt/springs.hpp"
#include "core/qubit/pauli_word.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
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

TEST(PauliSetSpring, MultipliesFactorsInTextOrder) {
    CmpntList l = CmpntList::elem(Qubits::from_count(3));
    EXPECT_EQ(set_spring(l, 0, part("X0 Y0"), 0)->value(), 1);
    EXPECT_EQ(l.fmt_elem(0), "Z0");
    EXPECT_EQ(set_spring(l, 0, part(""), 0)->value(), 0);  // the identity, whatever was there
    EXPECT_EQ(l.fmt_elem(0), "");
    ASSERT_TRUE(set_spring(l, 0, part("X1 I5"), 0));  // identity tokens never fail
    EXPECT_EQ(set_spring(l, 0, part("X0 Z5"), 0).error(), ParseError(OutOfBounds{5, 3, OutOfBoundsKind::Mode}));
    EXPECT_EQ(set_spring(l, 0, part("X0"), 1).error(), ParseError(OutOfBounds{1, 1, OutOfBoundsKind::String}));
    EXPECT_EQ(l.fmt_elem(0), "X1");

    std::mt19937_64 rng(21);
    for (int trial = 0; trial < 100; ++trial) {
        const uint64_t n = 1 + rng() % 4;
        std::string text;
        Dense prod = Dense::identity(uint64_t{1} << n);
        for (int t = static_cast<int>(rng() % 6); t > 0; --t) {
            std::vector<P> f(n, P::I);
            const uint64_t q = rng() % n;
            f[q] = P(rng() % 4);
            text += std::string(1, pauli_char(f[q])) + std::to_string(q) + " ";
            prod = prod * dense_of(f);
        }
        CmpntList r = CmpntList::elem(Qubits::from_count(n));
        const auto k = set_spring(r, 0, part(text), 0);
        ASSERT_TRUE(k) << text;
        EXPECT_EQ(dense_of(paulis_of(r, 0)).scaled(ipow(k->value())), prod) << text;
    }
}
