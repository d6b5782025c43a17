// What Python cannot reach of the products of Pauli linear combinations:
// the commutation test and single-string addition (against dense matrices
// built here and hand-worked cases), zero registers and zero coefficients,
// and bit-for-bit agreement with pair-by-pair accumulation. The products'
// Python-visible behaviour is tested from Python.
#include <gtest/gtest.h>

#include <complex>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/qubit/lincomb.hpp"
#include "core/qubit/pauli_list_from_text.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

namespace {

CmpntList list_of(std::string_view text, uint64_t n) {
    auto s = from_str<Springs>(text);
    EXPECT_TRUE(s) << text;
    const Qubits q = Qubits::from_count(n);
    auto l = new_unit_phases(&q, &*s);
    EXPECT_TRUE(l) << text;
    return *l;
}

struct Product {
    CmpntList cmpnts;
    Map map;
    ComplexVec coeffs;
    explicit Product(uint64_t n) : cmpnts(Qubits::from_count(n)) {}
    explicit Product(Qubits q) : cmpnts(std::move(q)) {}
    ProductMutView view() { return {cmpnts, map, coeffs}; }
};

template <class C>
Product multiply(const CmpntList& a, const C& ca, const CmpntList& b, const C& cb) {
    Product out(a.qubits());
    auto r = assign_from_mul(out.view(), LincombView<C>{a, ca}, LincombView<C>{b, cb});
    EXPECT_TRUE(r);
    return out;
}

RealVec rvec(std::vector<double> v) {
    RealVec out;
    for (auto c : v) out.push(c);
    return out;
}

Dense dense_lincomb(const CmpntList& l, const ComplexVec& c) {
    const uint64_t dim = uint64_t{1} << l.n_qubit();
    Dense m(dim);
    for (uint64_t i = 0; i < std::min(l.size(), c.size()); ++i) {
        const Dense t = dense_of(paulis_of(l, i)).scaled(c.get(i));
        for (size_t k = 0; k < m.a.size(); ++k) m.a[k] += t.a[k];
    }
    return m;
}

// The map describes the list: one pair per string, each found at its index.
void expect_map_describes(const Product& p) {
    ASSERT_EQ(p.map.size(), p.cmpnts.size());
    ASSERT_EQ(p.coeffs.size(), p.cmpnts.size());
    const SetView<CmpntList> set(p.cmpnts, p.map);
    for (uint64_t i = 0; i < p.cmpnts.size(); ++i) EXPECT_EQ(set.lookup(p.cmpnts.elem_u64it(i)), i);
}

}  // namespace

TEST(PauliLincombMul, ZeroQubitsAndZeroCoefficients) {
    // On no qubits every string is the identity: the coefficients multiply and sum.
    CmpntList e(Qubits::from_count(0));
    e.resize(2);
    auto p = multiply(e, rvec({2, 3}), e, rvec({5, 7}));
    ASSERT_EQ(p.cmpnts.size(), 1u);
    EXPECT_EQ(p.coeffs.get(0), Complex((2 + 3) * (5 + 7), 0));
    // A zero coefficient appends and removes its string at once.
    auto z = multiply(list_of("X0", 1), rvec({0.0}), list_of("Y0", 1), rvec({1.0}));
    EXPECT_EQ(z.cmpnts.size(), 0u);
    expect_map_describes(z);
    // NaN never counts as zero.
    auto nan = multiply(list_of("X0", 1), rvec({std::nan("")}), list_of("X0", 1), rvec({1.0}));
    EXPECT_EQ(nan.cmpnts.size(), 1u);
}

TEST(PauliLincombCommute, Cases) {
    const auto x = list_of("X0", 1), z = list_of("Z0", 1);
    const RealVec one = rvec({1.0});
    auto c = [](const CmpntList& a, const RealVec& ca, const CmpntList& b, const RealVec& cb, double atol) {
        auto r = commute(LincombView<RealVec>{a, ca}, LincombView<RealVec>{b, cb}, atol);
        EXPECT_TRUE(r);
        return r.value_or(false);
    };
    EXPECT_TRUE(c(x, one, x, one, 0.0));
    EXPECT_TRUE(c(x, one, CmpntList(Qubits::from_count(1)), RealVec(), 0.0));
    // XZ - ZX = -2i Y: magnitude 2.
    EXPECT_FALSE(c(x, one, z, one, 1.0));
    EXPECT_TRUE(c(x, one, z, one, 2.0));
    // X0 X1 commutes with Z0 Z1 though each factor anticommutes.
    EXPECT_TRUE(c(list_of("X0 X1", 2), one, list_of("Z0 Z1", 2), one, 0.0));
    // A combination commutes with itself and with its square.
    const auto h = list_of("X0, Z0 Z1, Y1", 2);
    const RealVec ch = rvec({0.5, -1.5, 2.0});
    EXPECT_TRUE(c(h, ch, h, ch, 0.0));
    // NaN magnitudes do not make the answer false.
    EXPECT_TRUE(c(x, rvec({std::nan("")}), z, one, 0.0));
    // Different registers.
    auto r = commute(LincombView<RealVec>{x, one}, LincombView<RealVec>{list_of("X0", 2), one}, 0.0);
    EXPECT_FALSE(r);
}

