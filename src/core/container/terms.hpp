// Linear combinations: a component list with one coefficient per component,
// without (Terms) and with (TermSet) a Map that keeps the components unique,
// and the scaled-add kernels through which every product, mapping and
// conversion accumulates its result.
//
// Accumulation rule: an arriving component is appended with its coefficient
// when absent and has its coefficient added when present; a coefficient that
// becomes exactly zero (0.0 or -0.0, never NaN; complex: both parts) removes
// its component by swap-removal from list, map and coefficients alike.
//
// Memory: a row is appended to list, map and coefficients all together or not
// at all (std::bad_alloc propagates with the three as they were), and removals
// allocate nothing, so a kernel that runs out of memory part way leaves the
// terms added so far, in step and usable by the next call.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "core/base/errors.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/container/map.hpp"
#include "core/container/set.hpp"
#include "core/container/word_iters.hpp"

namespace vemo {

// The coefficient vectors that accumulate by addition.
template <class C>
concept FieldVec = std::same_as<C, RealVec> || std::same_as<C, ComplexVec>;

template <WordIters T, NumReprVec C>
struct Terms;

namespace detail {

// Appends a term: push_row appends one row to the list (or, failing, none)
// and the coefficient c goes to the end of coeffs, both or neither. The
// coefficient goes first, so undoing a failure only shrinks.
template <NumReprVec C, class PushRow>
void push_term(C& coeffs, PushRow&& push_row, const typename C::Scalar& c) {
    const uint64_t n = coeffs.size();
    coeffs.push(c);
    try {
        push_row();
    } catch (...) {
        coeffs.resize(n);
        throw;
    }
}

}  // namespace detail

// ---- Terms: components may repeat ----

template <WordIters T, NumReprVec C>
struct TermsView {
    const T& cmpnts;
    const C& coeffs;

    uint64_t size() const { return cmpnts.size(); }
    // A deep copy of the list and of the whole coefficient vector.
    Terms<T, C> to_owned() const { return Terms<T, C>{cmpnts, coeffs}; }
};

// The terms that take part in an operation on a view: the first
// min(components, coefficients).
template <WordIters T, NumReprVec C>
uint64_t taking_part(const TermsView<T, C>& t) {
    return std::min<uint64_t>(t.cmpnts.size(), t.coeffs.size());
}

template <WordIters T, NumReprVec C>
struct TermsMutView {
    T& cmpnts;
    C& coeffs;

    uint64_t size() const { return cmpnts.size(); }
    TermsView<T, C> as_view() const { return {cmpnts, coeffs}; }

    // Appends a copy of another list's element with coefficient c, both or
    // neither. `e` must not point into this list (appending may move its storage).
    template <WordIters U>
    void push_elem_coeff(const ElemRef<U>& e, const typename C::Scalar& c) const {
        detail::push_term(coeffs, [&] { push_u64it(cmpnts, e.words()); }, c);
    }

    // The n terms appended once more, in order: the list holds them twice.
    // Each term is appended to list and coefficients both or neither.
    void self_append() const {
        const uint64_t n = cmpnts.size();
        for (uint64_t j = 0; j < n; ++j) {
            const typename C::Scalar c = coeffs.get(j);
            detail::push_term(coeffs, [&] {
                push_clear(cmpnts);
                copy_elem(cmpnts, n + j, j);
            }, c);
        }
    }
};

template <WordIters T, NumReprVec C>
struct Terms {
    T cmpnts;
    C coeffs;

