// Coefficient vectors: one coefficient per component of a list.
//
// Every vector offers the same small interface so that the linear-combination
// kernels can be written once:
//   using Scalar;                       the coefficient kind
//   static V new_with_len(n)            n "zero" entries (0.0, 0+0i, +1, +1, 1)
//   static V new_units_with_len(n)      n entries of value 1
//   size(), empty()
//   get(k) / set(k, v)                  k < size() is the caller's duty (internal failure otherwise);
//   get_unchecked / set_unchecked       the same under their long names
//   push(v), push_default()             append v / the zero entry
//   resize(n)                           truncate, or append zero entries
//   resize_with(n, v)                   truncate, or append copies of v
//   swap(i, j), pop_and_swap(i)         the last entry moves into slot i, then the size drops
//   extend(other)                       append other's entries (other may be *this)
//   reserve(n), operator==
// Impossible sizes throw std::bad_alloc.
#pragma once

#include <algorithm>
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/base/checked.hpp"
#include "core/container/bit_vec.hpp"
#include "core/container/coeffs/scalars.hpp"
#include "core/base/errors.hpp"
#include "core/container/huge_alloc.hpp"
#include "core/utils/memory.hpp"

namespace vemo {

namespace detail {
[[noreturn]] inline void coeff_index_failure(uint64_t k, uint64_t n) {
    index_failure("coefficient access", k, n, OutOfBoundsKind::Element);
}
}  // namespace detail

// A contiguous vector of floats or complex numbers (RealVec, ComplexVec).
template <class T>
class FloatVec {
public:
    using Scalar = T;

    FloatVec() = default;
    static FloatVec new_with_len(uint64_t n) {
        FloatVec v;
        v.resize(n);
        return v;
    }
    static FloatVec new_units_with_len(uint64_t n) {
        FloatVec v;
        v.resize_with(n, T(1.0));
        return v;
    }

    uint64_t size() const { return data_.size(); }
    bool empty() const { return data_.empty(); }
    std::span<const T> data() const { return data_; }
    std::span<T> data_mut() { return data_; }

    T get(uint64_t k) const {
        if (k >= data_.size()) detail::coeff_index_failure(k, data_.size());
        return data_[k];
    }
    void set(uint64_t k, T v) {
        if (k >= data_.size()) detail::coeff_index_failure(k, data_.size());
        data_[k] = v;
    }
    T get_unchecked(uint64_t k) const { return get(k); }
    void set_unchecked(uint64_t k, T v) { set(k, v); }
    // Direct access for kernels that add into an entry.
    T& at_mut(uint64_t k) {
        if (k >= data_.size()) detail::coeff_index_failure(k, data_.size());
        return data_[k];
    }

    void push(T v) { data_.push_back(v); }
    void push_default() { data_.push_back(T()); }
    void resize(uint64_t n) { resize_with(n, T()); }
    void resize_with(uint64_t n, T fill) {
        check_len(n);
        data_.resize(static_cast<size_t>(n), fill);
    }
    void reserve(uint64_t n) {
        check_len(n);
        data_.reserve(static_cast<size_t>(n));
    }
    void clear() { data_.clear(); }

    void swap(uint64_t i, uint64_t j) {
        if (i >= data_.size()) detail::coeff_index_failure(i, data_.size());
        if (j >= data_.size()) detail::coeff_index_failure(j, data_.size());
        std::swap(data_[i], data_[j]);
    }
    void pop_and_swap(uint64_t i) {
        if (data_.empty()) return;
        if (i + 1 < data_.size()) data_[i] = data_.back();
        data_.pop_back();
    }

    void extend(const FloatVec& other) {
        const uint64_t n = data_.size(), m = other.data_.size();
        resize(alloc_add(n, m));
        // After the resize `other` (possibly *this) still holds its old entries at the front.
        std::copy_n(other.data_.begin(), m, data_.begin() + static_cast<std::ptrdiff_t>(n));
    }

    // Entry-wise ==: 0.0 equals -0.0, NaN equals nothing.
    bool operator==(const FloatVec&) const = default;

private:
    void check_len(uint64_t n) const { guard_allocation("a coefficient vector", n, sizeof(T), data_.capacity()); }
    LargeVec<T> data_;
};

using RealVec = FloatVec<double>;
using ComplexVec = FloatVec<Complex>;

// Signs packed one bit per entry, set for -1.
class SignVec {
public:
    using Scalar = Sign;

    SignVec() = default;
    explicit SignVec(BitVec bits) : bits_(std::move(bits)) {}
    static SignVec new_with_len(uint64_t n) { return SignVec(BitVec::new_with_len(n)); }
    static SignVec new_units_with_len(uint64_t n) { return new_with_len(n); }

    uint64_t size() const { return bits_.size(); }
    bool empty() const { return bits_.empty(); }
    const BitVec& bits() const { return bits_; }
    BitVec& bits_mut() { return bits_; }

    Sign get(uint64_t k) const {
        if (k >= bits_.size()) detail::coeff_index_failure(k, bits_.size());
        return Sign(bits_.get(k));
    }
    void set(uint64_t k, Sign v) {
        if (k >= bits_.size()) detail::coeff_index_failure(k, bits_.size());
        bits_.set(k, v.is_minus_one);
    }
    Sign get_unchecked(uint64_t k) const { return get(k); }
    void set_unchecked(uint64_t k, Sign v) { set(k, v); }

