// The conjugation U P U^dagger of Pauli strings.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/qubit/pauli_word.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::clifford;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

namespace {

// The gate as a dense matrix, qubit q at bit q of the basis index.
Dense dense_gate(const Gate& g, uint64_t n) {
    const uint64_t d = uint64_t{1} << n;
    Dense u(d);
    if (g.kind == GateKind::CX) {
        for (uint64_t c = 0; c < d; ++c) u(c ^ (((c >> g.a) & 1) << g.b), c) = 1;
        return u;
    }
    const double h = 1 / std::sqrt(2.0);
    const cplx m[2][2] = {{g.kind == GateKind::H ? h : 1, g.kind == GateKind::H ? h : 0},
                          {g.kind == GateKind::H ? h : 0, g.kind == GateKind::H ? cplx(-h) : cplx(0, 1)}};
    for (uint64_t r = 0; r < d; ++r)
        for (uint64_t c = 0; c < d; ++c)
            if ((r & ~(uint64_t{1} << g.a)) == (c & ~(uint64_t{1} << g.a))) u(r, c) = m[(r >> g.a) & 1][(c >> g.a) & 1];
    return u;
}

std::pair<std::string, bool> conj(std::string_view text, uint64_t n, const std::vector<Gate>& gates) {
    Springs s;
    EXPECT_TRUE(s.push_str(text));
    CmpntList l = CmpntList::elem(Qubits::from_count(n));
    EXPECT_TRUE(set_spring(l, 0, s, 0));
    auto sign = conj_clifford_vec(l, 0, gates);
    EXPECT_TRUE(sign);
    return {l.fmt_elem(0), sign.value_or(false)};
}

}  // namespace

TEST(CliffordConj, RandomGateListsMatchDenseConjugation) {
    std::mt19937_64 rng(99);
    for (uint64_t n = 1; n <= 5; ++n)
        for (int trial = 0; trial < 40; ++trial) {
            std::vector<Gate> gates;
            const int len = static_cast<int>(rng() % 8);
            for (int g = 0; g < len; ++g) {
                const uint64_t a = rng() % n;
                switch (rng() % 3) {
                    case 0: gates.push_back(Gate::h(a)); break;
                    case 1: gates.push_back(Gate::s(a)); break;
                    default:
                        if (n > 1) gates.push_back(Gate::cx(a, (a + 1 + rng() % (n - 1)) % n));
                }
            }
            const auto ps = random_paulis(rng, n);
            CmpntList l = CmpntList::elem(Qubits::from_count(n));
            push_paulis(l, ps);
            auto sign = conj_clifford_vec(l, 1, gates);
            ASSERT_TRUE(sign);
            Dense expect = dense_of(ps);
            for (const Gate& g : gates) {
                const Dense u = dense_gate(g, n);
                expect = u * expect * u.dagger();
            }
            EXPECT_EQ(dense_of(paulis_of(l, 1)).scaled(*sign ? -1.0 : 1.0), expect);
        }
}

TEST(CliffordConj, PositionsBeyondTheRegisterChangeNothing) {
    CmpntList l = CmpntList::elem(Qubits::from_count(66));
    l.set_pauli_unchecked(0, 65, P::Y);
    EXPECT_EQ(conj_clifford_vec(l, 0, std::vector{Gate::h(65), Gate::cx(1, 66)}).error(),
              (OutOfBounds{66, 66, OutOfBoundsKind::Mode}));
    EXPECT_EQ(conj_clifford_vec(l, 0, std::vector{Gate::cx(70, 1)}).error().message(),
              "Mode index 70 is out-of-bounds for component list with 66 modes per component.");
    EXPECT_EQ(l.fmt_elem(0), "Y65");
    CmpntList empty = CmpntList::elem(Qubits::from_count(0));
    EXPECT_FALSE(conj_clifford_vec(empty, 0, std::vector{Gate::s(0)}));
    EXPECT_EQ(conj_clifford_vec(empty, 0, std::vector<Gate>{}), false);
    // Positions past the first word: Y -> -Y, then (Y, I) -> (Y, X) at (65, 64).
    EXPECT_EQ(conj("X0 Y65", 66, {Gate::h(65), Gate::cx(65, 64)}), (std::pair<std::string, bool>{"X0 X64 Y65", true}));
}