    uint64_t size() const { return cmpnts.size(); }
    TermsView<T, C> view() const { return {cmpnts, coeffs}; }
    TermsMutView<T, C> mut_view() { return {cmpnts, coeffs}; }
    template <WordIters U>
    void push_elem_coeff(const ElemRef<U>& e, const typename C::Scalar& c) {
        mut_view().push_elem_coeff(e, c);
    }
    void self_append() { mut_view().self_append(); }
};

// ---- TermSet: distinct components, a map that describes the list, one coefficient each ----

namespace detail {

// Appends component w (hash h, absent from the map) with coefficient c as
// element n = the list's length: to list, map and coefficients alike or, when
// memory runs out, to none of them. The coefficient goes first and the map
// last, so that undoing a failure only shrinks. Coefficients not one per
// element before the call follow the list: the new element's is c.
template <WordIters T, NumReprVec C, class W>
uint64_t term_append(T& cmpnts, Map& map, C& coeffs, uint64_t h, const BasicWords<W>& w,
                     const typename C::Scalar& c) {
    const uint64_t n = cmpnts.size(), before = coeffs.size();
    if (before == n) [[likely]] {
        coeffs.push(c);
    } else {
        coeffs.resize(one_more_row(n));
        coeffs.set(n, c);
    }
    try {
        set_append(cmpnts, map, h, w);
    } catch (...) {
        coeffs.resize(std::min(before, n));
        throw;
    }
    return n;
}

// Appends a term to a list and coefficients that are in step and a map that
// registers every element, repeats included: push_row appends one row (or,
// failing, none), which the map registers under its hash, with coefficient
// c. All three or none, as term_append.
template <WordIters T, NumReprVec C, class PushRow>
void push_registered(T& cmpnts, Map& map, C& coeffs, PushRow&& push_row, const typename C::Scalar& c) {
    push_term(coeffs, [&] {
        const uint64_t n = cmpnts.size();
        push_row();
        try {
            map.insert(hash_at_index(cmpnts, n), n);
        } catch (...) {
            cmpnts.resize(n);
            throw;
        }
    }, c);
}

}  // namespace detail

template <WordIters T, NumReprVec C>
struct TermSetView {
    const T& cmpnts;
    const Map& map;
    const C& coeffs;

    uint64_t size() const { return cmpnts.size(); }
    TermsView<T, C> as_terms() const { return {cmpnts, coeffs}; }

    template <class W>
    std::optional<uint64_t> lookup(const BasicWords<W>& w) const {
        return detail::set_find(cmpnts, map, hash_u64it(w), w);
    }
    // The coefficient of the element with the same words as `e`, if there is one.
    template <WordIters U>
    std::optional<typename C::Scalar> lookup_coeff_elem_ref(const ElemRef<U>& e) const {
        if (auto i = lookup(e.words())) return coeffs.get(*i);
        return std::nullopt;
    }
};

template <WordIters T, NumReprVec C>
struct TermSetMutView {
    T& cmpnts;
    Map& map;
    C& coeffs;

    uint64_t size() const { return cmpnts.size(); }
    TermSetView<T, C> as_view() const { return {cmpnts, map, coeffs}; }

    // Whether an output can be added into: the kernel keeps list and
    // coefficients in step only when they start with one coefficient each.
    std::expected<void, UnequalCoeffs> check_in_step() const {
        return check_one_coeff_exactly(coeffs.size(), cmpnts.size());
    }

    // (index, inserted): an equal element keeps its coefficient; a new one gets
    // c, appended to list, map and coefficients all or none (memory).
    template <class W>
    std::pair<uint64_t, bool> insert_u64it_or_get_index(const BasicWords<W>& w, const typename C::Scalar& c) const {
        const uint64_t h = hash_u64it(w);
        if (auto i = detail::set_find(cmpnts, map, h, w)) return {*i, false};
        return {detail::term_append(cmpnts, map, coeffs, h, w, c), true};
    }
    std::pair<uint64_t, bool> insert_u64it_or_get_index(std::span<const uint64_t> w,
                                                        const typename C::Scalar& c) const {
        return insert_u64it_or_get_index(Words(w), c);
    }

    // Swap-removal of element i with its coefficient; false (nothing changes)
    // when the map does not register element i.
    bool drop_index(uint64_t i) const {
        if (i >= cmpnts.size()) return false;
        if (!detail::set_drop(cmpnts, map, i, hash_at_index(cmpnts, i))) return false;
        coeffs.pop_and_swap(i);
        return true;
    }

    template <WordIters U>
    std::optional<typename C::Scalar> lookup_coeff_elem_ref(const ElemRef<U>& e) const {
        return as_view().lookup_coeff_elem_ref(e);
    }
};

template <WordIters T, NumReprVec C>
class TermSet {
public:
    // An empty term set on the same space as `like`.
    static TermSet empty_from(const T& like) { return TermSet(Set<T>::empty_from(like)); }