    void push(Sign v) { bits_.push(v.is_minus_one); }
    void push_default() { bits_.push(false); }
    void resize(uint64_t n) { bits_.resize(n); }
    void resize_with(uint64_t n, Sign fill) {
        const uint64_t old = bits_.size();
        bits_.resize(n);
        if (fill.is_minus_one)
            for (uint64_t k = old; k < n; ++k) bits_.set(k, true);
    }
    void reserve(uint64_t n) { bits_.reserve(n); }
    void clear() { bits_.clear(); }

    void swap(uint64_t i, uint64_t j) {
        check2(i, j);
        bits_.swap_entries(i, j);
    }
    void pop_and_swap(uint64_t i) { bits_.pop_and_swap(i); }
    void extend(const SignVec& other) { bits_.extend(other.bits_); }

    bool operator==(const SignVec&) const = default;

private:
    void check2(uint64_t i, uint64_t j) const {
        if (i >= size()) detail::coeff_index_failure(i, size());
        if (j >= size()) detail::coeff_index_failure(j, size());
    }
    BitVec bits_;
};

// Powers of i packed two bits per entry; every stored value is reduced modulo 4.
class ComplexSignVec {
public:
    using Scalar = ComplexSign;

    ComplexSignVec() = default;
    explicit ComplexSignVec(TwoBitVec bits) : bits_(std::move(bits)) {}
    static ComplexSignVec new_with_len(uint64_t n) { return ComplexSignVec(TwoBitVec::new_with_len(n)); }
    static ComplexSignVec new_units_with_len(uint64_t n) { return new_with_len(n); }

    uint64_t size() const { return bits_.size(); }
    bool empty() const { return bits_.empty(); }
    const TwoBitVec& bits() const { return bits_; }
    TwoBitVec& bits_mut() { return bits_; }

    ComplexSign get(uint64_t k) const {
        if (k >= bits_.size()) detail::coeff_index_failure(k, bits_.size());
        return ComplexSign(bits_.get(k));
    }
    void set(uint64_t k, ComplexSign v) {
        if (k >= bits_.size()) detail::coeff_index_failure(k, bits_.size());
        bits_.set(k, v.value());
    }
    ComplexSign get_unchecked(uint64_t k) const { return get(k); }
    void set_unchecked(uint64_t k, ComplexSign v) { set(k, v); }

    void push(ComplexSign v) { bits_.push(v.value()); }
    void push_default() { bits_.push(0); }
    void resize(uint64_t n) { bits_.resize(n); }
    void resize_with(uint64_t n, ComplexSign fill) {
        const uint64_t old = bits_.size();
        bits_.resize(n);
        if (fill.value() != 0)
            for (uint64_t k = old; k < n; ++k) bits_.set(k, fill.value());
    }
    void reserve(uint64_t n) { bits_.reserve(n); }
    void clear() { bits_.clear(); }

    void swap(uint64_t i, uint64_t j) {
        if (i >= size()) detail::coeff_index_failure(i, size());
        if (j >= size()) detail::coeff_index_failure(j, size());
        bits_.swap_entries(i, j);
    }
    void pop_and_swap(uint64_t i) { bits_.pop_and_swap(i); }
    void extend(const ComplexSignVec& other) { bits_.extend(other.bits_); }

    bool operator==(const ComplexSignVec&) const = default;

private:
    TwoBitVec bits_;
};

// A vector of ones: only its length is stored.
class UnityVec {
public:
    using Scalar = Unity;

    UnityVec() = default;
    explicit UnityVec(uint64_t n) : n_(n) {}
    static UnityVec new_with_len(uint64_t n) { return UnityVec(n); }
    static UnityVec new_units_with_len(uint64_t n) { return UnityVec(n); }

    uint64_t size() const { return n_; }
    bool empty() const { return n_ == 0; }

    Unity get(uint64_t k) const {
        if (k >= n_) detail::coeff_index_failure(k, n_);
        return {};
    }
    void set(uint64_t k, Unity) const {
        if (k >= n_) detail::coeff_index_failure(k, n_);
    }
    Unity get_unchecked(uint64_t k) const { return get(k); }
    void set_unchecked(uint64_t k, Unity v) const { set(k, v); }

    void push(Unity) { n_ = alloc_add(n_, 1); }
    void push_default() { push({}); }
    void resize(uint64_t n) { n_ = n; }
    void resize_with(uint64_t n, Unity) { n_ = n; }
    void reserve(uint64_t) {}
    void clear() { n_ = 0; }

    void swap(uint64_t i, uint64_t j) const {
        if (i >= n_) detail::coeff_index_failure(i, n_);
        if (j >= n_) detail::coeff_index_failure(j, n_);
    }
    void pop_and_swap(uint64_t) {
        if (n_ > 0) --n_;
    }
    void extend(const UnityVec& other) { n_ = alloc_add(n_, other.n_); }

    bool operator==(const UnityVec&) const = default;

private:
    uint64_t n_ = 0;
};

}  // namespace vemo
