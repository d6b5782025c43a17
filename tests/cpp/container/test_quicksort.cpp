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

// The sort exactly as its steps read: partition around the last element,
// sort the left part by recursion, the right part by the loop. Works on plain
// vectors so that it shares nothing with the code under test.
void reference_sort(std::vector<V>& e, std::vector<int>& c, bool asc, size_t lo, size_t hi) {
    if (hi + 1 < lo + 1) return;
    for (;;) {
        const V pivot = e[hi];
        size_t i = lo;
        for (size_t j = lo; j < hi; ++j) {
            if (asc ? e[j] <= pivot : pivot <= e[j]) {
                std::swap(e[i], e[j]);
                std::swap(c[i], c[j]);
                ++i;
            }
        }
        std::swap(e[i], e[hi]);
        std::swap(c[i], c[hi]);
        if (i > 0) reference_sort(e, c, asc, lo, i - 1);
        lo = i + 1;
        if (lo > hi) return;
    }
}

// A coefficient vector that exchanges entries through swap(i, j).
struct SwapVec {
    std::vector<int> v;
    size_t size() const { return v.size(); }
    void swap(uint64_t i, uint64_t j) { std::swap(v[i], v[j]); }
};

const V A = {1, 0}, B = {2, 0};

}  // namespace

TEST(Quicksort, EqualComponentsFollowTheFixedSwapSequence) {
    // [B, A, B]: the pivot is the last B, both others pass the test, then the
    // left pair is sorted.
    ToyList l = ToyList::of({1, 1}, {B, A, B});
    std::vector<double> c = {1, 2, 3};
    quicksort_range(l, c, true, 0, 2);
    EXPECT_EQ(l.all(), (std::vector<V>{A, B, B}));
    EXPECT_EQ(c, (std::vector<double>{2, 1, 3}));
}

TEST(Quicksort, MatchesTheReferenceIncludingTiesAndCoefficients) {
    std::mt19937_64 rng(17);
    for (int rep = 0; rep < 400; ++rep) {
        const size_t n = rng() % 40;
        std::vector<V> elems(n);
        for (auto& e : elems) e = {rng() % 3, rng() % 2, (rng() % 5 == 0) ? ~0ULL : 0};
        const bool asc = rng() % 2;
        size_t lo = 0, hi = n - 1;
        if (n > 0 && rng() % 2) {
            lo = rng() % n;
            hi = lo + rng() % (n - lo);
        }
        std::vector<int> ids(n);
        for (size_t i = 0; i < n; ++i) ids[i] = int(i);

        ToyList l({2, 1});
        for (const auto& e : elems) push_u64it(l, std::span<const uint64_t>(e));
        SwapVec c{ids};
        quicksort_range(l, c, asc, lo, hi);

        std::vector<V> want = elems;
        std::vector<int> want_ids = ids;
        reference_sort(want, want_ids, asc, lo, hi);
        ASSERT_EQ(l.all(), want) << "rep " << rep;
        ASSERT_EQ(c.v, want_ids) << "rep " << rep;
        // And the range really is ordered, the rest untouched.
        if (n > 0 && lo <= hi) {
            auto got = l.all();
            auto first = got.begin() + lo, last = got.begin() + hi + 1;
            if (asc)
                EXPECT_TRUE(std::is_sorted(first, last));
            else
                EXPECT_TRUE(std::is_sorted(first, last, std::greater<>()));
            for (size_t k = 0; k < n; ++k) {
                if (k < lo || k > hi) {
                    EXPECT_EQ(got[k], elems[k]);
                }
            }
        }
    }
}

TEST(Quicksort, DescendingPutsLargerFirstWordFirst) {
    ToyList l = ToyList::of({1, 1}, {{1, 99}, {3, 0}, {2, 5}, {3, 1}});
    std::vector<int> c = {0, 1, 2, 3};
    quicksort(l, [&](uint64_t i, uint64_t j) { std::swap(c[i], c[j]); }, false);
    EXPECT_EQ(l.all(), (std::vector<V>{{3, 1}, {3, 0}, {2, 5}, {1, 99}}));
    EXPECT_EQ(c, (std::vector<int>{3, 1, 2, 0}));
}

