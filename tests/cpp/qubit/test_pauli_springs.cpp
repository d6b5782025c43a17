// The Pauli text form, setting strings from it, and building lists from it.
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
    auto r = s.push_str(text);
    EXPECT_TRUE(r) << text;
    return s;
}

std::string bad_token(std::string_view text) {
    Springs s;
    auto r = s.push_str(text);
    EXPECT_FALSE(r) << text;
    EXPECT_EQ(s, Springs());  // nothing stored
    return r ? std::string() : r.error().message();
}

Springs parsed(std::string_view text) {
    auto s = from_str<Springs>(text);
    EXPECT_TRUE(s) << text;
    return *s;
}

}  // namespace

TEST(PauliSprings, Tokens) {
    const Springs s = part("X0  Y12");
    ASSERT_EQ(s.n_strings(), 1u);
    EXPECT_EQ(s.get_pauli_iter(0), (std::pair<size_t, size_t>{0, 2}));
    EXPECT_EQ(s.position(0), 0);
    EXPECT_EQ(s.get_setting(0), P::X);
    EXPECT_EQ(s.position(1), 12);
    EXPECT_EQ(s.get_setting(1), P::Y);
    EXPECT_EQ(s.max_position(), 12);

    const Springs id = part("I5");
    EXPECT_EQ(id.n_entries(), 0u);
    EXPECT_EQ(id.max_position(), 5);
    EXPECT_EQ(id.default_n_qubit(), 6u);
    EXPECT_EQ(id.to_string(), "");

    EXPECT_EQ(part("X+7").position(0), 7);
    EXPECT_EQ(part("X007").position(0), 7);
    EXPECT_EQ(part("X65535").default_n_qubit(), 65536u);
    EXPECT_EQ(part("Z1 Z1").n_entries(), 2u);
    EXPECT_EQ(part("\u00a0X3\u3000Y4\t").to_string(), "X3 Y4");  // Unicode blanks separate
    EXPECT_EQ(part("  ").to_string(), "");
    EXPECT_EQ(part("  ").n_strings(), 1u);
    EXPECT_EQ(Springs().default_n_qubit(), 0u);
}

TEST(PauliSprings, BadTokensStoreNothing) {
    for (const char* t : {"X", "x1", "X-1", "X1.5", "XY", "Q3", "X65536", "X+", "\u00c91", "X+-1"})
        EXPECT_EQ(bad_token(t), std::string("Bad parse: \"") + t + "\" is not a valid Pauli matrix in a sparse string.");
    EXPECT_EQ(bad_token("Q3 X0"), "Bad parse: \"Q3\" is not a valid Pauli matrix in a sparse string.");
    EXPECT_EQ(bad_token("X0 Q3"), "Bad parse: \"Q3\" is not a valid Pauli matrix in a sparse string.");
    Springs s = part("X1");
    EXPECT_FALSE(s.push_str("Y2 Q"));
    EXPECT_EQ(s.n_strings(), 1u);
    EXPECT_EQ(s.n_entries(), 1u);
    EXPECT_EQ(s.max_position(), 1);
}

TEST(PauliSprings, DisplayAndParts) {
    EXPECT_EQ(parsed("X0 Y1, , Z2").to_string(), "X0 Y1, , Z2");
    EXPECT_EQ(parsed("I3 X0").to_string(), "X0");
    EXPECT_EQ(parsed("(0.5, X0 Y1), (-1, Z2)").to_string(), "X0 Y1, Z2");
    auto parts = all_parts_from_str<Springs>("X0*Y1");
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 2u);
    EXPECT_EQ((*parts)[1].to_string(), "Y1");
    EXPECT_TRUE(all_parts_from_str<Springs>("")->empty());
}

