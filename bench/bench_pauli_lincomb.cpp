// Products of two random Pauli sums in C++ alone, without the Python layer:
// the workloads of bench_pauli_products.py (1,000 x 1,000 terms on 40
// qubits, 3,000 x 3,000 terms on 100 qubits), each run into a fresh output
// (list, map, coefficients) as a Python call does, best of several runs.
//
// Build and run from the repository root, with B the Boost include directory
// (python3 -c "import boost_headers; print(boost_headers.get_include())"):
//   g++ -O3 -DNDEBUG -std=c++23 -march=x86-64-v2 -ffp-contract=off -Isrc -I$B
//       bench/bench_pauli_lincomb.cpp -o /tmp/bench_pauli_lincomb
//   /tmp/bench_pauli_lincomb [runs] [1|2]   (both workloads by default)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "core/qubit/lincomb.hpp"

using namespace vemo;
using namespace vemo::qubit;

namespace {

// m random strings on n qubits (x and z words, bits beyond n clear), with
// real coefficients.
void random_sum(std::mt19937_64& rng, uint64_t n, uint64_t m, pauli::CmpntList& l, RealVec& c) {
    const uint64_t w = l.words_per_row();
    std::vector<uint64_t> words(2 * w);
    std::normal_distribution<double> normal;
    for (uint64_t i = 0; i < m; ++i) {
        for (uint64_t k = 0; k < 2 * w; ++k) {
            const uint64_t bits = std::min<uint64_t>(n - (k % w) * 64, 64);
            words[k] = bits == 64 ? rng() : rng() & ((uint64_t{1} << bits) - 1);
        }
        push_u64it(l, std::span<const uint64_t>(words));
        c.push(normal(rng));
    }
}

void workload(const char* name, uint64_t n, uint64_t m, int runs, std::mt19937_64& rng) {
    const Qubits q = Qubits::from_count(n);
    pauli::CmpntList a(q), b(q);
    RealVec ca, cb;
    random_sum(rng, n, m, a, ca);
    random_sum(rng, n, m, b, cb);
    double best = 1e300;
    uint64_t strings = 0;
    for (int r = 0; r < runs; ++r) {
        auto out = std::make_unique<pauli::CmpntList>(q);
        auto map = std::make_unique<Map>();
        auto coeffs = std::make_unique<ComplexVec>();
        const auto t0 = std::chrono::steady_clock::now();
        pauli::assign_from_mul_unchecked<RealVec>(pauli::ProductMutView{*out, *map, *coeffs},
                                                  pauli::LincombView<RealVec>{a, ca},
                                                  pauli::LincombView<RealVec>{b, cb});
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
        strings = out->size();
    }
    std::printf("%-30s %9.3f s %10.1f ns/product  (%llu strings)\n", name, best, best * 1e9 / double(m * m),
                static_cast<unsigned long long>(strings));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int only = argc > 2 ? std::atoi(argv[2]) : 0;
    std::mt19937_64 rng(2024);
    if (only != 2) workload("1000x1000 terms, 40 qubits", 40, 1000, runs, rng);
    if (only != 1) workload("3000x3000 terms, 100 qubits", 100, 3000, runs, rng);
}
