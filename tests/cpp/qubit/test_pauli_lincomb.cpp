// Products, commutation and single-string addition of Pauli linear
// combinations, checked against dense matrices built here, against a
// position-by-position product, and on hand-worked cases.
#include <gtest/gtest.h>

#include <complex>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/qubit/lincomb.hpp"
#include "core/qubit/pauli_array_new.hpp"
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

ComplexVec cvec(std::vector<Complex> v) {
    ComplexVec out;
    for (auto c : v) out.push(c);
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

// The product of two single positions from the Pauli multiplication table.
std::pair<P, Complex> single_product(P a, P b) {
    if (a == P::I) return {b, 1.0};
    if (b == P::I || a == b) return {a == b ? P::I : a, 1.0};
    const int ia = static_cast<int>(a), ib = static_cast<int>(b);  // X 1, Y 2, Z 3
    const P c = static_cast<P>(6 - ia - ib);
    const bool cyclic = (ib - ia + 3) % 3 == 1;  // X->Y->Z->X
    return {c, cyclic ? Complex(0, 1) : Complex(0, -1)};
}

}  // namespace

TEST(PauliLincombMul, WorkedExamples) {
    // X0 Y0 = i Z0 and Y0 X0 = -i Z0.
    auto xy = multiply(list_of("X0", 1), cvec({1.0}), list_of("Y0", 1), cvec({1.0}));
    ASSERT_EQ(xy.cmpnts.size(), 1u);
    EXPECT_EQ(xy.cmpnts.fmt_elem(0), "Z0");
    EXPECT_EQ(xy.coeffs.get(0), Complex(0, 1));
    auto yx = multiply(list_of("Y0", 1), cvec({1.0}), list_of("X0", 1), cvec({1.0}));
    EXPECT_EQ(yx.coeffs.get(0), Complex(0, -1));

    // Real inputs give complex outputs: X0 (1) times Y0 (2) is 2i Z0.
    auto real = multiply(list_of("X0", 1), rvec({1.0}), list_of("Y0", 1), rvec({2.0}));
    ASSERT_EQ(real.cmpnts.size(), 1u);
    EXPECT_EQ(real.coeffs.get(0), Complex(0, 2));

    // (X0 + Y0)(Y0 + X0): Z0 gets i then -i and is swap-removed; I is left with 2.
    auto canc = multiply(list_of("X0, Y0", 1), rvec({1, 1}), list_of("Y0, X0", 1), rvec({1, 1}));
    ASSERT_EQ(canc.cmpnts.size(), 1u);
    EXPECT_EQ(canc.cmpnts.fmt_elem(0), "");
    EXPECT_EQ(canc.coeffs.get(0), Complex(2, 0));
    expect_map_describes(canc);
}

TEST(PauliLincombMul, OrderOfFirstAppearanceAndCoefficientOrder) {
    // Pairs run lhs-major: (X0,X0)=I, (X0,Z1)=X0 Z1, (Z1,X0)=X0 Z1, (Z1,Z1)=I.
    auto p = multiply(list_of("X0, Z1", 2), cvec({{1, 1}, {2, 0}}), list_of("X0, Z1", 2), cvec({{0, 1}, {3, 0}}));
    ASSERT_EQ(p.cmpnts.size(), 2u);
    EXPECT_EQ(p.cmpnts.fmt_elem(0), "");
    EXPECT_EQ(p.cmpnts.fmt_elem(1), "X0 Z1");
    // I: (1+i) i + 2*3 = 5 + i; X0 Z1: (1+i)*3 + 2i = 3 + 5i.
    EXPECT_EQ(p.coeffs.get(0), Complex(5, 1));
    EXPECT_EQ(p.coeffs.get(1), Complex(3, 5));
}

TEST(PauliLincombMul, EmptyInputsEmptyTheOutput) {
    Product out(1);
    const auto x = list_of("X0, Z0", 1);
    ASSERT_TRUE(assign_from_mul(out.view(), LincombView<RealVec>{x, rvec({1, 2})}, LincombView<RealVec>{x, rvec({3, 4})}));
    ASSERT_EQ(out.cmpnts.size(), 2u);
    const CmpntList none(Qubits::from_count(1));
    ASSERT_TRUE(assign_from_mul(out.view(), LincombView<RealVec>{none, RealVec()}, LincombView<RealVec>{x, rvec({1, 2})}));
    EXPECT_EQ(out.cmpnts.size(), 0u);
    EXPECT_EQ(out.coeffs.size(), 0u);
    EXPECT_EQ(out.map.size(), 0u);
    // No coefficients means no taking-part terms.
    ASSERT_TRUE(assign_from_mul(out.view(), LincombView<RealVec>{x, rvec({1, 2})}, LincombView<RealVec>{x, RealVec()}));
    EXPECT_EQ(out.cmpnts.size(), 0u);
    EXPECT_EQ(out.cmpnts.qubits(), Qubits::from_count(1));
}

