// A multimap from 64-bit component hashes to element indices. Most keys hold
// one index (single table); keys that collide, or equal components registered
// more than once, move to the multi table, which is consulted only when it is
// non-empty so that a map without collisions pays one probe per lookup.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include <boost/unordered/unordered_flat_map.hpp>
#include <boost/version.hpp>

// Map::prefetch_slot reads the single table's group metadata, which Boost
// keeps private: 16 bytes per group, the first 15 one per slot, 0 for a free
// slot, as in the SSE2 groups of Boost 1.85.0. The build pins that version
// (boost-headers 1.85.0.post1), and test_map checks the model against
// the table itself: the slot it predicts for a key is the slot Boost puts the
// key in. Hints are taken only where the model's metadata lies wholly inside
// a block that the allocator handed out and that is still live (HugeBlocks),
// so a model that does not fit the table costs speed, never a read beyond
// the table's storage. With any other Boost, or with VEMO_MAP_PORTABLE
// defined, the portable path is taken: no metadata is read, prefetch() loads
// the whole group and prefetch_slot() does nothing; results are the same
// either way.
#if defined(__SSE2__) && BOOST_VERSION == 108500 && !defined(VEMO_MAP_PORTABLE)
#include <emmintrin.h>
#define VEMO_MAP_READS_METADATA 1
#endif

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

namespace detail {

// Where the single table keeps the group and the slots of a key, for
// prefetch hints. The table is one block: 15 slots per group for every
// group, then 16 bytes of metadata per group; the group of a key is the top
// bits of its table hash. The slots are only ever prefetched; the metadata
// of a group is read by Map::predicted_slot, and only where it lies within
// the table's block (see above), so a layout that differs from this model
// costs speed, not results.
struct SlotLayout {
    static constexpr uint64_t npos = ~uint64_t{0};
    uint64_t capacity = npos;  // the table capacity it was computed for
    uintptr_t slots = 0;       // 0: no hints
    uintptr_t groups = 0;
    unsigned log2_groups = 0;

    SlotLayout() = default;
    // A copied or moved map computes its own layout on first use.
    SlotLayout(const SlotLayout&) noexcept {}
    SlotLayout& operator=(const SlotLayout&) noexcept {
        *this = SlotLayout();
        return *this;
    }
    SlotLayout& operator=(SlotLayout&&) noexcept = default;
};

}  // namespace detail

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
        layout_ = detail::SlotLayout();
        erased_ = false;
    }

    // Room for n keys without rehashing: a large batch of insertions then
    // probes one table of its final size.
    void reserve(uint64_t n) {
        single_.reserve(n);
        layout_ = detail::SlotLayout();
    }

    // Hints that key is about to be probed, so that independent probes of a
    // large table overlap their cache misses. Both change nothing observable.
    //
    // prefetch() starts loading the metadata of the key's group in the single
    // table. Where prefetch_slot() cannot tell a slot, it loads the group's
    // slots too (where the key is, or where an insertion puts it).
    [[gnu::always_inline]] void prefetch(uint64_t key) {
        if (layout_.capacity != single_.bucket_count()) locate_slots();
        if (layout_.slots == 0) return;
        const uint64_t g = single_.hash_function()(key) >> (64 - layout_.log2_groups);
        __builtin_prefetch(reinterpret_cast<const void*>(layout_.groups + g * 16));
#if !defined(VEMO_MAP_READS_METADATA)
        const uintptr_t slots = layout_.slots + g * group_slots * slot_bytes;
        for (uintptr_t b = 0; b < group_slots * slot_bytes; b += 64)
            __builtin_prefetch(reinterpret_cast<const void*>(slots + b));
#endif
    }

    // Issued after prefetch(key) and some probes before the key's: reads the
    // group's metadata (in cache by then) and loads the slot where an
    // insertion of the key would go, the group's first free slot. A slot
    // taken meanwhile costs speed only.
    [[gnu::always_inline]] void prefetch_slot(uint64_t key) const {
        if (const uintptr_t slot = predicted_slot(key)) __builtin_prefetch(reinterpret_cast<const void*>(slot), 1);
    }

    // The address of the slot an insertion of key would fill, as the model
    // predicts it after a prefetch(): 0 where it cannot tell (the portable
    // path, a table without hints, a full group).
    [[gnu::always_inline]] uintptr_t predicted_slot([[maybe_unused]] uint64_t key) const {
#if defined(VEMO_MAP_READS_METADATA)
        // Without erasures a table is reallocated only to grow, so an
        // unchanged capacity means the located block is still the table's.
        if (erased_ || layout_.slots == 0 || layout_.capacity != single_.bucket_count()) return 0;
        const uint64_t g = single_.hash_function()(key) >> (64 - layout_.log2_groups);
        const __m128i meta = _mm_load_si128(reinterpret_cast<const __m128i*>(layout_.groups + g * 16));
        const auto free_slots =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(meta, _mm_setzero_si128()))) & 0x7fff;
        if (free_slots == 0) return 0;
        const uint64_t s = static_cast<unsigned>(std::countr_zero(free_slots));
        return layout_.slots + (g * group_slots + s) * slot_bytes;
#else
        return 0;
