// Products of Pauli linear combinations large enough for the output to grow
// in several chunks and for its map to take the prefetching path, checked
// pair by pair against the generic scaled-add kernel: same strings in the
// same order, same coefficients bit for bit (also after exact cancellations,
// which remove strings from the middle of the list), a map that describes
// the list, and the same result in an output that held an earlier product.
// The compiled loops are also called one by one: the portable loop and the
// AVX2 loop (where the processor has AVX2), specialised and generic widths.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <vector>

#include "core/qubit/lincomb.hpp"
#include "core/qubit/product_kernel.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

namespace {

struct Out {
    CmpntList cmpnts;
    Map map;
    ComplexVec coeffs;
    explicit Out(uint64_t n) : cmpnts(Qubits::from_count(n)) {}
    ProductMutView view() { return {cmpnts, map, coeffs}; }
};

// m strings on n qubits whose non-identity positions lie below `active`
// (few active positions: many coinciding products).
CmpntList random_list(std::mt19937_64& rng, uint64_t n, uint64_t active, int m) {
    CmpntList l(Qubits::from_count(n));
    for (int k = 0; k < m; ++k) {
        auto p = random_paulis(rng, std::min(n, active));
        p.resize(n, P::I);
        if (n > 64) p[n - 1] = P::X;  // the last word takes part too
        push_paulis(l, p);
    }
    return l;
}

ComplexVec small_coeffs(std::mt19937_64& rng, int m) {
    // Small integers and halves: sums are exact, so cancellations give exact
    // zeros. A few coefficients are zero: their products are appended and
    // removed at once.
    const double v[] = {-2, -1, -0.5, 0.5, 1, 2};
    ComplexVec c;
    for (int k = 0; k < m; ++k) {
        if (rng() % 50 == 0) c.push({0.0, rng() & 1 ? -0.0 : 0.0});
        else c.push({v[rng() % 6], (rng() & 1) ? v[rng() % 6] : 0.0});
    }
    return c;
}

Out reference(const CmpntList& a, const ComplexVec& ca, const CmpntList& b, const ComplexVec& cb) {
    Out ref(a.n_qubit());
    CmpntList scratch = CmpntList::elem(a.qubits());
    for (uint64_t i = 0; i < a.size(); ++i)
        for (uint64_t j = 0; j < b.size(); ++j) {
            const ComplexSign k = assign_mul_unchecked(scratch, 0, a, i, b, j);
            const Complex c = scaled_complex(scaled_complex(ipow(k.value()), ca.get(i)), cb.get(j));
            scaled_iadd_u64it(ref.view(), scratch.elem_u64it(0), c);
        }
    return ref;
}

void expect_same(const Out& p, const Out& ref) {
    ASSERT_EQ(p.cmpnts, ref.cmpnts);
    ASSERT_EQ(p.coeffs.size(), ref.coeffs.size());
    for (uint64_t r = 0; r < p.coeffs.size(); ++r) {
        EXPECT_EQ(std::bit_cast<uint64_t>(p.coeffs.get(r).real()), std::bit_cast<uint64_t>(ref.coeffs.get(r).real()));
        EXPECT_EQ(std::bit_cast<uint64_t>(p.coeffs.get(r).imag()), std::bit_cast<uint64_t>(ref.coeffs.get(r).imag()));
    }
    ASSERT_EQ(p.map.size(), p.cmpnts.size());
    const SetView<CmpntList> set(p.cmpnts, p.map);
    for (uint64_t i = 0; i < p.cmpnts.size(); ++i) ASSERT_EQ(set.lookup(p.cmpnts.elem_u64it(i)), i);
}

RealVec real_parts(const ComplexVec& c) {
    RealVec r;
    for (uint64_t i = 0; i < c.size(); ++i) r.push(c.get(i).real());
    return r;
}

// Each compiled loop for rows of W words (0: any), run on its own into a
// fresh output without reserve (so that it grows): all equal `ref`.
template <size_t W, FieldVec C>
void expect_loops_give(const CmpntList& a, const C& ca, const CmpntList& b, const C& cb, const Out& ref) {
    const LincombView<C> l{a, ca}, r{b, cb};
    Out p(a.n_qubit());
    mul_pairs<W>(p.view(), l, r, a.size(), b.size(), 0);
    expect_same(p, ref);
#if defined(VEMO_HAVE_SIP13_X4)
    if (cpu_has_avx2()) {
        Out q(a.n_qubit());
        mul_pairs_avx2<W>(q.view(), l, r, a.size(), b.size(), 0);
        expect_same(q, ref);
    }
#endif
}

template <size_t W>
void expect_all_loops(std::mt19937_64& rng, uint64_t n, uint64_t active, int m) {
    const CmpntList a = random_list(rng, n, active, m), b = random_list(rng, n, active, m);
    const ComplexVec ca = small_coeffs(rng, m), cb = small_coeffs(rng, m);
    SCOPED_TRACE(::testing::Message() << "n=" << n << " active=" << active << " W=" << W);
    const Out ref = reference(a, ca, b, cb);
    expect_loops_give<W>(a, ca, b, cb, ref);
    expect_loops_give<0>(a, ca, b, cb, ref);
    // Real coefficients: every loop gives what the dispatched product gives.
    const RealVec ra = real_parts(ca), rb = real_parts(cb);
    Out real_ref(n);
    ASSERT_TRUE(assign_from_mul(real_ref.view(), LincombView<RealVec>{a, ra}, LincombView<RealVec>{b, rb}));
    expect_loops_give<W>(a, ra, b, rb, real_ref);
    expect_loops_give<0>(a, ra, b, rb, real_ref);
}

}  // namespace

TEST(PauliLincombMulLarge, EveryCompiledLoopGivesTheSameResult) {
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

TEST(PauliLincombMulLarge, EqualsPairByPairAccumulation) {
    std::mt19937_64 rng(23);
    struct Case {
        uint64_t n, active;
        int m;
    };
    // One, two and three words per plane; 400 x 400 pairs reserve a map of
    // several MiB. Seven active qubits give a few thousand distinct strings
    // with many cancellations; more give mostly distinct products.
    for (const Case& c : {Case{10, 7, 400}, Case{10, 10, 400}, Case{100, 7, 400}, Case{100, 100, 200},
                          Case{130, 6, 150}, Case{130, 130, 120}}) {
        const CmpntList a = random_list(rng, c.n, c.active, c.m), b = random_list(rng, c.n, c.active, c.m);
        const ComplexVec ca = small_coeffs(rng, c.m), cb = small_coeffs(rng, c.m);
        const Out ref = reference(a, ca, b, cb);
        Out p(c.n);
        ASSERT_TRUE(assign_from_mul(p.view(), LincombView<ComplexVec>{a, ca}, LincombView<ComplexVec>{b, cb}));
        SCOPED_TRACE(::testing::Message() << "n=" << c.n << " active=" << c.active);
        expect_same(p, ref);
        // The output of a larger product, rebuilt: its spare capacity changes nothing.
        ASSERT_TRUE(assign_from_mul(p.view(), LincombView<ComplexVec>{b, cb}, LincombView<ComplexVec>{a, ca}));
        ASSERT_TRUE(assign_from_mul(p.view(), LincombView<ComplexVec>{a, ca}, LincombView<ComplexVec>{b, cb}));
        expect_same(p, ref);
    }
}