TEST(PauliLincombMul, ShortCoefficientVectorsLimitTheTerms) {
    // Only X0 of lhs and Y0 of rhs take part.
    auto p = multiply(list_of("X0, Z0", 1), cvec({2.0}), list_of("Y0, X0, Z0", 1), cvec({1.0}));
    ASSERT_EQ(p.cmpnts.size(), 1u);
    EXPECT_EQ(p.cmpnts.fmt_elem(0), "Z0");
    EXPECT_EQ(p.coeffs.get(0), Complex(0, 2));
    // Surplus coefficients are ignored.
    auto q = multiply(list_of("X0", 1), rvec({1, 9, 9}), list_of("X0", 1), rvec({3, 9}));
    ASSERT_EQ(q.cmpnts.size(), 1u);
    EXPECT_EQ(q.coeffs.get(0), Complex(3, 0));
}

TEST(PauliLincombMul, DifferentRegistersChangeNothing) {
    const auto a = list_of("X0", 2), b = list_of("Y0", 2);
    Product out(3);
    ASSERT_TRUE(assign_from_mul(out.view(), LincombView<RealVec>{list_of("Z1", 3), rvec({1})},
                                LincombView<RealVec>{list_of("Z2", 3), rvec({1})}));
    const CmpntList before = out.cmpnts;
    const ComplexVec cbefore = out.coeffs;
    auto r = assign_from_mul(out.view(), LincombView<RealVec>{a, rvec({1})}, LincombView<RealVec>{b, rvec({1})});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message(), "Qubits-based objects are based on different qubit spaces.");
    EXPECT_EQ(out.cmpnts, before);
    EXPECT_EQ(out.coeffs, cbefore);
    EXPECT_EQ(out.map.size(), 1u);
    // lhs and rhs on different registers, out matching lhs.
    Product out2(2);
    EXPECT_FALSE(assign_from_mul(out2.view(), LincombView<RealVec>{a, rvec({1})},
                                 LincombView<RealVec>{list_of("Y0", 3), rvec({1})}));
    // Equal qubit counts but different kinds of register are different registers.
    auto idx = Qubits::from_inds({5, 7});
    ASSERT_TRUE(idx);
    Product out3(*idx);
    EXPECT_FALSE(assign_from_mul(out3.view(), LincombView<RealVec>{a, rvec({1})}, LincombView<RealVec>{b, rvec({1})}));
}

TEST(PauliLincombMul, DenseMatricesOfRandomOperators) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int trial = 0; trial < 60; ++trial) {
        const uint64_t n = 1 + trial % 5;
        CmpntList a(Qubits::from_count(n)), b(Qubits::from_count(n));
        ComplexVec ca, cb;
        const int la = 1 + static_cast<int>(rng() % 6), lb = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < la; ++k) push_paulis(a, random_paulis(rng, n)), ca.push({u(rng), u(rng)});
        for (int k = 0; k < lb; ++k) push_paulis(b, random_paulis(rng, n)), cb.push({u(rng), u(rng)});
        auto p = multiply(a, ca, b, cb);
        expect_map_describes(p);
        EXPECT_TRUE(dense_lincomb(p.cmpnts, p.coeffs) == dense_lincomb(a, ca) * dense_lincomb(b, cb)) << trial;
        // Squaring: the same combination on both sides.
        auto sq = multiply(a, ca, a, ca);
        EXPECT_TRUE(dense_lincomb(sq.cmpnts, sq.coeffs) == dense_lincomb(a, ca) * dense_lincomb(a, ca)) << trial;
    }
}

TEST(PauliLincombMul, RealInputsMatchTheirComplexForm) {
    std::mt19937_64 rng(11);
    for (int trial = 0; trial < 20; ++trial) {
        const uint64_t n = 3;
        CmpntList a(Qubits::from_count(n)), b(Qubits::from_count(n));
        RealVec ra, rb;
        ComplexVec ca, cb;
        for (int k = 0; k < 5; ++k) {
            push_paulis(a, random_paulis(rng, n));
            push_paulis(b, random_paulis(rng, n));
            const double x = static_cast<double>(rng() % 7) - 3, y = static_cast<double>(rng() % 5) + 1;
            ra.push(x), ca.push({x, 0}), rb.push(y), cb.push({y, 0});
        }
        auto pr = multiply(a, ra, b, rb);
        auto pc = multiply(a, ca, b, cb);
        ASSERT_EQ(pr.cmpnts, pc.cmpnts);
        ASSERT_EQ(pr.coeffs, pc.coeffs);
    }
}

