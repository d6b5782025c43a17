// The single-probe lookup-or-insert and the prefetch hints of Map, against a
// model multimap: none may change what the map holds beyond the one
// documented insertion, on small tables and on tables large enough for the
// prefetch hints to be computed, also across copies, moves, rebuilds, growth
// and erasures; and the model of Boost's table layout behind the hints. The
// suite runs twice: as built, and with the portable path forced
// (VEMO_MAP_PORTABLE, test_map_probe_portable).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "core/container/map.hpp"

using namespace vemo;
using V = std::vector<uint64_t>;

namespace {

V indices(const MapLookup& r) { return V(r.indices().begin(), r.indices().end()); }

using Model = std::map<uint64_t, V>;

void expect_same(const Map& m, const Model& model, const V& probe_keys) {
    uint64_t pairs = 0;
    for (const auto& [k, v] : model) {
        EXPECT_EQ(indices(m.lookup(k)), v) << k;
        pairs += v.size();
    }
    EXPECT_EQ(m.size(), pairs);
    for (uint64_t k : probe_keys)
        if (!model.contains(k)) {
            EXPECT_TRUE(m.lookup(k).is_none()) << k;
        }
}

// Random operations on m and the model; keys from a small range so that
// repeats and several indices per key occur.
void churn(Map& m, Model& model, std::mt19937_64& rng, int steps, uint64_t key_range, bool hints) {
    for (int s = 0; s < steps; ++s) {
        const uint64_t k = rng() % key_range, idx = rng() % 1000;
        if (hints) {
            m.prefetch(rng() % key_range);
            m.prefetch_slot(rng() % key_range);
        }
        switch (rng() % 4) {
            case 0:
            case 1: {
                const V before = model.contains(k) ? model[k] : V{};
                const MapLookup r = m.lookup_or_insert(k, idx);
                EXPECT_EQ(indices(r), before);
                EXPECT_EQ(r.is_none(), before.empty());
                if (before.empty()) model[k] = {idx};
                break;
            }
            case 2: {
                V& v = model[k];
                const bool fresh = std::find(v.begin(), v.end(), idx) == v.end();
                EXPECT_EQ(m.insert(k, idx), fresh);
                if (fresh) v.push_back(idx);
                break;
            }
            default: {
                auto it = model.find(k);
                if (it == model.end() || it->second.empty()) {
                    EXPECT_FALSE(m.remove(k, idx));
                    break;
                }
                const uint64_t victim = it->second[rng() % it->second.size()];
                EXPECT_TRUE(m.remove(k, victim));
                std::erase(it->second, victim);
                if (it->second.empty()) model.erase(it);
            }
        }
        if (auto it = model.find(k); it != model.end() && it->second.empty()) model.erase(it);
    }
}

}  // namespace

TEST(MapProbe, LookupOrInsertWorkedCases) {
    Map m;
    EXPECT_TRUE(m.lookup_or_insert(7, 3).is_none());  // added
    EXPECT_EQ(m.size(), 1u);
    const MapLookup again = m.lookup_or_insert(7, 4);  // held already: unchanged
    EXPECT_TRUE(again.is_single());
    EXPECT_EQ(again.single, 3u);
    EXPECT_EQ(m.size(), 1u);
    EXPECT_TRUE(m.insert(7, 4));  // a second index under the key
    EXPECT_EQ(indices(m.lookup_or_insert(7, 9)), (V{3, 4}));
    EXPECT_EQ(m.size(), 2u);
    EXPECT_TRUE(m.lookup_or_insert(8, 0).is_none());  // other keys still take one probe
    EXPECT_EQ(indices(m.lookup(8)), (V{0}));
}

TEST(MapProbe, AgreesWithAModelOnSmallAndLargeTables) {
    std::mt19937_64 rng(3);
    for (bool hints : {false, true}) {
        Map small;
        Model ms;
        churn(small, ms, rng, 4000, 300, hints);
        expect_same(small, ms, {0, 1, 2, 299});
        // Large enough for the hints to use the table's layout (a table block
        // of several MiB), filled past its reserve so that it grows once.
        Map large;
        Model ml;
        large.reserve(130000);
        churn(large, ml, rng, 500000, 1u << 24, hints);
        expect_same(large, ml, {0, 1, 5, 1u << 19});
    }
}