#endif
    }

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
        erased_ = true;
        ++count_;
        return true;
    }

    // lookup(key) and, when the key holds no index, insert(key, idx) — in one
    // probe of the single table when the multi table is empty. Returns what
    // lookup(key) returned before the call: None means (key, idx) was added.
    [[gnu::always_inline]] MapLookup lookup_or_insert(uint64_t key, uint64_t idx) {
        if (!multi_.empty()) {
            if (auto it = multi_.find(key); it != multi_.end()) return MapLookup::many(it->second);
        }
        auto [it, added] = single_.try_emplace(key, idx);
        if (added) {
            ++count_;
            return MapLookup::none();
        }
        return MapLookup::one(it->second);
    }

    MapLookup lookup(uint64_t key) const {
        if (!multi_.empty()) {
            if (auto it = multi_.find(key); it != multi_.end()) return MapLookup::many(it->second);
        }
        if (auto it = single_.find(key); it != single_.end()) return MapLookup::one(it->second);
        return MapLookup::none();
    }

    // True when the pair was removed; false when it was not stored. Never
    // fails: a key left with one index moves back to the single table when
    // memory allows, else it stays in the multi table with that one index.
    bool remove(uint64_t key, uint64_t idx) noexcept {
        if (!multi_.empty()) {
            if (auto it = multi_.find(key); it != multi_.end()) {
                auto& l = it->second;
                auto pos = std::find(l.begin(), l.end(), idx);
                if (pos == l.end()) return false;
                --count_;
                if (l.size() == 2) {
                    const uint64_t other = l[0] == idx ? l[1] : l[0];
                    try {
                        single_.insert_or_assign(key, other);
                        multi_.erase(it);
                        erased_ = true;
                        return true;
                    } catch (...) {
                    }
                }
                if (l.size() == 1) {
                    multi_.erase(it);
                } else {
                    l.erase(pos);
                }
                return true;
            }
        }
        if (auto it = single_.find(key); it != single_.end() && it->second == idx) {
            single_.erase(it);
            erased_ = true;
            --count_;
            return true;
        }
        return false;
    }

    // Registers (key, from) as (key, to) instead, as remove(key, from) then
    // insert(key, to) would, without allocating: false, and nothing changes,
    // when (key, from) is not stored.
    bool reindex(uint64_t key, uint64_t from, uint64_t to) noexcept {
        if (!multi_.empty()) {
            if (auto it = multi_.find(key); it != multi_.end()) {
                auto& l = it->second;
                auto pos = std::find(l.begin(), l.end(), from);
                if (pos == l.end()) return false;
                // A pair stored already is not repeated; a new one comes last in registration order.
                if (to != from && std::find(l.begin(), l.end(), to) != l.end()) return remove(key, from);
                std::rotate(pos, pos + 1, l.end());
                l.back() = to;
                return true;
            }
        }
        if (auto it = single_.find(key); it != single_.end() && it->second == from) {
            it->second = to;
            return true;
        }
        return false;
    }

    // For tests and diagnostics: how the pairs are spread over the tables.
    size_t single_keys() const { return single_.size(); }
    size_t multi_keys() const { return multi_.size(); }
    // Where the single table holds key (0: not there), to test predicted_slot.
    uintptr_t slot_address(uint64_t key) const {
        const auto it = single_.find(key);
        return it == single_.end() ? 0 : reinterpret_cast<uintptr_t>(&*it);
    }
    static constexpr bool reads_metadata() {
#if defined(VEMO_MAP_READS_METADATA)
        return true;
#else
        return false;
#endif
    }

private:
    static constexpr uint64_t group_slots = 15;
    static constexpr uint64_t slot_bytes = sizeof(SingleTable::value_type);

    // Finds the single table's block from the address of one slot whose key
    // is known. Only tables in huge-page blocks get hints: smaller ones stay
    // in cache, and the block's 2 MiB alignment pins its start down even
    // when the slot's place within its group is unknown.
    [[gnu::noinline]] void locate_slots() {
        detail::SlotLayout& l = layout_;
        l = detail::SlotLayout();
        l.capacity = single_.bucket_count();
        const uint64_t groups = (l.capacity + 1) / group_slots;
        constexpr uint64_t align = HugePageAllocator<char>::huge;
        if (l.capacity == 0 || (l.capacity + 1) % group_slots != 0 || !std::has_single_bit(groups) ||
            groups * group_slots * slot_bytes < align)
            return;
        l.log2_groups = static_cast<unsigned>(std::countr_zero(groups));
        uint64_t key = 0;
        uintptr_t at = 0;
        if (single_.empty()) {
            // A key inserted into an empty table takes the first slot of its
            // group; erasing it leaves the contents as they were.
            auto it = single_.try_emplace(key, 0).first;
            at = reinterpret_cast<uintptr_t>(&*it);
            single_.erase(it);
        } else {
            auto it = single_.begin();
            key = it->first;
            at = reinterpret_cast<uintptr_t>(&*it);
        }
        const uint64_t g = single_.hash_function()(key) >> (64 - l.log2_groups);
        for (uint64_t s = 0; s < group_slots; ++s) {
            const uintptr_t start = at - (g * group_slots + s) * slot_bytes;
            if (start % align == 0) {
                l.slots = start;
                l.groups = start + (groups * group_slots - 1) * slot_bytes;
                break;
            }
        }
        // The metadata the model reads, 16 bytes per group from `groups` on,
        // must lie in a block the allocator handed out: else no hints.
        const uint64_t block = HugeBlocks::instance().size_of(l.slots);
        if (l.slots != 0 && (l.groups % 16 != 0 || l.groups - l.slots > block || groups * 16 > block - (l.groups - l.slots))) {
            const uint64_t capacity = l.capacity;
            l = detail::SlotLayout();
            l.capacity = capacity;
        }
    }

    SingleTable single_;
    MultiTable multi_;
    uint64_t count_ = 0;
    detail::SlotLayout layout_;
    bool erased_ = false;  // an entry of the single table was erased since clear()
};

}  // namespace vemo