    // Inserts the terms in index order; a repeated component keeps the
    // coefficient of its last occurrence (coefficients are not summed, zeros kept).
    static TermSet from_terms(Terms<T, C> terms) {
        TermSet out = empty_from(terms.cmpnts);
        const uint64_t n = terms.cmpnts.size();
        for (uint64_t i = 0; i < n; ++i) {
            const auto c = terms.coeffs.get(i);
            auto [j, inserted] = out.insert_u64it_or_get_index(Words(terms.cmpnts.elem_u64it(i)), c);
            if (!inserted) out.coeffs_.set(j, c);
        }
        return out;
    }

    uint64_t size() const { return set_.size(); }
    const T& cmpnts() const { return set_.elements(); }
    const Map& map() const { return set_.map(); }
    const C& coeffs() const { return coeffs_; }

    TermSetView<T, C> view() const { return {set_.elements(), set_.map(), coeffs_}; }
    TermSetMutView<T, C> mut_view() {
        auto sv = set_.mut_view();
        return {sv.list(), sv.map(), coeffs_};
    }
    TermsView<T, C> as_terms() const { return {set_.elements(), coeffs_}; }

    template <class W>
    std::pair<uint64_t, bool> insert_u64it_or_get_index(const BasicWords<W>& w, const typename C::Scalar& c) {
        return mut_view().insert_u64it_or_get_index(w, c);
    }
    bool drop_index(uint64_t i) { return mut_view().drop_index(i); }
    template <WordIters U>
    std::optional<typename C::Scalar> lookup_coeff_elem_ref(const ElemRef<U>& e) const {
        return view().lookup_coeff_elem_ref(e);
    }

    // Hands the list and coefficients out, leaving an empty term set.
    Terms<T, C> into_terms() {
        Terms<T, C> out{set_.take_elements(), std::move(coeffs_)};
        coeffs_ = C();
        return out;
    }

private:
    explicit TermSet(Set<T> set) : set_(std::move(set)) {}

