// What Python cannot reach of the linear combinations of Pauli strings: the
// commutation test and single-string addition, zero coefficients, and
// products of every kernel path (one, two and more words per plane, outputs
// large enough to grow in chunks and to take the map's prefetching path)
// equal to pair-by-pair accumulation bit for bit, the portable and the AVX2
// loop each called on its own.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/qubit/lincomb.hpp"
#include "../common/vec_of.hpp"
#include "core/qubit/pauli_list_from_text.hpp"
#include "core/qubit/product_kernel.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using vemo::testing::vec_of;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

namespace {

CmpntList parsed(std::string_view text, uint64_t n) {
    const Qubits q = Qubits::from_count(n);
    const Springs s = expect_ok(from_str<Springs>(text), "text");
    return expect_ok(new_unit_phases(&q, &s), "list");
}

struct Product {
    CmpntList cmpnts;
    Map map;
    ComplexVec coeffs;
    explicit Product(uint64_t n) : cmpnts(Qubits::from_count(n)) {}
    ProductMutView view() { return {cmpnts, map, coeffs}; }
    // The map describes the list: one pair per string, each found at its index.
    void expect_consistent() const {
        ASSERT_EQ(map.size(), cmpnts.size());
        ASSERT_EQ(coeffs.size(), cmpnts.size());
        const SetView<CmpntList> set(cmpnts, map);
        for (uint64_t i = 0; i < cmpnts.size(); ++i) ASSERT_EQ(set.lookup(cmpnts.elem_u64it(i)), i);
    }
};

template <class C>
Product multiply(const CmpntList& a, const C& ca, const CmpntList& b, const C& cb) {
    Product out(a.n_qubit());
    EXPECT_TRUE(assign_from_mul(out.view(), LincombView<C>{a, ca}, LincombView<C>{b, cb}));
    return out;
}

// m strings on n qubits whose non-identity positions lie below `active` (few
// active positions: many coinciding products), with small coefficients whose
// sums are exact; a few are zero (appended and removed at once).
void random_lincomb(std::mt19937_64& rng, uint64_t n, uint64_t active, int m, CmpntList& l, ComplexVec& c) {
    const double v[] = {-2, -1, -0.5, 0.5, 1, 2};
    l = CmpntList(Qubits::from_count(n));
    for (int k = 0; k < m; ++k) {
        auto p = random_paulis(rng, std::min(n, active));
        p.resize(n, P::I);
        if (n > 64) p[n - 1] = P::X;  // the last word takes part too
        push_paulis(l, p);
        if (rng() % 50 == 0) c.push({0.0, rng() & 1 ? -0.0 : 0.0});
        else c.push({v[rng() % 6], (rng() & 1) ? v[rng() % 6] : 0.0});
    }
}

// Every pair accumulated through the generic scaled-add kernel, one at a time.
Product pair_by_pair(const CmpntList& a, const ComplexVec& ca, const CmpntList& b, const ComplexVec& cb) {
    Product ref(a.n_qubit());
    CmpntList scratch = CmpntList::elem(a.qubits());
    for (uint64_t i = 0; i < a.size(); ++i)
        for (uint64_t j = 0; j < b.size(); ++j) {
            const ComplexSign k = assign_mul_unchecked(scratch, 0, a, i, b, j);
            const Complex f = scaled_complex(scaled_complex(ipow(k.value()), ca.get(i)), cb.get(j));
            scaled_iadd_u64it(ref.view(), scratch.elem_u64it(0), f);
        }
    return ref;
}

// Same strings in the same order, same coefficients bit for bit, a map that describes the list.
void expect_same(const Product& p, const Product& ref) {
    ASSERT_EQ(p.cmpnts, ref.cmpnts);
    ASSERT_EQ(p.coeffs.size(), ref.coeffs.size());
    for (uint64_t r = 0; r < p.coeffs.size(); ++r) {
        ASSERT_EQ(std::bit_cast<uint64_t>(p.coeffs.get(r).real()), std::bit_cast<uint64_t>(ref.coeffs.get(r).real()));
        ASSERT_EQ(std::bit_cast<uint64_t>(p.coeffs.get(r).imag()), std::bit_cast<uint64_t>(ref.coeffs.get(r).imag()));
    }
    p.expect_consistent();
}

RealVec real_parts(const ComplexVec& c) {
    RealVec r;
    for (uint64_t i = 0; i < c.size(); ++i) r.push(c.get(i).real());
    return r;
}

// Each compiled loop for rows of W words (0: any), run on its own into a
// fresh output without reserve (so that it grows): all equal `ref`.
template <size_t W, FieldVec C>
void expect_loops_give(const CmpntList& a, const C& ca, const CmpntList& b, const C& cb, const Product& ref) {
    const LincombView<C> l{a, ca}, r{b, cb};
    Product p(a.n_qubit());
    mul_pairs<W>(p.view(), l, r, a.size(), b.size(), 0);
    expect_same(p, ref);
#if defined(VEMO_HAVE_SIP13_X4)
    if (cpu_has_avx2()) {
        Product q(a.n_qubit());
        mul_pairs_avx2<W>(q.view(), l, r, a.size(), b.size(), 0);
        expect_same(q, ref);
    }
#endif
}

template <size_t W>
void expect_all_loops(std::mt19937_64& rng, uint64_t n, uint64_t active, int m) {
    SCOPED_TRACE(::testing::Message() << "n=" << n << " active=" << active << " W=" << W);
    CmpntList a, b;
    ComplexVec ca, cb;
    random_lincomb(rng, n, active, m, a, ca);
    random_lincomb(rng, n, active, m, b, cb);
    const Product ref = pair_by_pair(a, ca, b, cb);
    expect_loops_give<W>(a, ca, b, cb, ref);
    expect_loops_give<0>(a, ca, b, cb, ref);
    // Real coefficients: every loop gives what the dispatched product gives.
    const RealVec ra = real_parts(ca), rb = real_parts(cb);
    const Product real_ref = multiply(a, ra, b, rb);
    expect_loops_give<W>(a, ra, b, rb, real_ref);
    expect_loops_give<0>(a, ra, b, rb, real_ref);
}

}  // namespace

