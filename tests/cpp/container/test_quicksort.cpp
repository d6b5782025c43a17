// The in-place Lomuto quicksort against a literal transcription of its steps
// (ties and coefficients included), and its stack use on ordered input.
#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/container/quicksort.hpp"
#include "toy_list.hpp"

using namespace vemo;
using vemo::test::ToyList;
using V = std::vector<uint64_t>;

namespace {

// Partition around the last element, the left part by recursion, the right by the loop.
void reference_sort(std::vector<V>& e, std::vector<int>& c, bool asc, size_t lo, size_t hi) {
    if (hi + 1 < lo + 1) return;
    for (;;) {
        const V pivot = e[hi];
        size_t i = lo;
        for (size_t j = lo; j < hi; ++j)
            if (asc ? e[j] <= pivot : pivot <= e[j]) std::swap(e[i], e[j]), std::swap(c[i], c[j]), ++i;
        std::swap(e[i], e[hi]), std::swap(c[i], c[hi]);
        if (i > 0) reference_sort(e, c, asc, lo, i - 1);
        lo = i + 1;
        if (lo > hi) return;
    }
}

const V A = {1, 0}, B = {2, 0};

}  // namespace

TEST(Quicksort, InvalidRanges) {
    ToyList l = ToyList::of({2}, {B, A, B});
    EXPECT_THROW(quicksort_range(l, true, 0, 3), InternalError);
    std::vector<int> short_c = {1, 2};
    EXPECT_THROW(quicksort_range(l, short_c, true, 0, 2), InternalError);
    EXPECT_EQ(l.all(), (std::vector<V>{B, A, B}));
}

TEST(Quicksort, MatchesTheStepsOnRandomRanges) {
    std::mt19937_64 rng(17);
    for (int rep = 0; rep < 400; ++rep) {
        const size_t n = rng() % 40;
        std::vector<V> elems(n);
        for (auto& e : elems) e = {rng() % 3, rng() % 2, rng() % 5 == 0 ? ~0ULL : 0};
        const bool asc = rng() % 2;
        size_t lo = 0, hi = n - 1;  // n = 0 wraps: an empty range
        if (n > 0 && rng() % 2) lo = rng() % n, hi = lo + rng() % (n - lo);
        std::vector<int> ids(n);
        for (size_t i = 0; i < n; ++i) ids[i] = int(i);
        ToyList l({2, 1});
        for (const auto& e : elems) push_u64it(l, std::span<const uint64_t>(e));
        std::vector<int> got_ids = ids;
        quicksort_range(l, got_ids, asc, lo, hi);
        reference_sort(elems, ids, asc, lo, hi);
        ASSERT_EQ(l.all(), elems) << rep;
        ASSERT_EQ(got_ids, ids) << rep;
    }
}

namespace {

// One word per element, stored flat: keeps the quadratic ordered-input case cheap.
struct WordList {
    std::vector<uint64_t> w;
    bool ascending = true;
    size_t size() const { return w.size(); }
    Words elem_u64it(size_t i) const { return std::span<const uint64_t>(w.data() + i, 1); }
    MutWords elem_u64it_mut(size_t i) { return std::span<uint64_t>(w.data() + i, 1); }
    void resize(size_t m) { w.resize(m); }
    void pop_and_swap(size_t i) { w[i] = w.back(), w.pop_back(); }
    std::string fmt_elem(size_t i) const { return std::to_string(w[i]); }
    WordList empty_clone() const { return {}; }
};

}  // namespace

TEST(Quicksort, OrderedInputDoesNotDeepenTheStack) {
    // Plain recursion into the left part would need one frame per element; the
    // sort runs on a 64 KiB stack.
    for (int k = 0; k < 4; ++k) {
        WordList l{{}, k % 2 == 0};
        for (uint64_t i = 0; i < 12000; ++i) l.w.push_back(k < 2 ? i : 12000 - i);  // in and against order
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstacksize(&attr, 64 * 1024);
        pthread_t t;
        auto run = [](void* p) -> void* {
            auto* l = static_cast<WordList*>(p);
            quicksort(*l, l->ascending);
            return nullptr;
        };
        ASSERT_EQ(pthread_create(&t, &attr, run, &l), 0);
        pthread_join(t, nullptr);
        pthread_attr_destroy(&attr);
        EXPECT_TRUE(l.ascending ? std::is_sorted(l.w.begin(), l.w.end()) : std::is_sorted(l.w.rbegin(), l.w.rend()));
    }
}
