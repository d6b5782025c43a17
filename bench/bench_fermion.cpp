// Fermion algebra timings on 16 modes: the product of two normal-ordered
// two-body components (planning and expanding alone, and accumulated as in the
// product of two 1000-term operators), and normal ordering of raw products of
// six ladder operators.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "core/fermion/lincomb.hpp"
#include "core/fermion/normal_order.hpp"

using namespace vemo;
using namespace vemo::fermion;
namespace lc = normal::lincomb;

namespace {

constexpr uint64_t n_modes = 16;

// c_p c_q a_r a_s with p != q and r != s, uniformly at random.
normal::CmpntList two_body(uint64_t n, std::mt19937_64& rng) {
    normal::CmpntList l(Modes::count(n_modes));
    std::uniform_int_distribution<uint64_t> m(0, n_modes - 1);
    for (uint64_t i = 0; i < n; ++i) {
        l.push_identity();
        uint64_t p = m(rng), q = m(rng), r = m(rng), s = m(rng);
        while (q == p) q = m(rng);
        while (s == r) s = m(rng);
        l.cre_row_mut(i)[0] = (uint64_t{1} << p) | (uint64_t{1} << q);
        l.ann_row_mut(i)[0] = (uint64_t{1} << r) | (uint64_t{1} << s);
    }
    return l;
}

RealVec random_coeffs(uint64_t n, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(-1, 1);
    RealVec c;
    for (uint64_t i = 0; i < n; ++i) c.push(u(rng));
    return c;
}

template <class F>
double best_of(int batches, F&& f) {
    double best = 1e300;
    for (int b = 0; b < batches; ++b) best = std::min(best, f());
    return best;
}

double elapsed_ns(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main() {
    std::mt19937_64 rng(2024);
    const normal::CmpntList a = two_body(1000, rng), b = two_body(1000, rng);
    const RealVec ca = random_coeffs(a.size(), rng), cb = random_coeffs(b.size(), rng);

    // Planning and expanding the terms of every pair, without accumulation.
    uint64_t rows_total = 0;
    const double ns_plain = best_of(5, [&] {
        normal::ProductHelper h;
        uint64_t cre = 0, ann = 0, sink = 0;
        rows_total = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (uint64_t i = 0; i < a.size(); ++i)
            for (uint64_t j = 0; j < b.size(); ++j) {
                const uint64_t n = h.prepare(a.cre_row(i), a.ann_row(i), b.cre_row(j), b.ann_row(j));
                rows_total += n;
                for (uint64_t r = 0; r < n; ++r) sink += h.row(r, {&cre, 1}, {&ann, 1}) + cre + ann;
            }
        const double ns = elapsed_ns(t0);
        if (sink == 42) std::printf("(checksum)\n");
        return ns / static_cast<double>(a.size() * b.size());
    });
    std::printf("two-body component product, 16 modes: %.1f ns per pair (%.2f terms per pair)\n", ns_plain,
                static_cast<double>(rows_total) / static_cast<double>(a.size() * b.size()));

    // The product of the two 1000-term operators, accumulated through the kernel.
    uint64_t n_out = 0;
    const double ns_acc = best_of(3, [&] {
        auto out = lc::new_term_set<RealVec>(Modes::count(n_modes));
        const auto t0 = std::chrono::steady_clock::now();
        if (!lc::assign_from_mul(out, lc::TermsView<RealVec>{a, ca}, lc::TermsView<RealVec>{b, cb}))
            std::printf("unexpected failure\n");
        const double ns = elapsed_ns(t0);
        n_out = out.size();
        return ns / static_cast<double>(a.size() * b.size());
    });
    std::printf("1000 x 1000 two-body operator product, 16 modes: %.1f ns per pair, %.1f ms total, %llu terms\n",
                ns_acc,
                ns_acc * 1e-6 * static_cast<double>(a.size() * b.size()), static_cast<unsigned long long>(n_out));

    // Normal ordering of random raw products of six ladder operators.
    const uint64_t n_raw = 100000;
    general::CmpntList raw(6, Modes::count(n_modes));
    std::uniform_int_distribution<uint64_t> m(0, n_modes - 1);
    std::bernoulli_distribution cre(0.5);
    std::vector<LadderOp> ops(6);
    for (uint64_t i = 0; i < n_raw; ++i) {
        for (auto& o : ops) o = {m(rng), cre(rng)};
        raw.push_ops(ops);
    }
    const RealVec craw = random_coeffs(n_raw, rng);
    const double ns_order = best_of(3, [&] {
        NormalOrderer<RealVec> orderer(Modes::count(n_modes));
        uint64_t sink = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (uint64_t i = 0; i < n_raw; ++i) sink += orderer.order(6, [&](uint64_t t) { return raw.op(i, t); }).size();
        const double ns = elapsed_ns(t0);
        if (sink == 42) std::printf("(checksum)\n");
        return ns / static_cast<double>(n_raw);
    });
    std::printf("normal ordering of a raw product of length 6, 16 modes: %.1f ns per product\n", ns_order);

    const double ns_lincomb = best_of(3, [&] {
        const auto t0 = std::chrono::steady_clock::now();
        const auto r = to_normal_order(TermsView<general::CmpntList, RealVec>{raw, craw});
        const double ns = elapsed_ns(t0);
        if (r.size() == 42) std::printf("(checksum)\n");
        return ns / static_cast<double>(n_raw);
    });
    std::printf("to_normal_order of %llu raw products of length 6, 16 modes: %.1f ns per product\n",
                static_cast<unsigned long long>(n_raw), ns_lincomb);
}
