// Operations shared by every coefficient vector: the NumReprVec concept, exact
// conversion between vector kinds, parsing from text and the printed form.
#pragma once

#include <cmath>
#include <concepts>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "core/container/coeffs/num_repr.hpp"
#include "core/container/coeffs/vecs.hpp"

namespace vemo {

// A coefficient vector (see vecs.hpp for the interface's meaning).
template <class V>
concept NumReprVec = NumRepr<typename V::Scalar> && requires(V& v, const V& cv, uint64_t k, typename V::Scalar s) {
    { cv.size() } -> std::convertible_to<uint64_t>;
    { cv.get(k) } -> std::same_as<typename V::Scalar>;
    v.set(k, s);
    v.push(s);
    v.push_default();
    v.resize(k);
    v.resize_with(k, s);
    v.swap(k, k);
    v.pop_and_swap(k);
    v.extend(cv);
    { V::new_with_len(k) } -> std::same_as<V>;
    { V::new_units_with_len(k) } -> std::same_as<V>;
};

static_assert(NumReprVec<RealVec> && NumReprVec<ComplexVec> && NumReprVec<SignVec> &&
              NumReprVec<ComplexSignVec> && NumReprVec<UnityVec>);

// Entry k := other * entry k (complex: other scales the entry in the written-out order).
template <NumReprVec V>
void imul_elem_unchecked(V& v, uint64_t k, const typename V::Scalar& other) {
    v.set(k, num_mul(other, v.get(k)));
}

// A new vector of kind V holding src's entries converted exactly, in index order;
// the first refused entry is returned and nothing is kept.
template <NumReprVec V, NumReprVec S>
std::expected<V, Unrepresentable> try_represent(const S& src) {
    V out = V::new_with_len(src.size());
    for (uint64_t k = 0; k < src.size(); ++k) {
        auto r = try_represent_any<typename V::Scalar>(src.get(k));
        if (!r) return std::unexpected(std::move(r.error()));
        out.set(k, *r);
    }
    return out;
}

// Reads a vector from text: a plain comma-separated list ("1, 2 ,3"), or the
// coefficients of a component text written as parenthesised pairs
// ("(0.5, X0), (-1, Z1)"). The first refused piece is the error.
template <NumReprVec V>
    requires ParsableNumRepr<typename V::Scalar>
std::expected<V, Unrepresentable> try_parse(std::string_view s) {
    using T = typename V::Scalar;
    V out;
    const auto add = [&](std::string_view piece) -> std::expected<void, Unrepresentable> {
        auto r = parse_num<T>(piece);
        if (!r) return std::unexpected(std::move(r.error()));
        out.push(*r);
        return {};
    };
    const std::string_view t = text::trim(s);
    if (t.empty() || t.front() != '(') {
        // List form: every piece of the untrimmed text, empty ones included.
        size_t start = 0;
        while (true) {
            const size_t comma = s.find(',', start);
            const std::string_view piece = s.substr(start, comma == std::string_view::npos ? s.npos : comma - start);
            if (auto r = add(piece); !r) return std::unexpected(std::move(r.error()));
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        return out;
    }
    // Term form: drop the leading "("s, then each "("-separated piece holds its
    // coefficient before its first ",".
    std::string_view rest = t;
    while (!rest.empty() && rest.front() == '(') rest.remove_prefix(1);
    size_t start = 0;
    while (true) {
        const size_t open = rest.find('(', start);
        const std::string_view piece = rest.substr(start, open == std::string_view::npos ? rest.npos : open - start);
        if (auto r = add(piece.substr(0, piece.find(','))); !r) return std::unexpected(std::move(r.error()));
        if (open == std::string_view::npos) break;
        start = open + 1;
    }
    return out;
}

// "[" + the entries' printed forms joined by ", " + "]"; a UnityVec entry prints "1".
template <NumReprVec V>
std::string fmt_vec(const V& v) {
    std::string s = "[";
    for (uint64_t k = 0; k < v.size(); ++k) {
        if (k) s += ", ";
        if constexpr (std::same_as<V, UnityVec>) s += '1';
        else s += fmt_num(v.get(k));
    }
    s += ']';
    return s;
}

// True unless some entry's magnitude exceeds atol (NaN never does).
inline bool all_insignificant(const RealVec& v, double atol) {
    for (double x : v.data())
        if (std::fabs(x) > atol) return false;
    return true;
}
inline bool all_insignificant(const ComplexVec& v, double atol) {
    for (Complex z : v.data())
        if (magnitude(z) > atol) return false;
    return true;
}

}  // namespace vemo