// The portable and the AVX2 loop, called directly for every width.
TEST(PauliLincombMul, EveryCompiledLoopGivesTheSameResult) {
    std::mt19937_64 rng(29);
    expect_all_loops<1>(rng, 10, 7, 300);
    expect_all_loops<1>(rng, 64, 64, 150);
    expect_all_loops<2>(rng, 100, 7, 300);
    expect_all_loops<0>(rng, 130, 130, 100);
#if defined(VEMO_HAVE_SIP13_X4)
    if (!cpu_has_avx2()) GTEST_SKIP() << "no AVX2 on this processor: only the portable loops ran";
#else
    GTEST_SKIP() << "built without the AVX2 loops: only the portable loops ran";
#endif
}

TEST(PauliLincombMul, ZeroCoefficients) {
    // A zero coefficient appends and removes its string at once; NaN never counts as zero.
    auto z = multiply(parsed("X0", 1), vec_of<RealVec>({0.0}), parsed("Y0", 1), vec_of<RealVec>({1.0}));
    EXPECT_EQ(z.cmpnts.size(), 0u);
    z.expect_consistent();
    EXPECT_EQ(multiply(parsed("X0", 1), vec_of<RealVec>({NAN}), parsed("X0", 1), vec_of<RealVec>({1.0})).cmpnts.size(), 1u);
}