TEST(PauliSetSpring, MultipliesFactorsInTextOrder) {
    CmpntList l = CmpntList::elem(Qubits::from_count(3));
    EXPECT_EQ(set_spring(l, 0, part("X0 Y0"), 0)->value(), 1);
    EXPECT_EQ(l.fmt_elem(0), "Z0");
    EXPECT_EQ(set_spring(l, 0, part("Y0 X0"), 0)->value(), 3);
    EXPECT_EQ(set_spring(l, 0, part("Z1 Z1"), 0)->value(), 0);
    EXPECT_EQ(l.fmt_elem(0), "");
    ASSERT_TRUE(set_spring(l, 0, part("X1"), 0));
    EXPECT_EQ(set_spring(l, 0, part(""), 0)->value(), 0);  // the identity, whatever was there
    EXPECT_EQ(l.fmt_elem(0), "");
    ASSERT_TRUE(set_spring(l, 0, part("X1"), 0));
    auto bad = set_spring(l, 0, part("X0 Z5"), 0);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error(), ParseError(OutOfBounds{5, 3, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l.fmt_elem(0), "X1");
    // A string index beyond the text form: refused, nothing changed.
    EXPECT_EQ(set_spring(l, 0, part("X0"), 1).error(), ParseError(OutOfBounds{1, 1, OutOfBoundsKind::String}));
    EXPECT_EQ(l.fmt_elem(0), "X1");
    // Identity tokens are not entries and never fail.
    EXPECT_EQ(set_spring(l, 0, part("I5 Y2"), 0)->value(), 0);
    EXPECT_EQ(l.fmt_elem(0), "Y2");
}

TEST(PauliSetSpring, PhaseMatchesDenseProduct) {
    std::mt19937_64 rng(21);
    for (int trial = 0; trial < 100; ++trial) {
        const uint64_t n = 1 + rng() % 4;
        std::string text;
        Dense prod = Dense::identity(uint64_t{1} << n);
        const int n_tok = static_cast<int>(rng() % 6);
        for (int t = 0; t < n_tok; ++t) {
            const uint64_t q = rng() % n;
            const P p = P(rng() % 4);
            text += std::string(1, pauli_char(p)) + std::to_string(q) + " ";
            std::vector<P> f(n, P::I);
            f[q] = p;
            prod = prod * dense_of(f);
        }
        CmpntList l = CmpntList::elem(Qubits::from_count(n));
        auto k = set_spring(l, 0, part(text), 0);
        ASSERT_TRUE(k) << text;
        EXPECT_EQ(dense_of(paulis_of(l, 0)).scaled(ipow(k->value())), prod) << text;
    }
}

TEST(PauliFromSprings, ListsAndPhases) {
    auto r = from_springs(Qubits::from_count(3), parsed("X0 Y1, Z2"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first.to_string(), "X0 Y1, Z2");
    EXPECT_EQ(r->second.size(), 2u);
    EXPECT_EQ(r->second.get(0), 0);
    EXPECT_EQ(r->second.get(1), 0);
    auto r2 = from_springs(Qubits::from_count(1), parsed("X0 Y0, Y0 X0"));
    EXPECT_EQ(r2->first.to_string(), "Z0, Z0");
    EXPECT_EQ(r2->second.get(0), 1);
    EXPECT_EQ(r2->second.get(1), 3);
    EXPECT_EQ(from_springs(Qubits::from_count(2), parsed("X0, X2")).error(),
              ParseError(OutOfBounds{2, 2, OutOfBoundsKind::Mode}));
    auto id = from_springs(Qubits::from_count(2), parsed("I5"));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->first.size(), 1u);
    EXPECT_EQ(id->first.count(0, P::I), 2u);
}

TEST(PauliFromSprings, DefaultRegister) {
    auto [l, ph] = from_springs_default(parsed("I5"));
    EXPECT_EQ(l.qubits(), Qubits::from_count(6));
    EXPECT_EQ(l.size(), 1u);
    EXPECT_EQ(l.fmt_elem(0), "");
    EXPECT_EQ(from_springs_default(parsed("Z3, X0")).first.qubits(), Qubits::from_count(4));
    EXPECT_EQ(from_springs_default(parsed("")).first.qubits(), Qubits::from_count(0));
    auto big = from_springs_default(parsed("X65535"));
    EXPECT_EQ(big.first.n_qubit(), 65536u);
    EXPECT_EQ(big.first.fmt_elem(0), "X65535");
}

TEST(PauliSprings, ManyParts) {
    auto parts = all_parts_from_str<Springs>("X0*Y1");
    ManyPartSprings m{*parts};
    EXPECT_EQ(m.parts.size(), 2u);
    EXPECT_EQ(m.len(), 1u);
    EXPECT_EQ(m.to_string(), "X0 Y1");
    ManyPartSprings three{*all_parts_from_str<Springs>("X0*Y1, Z2, (2, X3*Z4*Y5)")};
    EXPECT_EQ(three.len(), 3u);
    EXPECT_EQ(three.to_string(), "X0, Z2, X3 Y1, , Z4 , , Y5");
    ManyPartSprings none{*all_parts_from_str<Springs>("")};
    EXPECT_EQ(none.len(), 0u);
    EXPECT_EQ(none.to_string(), "");
}
