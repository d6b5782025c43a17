// Throughput of the scaled-add kernel and of the component-text parser.
// Prints one line per figure; no framework.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/container/bit_matrix.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/pauli_springs.hpp"

using namespace vemo;
using Clock = std::chrono::steady_clock;

namespace {

template <class F>
double best_seconds(int reps, F&& f) {
    double best = 1e300;
    for (int r = 0; r < reps; ++r) {
        const auto t0 = Clock::now();
        f();
        const double s = std::chrono::duration<double>(Clock::now() - t0).count();
        best = std::min(best, s);
    }
    return best;
}

void bench_scaled_add() {
    constexpr uint64_t n_distinct = 100000, n_terms = 1000000;
    std::mt19937_64 rng(1);
    BitMatrix pool(n_distinct, 128);
    for (uint64_t i = 0; i < n_distinct; ++i) {
        pool.row_mut(i)[0] = rng();
        pool.row_mut(i)[1] = rng();
    }
    // The terms to add: components drawn from the pool, positive coefficients.
    BitMatrix rhs(n_terms, 128);
    ComplexVec rc;
    RealVec rr;
    std::uniform_real_distribution<double> u(0.5, 1.5);
    for (uint64_t t = 0; t < n_terms; ++t) {
        const uint64_t k = rng() % n_distinct;
        rhs.row_mut(t)[0] = pool.row(k)[0];
        rhs.row_mut(t)[1] = pool.row(k)[1];
        rr.push(u(rng));
        rc.push({u(rng), u(rng)});
    }
    uint64_t kept = 0;
    const double sr = best_seconds(5, [&] {
        auto lhs = TermSet<BitMatrix, RealVec>::empty_from(pool);
        scaled_iadd(lhs, TermsView<BitMatrix, RealVec>{rhs, rr}, 2.0);
        kept = lhs.size();
    });
    std::printf("scaled_iadd real:    %.1f ns per term (%llu terms, %llu distinct)\n", sr * 1e9 / n_terms,
                static_cast<unsigned long long>(n_terms), static_cast<unsigned long long>(kept));
    const double sc = best_seconds(5, [&] {
        auto lhs = TermSet<BitMatrix, ComplexVec>::empty_from(pool);
        scaled_iadd(lhs, TermsView<BitMatrix, ComplexVec>{rhs, rc}, Complex(0.5, -1));
        kept = lhs.size();
    });
    std::printf("scaled_iadd complex: %.1f ns per term\n", sc * 1e9 / n_terms);
}

void bench_parse() {
    constexpr int n_cmpnts = 100000;
    std::mt19937_64 rng(2);
    std::string text;
    for (int i = 0; i < n_cmpnts; ++i) {
        if (i) text += ", ";
        text += '(';
        text += std::to_string(static_cast<double>(rng() % 1000) / 64);
        text += ", ";
        const int n_factors = 1 + static_cast<int>(rng() % 6);
        for (int f = 0; f < n_factors; ++f) {
            if (f) text += ' ';
            text += "XYZ"[rng() % 3];
            text += std::to_string(rng() % 200);
        }
        text += ")";
    }
    size_t strings = 0;
    const double s = best_seconds(5, [&] {
        auto parts = all_parts_from_str<qubit::pauli::Springs>(text);
        if (!parts || parts->size() != 1) std::abort();
        strings = (*parts)[0].n_strings();
    });
    std::printf("parse Pauli text:    %.1f MB/s (%zu bytes, %zu components)\n", text.size() / s / 1e6, text.size(),
                strings);
}

}  // namespace

int main() {
    bench_scaled_add();
    bench_parse();
    return 0;
}
