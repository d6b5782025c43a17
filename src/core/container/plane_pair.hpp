// Row operations of component lists that hold component i as row i of two
// planes (the Pauli x and z planes, the fermion creation and annihilation
// planes): an element's words are its first-plane row then its second-plane
// row, and rows are resized, reserved and swap-removed in both planes alike.
//
// A list derives from PlanePairRows<List> and gives it planes() and
// planes_mut(): pairs of references to its two planes, each with row(i),
// row_mut(i), resize(n), reserve(n) and pop_and_swap(i).
#pragma once

#include <cstdint>

#include "core/container/word_iters.hpp"

namespace vemo {

template <class List>
class PlanePairRows {
public:
    Words elem_u64it(uint64_t i) const {
        const auto [a, b] = self().planes();
        return Words(a.row(i), b.row(i));
    }
    MutWords elem_u64it_mut(uint64_t i) {
        const auto [a, b] = self_mut().planes_mut();
        return MutWords(a.row_mut(i), b.row_mut(i));
    }
    // A size refused by either plane (bad_alloc, length_error) changes
    // neither: the first plane shrinks back, which cannot fail.
    void resize(uint64_t n) {
        const uint64_t old = self().size();
        const auto [a, b] = self_mut().planes_mut();
        a.resize(n);
        try {
            b.resize(n);
        } catch (...) {
            a.resize(old);
            throw;
        }
    }
    void reserve(uint64_t n) {
        const auto [a, b] = self_mut().planes_mut();
        a.reserve(n);
        b.reserve(n);
    }
    void pop_and_swap(uint64_t i) {
        const auto [a, b] = self_mut().planes_mut();
        a.pop_and_swap(i);
        b.pop_and_swap(i);
    }

    bool operator==(const PlanePairRows&) const = default;

private:
    const List& self() const { return static_cast<const List&>(*this); }
    List& self_mut() { return static_cast<List&>(*this); }
};

}  // namespace vemo
