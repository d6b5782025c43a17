#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "core/container/map.hpp"
#include "core/container/set.hpp"
#include "toy_list.hpp"

using namespace vemo;
using vemo::test::ToyList;
using V = std::vector<uint64_t>;

namespace {
V indices(const MapLookup& r) { return V(r.indices().begin(), r.indices().end()); }
std::span<const uint64_t> sp(const V& v) { return v; }
}  // namespace

// ---- Map ----

TEST(Map, NewMapIsEmpty) {
    Map m;
    EXPECT_EQ(m.size(), 0u);
    EXPECT_TRUE(m.lookup(0).is_none());
    EXPECT_FALSE(m.remove(0, 0));
    EXPECT_EQ(m.size(), 0u);
}

TEST(Map, TwoIndicesUnderOneKey) {
    Map m;
    EXPECT_TRUE(m.insert(42, 5));
    EXPECT_TRUE(m.lookup(42).is_single());
    EXPECT_EQ(m.lookup(42).single, 5u);
    EXPECT_TRUE(m.insert(42, 3));
    EXPECT_EQ(m.size(), 2u);
    auto r = m.lookup(42);
    ASSERT_TRUE(r.is_multiple());
    EXPECT_EQ(indices(r), (V{5, 3}));  // registration order, not numeric order
    EXPECT_TRUE(m.remove(42, 5));
    r = m.lookup(42);
    ASSERT_TRUE(r.is_single());
    EXPECT_EQ(r.single, 3u);
    EXPECT_EQ(m.size(), 1u);
    EXPECT_EQ(m.multi_keys(), 0u);
}

TEST(Map, RepeatedPairsAndMissingPairs) {
    Map m;
    EXPECT_TRUE(m.insert(1, 1));
    EXPECT_FALSE(m.insert(1, 1));
    EXPECT_EQ(m.size(), 1u);
    EXPECT_FALSE(m.remove(1, 2));
    EXPECT_FALSE(m.remove(2, 1));
    EXPECT_EQ(m.size(), 1u);
    // The same refusal inside the multi table.
    EXPECT_TRUE(m.insert(1, 2));
    EXPECT_FALSE(m.insert(1, 2));
    EXPECT_FALSE(m.insert(1, 1));
    EXPECT_FALSE(m.remove(1, 9));
    EXPECT_EQ(m.size(), 2u);
}

TEST(Map, ThreeOrMoreKeepTheirOrderOnRemoval) {
    Map m;
    for (uint64_t v : {7, 1, 4, 9}) m.insert(0xabc, v);
    EXPECT_TRUE(m.remove(0xabc, 1));
    EXPECT_EQ(indices(m.lookup(0xabc)), (V{7, 4, 9}));
    EXPECT_TRUE(m.remove(0xabc, 9));
    EXPECT_EQ(indices(m.lookup(0xabc)), (V{7, 4}));
    EXPECT_TRUE(m.remove(0xabc, 7));
    EXPECT_TRUE(m.lookup(0xabc).is_single());
    EXPECT_TRUE(m.remove(0xabc, 4));
    EXPECT_TRUE(m.lookup(0xabc).is_none());
    EXPECT_EQ(m.size(), 0u);
}

TEST(Map, ClearEmptiesBothTables) {
    Map m;
    m.insert(1, 1);
    m.insert(1, 2);
    m.insert(2, 3);
    m.clear();
    EXPECT_EQ(m.size(), 0u);
    EXPECT_TRUE(m.lookup(1).is_none());
    EXPECT_TRUE(m.lookup(2).is_none());
    EXPECT_TRUE(m.insert(1, 1));
}