TEST(PauliLincombMul, ManyWordStringsMatchPositionByPositionProducts) {
    std::mt19937_64 rng(3);
    for (uint64_t n : {63u, 64u, 65u, 130u, 200u}) {
        CmpntList a(Qubits::from_count(n)), b(Qubits::from_count(n));
        std::vector<std::vector<P>> pa, pb;
        for (int k = 0; k < 4; ++k) {
            pa.push_back(random_paulis(rng, n)), push_paulis(a, pa.back());
            pb.push_back(random_paulis(rng, n)), push_paulis(b, pb.back());
        }
        const ComplexVec ones = cvec({1.0, 1.0, 1.0, 1.0});
        auto p = multiply(a, ones, b, ones);
        // Accumulate the same sum by hand, keyed by the product's symbols.
        std::map<std::vector<P>, Complex> expected;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                std::vector<P> s(n);
                Complex f = 1.0;
                for (uint64_t q = 0; q < n; ++q) {
                    auto [c, ph] = single_product(pa[i][q], pb[j][q]);
                    s[q] = c;
                    f *= ph;
                }
                expected[s] += f;
            }
        std::erase_if(expected, [](const auto& kv) { return kv.second == Complex(0, 0); });
        ASSERT_EQ(p.cmpnts.size(), expected.size()) << n;
        for (uint64_t r = 0; r < p.cmpnts.size(); ++r) {
            auto it = expected.find(paulis_of(p.cmpnts, r));
            ASSERT_NE(it, expected.end());
            EXPECT_EQ(p.coeffs.get(r), it->second);
        }
        expect_map_describes(p);
    }
}

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

TEST(PauliArrayNew, BuildsWithAndWithoutRegister) {
    auto s = from_str<Springs>("X0 Y2");
    ASSERT_TRUE(s);
    auto d = new_unit_phases(nullptr, &*s);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->qubits(), Qubits::from_count(3));
    EXPECT_EQ(d->fmt_elem(0), "X0 Y2");
    EXPECT_EQ(d->get_pauli_unchecked(0, 1), P::I);

    auto none = new_unit_phases(nullptr, nullptr);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->size(), 0u);
    EXPECT_EQ(none->qubits(), Qubits::from_count(0));

    const Qubits four = Qubits::from_count(4);
    auto empty4 = new_unit_phases(&four, nullptr);
    ASSERT_TRUE(empty4);
    EXPECT_EQ(empty4->size(), 0u);
    EXPECT_EQ(empty4->qubits(), four);

    // Identity tokens count towards the default register.
    auto ident = from_str<Springs>("X0, I4");
    auto di = new_unit_phases(nullptr, &*ident);
    ASSERT_TRUE(di);
    EXPECT_EQ(di->n_qubit(), 5u);
    EXPECT_EQ(di->size(), 2u);
}

TEST(PauliArrayNew, PositionsOutsideTheRegister) {
    auto s = from_str<Springs>("X0, Z2");
    const Qubits two = Qubits::from_count(2);
    auto r = new_unit_phases(&two, &*s);
    ASSERT_FALSE(r);
    EXPECT_TRUE(r.error().is_mode_bounds());
    EXPECT_EQ(r.error(), ParseError(OutOfBounds{2, 2, OutOfBoundsKind::Mode}));
    // The register's indices do not matter, only its qubit count.
    auto idx = Qubits::from_inds({5, 7});
    auto z1 = from_str<Springs>("Z1");
    EXPECT_TRUE(new_unit_phases(&*idx, &*z1));
    EXPECT_FALSE(new_unit_phases(&*idx, &*s));
}

TEST(PauliArrayNew, Phases) {
    auto s = from_str<Springs>("X0 X0, X0 Y0, Y0 X0, X0 Y0 Y0 X0 Z1");
    auto r = new_with_phases(nullptr, &*s);
    ASSERT_TRUE(r);
    const auto& [l, ph] = *r;
    EXPECT_EQ(l.to_string(), ", Z0, Z0, Z1");
    EXPECT_EQ(ph.get(0), ComplexSign(0));
    EXPECT_EQ(ph.get(1), ComplexSign(1));
    EXPECT_EQ(ph.get(2), ComplexSign(3));
    EXPECT_EQ(ph.get(3), ComplexSign(0));

    auto refused = new_unit_phases(nullptr, &*s);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().message(), "Value +i of type \"ComplexSign\" is not representable as type \"Unity\"");
    auto minus = from_str<Springs>("X0 X0, Z0 Y0");  // Z Y = -i X
    EXPECT_EQ(new_unit_phases(nullptr, &*minus).error().message(),
              "Value -i of type \"ComplexSign\" is not representable as type \"Unity\"");
    auto ok = from_str<Springs>("X0 X0");
    EXPECT_TRUE(new_unit_phases(nullptr, &*ok));
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