TEST(PauliLincombCommute, AgreesWithDenseCommutators) {
    std::mt19937_64 rng(5);
    int seen_true = 0, seen_false = 0;
    for (int trial = 0; trial < 80; ++trial) {
        const uint64_t n = 1 + trial % 3;
        CmpntList a(Qubits::from_count(n)), b(Qubits::from_count(n));
        ComplexVec ca, cb;
        for (int k = 0; k < 1 + trial % 3; ++k) push_paulis(a, random_paulis(rng, n)), ca.push({1.0, 0.0});
        for (int k = 0; k < 1 + trial % 2; ++k) push_paulis(b, random_paulis(rng, n)), cb.push({0.0, 2.0});
        const Dense A = dense_lincomb(a, ca), B = dense_lincomb(b, cb);
        const Dense AB = A * B, BA = B * A;
        const bool dense_commute = AB == BA;
        auto r = commute(LincombView<ComplexVec>{a, ca}, LincombView<ComplexVec>{b, cb}, 1e-12);
        ASSERT_TRUE(r);
        EXPECT_EQ(*r, dense_commute) << trial;
        (dense_commute ? seen_true : seen_false)++;
    }
    EXPECT_GT(seen_true, 0);
    EXPECT_GT(seen_false, 0);
}

TEST(PauliLincombAddMap, AddsAccumulatesAndRefusesOutsidePositions) {
    Product out(3);
    std::map<uint64_t, P> xy{{0, P::X}, {2, P::Y}};
    ASSERT_TRUE(add_from_pauli_map(out.view(), xy, Complex(1.5, 0)));
    ASSERT_EQ(out.cmpnts.size(), 1u);
    EXPECT_EQ(out.cmpnts.fmt_elem(0), "X0 Y2");
    ASSERT_TRUE(add_from_pauli_map(out.view(), std::map<uint64_t, P>{}, Complex(2, 0)));
    EXPECT_EQ(out.cmpnts.fmt_elem(1), "");
    ASSERT_TRUE(add_from_pauli_map(out.view(), xy, Complex(0, 1)));
    EXPECT_EQ(out.coeffs.get(0), Complex(1.5, 1));
    // Outside the register: nothing changes.
    auto r = add_from_pauli_map(out.view(), std::map<uint64_t, P>{{3, P::Z}}, Complex(1, 0));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), (OutOfBounds{3, 3, OutOfBoundsKind::Mode}));
    EXPECT_EQ(out.cmpnts.size(), 2u);
    // Adding the negative removes the string; the last one moves into its slot.
    ASSERT_TRUE(add_from_pauli_map(out.view(), xy, Complex(-1.5, -1)));
    ASSERT_EQ(out.cmpnts.size(), 1u);
    EXPECT_EQ(out.cmpnts.fmt_elem(0), "");
    EXPECT_EQ(out.coeffs.get(0), Complex(2, 0));
    expect_map_describes(out);

    // Real coefficients too.
    CmpntList rl(Qubits::from_count(2));
    Map rm;
    RealVec rc;
    ASSERT_TRUE(add_from_pauli_map(LincombSetMutView<RealVec>{rl, rm, rc}, std::map<uint64_t, P>{{1, P::Z}}, 0.25));
    EXPECT_EQ(rl.fmt_elem(0), "Z1");
    EXPECT_EQ(rc.get(0), 0.25);
}

// The product equals accumulating every pair through the generic scaled-add
// kernel, one pair at a time: same strings in the same order, same
// coefficients bit for bit, also when many terms cancel along the way.
TEST(PauliLincombMul, EqualsPairByPairAccumulation) {
    std::mt19937_64 rng(17);
    const double values[] = {-2, -1, 1, 2, 0.5};
    for (uint64_t n : {2u, 3u, 64u, 100u, 130u}) {
        for (int trial = 0; trial < 4; ++trial) {
            CmpntList a(Qubits::from_count(n)), b(Qubits::from_count(n));
            ComplexVec ca, cb;
            const uint64_t active = std::min<uint64_t>(n, 3);  // few distinct strings: many cancellations
            for (int k = 0; k < 40; ++k) {
                auto pa = random_paulis(rng, active), pb = random_paulis(rng, active);
                pa.resize(n, P::I), pb.resize(n, P::I);
                if (n > 64) pa[n - 1] = pb[n - 2] = P::Y;  // touch the last word too
                push_paulis(a, pa), push_paulis(b, pb);
                ca.push({values[rng() % 5], trial % 2 ? values[rng() % 5] : 0.0});
                cb.push({values[rng() % 5], 0.0});
            }
            auto p = multiply(a, ca, b, cb);

            Product ref(n);
            CmpntList scratch = CmpntList::elem(Qubits::from_count(n));
            for (uint64_t i = 0; i < a.size(); ++i)
                for (uint64_t j = 0; j < b.size(); ++j) {
                    const ComplexSign k = assign_mul_unchecked(scratch, 0, a, i, b, j);
                    const Complex c = scaled_complex(scaled_complex(ipow(k.value()), ca.get(i)), cb.get(j));
                    scaled_iadd_u64it(ref.view(), scratch.elem_u64it(0), c);
                }
            ASSERT_EQ(p.cmpnts, ref.cmpnts) << n;
            ASSERT_EQ(p.coeffs.size(), ref.coeffs.size());
            for (uint64_t r = 0; r < p.coeffs.size(); ++r) {
                EXPECT_EQ(p.coeffs.get(r).real(), ref.coeffs.get(r).real());
                EXPECT_EQ(p.coeffs.get(r).imag(), ref.coeffs.get(r).imag());
            }
            expect_map_describes(p);
        }
    }
}