TEST(Quicksort, TrivialRangesChangeNothing) {
    const std::vector<V> before = {B, A, B};
    ToyList l = ToyList::of({2}, {B, A, B});
    quicksort_range(l, true, 1, 1);
    quicksort_range(l, true, 2, 1);
    quicksort_range(l, false, 2, 0);
    EXPECT_EQ(l.all(), before);
    // hi = n - 1 of an empty list wraps: nothing to sort.
    ToyList empty({2});
    quicksort_range(empty, true, 0, ~uint64_t{0});
    std::vector<int> none;
    quicksort_range(empty, none, true, 0, ~uint64_t{0});
    quicksort(empty, true);
    EXPECT_EQ(empty.size(), 0u);
}

TEST(Quicksort, OutOfRangeArgumentsAreInternalFailures) {
    ToyList l = ToyList::of({2}, {B, A, B});
    EXPECT_THROW(quicksort_range(l, true, 0, 3), InternalError);
    std::vector<int> short_c = {1, 2};
    EXPECT_THROW(quicksort_range(l, short_c, true, 0, 2), InternalError);
    EXPECT_EQ(l.all(), (std::vector<V>{B, A, B}));
    // A vector longer than the list is fine.
    std::vector<int> long_c = {1, 2, 3, 4};
    quicksort_range(l, long_c, true, 0, 2);
    EXPECT_EQ(long_c, (std::vector<int>{2, 1, 3, 4}));
}

namespace {

// One word per element, stored flat: keeps the quadratic sorted-input case cheap.
struct WordList {
    std::vector<uint64_t> w;
    size_t size() const { return w.size(); }
    Words elem_u64it(size_t i) const { return std::span<const uint64_t>(w.data() + i, 1); }
    MutWords elem_u64it_mut(size_t i) { return std::span<uint64_t>(w.data() + i, 1); }
    void resize(size_t m) { w.resize(m); }
    void pop_and_swap(size_t i) {
        w.at(i) = w.back();
        w.pop_back();
    }
    std::string fmt_elem(size_t i) const { return std::to_string(w.at(i)); }
    WordList empty_clone() const { return {}; }
};

struct DeepSortJob {
    WordList* list;
    std::vector<uint64_t>* coeffs;
    bool ascending;
};

void* run_deep_sort(void* p) {
    auto* job = static_cast<DeepSortJob*>(p);
    quicksort(*job->list, *job->coeffs, job->ascending);
    return nullptr;
}

// Runs the sort on a thread whose stack holds only a few hundred frames.
void sort_on_small_stack(WordList& l, std::vector<uint64_t>& c, bool ascending) {
    DeepSortJob job{&l, &c, ascending};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 64 * 1024);
    pthread_t t;
    ASSERT_EQ(pthread_create(&t, &attr, run_deep_sort, &job), 0);
    pthread_join(t, nullptr);
    pthread_attr_destroy(&attr);
}

}  // namespace

TEST(Quicksort, SortedInputDoesNotDeepenTheStack) {
    // On ordered input every partition leaves the rest on one side; sorting
    // that side by plain recursion would need one frame per element.
    const size_t n = 12000;
    for (bool ascending : {true, false}) {
        WordList l;
        std::vector<uint64_t> c(n);
        for (size_t i = 0; i < n; ++i) l.w.push_back(ascending ? i : n - i), c[i] = i;
        sort_on_small_stack(l, c, ascending);
        EXPECT_EQ(c.front(), 0u);
        EXPECT_EQ(c.back(), n - 1);
        EXPECT_TRUE(ascending ? std::is_sorted(l.w.begin(), l.w.end())
                              : std::is_sorted(l.w.begin(), l.w.end(), std::greater<>()));
    }
    // Input in the opposite order, and all-equal input.
    WordList rev;
    std::vector<uint64_t> c(n);
    for (size_t i = 0; i < n; ++i) rev.w.push_back(n - i), c[i] = i;
    sort_on_small_stack(rev, c, true);
    EXPECT_TRUE(std::is_sorted(rev.w.begin(), rev.w.end()));
    WordList same;
    same.w.assign(n, 5);
    sort_on_small_stack(same, c, false);
    EXPECT_EQ(same.w, std::vector<uint64_t>(n, 5));
}