TEST(Map, AgreesWithAModelUnderRandomOperations) {
    // Model: key -> indices in registration order.
    std::map<uint64_t, V> model;
    uint64_t pairs = 0;
    Map m;
    std::mt19937_64 rng(3);
    for (int step = 0; step < 20000; ++step) {
        const uint64_t k = rng() % 50, v = rng() % 6;
        V& l = model[k];
        const bool present = std::find(l.begin(), l.end(), v) != l.end();
        switch (rng() % 3) {
            case 0:
            case 1:
                ASSERT_EQ(m.insert(k, v), !present);
                if (!present) l.push_back(v), ++pairs;
                break;
            default:
                ASSERT_EQ(m.remove(k, v), present);
                if (present) l.erase(std::find(l.begin(), l.end(), v)), --pairs;
        }
        ASSERT_EQ(m.size(), pairs);
        const auto r = m.lookup(k);
        ASSERT_EQ(r.is_none(), l.empty());
        ASSERT_EQ(r.is_single(), l.size() == 1);
        ASSERT_EQ(r.is_multiple(), l.size() >= 2);
        ASSERT_EQ(indices(r), l);
    }
}

TEST(Map, KeysAcrossTheWholeRange) {
    Map m;
    const V keys = {0, 1, ~0ULL, 1ULL << 63, 0x9e3779b97f4a7c15ULL};
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_TRUE(m.insert(keys[i], i));
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(m.lookup(keys[i]).single, i);
    for (uint64_t i = 0; i < 100000; ++i) m.insert(i * 0x10000, i + 10);
    EXPECT_EQ(m.size(), keys.size() + 100000);  // key 0 was present: it moves to the multi table
    EXPECT_EQ(indices(m.lookup(0)), (V{0, 10}));
    EXPECT_EQ(m.lookup(77 * 0x10000).single, 87u);
}

// ---- Set views over a list and a map ----

namespace {
const V A = {1, 2}, B = {3, 4}, C = {5, 6}, D = {7, 8};
}

TEST(SetView, InsertOrGetIndex) {
    ToyList l({1, 1});
    Map m;
    SetMutView s(l, m);
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(A)), std::make_pair(uint64_t{0}, true));
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(B)), std::make_pair(uint64_t{1}, true));
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(A)), std::make_pair(uint64_t{0}, false));
    EXPECT_EQ(l.all(), (std::vector<V>{A, B}));
    EXPECT_EQ(m.size(), 2u);
    EXPECT_EQ(SetView(l, m).lookup(sp(B)), 1u);
    EXPECT_EQ(SetView(l, m).lookup(sp(C)), std::nullopt);
    // Words of another shape never match.
    EXPECT_EQ(SetView(l, m).lookup(sp(V{1, 2, 0})), std::nullopt);
}

TEST(SetView, DropMovesTheLastElementAndReregistersIt) {
    ToyList l = ToyList::of({2}, {A, B, C});
    Map m;
    refresh_map(l, m);
    SetMutView s(l, m);
    EXPECT_TRUE(s.drop(0));
    EXPECT_EQ(l.all(), (std::vector<V>{C, B}));
    EXPECT_EQ(m.size(), 2u);
    EXPECT_EQ(m.lookup(hash_u64it(sp(C))).single, 0u);
    EXPECT_TRUE(m.lookup(hash_u64it(sp(A))).is_none());
    // Dropping the last element removes only its own pair.
    EXPECT_TRUE(s.drop(1));
    EXPECT_EQ(l.all(), (std::vector<V>{C}));
    EXPECT_EQ(m.size(), 1u);
    EXPECT_EQ(s.lookup(sp(C)), 0u);
    EXPECT_TRUE(s.drop(0));
    EXPECT_EQ(l.size(), 0u);
    EXPECT_EQ(m.size(), 0u);
    EXPECT_FALSE(s.drop(0));
}

TEST(SetView, WordsDecideAmongIndicesUnderOneHash) {
    // Element 0 stands registered under C's hash, as a colliding component would.
    ToyList l = ToyList::of({2}, {D, C});
    Map m;
    const uint64_t hc = hash_u64it(sp(C));
    m.insert(hc, 0);
    m.insert(hc, 1);
    EXPECT_EQ(SetView(l, m).lookup(sp(C)), 1u);
    EXPECT_EQ(SetView(l, m).lookup(sp(D)), std::nullopt);
    // With equal elements registered in index order the first one is found.
    ToyList dup = ToyList::of({2}, {A, B, A});
    refresh_map(dup, m);
    EXPECT_EQ(m.size(), 3u);
    EXPECT_EQ(indices(m.lookup(hash_u64it(sp(A)))), (V{0, 2}));
    EXPECT_EQ(SetView(dup, m).lookup(sp(A)), 0u);
}

