// Component sets: a component list joined with a Map that registers the
// (hash, index) pair of every element. Callers own their lists and maps
// separately, so the operations live on views over a (list, map) pair; Set
// owns both where the library keeps them itself.
//
// The views trust the map only as far as memory safety allows: every index a
// map yields is checked against the list before the list is read, and new and
// last indices come from the list's own length, so a map that does not
// describe its list can give wrong answers or an internal failure, never a
// memory error.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "core/base/errors.hpp"
#include "core/container/map.hpp"
#include "core/container/word_iters.hpp"

namespace vemo {

namespace detail {

[[noreturn]] inline void map_index_beyond_list(uint64_t i, uint64_t n) {
    internal_failure("Map yields an index beyond its list: " + OutOfBounds{i, n, OutOfBoundsKind::Element}.debug());
}

// The index of the element equal to `w` among those the map registers under
// hash `h`, first in registration order. A registered index beyond the list
// goes to beyond(i, n) (n the list's length), which throws, or returns and
// the index is passed over.
template <WordIters L, class W, class Beyond>
std::optional<uint64_t> set_find(const L& list, const Map& map, uint64_t h, const BasicWords<W>& w, Beyond&& beyond) {
    const uint64_t n = list.size();
    const MapLookup r = map.lookup(h);
    for (uint64_t i : r.indices()) {
        if (i >= n) {
            beyond(i, n);
            continue;
        }
        if (words_equal(Words(list.elem_u64it(i)), w)) return i;
    }
    return std::nullopt;
}
template <WordIters L, class W>
std::optional<uint64_t> set_find(const L& list, const Map& map, uint64_t h, const BasicWords<W>& w) {
    return set_find(list, map, h, w, map_index_beyond_list);
}

// Appends `w` as element n = the list's length (whatever the map holds) and
// registers (h, n): both or, should memory run out, neither (the list is cut
// back to n rows and the exception propagates; the map's insertion changes
// nothing when it fails). Callers have looked `w` up under h first, which
// checked every index registered there against the list, so (h, n) cannot be
// stored already; a refusal means a bug.
template <WordIters L, class W>
uint64_t set_append(L& list, Map& map, uint64_t h, const BasicWords<W>& w) {
    const uint64_t n = list.size();
    push_u64it(list, w);
    try {
        if (!map.insert(h, n)) internal_failure("Set insert: the map registers the new element already");
    } catch (...) {
        list.resize(n);
        throw;
    }
    return n;
}

// Swap-removal of element i, h being its hash: true when it was removed;
// false (and nothing changes) when i is not registered under h or lies
// beyond the list. With a map that describes the list nothing is allocated,
// so a removal cannot fail part way.
template <WordIters L>
bool set_drop(L& list, Map& map, uint64_t i, uint64_t h) {
    const uint64_t n = list.size();
    if (i >= n || !map.remove(h, i)) return false;
    const uint64_t last = n - 1;
    if (i != last) {
        const uint64_t h2 = hash_at_index(list, last);
        // With a map that does not describe the list the moved element may be
        // registered nowhere; it is registered at its new slot anyway.
        if (!map.reindex(h2, last, i)) map.insert(h2, i);
    }
    list.pop_and_swap(i);
    return true;
}

}  // namespace detail

// Rebuilds `map` to describe `list`: one (hash, index) pair per element in
// index order, so that among equal elements the lowest index is registered
// first and is the one lookups find.
template <WordIters L>
void refresh_map(const L& list, Map& map) {
    map.clear();
    for (uint64_t i = 0; i < list.size(); ++i) map.insert(hash_at_index(list, i), i);
}

// Read view of a set.
template <WordIters L>
class SetView {
public:
    SetView(const L& list, const Map& map) : list_(&list), map_(&map) {}

    const L& list() const { return *list_; }
    const Map& map() const { return *map_; }
    uint64_t size() const { return list_->size(); }

    // The index of the element with exactly these words, if any.
    template <class W>
    std::optional<uint64_t> lookup(const BasicWords<W>& w) const {
        return detail::set_find(*list_, *map_, hash_u64it(w), w);
    }
    std::optional<uint64_t> lookup(std::span<const uint64_t> w) const { return lookup(Words(w)); }

private:
    const L* list_;
    const Map* map_;
};

// Write view of a set.
template <WordIters L>
class SetMutView {
public:
    SetMutView(L& list, Map& map) : list_(&list), map_(&map) {}

    L& list() const { return *list_; }
    Map& map() const { return *map_; }
    uint64_t size() const { return list_->size(); }
    SetView<L> as_view() const { return {*list_, *map_}; }

    template <class W>
    std::optional<uint64_t> lookup(const BasicWords<W>& w) const {
        return detail::set_find(*list_, *map_, hash_u64it(w), w);
    }
    std::optional<uint64_t> lookup(std::span<const uint64_t> w) const { return lookup(Words(w)); }

    // (index, inserted): the equal element's index, or the index of the newly
    // appended element.
    template <class W>
    std::pair<uint64_t, bool> insert_u64it_or_get_index(const BasicWords<W>& w) const {
        const uint64_t h = hash_u64it(w);
        if (auto i = detail::set_find(*list_, *map_, h, w)) return {*i, false};
        return {detail::set_append(*list_, *map_, h, w), true};
    }
    std::pair<uint64_t, bool> insert_u64it_or_get_index(std::span<const uint64_t> w) const {
        return insert_u64it_or_get_index(Words(w));
    }

    // Swap-removal of element i: true when it was removed; false (and nothing
    // changes) when i is not registered in the map or lies beyond the list.
    bool drop(uint64_t i) const {
        if (i >= list_->size()) return false;
        return detail::set_drop(*list_, *map_, i, hash_at_index(*list_, i));
    }

private:
    L* list_;
    Map* map_;
};

// A set that owns its list and map.
template <WordIters L>
class Set {
public:
    explicit Set(L elements) : elements_(std::move(elements)) { rebuild_map(); }

    // An empty set on the same space as `like`.
    static Set empty_from(const L& like) { return Set(like.empty_clone(), Map()); }

    const L& elements() const { return elements_; }
    const Map& map() const { return map_; }
    uint64_t size() const { return elements_.size(); }
    bool empty() const { return elements_.size() == 0; }

    SetView<L> view() const { return {elements_, map_}; }
    SetMutView<L> mut_view() { return {elements_, map_}; }

    template <class W>
    std::optional<uint64_t> lookup(const BasicWords<W>& w) const {
        return view().lookup(w);
    }
    std::optional<uint64_t> lookup(std::span<const uint64_t> w) const { return view().lookup(w); }

    template <class W>
    std::pair<uint64_t, bool> insert_u64it_or_get_index(const BasicWords<W>& w) {
        return mut_view().insert_u64it_or_get_index(w);
    }
    std::pair<uint64_t, bool> insert_u64it_or_get_index(std::span<const uint64_t> w) {
        return mut_view().insert_u64it_or_get_index(w);
    }

    bool drop(uint64_t i) { return mut_view().drop(i); }

    // Empties both the list and the map, keeping the list's space.
    void clear() {
        elements_.resize(0);
        map_.clear();
    }

    // Hands the list out, leaving an empty set on the same space.
    L take_elements() {
        L out = elements_.empty_clone();
        std::swap(out, elements_);
        map_.clear();
        return out;
    }

private:
    Set(L elements, Map map) : elements_(std::move(elements)), map_(std::move(map)) {}

    // Among equal elements the lowest index is the one lookups find.
    void rebuild_map() { refresh_map(elements_, map_); }

    L elements_;
    Map map_;
};

}  // namespace vemo
