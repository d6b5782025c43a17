// Element operations between lists on a space, on a toy list kind: slices are
// resolved lazily, clones and copies keep words, maps that do not describe
// their list give answers but never touch memory beyond it.
#include <gtest/gtest.h>

#include <expected>
#include <vector>

#include "core/container/list_ops.hpp"
#include "toy_list.hpp"

using namespace vemo;

namespace {

struct Mismatch {};

// A toy list on a numbered space.
struct SpacedToy : test::ToyList {
    using mismatch_error = Mismatch;
    int space = 0;
    SpacedToy(int s, std::initializer_list<std::vector<uint64_t>> elems) : ToyList(ToyList::of({1, 1}, elems)), space(s) {}
    SpacedToy(int s, ToyList l) : ToyList(std::move(l)), space(s) {}
    bool compatible_with(const SpacedToy& o) const { return space == o.space; }
    SpacedToy empty_clone() const { return SpacedToy(space, ToyList::empty_clone()); }
};
static_assert(SpacedList<SpacedToy>);

// Counts resolutions; -1 is refused.
struct Resolver {
    int* calls;
    std::expected<uint64_t, int> operator()(int64_t i, uint64_t n) const {
        ++*calls;
        if (i < 0 || static_cast<uint64_t>(i) >= n) return std::unexpected(static_cast<int>(i));
        return static_cast<uint64_t>(i);
    }
};

}  // namespace

TEST(ListOps, SlicesResolveOnlyThePairsReached) {
    const SpacedToy a(0, {{1, 1}, {2, 2}, {3, 3}}), b(0, {{2, 2}, {1, 1}});
    int calls = 0;
    const std::vector<int64_t> ia{0, 1, -1}, ib{1, 0, 7}, swapped{1, 0};
    auto s = [](const std::vector<int64_t>& v, uint64_t n) { return SliceIndices{std::span<const int64_t>(v), n}; };
    EXPECT_EQ(slices_equal(a, s(ia, 3), b, s(ib, 2), Resolver{&calls}).error(), -1);
    EXPECT_EQ(calls, 5);
    EXPECT_TRUE(*slices_equal(a, s(swapped, 3), b, SliceIndices{std::nullopt, 2}, Resolver{&calls}));
    EXPECT_FALSE(*slices_equal(a, SliceIndices{std::nullopt, 3}, b, s(swapped, 2), Resolver{&calls}));  // sizes differ
    EXPECT_EQ(calls, 7);
    EXPECT_FALSE(*slices_equal(a, s({}, 3), SpacedToy(1, {}), s({}, 0), Resolver{&calls}));  // another space
    EXPECT_TRUE(*slices_equal(a, s({}, 3), b, s({}, 2), Resolver{&calls}));
}

TEST(ListOps, CloneCopyAndStaleMaps) {
    SpacedToy a(0, {{1, 1}, {2, 2}, {3, 3}});
    const std::vector<uint64_t> idx{2, 0, 2};
    EXPECT_EQ(clone_elems(a, idx).all(), (std::vector<std::vector<uint64_t>>{{3, 3}, {1, 1}, {3, 3}}));
    copy_elem_from(a, 0, SpacedToy(0, {{9, 9}}), 0);
    EXPECT_EQ(a.words(0), (std::vector<uint64_t>{9, 9}));
    // A map that registers an index beyond the list fails the lookup as an internal error.
    Map m;
    m.insert(hash_at_index(a, 0), 7);
    EXPECT_THROW(mapped_lookup(SetView(a, m), a, 0), InternalError);
    // A fresh map: nothing found, the insert appends at the list's length.
    Map fresh;
    EXPECT_EQ(mapped_insert(SetMutView(a, fresh), a, 1), 3u);
    EXPECT_EQ(mapped_remove(SetMutView(a, fresh), a, 0), std::nullopt);
    EXPECT_EQ(a.size(), 4u);
}