    Set<T> set_;
    C coeffs_;
};

// ---- scaled-add kernels ----

namespace detail {

inline constexpr uint64_t no_hint = ~uint64_t{0};

// lhs += c * (component w with hash h). `hint` is where an earlier look-up of
// h pointed (no_hint: nowhere); it is trusted only as far as it can be
// verified: an element with equal words at the hinted index is the component
// (elements are distinct), and "nowhere" stays true while nothing has been
// inserted since (`hint_fresh`). Anything else falls back to a full look-up.
// Returns whether the component was appended. All or nothing: should memory
// run out, lhs is as it was (see term_append; a removal allocates nothing).
template <WordIters T, FieldVec C, class W>
bool scaled_iadd_hashed(const TermSetMutView<T, C>& lhs, const BasicWords<W>& w, uint64_t h,
                        const typename C::Scalar& c, uint64_t hint, bool hint_fresh) {
    std::optional<uint64_t> found;
    if (hint != no_hint && hint < lhs.cmpnts.size() && words_equal(Words(lhs.cmpnts.elem_u64it(hint)), w))
        found = hint;
    else if (hint != no_hint || !hint_fresh)
        found = set_find(lhs.cmpnts, lhs.map, h, w);
    if (!found) {
        // Appended and at once removed again when c is exactly zero: nothing changes.
        if (is_exact_zero(c)) return false;
        term_append(lhs.cmpnts, lhs.map, lhs.coeffs, h, w, c);
        return true;
    }
    const uint64_t j = *found;
    auto& entry = lhs.coeffs.at_mut(j);
    entry = c + entry;
    if (is_exact_zero(entry) && set_drop(lhs.cmpnts, lhs.map, j, h)) lhs.coeffs.pop_and_swap(j);
    return false;
}

}  // namespace detail

// lhs += c * (the component with words w). `w` must not point into lhs's list.
template <WordIters T, FieldVec C, class W>
void scaled_iadd_u64it(const TermSetMutView<T, C>& lhs, const BasicWords<W>& w, const typename C::Scalar& c) {
    detail::scaled_iadd_hashed(lhs, w, hash_u64it(w), c, detail::no_hint, false);
}
template <WordIters T, FieldVec C>
void scaled_iadd_u64it(const TermSetMutView<T, C>& lhs, std::span<const uint64_t> w, const typename C::Scalar& c) {
    scaled_iadd_u64it(lhs, Words(w), c);
}
template <WordIters T, FieldVec C, class W>
void scaled_iadd_u64it(TermSet<T, C>& lhs, const BasicWords<W>& w, const typename C::Scalar& c) {
    scaled_iadd_u64it(lhs.mut_view(), w, c);
}

namespace detail {

inline constexpr uint64_t scaled_iadd_batch_size = 16;

// lhs += coeff_at(k) * (the component with words words_at(k)) for k < m, in
// that order; m at most scaled_iadd_batch_size. The hashes and map look-ups of
// the whole batch come first, so that their cache misses overlap, and the
// hinted elements and coefficients are prefetched before the terms are added
// one by one.
template <WordIters T, FieldVec C, class WordsAt, class CoeffAt>
void scaled_iadd_batch(const TermSetMutView<T, C>& lhs, uint64_t m, WordsAt&& words_at, CoeffAt&& coeff_at) {
    uint64_t hashes[scaled_iadd_batch_size], hints[scaled_iadd_batch_size];
    if (m > scaled_iadd_batch_size) internal_failure("scaled_iadd_batch: more terms than a batch");
    for (uint64_t k = 0; k < m; ++k) hashes[k] = hash_u64it(words_at(k));
    const uint64_t size = lhs.cmpnts.size();
    for (uint64_t k = 0; k < m; ++k) {
        const MapLookup r = lhs.map.lookup(hashes[k]);
        hints[k] = r.is_single() ? r.single : r.is_multiple() ? r.multiple.front() : no_hint;
        if (hints[k] < size) {
            const Words hw(lhs.cmpnts.elem_u64it(hints[k]));
            if (hw.n_parts && !hw.parts[0].empty()) __builtin_prefetch(hw.parts[0].data());
            if (hints[k] < lhs.coeffs.size()) __builtin_prefetch(&lhs.coeffs.at_mut(hints[k]));
        }
    }
    bool inserted = false;
    for (uint64_t k = 0; k < m; ++k)
        inserted |= scaled_iadd_hashed(lhs, words_at(k), hashes[k], coeff_at(k), hints[k], !inserted);
}

}  // namespace detail

// lhs += coeff_of(k) * (element k of rhs) for k = 0..n-1 in order; a term
// whose coeff_of(k) is empty adds nothing. rhs must not be lhs's list.
template <WordIters T, FieldVec C, class CoeffOf>
void scaled_iadd_each(const TermSetMutView<T, C>& lhs, const T& rhs, uint64_t n, CoeffOf coeff_of) {
    constexpr uint64_t batch = detail::scaled_iadd_batch_size;
    uint64_t at[batch];
    typename C::Scalar coeffs[batch];
    for (uint64_t i = 0; i < n;) {
        uint64_t m = 0;
        for (; m < batch && i < n; ++i) {
            if (auto c = coeff_of(i)) {
                at[m] = i;
                coeffs[m++] = *c;
            }
        }
        detail::scaled_iadd_batch(
            lhs, m, [&](uint64_t k) { return Words(rhs.elem_u64it(at[k])); }, [&](uint64_t k) { return coeffs[k]; });
    }
}

// lhs += s * rhs, term by term in rhs's index order (complex: s scales each
// rhs coefficient in the written-out order). rhs must not share lhs's list.
template <WordIters T, FieldVec C>
void scaled_iadd(const TermSetMutView<T, C>& lhs, const TermsView<T, C>& rhs, const typename C::Scalar& s) {
    scaled_iadd_each(lhs, rhs.cmpnts, rhs.cmpnts.size(),
                     [&](uint64_t k) { return std::optional(num_mul(s, rhs.coeffs.get(k))); });
}
template <WordIters T, FieldVec C>
void scaled_iadd(TermSet<T, C>& lhs, const TermsView<T, C>& rhs, const typename C::Scalar& s) {
    scaled_iadd(lhs.mut_view(), rhs, s);
}
template <WordIters T, FieldVec C>
void scaled_iadd(const TermSetMutView<T, C>& lhs, const TermSetView<T, C>& rhs, const typename C::Scalar& s) {
    scaled_iadd(lhs, rhs.as_terms(), s);
}
template <WordIters T, FieldVec C>
void scaled_iadd(TermSet<T, C>& lhs, const TermSetView<T, C>& rhs, const typename C::Scalar& s) {
    scaled_iadd(lhs.mut_view(), rhs.as_terms(), s);
}

}  // namespace vemo
