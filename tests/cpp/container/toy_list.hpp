// A minimal component list for container tests: up to three parts, each a
// row-major word table with its own words per row.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "core/base/errors.hpp"
#include "core/container/word_iters.hpp"

namespace vemo::test {

class ToyList {
public:
    explicit ToyList(std::vector<size_t> words_per_part = {1}) : wpp_(std::move(words_per_part)), store_(wpp_.size()) {}

    // A list of full elements, each given as all its words in order.
    static ToyList of(std::vector<size_t> wpp, std::initializer_list<std::vector<uint64_t>> elems) {
        ToyList l(std::move(wpp));
        for (const auto& e : elems) push_u64it(l, std::span<const uint64_t>(e));
        return l;
    }

    size_t size() const { return n_; }
    Words elem_u64it(size_t i) const { return view<const uint64_t>(*const_cast<ToyList*>(this), i); }
    MutWords elem_u64it_mut(size_t i) { return view<uint64_t>(*this, i); }
    void resize(size_t m) {
        for (size_t k = 0; k < wpp_.size(); ++k) store_[k].resize(m * wpp_[k], 0);
        n_ = m;
    }
    void pop_and_swap(size_t i) {
        copy_elem(*this, i, n_ - 1);
        resize(n_ - 1);
    }
    std::string fmt_elem(size_t i) const { return std::to_string(i); }
    ToyList empty_clone() const { return ToyList(wpp_); }

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
    template <class W>
    static BasicWords<W> view(ToyList& l, size_t i) {
        if (i >= l.n_) internal_failure("ToyList index " + std::to_string(i));
        BasicWords<W> w;
        w.n_parts = static_cast<uint8_t>(l.wpp_.size());
        for (size_t k = 0; k < l.wpp_.size(); ++k) w.parts[k] = std::span<W>(l.store_[k].data() + i * l.wpp_[k], l.wpp_[k]);
        return w;
    }

    std::vector<size_t> wpp_;
    std::vector<std::vector<uint64_t>> store_;
    size_t n_ = 0;
};

static_assert(WordIters<ToyList>);

}  // namespace vemo::test