// The product equals accumulating every pair through the generic scaled-add
// kernel, one pair at a time: same strings in the same order, same
// coefficients bit for bit, also after exact cancellations and in an output
// that held an earlier, larger product.
TEST(PauliLincombMul, EqualsPairByPairAccumulation) {
    std::mt19937_64 rng(23);
    struct Case {
        uint64_t n, active;
        int m;
    };
    for (const Case& c : {Case{2, 2, 40}, Case{3, 3, 40}, Case{64, 3, 40}, Case{10, 7, 400}, Case{10, 10, 400},
                          Case{100, 7, 400}, Case{100, 100, 200}, Case{130, 6, 150}, Case{130, 130, 120}}) {
        SCOPED_TRACE(::testing::Message() << "n=" << c.n << " active=" << c.active << " m=" << c.m);
        CmpntList a, b;
        ComplexVec ca, cb;
        random_lincomb(rng, c.n, c.active, c.m, a, ca);
        random_lincomb(rng, c.n, c.active, c.m, b, cb);
        const Product ref = pair_by_pair(a, ca, b, cb);
        Product p(c.n);
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(assign_from_mul(p.view(), LincombView<ComplexVec>{a, ca}, LincombView<ComplexVec>{b, cb}));
            expect_same(p, ref);
            ASSERT_TRUE(assign_from_mul(p.view(), LincombView<ComplexVec>{b, cb}, LincombView<ComplexVec>{a, ca}));
        }
    }
}

TEST(PauliLincombCommute, AgreesWithDenseCommutators) {
    std::mt19937_64 rng(5);
    int seen[2] = {0, 0};
    for (int trial = 0; trial < 80; ++trial) {
        const uint64_t n = 1 + trial % 3;
        CmpntList a(Qubits::from_count(n)), b(Qubits::from_count(n));
        ComplexVec ca, cb;
        for (int k = 0; k < 1 + trial % 3; ++k) push_paulis(a, random_paulis(rng, n)), ca.push({1.0, 0.0});
        for (int k = 0; k < 1 + trial % 2; ++k) push_paulis(b, random_paulis(rng, n)), cb.push({0.0, 2.0});
        const Dense A = dense_lincomb_of(a, ca), B = dense_lincomb_of(b, cb);
        const bool want = A * B == B * A;
        EXPECT_EQ(commute(LincombView<ComplexVec>{a, ca}, LincombView<ComplexVec>{b, cb}, 1e-12), want) << trial;
        ++seen[want];
    }
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
    // XZ - ZX = -2i Y: magnitude 2 against atol; NaN magnitudes do not count; registers must agree.
    const auto x = parsed("X0", 1), z = parsed("Z0", 1);
    const RealVec one = vec_of<RealVec>({1.0});
    auto c = [&](const RealVec& cx, double atol) { return *commute(LincombView<RealVec>{x, cx}, LincombView<RealVec>{z, one}, atol); };
    EXPECT_FALSE(c(one, 1.0));
    EXPECT_TRUE(c(one, 2.0));
    EXPECT_TRUE(c(vec_of<RealVec>({NAN}), 0.0));
    EXPECT_FALSE(commute(LincombView<RealVec>{x, one}, LincombView<RealVec>{parsed("X0", 2), one}, 0.0));
}

TEST(PauliLincombAddMap, AddsAccumulatesAndRefusesOutsidePositions) {
    Product out(3);
    const std::map<uint64_t, P> xy{{0, P::X}, {2, P::Y}};
    ASSERT_TRUE(add_from_pauli_map(out.view(), xy, Complex(1.5, 0)));
    ASSERT_TRUE(add_from_pauli_map(out.view(), std::map<uint64_t, P>{}, Complex(2, 0)));
    ASSERT_TRUE(add_from_pauli_map(out.view(), xy, Complex(0, 1)));
    EXPECT_EQ(out.cmpnts.to_string(), "X0 Y2, ");
    EXPECT_EQ(out.coeffs.get(0), Complex(1.5, 1));
    // Outside the register: nothing changes.
    EXPECT_EQ(add_from_pauli_map(out.view(), std::map<uint64_t, P>{{3, P::Z}}, Complex(1, 0)).error(),
              (OutOfBounds{3, 3, OutOfBoundsKind::Mode}));
    EXPECT_EQ(out.cmpnts.size(), 2u);
}
