// Element operations between component lists that live on a space (a qubit
// register, a fermion mode space): the space check, copying an element from
// another list, cloning a selection of elements, comparing single elements and
// slices, and the mapped operations of a caller's (list, Map) pair. Written
// once for every list kind; the binding layer resolves Python indices and calls
// these in the order each method states.
//
// A list kind takes part by naming the error of a space mismatch
// (`mismatch_error`) and saying whether two lists share a space
// (`compatible_with`). Index arguments here are already resolved: each must lie
// below the length of the list it addresses.
#pragma once

#include <concepts>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <type_traits>

#include "core/base/errors.hpp"
#include "core/container/map.hpp"
#include "core/container/set.hpp"
#include "core/container/word_iters.hpp"

namespace vemo {

template <class L>
concept SpacedList = WordIters<L> && requires(const L& a) {
    { a.compatible_with(a) } -> std::convertible_to<bool>;
    typename L::mismatch_error;
};

template <SpacedList L>
std::expected<void, typename L::mismatch_error> check_compatible(const L& a, const L& b) {
    if (a.compatible_with(b)) return {};
    return std::unexpected(typename L::mismatch_error{});
}

// ---- editing ----

// Element i of dst becomes element j of src (another list on the same space,
// or the same list). A list whose element words depend on the list itself
// provides `assign_elem(i, src, j)`, whose result (an error value when dst
// cannot hold the element) is returned.
template <WordIters L>
decltype(auto) copy_elem_from(L& dst, uint64_t i, const L& src, uint64_t j) {
    if (i >= dst.size()) index_failure("copy_elem_from", i, dst.size(), OutOfBoundsKind::Element);
    if (j >= src.size()) index_failure("copy_elem_from", j, src.size(), OutOfBoundsKind::Element);
    if constexpr (requires { dst.assign_elem(i, src, j); })
        return dst.assign_elem(i, src, j);
    else
        assign_words(dst.elem_u64it_mut(i), src.elem_u64it(j));
}

// f(words) for element j of `other` (on self's space) written as an element of
// `self`. A list whose element words depend on the list itself (the general
// fermion list's capacity) provides `with_elem_in_layout(other, j, f)`, which
// returns f's result or the error of an element that self cannot hold; for
// every other list f gets the element's own words.
template <WordIters L, class F>
decltype(auto) with_own_words(const L& self, const L& other, uint64_t j, F&& f) {
    if constexpr (requires { self.with_elem_in_layout(other, j, f); })
        return self.with_elem_in_layout(other, j, f);
    else
        return f(other.elem_u64it(j));
}

// A new list on l's space holding copies of the indexed elements, in order
// (repeats allowed).
template <WordIters L>
L clone_elems(const L& l, std::span<const uint64_t> indices) {
    L out = l.empty_clone();
    for (uint64_t i : indices)
        if (i >= l.size()) index_failure("clone_elems", i, l.size(), OutOfBoundsKind::Element);
    out.resize(indices.size());
    // out has l's layout, so it holds every element of l.
    for (uint64_t k = 0; k < indices.size(); ++k) static_cast<void>(copy_elem_from(out, k, l, indices[k]));
    return out;
}

// ---- comparison ----

// False for lists on different spaces; otherwise whether the two elements hold the same words.
template <SpacedList L>
bool elems_equal(const L& a, uint64_t i, const L& b, uint64_t j) {
    if (!a.compatible_with(b)) return false;
    return ElemRef<L>{&a, i} == ElemRef<L>{&b, j};
}

// One side of a slice comparison: an index list to resolve entry by entry, or
// the whole list in order.
struct SliceIndices {
    std::optional<std::span<const int64_t>> indices;
    uint64_t list_len = 0;
    uint64_t size() const { return indices ? indices->size() : list_len; }
};

// Whether the slices a[ia] and b[ib] hold equal elements pair by pair. False
// for different spaces or slice sizes; true for two empty slices. Entry k of
// each side is resolved by `resolve(entry, list length)` only when pair k is
// reached, so entries after the first unequal pair are never looked at.
template <SpacedList L, class Resolve>
auto slices_equal(const L& a, SliceIndices ia, const L& b, SliceIndices ib, Resolve resolve)
    -> std::expected<bool, typename std::invoke_result_t<Resolve, int64_t, uint64_t>::error_type> {
    if (!a.compatible_with(b)) return false;
    const uint64_t n = ia.size();
    if (n != ib.size()) return false;
    auto index = [&](const SliceIndices& s, uint64_t k, uint64_t len) -> std::invoke_result_t<Resolve, int64_t, uint64_t> {
        if (!s.indices) return k;
        return resolve((*s.indices)[k], len);
    };
    for (uint64_t k = 0; k < n; ++k) {
        const auto i = index(ia, k, a.size());
        if (!i) return std::unexpected(i.error());
        const auto j = index(ib, k, b.size());
        if (!j) return std::unexpected(j.error());
        if (!elems_equal(a, *i, b, *j)) return false;
    }
    return true;
}

// ---- a caller's (list, Map) pair ----
// An element of `other` that self cannot hold is found nowhere in self.

namespace detail {
inline std::optional<uint64_t> found(std::optional<uint64_t> r) { return r; }
template <class E>
std::optional<uint64_t> found(const std::expected<std::optional<uint64_t>, E>& r) {
    return r ? *r : std::nullopt;
}
}  // namespace detail

// The index at which `self` holds element j of `other`, if any.
template <WordIters L>
std::optional<uint64_t> mapped_lookup(const SetView<L>& self, const L& other, uint64_t j) {
    return detail::found(with_own_words(self.list(), other, j, [&](const auto& w) { return self.lookup(w); }));
}

// The index of the equal element, or the index of element j of `other` newly
// appended; the error of a list that cannot hold the element, unchanged.
template <WordIters L>
decltype(auto) mapped_insert(const SetMutView<L>& self, const L& other, uint64_t j) {
    return with_own_words(self.list(), other, j,
                          [&](const auto& w) { return self.insert_u64it_or_get_index(w).first; });
}

// Swap-removes the element equal to element j of `other`; its former index, or
// none when self holds no such element (nothing changes).
template <WordIters L>
std::optional<uint64_t> mapped_remove(const SetMutView<L>& self, const L& other, uint64_t j) {
    const auto i = mapped_lookup(self.as_view(), other, j);
    if (!i) return std::nullopt;
    if (!self.drop(*i)) internal_failure("mapped_remove: the element the map found is not registered under its hash");
    return i;
}

// Equal lengths and every element of `other` found in self: an equality of
// contents when neither side repeats an element, which maps maintain.
template <WordIters L>
bool mapped_equal(const SetView<L>& self, const L& other) {
    if (self.size() != other.size()) return false;
    for (uint64_t j = 0; j < other.size(); ++j)
        if (!mapped_lookup(self, other, j)) return false;
    return true;
}

}  // namespace vemo
