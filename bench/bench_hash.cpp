// Timing of the component hash and of Map: ns per SipHash of a two-word
// element and ns per Map insert and lookup over 10^6 keys.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/container/map.hpp"
#include "core/container/word_iters.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double ns_since(Clock::time_point t0, double count) {
    return std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / count;
}

// Keeps a value alive without letting the compiler drop the work behind it.
void sink(uint64_t x) { asm volatile("" : : "r"(x) : "memory"); }

}  // namespace

int main() {
    constexpr uint64_t n_hash = 20'000'000;
    uint64_t words[2] = {0x0123456789abcdefULL, 0};
    uint64_t acc = 0;
    auto t0 = Clock::now();
    for (uint64_t i = 0; i < n_hash; ++i) {
        words[1] = i;
        acc ^= vemo::hash_u64it(std::span<const uint64_t>(words, 2));
    }
    const double ns_hash = ns_since(t0, n_hash);
    sink(acc);

    constexpr uint64_t n_keys = 1'000'000;
    std::vector<uint64_t> keys(n_keys);
    for (uint64_t i = 0; i < n_keys; ++i) {
        const uint64_t w[2] = {i, i * 7};
        keys[i] = vemo::hash_u64it(std::span<const uint64_t>(w, 2));
    }
    vemo::Map m;
    t0 = Clock::now();
    for (uint64_t i = 0; i < n_keys; ++i) acc += m.insert(keys[i], i);
    const double ns_insert = ns_since(t0, n_keys);

    t0 = Clock::now();
    for (int rep = 0; rep < 5; ++rep)
        for (uint64_t i = 0; i < n_keys; ++i) acc += m.lookup(keys[i]).single;
    const double ns_lookup = ns_since(t0, 5.0 * n_keys);

    t0 = Clock::now();
    for (uint64_t i = 0; i < n_keys; ++i) acc += m.lookup(keys[i] ^ 1).is_none();
    const double ns_miss = ns_since(t0, n_keys);
    sink(acc);

    // A map that fits in cache, for comparison with the memory-bound figures above.
    constexpr uint64_t n_small = 10'000;
    vemo::Map small;
    for (uint64_t i = 0; i < n_small; ++i) small.insert(keys[i], i);
    t0 = Clock::now();
    for (int rep = 0; rep < 500; ++rep)
        for (uint64_t i = 0; i < n_small; ++i) acc += small.lookup(keys[i]).single;
    const double ns_small = ns_since(t0, 500.0 * n_small);
    sink(acc);

    std::printf("SipHash-1-3 of a 2-word element: %.2f ns\n", ns_hash);
    std::printf("Map insert (10^6 keys):          %.2f ns\n", ns_insert);
    std::printf("Map lookup, hit (10^6 keys):     %.2f ns\n", ns_lookup);
    std::printf("Map lookup, miss (10^6 keys):    %.2f ns\n", ns_miss);
    std::printf("Map lookup, hit (10^4 keys):     %.2f ns\n", ns_small);
    std::printf("(map holds %llu pairs)\n", static_cast<unsigned long long>(m.size()));
    return 0;
}
