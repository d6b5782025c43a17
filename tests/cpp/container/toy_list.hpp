// A minimal component list for container tests: up to three parts, each a
// row-major word table with its own words per row.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "core/container/errors.hpp"
#include "core/container/word_iters.hpp"

namespace vemo::test {

class ToyList {
public:
    explicit ToyList(std::vector<size_t> words_per_part = {1}) : wpp_(std::move(words_per_part)) {
        store_.resize(wpp_.size());
    }

    // Builds a list from full elements, each given as all its words in order.
    static ToyList of(std::vector<size_t> wpp, std::initializer_list<std::vector<uint64_t>> elems) {
        ToyList l(std::move(wpp));
        for (const auto& e : elems) vemo::push_u64it(l, std::span<const uint64_t>(e));
        return l;
    }

    size_t size() const { return n_; }
    size_t words_per_elem() const {
        size_t s = 0;
        for (size_t w : wpp_) s += w;
        return s;
    }

    Words elem_u64it(size_t i) const {
        check(i);
        Words w;
        w.n_parts = static_cast<uint8_t>(wpp_.size());
        for (size_t k = 0; k < wpp_.size(); ++k)
            w.parts[k] = std::span<const uint64_t>(store_[k].data() + i * wpp_[k], wpp_[k]);
        return w;
    }
    MutWords elem_u64it_mut(size_t i) {
        check(i);
        MutWords w;
        w.n_parts = static_cast<uint8_t>(wpp_.size());
        for (size_t k = 0; k < wpp_.size(); ++k)
            w.parts[k] = std::span<uint64_t>(store_[k].data() + i * wpp_[k], wpp_[k]);
        return w;
    }
    void resize(size_t m) {
        for (size_t k = 0; k < wpp_.size(); ++k) store_[k].resize(m * wpp_[k], 0);
        n_ = m;
    }
    void pop_and_swap(size_t i) {
        check(i);
        copy_elem(*this, i, n_ - 1);
        resize(n_ - 1);
    }
    std::string fmt_elem(size_t i) const {
        std::string s = "[";
        bool first = true;
        elem_u64it(i).for_each([&](uint64_t w) {
            if (!first) s += ", ";
            first = false;
            s += std::to_string(w);
        });
        return s + "]";
    }
    ToyList empty_clone() const { return ToyList(wpp_); }

    // All words of element i, in order.
    std::vector<uint64_t> words(size_t i) const {
        std::vector<uint64_t> v;
        elem_u64it(i).for_each([&](uint64_t w) { v.push_back(w); });
        return v;
    }
    std::vector<std::vector<uint64_t>> all() const {
        std::vector<std::vector<uint64_t>> v;
        for (size_t i = 0; i < n_; ++i) v.push_back(words(i));
        return v;
    }

private:
    void check(size_t i) const {
        if (i >= n_) internal_failure("ToyList index " + std::to_string(i) + " of " + std::to_string(n_));
    }

    std::vector<size_t> wpp_;
    std::vector<std::vector<uint64_t>> store_;
    size_t n_ = 0;
};

static_assert(WordIters<ToyList>);

}  // namespace vemo::test
