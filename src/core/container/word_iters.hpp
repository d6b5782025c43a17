// Component lists as seen by generic code: every element is a run of 64-bit
// words handed out as up to three contiguous ranges (one per part of the list).
#pragma once

#include <algorithm>
#include <array>
#include <compare>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/base/errors.hpp"
#include "core/container/siphash.hpp"
#include "core/utils/memory.hpp"

namespace vemo {

// The words of one element: up to three ranges read in order.
template <class W>
struct BasicWords {
    static constexpr size_t max_parts = 3;
    std::array<std::span<W>, max_parts> parts{};
    uint8_t n_parts = 0;

    constexpr BasicWords() = default;
    constexpr BasicWords(std::span<W> a) : parts{a}, n_parts(1) {}
    constexpr BasicWords(std::span<W> a, std::span<W> b) : parts{a, b}, n_parts(2) {}
    constexpr BasicWords(std::span<W> a, std::span<W> b, std::span<W> c) : parts{a, b, c}, n_parts(3) {}
    // A writable view reads as a read-only one.
    template <class U>
        requires(std::is_const_v<W> && std::same_as<std::remove_const_t<W>, U>)
    constexpr BasicWords(const BasicWords<U>& o) : n_parts(o.n_parts) {
        for (size_t k = 0; k < n_parts; ++k) parts[k] = o.parts[k];
    }