TEST(MapProbe, HintsChangeNothingAcrossCopiesMovesAndRebuilds) {
    std::mt19937_64 rng(5);
    Map m;
    m.reserve(150000);
    for (uint64_t k = 0; k < 1000; ++k) m.prefetch(k);  // on the empty table, key 0 included
    EXPECT_EQ(m.size(), 0u);
    EXPECT_TRUE(m.lookup(0).is_none());
    Model model;
    churn(m, model, rng, 100000, 1u << 18, true);
    expect_same(m, model, {0});

    Map copy = m;  // its own table: hints computed afresh
    Model copy_model = model;
    churn(copy, copy_model, rng, 20000, 1u << 18, true);
    expect_same(copy, copy_model, {});
    expect_same(m, model, {});  // the original is untouched by the copy's changes

    Map moved = std::move(copy);
    churn(moved, copy_model, rng, 20000, 1u << 18, true);
    expect_same(moved, copy_model, {});

    m = moved;  // copy assignment over a table with hints
    model = copy_model;
    churn(m, model, rng, 20000, 1u << 18, true);
    expect_same(m, model, {});

    m.clear();
    model.clear();
    m.reserve(300000);
    churn(m, model, rng, 50000, 1u << 18, true);
    expect_same(m, model, {0});
}

TEST(MapProbe, SlotHintsWhileTheTableGrowsAndAfterErasures) {
    // The pattern of the product loop: hints for keys some insertions ahead,
    // on a table that outgrows its reserve twice, then erasures, then more.
    std::mt19937_64 rng(11);
    V keys(700000);
    for (auto& k : keys) k = rng();
    Map m;
    m.reserve(150000);
    Model model;
    const auto insert_range = [&](size_t from, size_t to) {
        for (size_t k = from; k < to; ++k) {
            if (k + 32 < to) m.prefetch(keys[k + 32]);
            if (k + 16 < to) m.prefetch_slot(keys[k + 16]);
            const bool fresh = !model.contains(keys[k]);
            EXPECT_EQ(m.lookup_or_insert(keys[k], k).is_none(), fresh);
            if (fresh) model[keys[k]] = {k};
        }
    };
    insert_range(0, 600000);
    expect_same(m, model, {0});
    for (size_t k = 0; k < 600000; k += 3) {
        EXPECT_TRUE(m.remove(keys[k], model[keys[k]][0]));
        model.erase(keys[k]);
    }
    insert_range(600000, keys.size());
    expect_same(m, model, {keys[0], keys[3]});
}

TEST(MapProbe, PredictedSlotIsTheSlotBoostFills) {
#if defined(VEMO_MAP_PORTABLE)
    EXPECT_FALSE(Map::reads_metadata());
#endif
    if (!Map::reads_metadata()) {
        Map m;
        m.reserve(200000);
        m.prefetch(1);
        EXPECT_EQ(m.predicted_slot(1), 0u);
        GTEST_SKIP() << "portable path: this Boost's table metadata is not read";
    }
    // Keys inserted into a table large enough for hints: the slot predicted
    // before each insertion is where the table then holds the key.
    std::mt19937_64 rng(13);
    Map m;
    m.reserve(200000);
    const uint64_t n = 150000;
    uint64_t predicted = 0;
    for (uint64_t i = 0; i < n; ++i) {
        const uint64_t k = rng();
        m.prefetch(k);
        const uintptr_t slot = m.predicted_slot(k);
        ASSERT_TRUE(m.lookup_or_insert(k, i).is_none());
        if (slot == 0) continue;  // a full group: no prediction
        ++predicted;
        ASSERT_EQ(slot, m.slot_address(k)) << "key " << i;
    }
    EXPECT_GT(predicted, 9 * n / 10);
}