TEST(SetView, StaleMapNeverReachesBeyondTheList) {
    // A fresh map beside a non-empty list: the new element's index is the
    // list's length, and unregistered elements are not dropped.
    ToyList l = ToyList::of({2}, {A, B});
    Map fresh;
    SetMutView s(l, fresh);
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(C)), std::make_pair(uint64_t{2}, true));
    EXPECT_EQ(fresh.lookup(hash_u64it(sp(C))).single, 2u);
    EXPECT_FALSE(s.drop(0));
    EXPECT_FALSE(s.drop(7));
    EXPECT_EQ(l.all(), (std::vector<V>{A, B, C}));
    EXPECT_TRUE(s.drop(2));
    EXPECT_EQ(l.all(), (std::vector<V>{A, B}));

    // A map describing a longer list yields indices beyond this one.
    ToyList longer = ToyList::of({2}, {A, B, C, D});
    Map m;
    refresh_map(longer, m);
    ToyList shorter = ToyList::of({2}, {A});
    EXPECT_EQ(SetView(shorter, m).lookup(sp(A)), 0u);
    EXPECT_THROW(SetView(shorter, m).lookup(sp(D)), InternalError);
    EXPECT_THROW(SetMutView(shorter, m).insert_u64it_or_get_index(sp(D)), InternalError);
    EXPECT_EQ(shorter.size(), 1u);  // the failed insert left the list alone
}

TEST(SetView, DropWithAMapMissingTheLastElement) {
    ToyList l = ToyList::of({2}, {A, B, C});
    Map m;
    m.insert(hash_u64it(sp(A)), 0);  // B and C are not registered
    EXPECT_TRUE(SetMutView(l, m).drop(0));
    EXPECT_EQ(l.all(), (std::vector<V>{C, B}));
    EXPECT_EQ(SetView(l, m).lookup(sp(C)), 0u);
    EXPECT_EQ(m.size(), 1u);
}

TEST(Set, AgreesWithAVectorModel) {
    std::mt19937_64 rng(5);
    Set<ToyList> s = Set<ToyList>::empty_from(ToyList({1, 2}));
    std::vector<V> model;
    for (int step = 0; step < 5000; ++step) {
        const V w = {rng() % 4, rng() % 3, 7};
        auto pos = std::find(model.begin(), model.end(), w);
        if (rng() % 3 != 0) {
            const auto [i, inserted] = s.insert_u64it_or_get_index(sp(w));
            ASSERT_EQ(inserted, pos == model.end());
            if (inserted) model.push_back(w);
            ASSERT_EQ(model[i], w);
        } else if (!model.empty()) {
            const uint64_t i = rng() % model.size();
            ASSERT_TRUE(s.drop(i));
            model[i] = model.back();
            model.pop_back();
        }
        ASSERT_EQ(s.elements().all(), model);
        ASSERT_EQ(s.map().size(), model.size());
        const auto found = s.lookup(sp(w));
        ASSERT_EQ(found.has_value(), std::find(model.begin(), model.end(), w) != model.end());
    }
}

TEST(Set, ConstructionRegistersEveryElement) {
    Set<ToyList> s(ToyList::of({2}, {A, B, A}));
    EXPECT_EQ(s.map().size(), 3u);
    EXPECT_EQ(s.lookup(sp(A)), 0u);
    EXPECT_EQ(s.lookup(sp(B)), 1u);
    ToyList taken = s.take_elements();
    EXPECT_EQ(taken.size(), 3u);
    EXPECT_EQ(s.size(), 0u);
    EXPECT_EQ(s.map().size(), 0u);
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(B)), std::make_pair(uint64_t{0}, true));
    s.clear();
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(s.lookup(sp(B)), std::nullopt);
}