    constexpr size_t size() const {
        size_t n = 0;
        for (size_t k = 0; k < n_parts; ++k) n += parts[k].size();
        return n;
    }
    template <class F>
    constexpr void for_each(F&& f) const {
        for (size_t k = 0; k < n_parts; ++k)
            for (auto& w : parts[k]) f(w);
    }
};
using Words = BasicWords<const uint64_t>;
using MutWords = BasicWords<uint64_t>;

// Reads the words of a BasicWords one at a time across part boundaries.
template <class W>
class WordCursor {
public:
    explicit constexpr WordCursor(const BasicWords<W>& w) : w_(w) { skip_empty(); }
    constexpr bool done() const { return part_ >= w_.n_parts; }
    constexpr W& get() const { return w_.parts[part_][pos_]; }
    constexpr void next() {
        ++pos_;
        skip_empty();
    }

private:
    constexpr void skip_empty() {
        while (part_ < w_.n_parts && pos_ >= w_.parts[part_].size()) {
            ++part_;
            pos_ = 0;
        }
    }
    BasicWords<W> w_;
    size_t part_ = 0, pos_ = 0;
};

// The component hash: SipHash-1-3 (zero keys) of the words' little-endian bytes.
template <class W>
constexpr uint64_t hash_u64it(const BasicWords<W>& w) {
    SipHasher13 h;
    w.for_each([&](uint64_t x) { h.write_u64(x); });
    return h.finish();
}
constexpr uint64_t hash_u64it(std::span<const uint64_t> w) { return hash_u64it(Words(w)); }

// Equal shapes, the common case, compare with a plain loop: a library call per
// short comparison costs more than the comparison.
template <class A, class B>
constexpr bool words_equal(const BasicWords<A>& a, const BasicWords<B>& b) {
    if (a.n_parts == b.n_parts) {
        bool same_shape = true;
        for (size_t k = 0; k < a.n_parts; ++k) same_shape &= a.parts[k].size() == b.parts[k].size();
        if (same_shape) {
            for (size_t k = 0; k < a.n_parts; ++k) {
                const auto* x = a.parts[k].data();
                const auto* y = b.parts[k].data();
                for (size_t t = 0, m = a.parts[k].size(); t < m; ++t)
                    if (x[t] != y[t]) return false;
            }
            return true;
        }
    }
    if (a.size() != b.size()) return false;
    WordCursor ca(a);
    WordCursor cb(b);
    for (; !ca.done(); ca.next(), cb.next())
        if (ca.get() != cb.get()) return false;
    return true;
}

// Lexicographic over unsigned words; a proper prefix orders first.
template <class A, class B>
constexpr std::strong_ordering words_cmp(const BasicWords<A>& a, const BasicWords<B>& b) {
    // Fast path: elements of one list share their part shape.
    if (a.n_parts == b.n_parts) {
        bool same_shape = true;
        for (size_t k = 0; k < a.n_parts; ++k) same_shape &= a.parts[k].size() == b.parts[k].size();
        if (same_shape) {
            for (size_t k = 0; k < a.n_parts; ++k) {
                const auto pa = a.parts[k];
                const auto pb = b.parts[k];
                for (size_t t = 0; t < pa.size(); ++t)
                    if (pa[t] != pb[t]) return pa[t] < pb[t] ? std::strong_ordering::less : std::strong_ordering::greater;
            }
            return std::strong_ordering::equal;
        }
    }
    WordCursor ca(a);
    WordCursor cb(b);
    for (; !ca.done() && !cb.done(); ca.next(), cb.next())
        if (ca.get() != cb.get()) return ca.get() < cb.get() ? std::strong_ordering::less : std::strong_ordering::greater;
    if (ca.done() && cb.done()) return std::strong_ordering::equal;
    return ca.done() ? std::strong_ordering::less : std::strong_ordering::greater;
}

// Copies words pairwise until either side runs out; returns the count copied.
template <class B>
constexpr size_t assign_words(const MutWords& dst, const BasicWords<B>& src) {
    WordCursor cd(dst);
    WordCursor cs(src);
    size_t n = 0;
    for (; !cd.done() && !cs.done(); cd.next(), cs.next(), ++n) cd.get() = cs.get();
    return n;
}

// The operations every component list implements.
template <class L>
concept WordIters = requires(L& l, const L& cl, size_t i) {
    { cl.size() } -> std::convertible_to<size_t>;
    { cl.elem_u64it(i) } -> std::convertible_to<Words>;
    { l.elem_u64it_mut(i) } -> std::convertible_to<MutWords>;
    l.resize(i);
    l.pop_and_swap(i);
    { cl.fmt_elem(i) } -> std::convertible_to<std::string>;
    { cl.empty_clone() } -> std::same_as<L>;
};

// ---- operations provided for every component list ----

// Appends a cleared element; past 2^64 - 1 elements it is refused (AllocRefused).
template <WordIters L>
void push_clear(L& l) {
    l.resize(one_more_row(l.size()));
}

namespace detail {

// True when a word of `w` lies in the storage of l's elements. Lists keep each
// part's rows in one ascending block (a word table), so the block spans from
// element 0's row to the end of element n-1's row.
template <WordIters L, class W>
bool words_alias_list(const L& l, const BasicWords<W>& w) {
    const size_t n = l.size();
    if (n == 0 || w.size() == 0) return false;
    const Words first = l.elem_u64it(0);
    const Words last = l.elem_u64it(n - 1);
    const std::less<const uint64_t*> lt;
    for (size_t p = 0; p < w.n_parts; ++p) {
        if (w.parts[p].empty()) continue;
        const uint64_t* ptr = w.parts[p].data();
        for (size_t k = 0; k < first.n_parts && k < last.n_parts; ++k) {
            if (last.parts[k].empty()) continue;
            const uint64_t* lo = first.parts[k].data();
            const uint64_t* hi = last.parts[k].data() + last.parts[k].size();
            if (!lt(ptr, lo) && lt(ptr, hi)) return true;
        }
    }
    return false;
}

}  // namespace detail

// Appends an element made of the words of `w`, pairwise; surplus words are
// ignored, missing ones stay zero. `w` may be an element of `l` itself: such
// words are copied aside first, since growing the list may move its storage.
template <WordIters L, class W>
void push_u64it(L& l, const BasicWords<W>& w) {
    if (detail::words_alias_list(l, w)) [[unlikely]] {
        std::vector<uint64_t> copy;
        copy.reserve(w.size());
        w.for_each([&](uint64_t x) { copy.push_back(x); });
        push_clear(l);
        assign_words(l.elem_u64it_mut(l.size() - 1), Words(std::span<const uint64_t>(copy)));
        return;
    }
    push_clear(l);
    assign_words(l.elem_u64it_mut(l.size() - 1), w);
}
template <WordIters L>
void push_u64it(L& l, std::span<const uint64_t> w) {
    push_u64it(l, Words(w));
}

template <WordIters L>
void clear_elem(L& l, size_t i) {
    if (i >= l.size()) index_failure("clear_elem", i, l.size(), OutOfBoundsKind::Element);
    l.elem_u64it_mut(i).for_each([](uint64_t& w) { w = 0; });
}

// Element i takes element j's words; a no-op for i == j or either index out of range.
template <WordIters L>
void copy_elem(L& l, size_t i, size_t j) {
    if (i == j || i >= l.size() || j >= l.size()) return;
    assign_words(l.elem_u64it_mut(i), Words(l.elem_u64it(j)));
}

template <WordIters L>
void swap_elems(L& l, size_t i, size_t j) {
    if (i == j || i >= l.size() || j >= l.size()) return;
    WordCursor a(l.elem_u64it_mut(i));
    WordCursor b(l.elem_u64it_mut(j));
    for (; !a.done() && !b.done(); a.next(), b.next()) std::swap(a.get(), b.get());
}

template <WordIters L>
uint64_t hash_at_index(const L& l, size_t i) {
    if (i >= l.size()) index_failure("hash_at_index", i, l.size(), OutOfBoundsKind::Element);
    return hash_u64it(Words(l.elem_u64it(i)));
}

// Splits into (selected, rest) by an ascending index sequence; once the
// sequence stops ascending or leaves the list, nothing more is selected.
template <WordIters L, class Range>
std::pair<L, L> bipartition(const L& l, const Range& indices) {
    std::pair<L, L> out{l.empty_clone(), l.empty_clone()};
    auto it = std::begin(indices);
    auto end = std::end(indices);
    bool have = it != end;
    uint64_t s = have ? static_cast<uint64_t>(*it) : 0;
    for (size_t k = 0; k < l.size(); ++k) {
        if (have && s == k) {
            push_u64it(out.first, Words(l.elem_u64it(k)));
            ++it;
            have = it != end;
            if (have) s = static_cast<uint64_t>(*it);
        } else {
            push_u64it(out.second, Words(l.elem_u64it(k)));
        }
    }
    return out;
}

// ---- element views ----

template <WordIters L>
struct ElemRef {
    const L* list;
    size_t index;

    Words words() const { return list->elem_u64it(index); }
    template <WordIters M>
    bool operator==(const ElemRef<M>& o) const {
        return words_equal(words(), o.words());
    }
    template <WordIters M>
    std::strong_ordering operator<=>(const ElemRef<M>& o) const {
        return words_cmp(words(), o.words());
    }
};

template <WordIters L>
struct ElemMutRef {
    L* list;
    size_t index;

    MutWords words() const { return list->elem_u64it_mut(index); }
    ElemRef<L> as_ref() const { return {list, index}; }
    template <WordIters M>
    void assign(const ElemRef<M>& other) const {
        assign_words(words(), other.words());
    }
};

}  // namespace vemo
