// The methods that every component-list class shares, written once over the
// list kind L: the whole object (`len`, `==`, `same_as`), shape (`resize`,
// `append_clear`), single components
// (`cmpnt_clear`, `cmpnt_copy_internal`, `cmpnt_copy_external`,
// `cmpnt_equal`, `cmpnt_to_string`), selections (`cmpnts_clone`,
// `cmpnts_eq`) and a caller's Map (`refresh_map`, `mapped_insert`,
// `mapped_lookup`, `mapped_remove`, `mapped_equal`). A class binds each with
// one line of its method list, under its own docstring:
//
//   c.def<&array::cmpnt_clear<L>>("cmpnt_clear($self, i)\n--\n\n...");
//
// Groups that stand together in every class's table are bound by one line
// each: def_copies, def_selections, def_mapped; a class whose methods carry no
// text asks for their signatures alone (Docs::signature).
//
// Each body resolves Python indices (negative ones count from the end) and
// runs the checks in the order the methods state before it changes anything.
#pragma once

#include <cstdint>
#include <forward_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/container/list_ops.hpp"
#include "core/container/set.hpp"
#include "python/container/map.hpp"
#include "python/frame/bind.hpp"

namespace vemo::py::array {


// ---- the whole object ----

template <SpacedList L>
uint64_t len(const L& self) {
    return self.size();
}

// By contents and space, in order.
template <SpacedList L>
bool eq(const L& a, const L& b) {
    return a == b;
}

template <SpacedList L>
bool same_as(const L& self, const L& other) {
    return &self == &other;
}

// ---- shape ----

template <SpacedList L>
void resize(L& self, uint64_t n) {
    self.resize(n);
}

template <SpacedList L>
void append_clear(L& self) {
    push_clear(self);
}

// ---- single components ----

template <SpacedList L>
void cmpnt_clear(L& self, int64_t i) {
    clear_elem(self, py_index(i, self.size()));
}

template <SpacedList L>
std::string cmpnt_to_string(const L& self, int64_t i) {
    return self.fmt_elem(py_index(i, self.size()));
}

template <SpacedList L>
void cmpnt_copy_internal(L& self, int64_t i_dst, int64_t i_src) {
    const uint64_t d = py_index(i_dst, self.size());
    const uint64_t s = py_index(i_src, self.size());
    static_cast<void>(copy_elem_from(self, d, self, s));  // a list holds each of its own elements
}

// The spaces are compared before either index is looked at.
template <SpacedList L>
void cmpnt_copy_external(L& self, int64_t i_dst, const L& src, int64_t i_src) {
    to_py_result(check_compatible(self, src));
    const uint64_t d = py_index(i_dst, self.size());
    const uint64_t s = py_index(i_src, src.size());
    // A list that cannot hold every element of its space refuses some with an error value.
    if constexpr (std::is_void_v<decltype(copy_elem_from(self, d, src, s))>)
        copy_elem_from(self, d, src, s);
    else
        to_py_result(copy_elem_from(self, d, src, s));
}

// Both indices first, so a bad one is reported even between lists on
// different spaces, which compare unequal.
template <SpacedList L>
bool cmpnt_equal(const L& self, int64_t i_lhs, const L& rhs, int64_t i_rhs) {
    const uint64_t i = py_index(i_lhs, self.size());
    const uint64_t j = py_index(i_rhs, rhs.size());
    return elems_equal(self, i, rhs, j);
}

// ---- selections ----

// None: a full copy. Otherwise every index is resolved before anything is copied.
template <SpacedList L>
L cmpnts_clone(const L& self, std::optional<std::vector<int64_t>> indices) {
    if (!indices) return self;
    const std::vector<uint64_t> idx = to_py_result(try_py_indices(std::move(*indices), self.size()));
    return clone_elems(self, idx);
}

template <SpacedList L>
bool cmpnts_eq(const L& self, std::optional<std::vector<int64_t>> indices, const L& other,
               std::optional<std::vector<int64_t>> other_indices) {
    auto side = [](const std::optional<std::vector<int64_t>>& v, const L& l) {
        return v ? SliceIndices{std::span<const int64_t>(*v), l.size()} : SliceIndices{std::nullopt, l.size()};
    };
    return to_py_result(slices_equal(self, side(indices, self), other, side(other_indices, other), try_py_index));
}

// ---- a caller's Map ----

template <SpacedList L>
void refresh_map(const L& self, Map& map) {
    vemo::refresh_map(self, map);
}

template <SpacedList L>
uint64_t mapped_insert(L& self, Map& map, const L& other, int64_t index_) {
    to_py_result(check_compatible(self, other));
    return unwrap_result(vemo::mapped_insert(SetMutView<L>(self, map), other, py_index(index_, other.size())));
}

template <SpacedList L>
std::optional<uint64_t> mapped_lookup(const L& self, const Map& map, const L& other, int64_t index_) {
    to_py_result(check_compatible(self, other));
    return vemo::mapped_lookup(SetView<L>(self, map), other, py_index(index_, other.size()));
}

template <SpacedList L>
std::optional<uint64_t> mapped_remove(L& self, Map& map, const L& other, int64_t index_) {
    to_py_result(check_compatible(self, other));
    return vemo::mapped_remove(SetMutView<L>(self, map), other, py_index(index_, other.size()));
}

template <SpacedList L>
bool mapped_equal(const L& self, const Map& map, const L& other) {
    to_py_result(check_compatible(self, other));
    return vemo::mapped_equal(SetView<L>(self, map), other);
}

// ---- groups of methods, bound at a class's table position ----

// How a group's methods are documented: with their text, or by their signature alone.
enum class Docs { described, signature };

// `doc` whole, or only its signature line and the separator after it. The cut
// copies live as long as the process, like the method tables that point at them.
inline const char* doc_as(Docs docs, const char* doc) {
    if (docs == Docs::described) return doc;
    static std::forward_list<std::string> kept;
    const std::string_view d(doc);
    const size_t sep = d.find("\n--\n\n");
    if (sep == std::string_view::npos) internal_failure("a method docstring without its signature line");
    return kept.emplace_front(d.substr(0, sep + 5)).c_str();
}

// cmpnt_copy_internal, cmpnt_copy_external.
template <SpacedList L>
void def_copies(ClassDef<L>& c, Docs docs = Docs::described) {
    c.template def<&cmpnt_copy_internal<L>>(
        doc_as(docs, "cmpnt_copy_internal($self, i_dst, i_src)\n--\n\nPerform a copy from the `i_src` cmpnt into the "
                     "`i_dst` cmpnt of `self`."));
    c.template def<&cmpnt_copy_external<L>>(
        doc_as(docs, "cmpnt_copy_external($self, i_dst, src, i_src)\n--\n\nPerform a copy from the `i_src` cmpnt of "
                     "`src` into the `i_dst` cmpnt of `self`."));
}

// cmpnts_clone, cmpnts_eq.
template <SpacedList L>
void def_selections(ClassDef<L>& c, Docs docs = Docs::described) {
    c.template def<&cmpnts_clone<L>>(
        doc_as(docs, "cmpnts_clone($self, indices)\n--\n\nTake the indexed cmpnts of `self` and write them "
                     "contiguously to a new instance."));
    c.template def<&cmpnts_eq<L>>(
        doc_as(docs, "cmpnts_eq($self, indices, other, other_indices)\n--\n\nDetermine equality of the two slices."));
}

// refresh_map, mapped_insert, mapped_lookup, mapped_remove, mapped_equal.
template <SpacedList L>
void def_mapped(ClassDef<L>& c, Docs docs = Docs::described) {
    c.template def<&refresh_map<L>>(
        doc_as(docs, "refresh_map($self, map)\n--\n\nClear and repopulate the map to reflect the current contents "
                     "of `self`."));
    c.template def<&mapped_insert<L>>(
        doc_as(docs, "mapped_insert($self, map, other, index)\n--\n\nInsert into `self` using the map to ensure "
                     "uniqueness."));
    c.template def<&mapped_lookup<L>>(
        doc_as(docs, "mapped_lookup($self, map, other, index)\n--\n\nFind the index in `self` corresponding to the "
                     "cmpnt indexed in `other` if it exists, else return None."));
    c.template def<&mapped_remove<L>>(
        doc_as(docs, "mapped_remove($self, map, other, index)\n--\n\nFind the element indexed in `other` in `self` "
                     "and if it exists, remove it by swap remove."));
    c.template def<&mapped_equal<L>>(
        doc_as(docs, "mapped_equal($self, map, other)\n--\n\nDetermine equality of `self` with another, order of "
                     "contents insignificant."));
}

}  // namespace vemo::py::array
