// A multimap from 64-bit component hashes to element indices. Most keys hold
// one index (single table); keys that collide, or equal components registered
// more than once, move to the multi table, which is consulted only when it is
// non-empty so that a map without collisions pays one probe per lookup.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include <boost/unordered/unordered_flat_map.hpp>

#include "core/container/huge_alloc.hpp"

namespace vemo {

namespace detail {

// One random value per process; the hash tables' layout depends on it, no
// result does (a map is never iterated).
inline uint64_t process_hash_seed() {
    static const uint64_t seed = [] {
        uint64_t s = 0;
        try {
            std::random_device rd;
            s = (static_cast<uint64_t>(rd()) << 32) ^ rd();
        } catch (...) {
            // No entropy source: fall back to address-space randomisation.
            s = reinterpret_cast<uintptr_t>(&s) * 0x9e3779b97f4a7c15ULL;
        }
        return s;
    }();
    return seed;
}

}  // namespace detail

// Mixes a key with the process seed through the splitmix64 finaliser; its
// output is well spread, so the table need not mix again.
struct SeededU64Hash {
    using is_avalanching = void;
    uint64_t seed = detail::process_hash_seed();

    uint64_t operator()(uint64_t x) const noexcept {
        x ^= seed;
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
        return x ^ (x >> 31);
    }
};

// The result of Map::lookup. `indices` views the map's storage and is valid
// until the map next changes.
struct MapLookup {
    enum class Kind : uint8_t { None, Single, Multiple };
    Kind kind = Kind::None;
    uint64_t single = 0;
    std::span<const uint64_t> multiple{};

    static MapLookup none() { return {}; }
    static MapLookup one(uint64_t i) { return {Kind::Single, i, {}}; }
    static MapLookup many(std::span<const uint64_t> l) { return {Kind::Multiple, 0, l}; }

    bool is_none() const { return kind == Kind::None; }
    bool is_single() const { return kind == Kind::Single; }
    bool is_multiple() const { return kind == Kind::Multiple; }
    // All indices in registration order (empty for None). For Single the span
    // points into this result: keep the result alive while the span is used.
    std::span<const uint64_t> indices() const {
        if (kind == Kind::Single) return {&single, 1};
        return multiple;
    }
};

class Map {
public:
    using SingleTable = boost::unordered_flat_map<uint64_t, uint64_t, SeededU64Hash, std::equal_to<uint64_t>,
                                                  HugePageAllocator<std::pair<const uint64_t, uint64_t>>>;
    using MultiTable = boost::unordered_flat_map<uint64_t, std::vector<uint64_t>, SeededU64Hash>;

    Map() = default;

    // Number of stored (key, index) pairs.
    uint64_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    void clear() {
        // Fresh tables rather than clear(): a rebuilt map should not keep the
        // capacity of a much larger former content.
        single_ = SingleTable();
        multi_ = MultiTable();
        count_ = 0;
    }

    // Room for n keys without rehashing: a large batch of insertions then
    // probes one table of its final size.
    void reserve(uint64_t n) { single_.reserve(n); }

    // True when the pair was added; false when that very pair was stored already.
    bool insert(uint64_t key, uint64_t idx) {
        if (!multi_.empty()) {
            if (auto it = multi_.find(key); it != multi_.end()) {
                auto& l = it->second;
                if (std::find(l.begin(), l.end(), idx) != l.end()) return false;
                l.push_back(idx);
                ++count_;
                return true;
            }
        }
        auto [it, added] = single_.try_emplace(key, idx);
        if (added) {
            ++count_;
            return true;
        }
        const uint64_t w = it->second;
        if (w == idx) return false;
        // The earlier index stays first, so lookups find it first.
        multi_.try_emplace(key, std::vector<uint64_t>{w, idx});
        single_.erase(it);
        ++count_;
        return true;
    }

    MapLookup lookup(uint64_t key) const {
        if (!multi_.empty()) {
            if (auto it = multi_.find(key); it != multi_.end()) return MapLookup::many(it->second);
        }
        if (auto it = single_.find(key); it != single_.end()) return MapLookup::one(it->second);
        return MapLookup::none();
    }

    // True when the pair was removed; false when it was not stored.
    bool remove(uint64_t key, uint64_t idx) {
        if (!multi_.empty()) {
            if (auto it = multi_.find(key); it != multi_.end()) {
                auto& l = it->second;
                auto pos = std::find(l.begin(), l.end(), idx);
                if (pos == l.end()) return false;
                if (l.size() >= 3) {
                    l.erase(pos);
                } else {
                    const uint64_t other = l[0] == idx ? l[1] : l[0];
                    multi_.erase(it);
                    single_.insert_or_assign(key, other);
                }
                --count_;
                return true;
            }
        }
        if (auto it = single_.find(key); it != single_.end() && it->second == idx) {
            single_.erase(it);
            --count_;
            return true;
        }
        return false;
    }

    // For tests and diagnostics: how the pairs are spread over the tables.
    size_t single_keys() const { return single_.size(); }
    size_t multi_keys() const { return multi_.size(); }

private:
    SingleTable single_;
    MultiTable multi_;
    uint64_t count_ = 0;
};

}  // namespace vemo
