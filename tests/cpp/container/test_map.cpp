// The hash multimap against a model, and component sets over a (list, map) pair,
// including maps that do not describe their list.
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
const V A = {1, 2}, B = {3, 4}, C = {5, 6}, D = {7, 8};
using IndexInserted = std::pair<uint64_t, bool>;
}  // namespace

TEST(Map, WorkedCases) {
    Map m;
    EXPECT_EQ(m.size(), 0u);
    EXPECT_FALSE(m.remove(0, 0));
    EXPECT_TRUE(m.insert(42, 5));
    EXPECT_FALSE(m.insert(42, 5));
    EXPECT_TRUE(m.insert(42, 3));
    EXPECT_EQ(m.size(), 2u);
    EXPECT_EQ(indices(m.lookup(42)), (V{5, 3}));  // registration order
    EXPECT_TRUE(m.lookup(42).is_multiple());
    EXPECT_FALSE(m.remove(42, 9));
    EXPECT_TRUE(m.remove(42, 5));
    EXPECT_TRUE(m.lookup(42).is_single());
    EXPECT_EQ(m.lookup(42).single, 3u);
    EXPECT_EQ(m.size(), 1u);
    m.clear();
    EXPECT_TRUE(m.lookup(42).is_none());
    EXPECT_EQ(m.size(), 0u);
}

TEST(Map, AgreesWithAModelUnderRandomOperations) {
    std::map<uint64_t, V> model;  // key -> indices in registration order
    uint64_t pairs = 0;
    Map m;
    std::mt19937_64 rng(3);
    for (int step = 0; step < 20000; ++step) {
        const uint64_t k = rng() % 50 * 0x9e3779b97f4a7c15ULL, v = rng() % 6;
        V& l = model[k];
        const auto pos = std::find(l.begin(), l.end(), v);
        if (rng() % 3) {
            ASSERT_EQ(m.insert(k, v), pos == l.end());
            if (pos == l.end()) l.push_back(v), ++pairs;
        } else {
            ASSERT_EQ(m.remove(k, v), pos != l.end());
            if (pos != l.end()) l.erase(pos), --pairs;
        }
        ASSERT_EQ(m.size(), pairs);
        const auto r = m.lookup(k);
        ASSERT_EQ(r.is_single(), l.size() == 1);
        ASSERT_EQ(indices(r), l);
    }
}

TEST(SetView, InsertLookupAndDrop) {
    ToyList l({1, 1});
    Map m;
    SetMutView s(l, m);
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(A)), IndexInserted(0, true));
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(B)), IndexInserted(1, true));
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(C)), IndexInserted(2, true));
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(A)), IndexInserted(0, false));
    EXPECT_EQ(m.size(), 3u);
    EXPECT_EQ(SetView(l, m).lookup(sp(V{1, 2, 0})), std::nullopt);  // other word count
    // Dropping element 0 moves element 2 there and re-registers it.
    EXPECT_TRUE(s.drop(0));
    EXPECT_EQ(l.all(), (std::vector<V>{C, B}));
    EXPECT_EQ(m.lookup(hash_u64it(sp(C))).single, 0u);
    EXPECT_TRUE(m.lookup(hash_u64it(sp(A))).is_none());
    // Dropping the last element removes only its own pair.
    EXPECT_TRUE(s.drop(1));
    EXPECT_EQ(l.all(), (std::vector<V>{C}));
    EXPECT_EQ(m.size(), 1u);
    EXPECT_EQ(s.lookup(sp(C)), 0u);
}

TEST(SetView, WordsDecideAmongIndicesUnderOneHash) {
    // D stands registered under C's hash, as a colliding component would.
    ToyList l = ToyList::of({2}, {D, C});
    Map m;
    m.insert(hash_u64it(sp(C)), 0);
    m.insert(hash_u64it(sp(C)), 1);
    EXPECT_EQ(SetView(l, m).lookup(sp(C)), 1u);
    EXPECT_EQ(SetView(l, m).lookup(sp(D)), std::nullopt);
    // Equal elements registered in index order: the first is found.
    Set<ToyList> dup(ToyList::of({2}, {A, B, A}));
    EXPECT_EQ(dup.map().size(), 3u);
    EXPECT_EQ(dup.lookup(sp(A)), 0u);
}

TEST(SetView, MapThatDoesNotDescribeTheList) {
    // A fresh map beside a non-empty list: the new index is the list's length,
    // unregistered elements are not dropped.
    ToyList l = ToyList::of({2}, {A, B});
    Map fresh;
    SetMutView s(l, fresh);
    EXPECT_EQ(s.insert_u64it_or_get_index(sp(C)), IndexInserted(2, true));
    EXPECT_FALSE(s.drop(0));
    EXPECT_FALSE(s.drop(7));
    EXPECT_EQ(l.all(), (std::vector<V>{A, B, C}));
    EXPECT_TRUE(s.drop(2));
    // Registered element dropped while the last is not registered: the last still moves in.
    ToyList l2 = ToyList::of({2}, {A, B, C});
    Map m2;
    m2.insert(hash_u64it(sp(A)), 0);
    EXPECT_TRUE(SetMutView(l2, m2).drop(0));
    EXPECT_EQ(l2.all(), (std::vector<V>{C, B}));
    EXPECT_EQ(SetView(l2, m2).lookup(sp(C)), 0u);
    // A map of a longer list yields indices beyond this one: an internal failure, nothing touched.
    Map longer;
    refresh_map(ToyList::of({2}, {A, B, C, D}), longer);
    ToyList shorter = ToyList::of({2}, {A});
    EXPECT_EQ(SetView(shorter, longer).lookup(sp(A)), 0u);
    EXPECT_THROW(SetView(shorter, longer).lookup(sp(D)), InternalError);
    EXPECT_THROW(SetMutView(shorter, longer).insert_u64it_or_get_index(sp(D)), InternalError);
    EXPECT_EQ(shorter.size(), 1u);
}

TEST(Set, AgreesWithAVectorModel) {
    std::mt19937_64 rng(5);
    Set<ToyList> s = Set<ToyList>::empty_from(ToyList({1, 2}));
    std::vector<V> model;
    for (int step = 0; step < 5000; ++step) {
        const V w = {rng() % 4, rng() % 3, 7};
        const auto pos = std::find(model.begin(), model.end(), w);
        if (rng() % 3) {
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
    }
}
