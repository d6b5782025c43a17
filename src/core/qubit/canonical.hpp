// Canonicalisation of Pauli terms: Gaussian elimination over GF(2) on the
// symplectic bits of a list of strings with Sign or ComplexSign coefficients,
// done in place by multiplying terms into one another.
//
// For each entry (qubit q, plane) of the mode order, the next pivot place p of
// `to_solve` takes the first remaining term (from place p on) with that bit
// set, multiplied in when it is another term; every other term of `to_solve`
// and of `additional_reduces` with the bit set is then multiplied by the
// pivot. Term a *= term b means P_a := P_a P_b and c_a := c_a c_b i^k, k the
// phase of the product. Every multiplication is recorded as (a, b) in order.
//
// All arguments are validated before anything changes (mode qubits: kind Mode;
// component indices: kind Row; a coefficient vector shorter than the list:
// ShortCoeffs), and strings and coefficients are committed together: for Sign
// coefficients a final phase of +i or -i refuses the whole call and the
// strings are restored by replaying the record backwards (each product is its
// own inverse on the planes).
#pragma once

#include <concepts>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/container/coeffs/coeffs.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/base/errors.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/products.hpp"
#include "core/qubit/symbols.hpp"

namespace vemo::qubit::pauli {

// One entry of a mode order: a qubit position and the plane of its bit.
struct ModeEntry {
    uint64_t qubit = 0;
    SymplecticPart part = SymplecticPart::X;
    bool operator==(const ModeEntry&) const = default;
};

// The multiplications done, as (written, read) component indices in order.
using ImulRecord = std::vector<std::pair<uint64_t, uint64_t>>;

struct CanonicalError {
    std::variant<OutOfBounds, ShortCoeffs, Unrepresentable> v;
    bool operator==(const CanonicalError&) const = default;
    std::string message() const {
        return std::visit([](const auto& e) { return e.message(); }, v);
    }
};

namespace detail {

// The elimination proper, on arguments already validated; Order is a range
// of ModeEntry.
template <class Order>
class Eliminator {
public:
    Eliminator(CmpntList& l, ComplexSignVec& coeffs) : l_(l), coeffs_(coeffs) {}

    ImulRecord run(const Order& order, std::span<const uint64_t> to_solve, std::span<const uint64_t> extra) {
        ImulRecord record;
        uint64_t p = 0;
        for (const ModeEntry e : order) {
            if (p == to_solve.size()) break;
            uint64_t j = p;
            while (j < to_solve.size() && !bit(to_solve[j], e)) ++j;
            if (j == to_solve.size()) continue;
            const uint64_t a = to_solve[p];
            if (a != to_solve[j]) imul(a, to_solve[j], record);
            for (const uint64_t c : to_solve)
                if (c != a && bit(c, e)) imul(c, a, record);
            for (const uint64_t c : extra)
                if (c != a && bit(c, e)) imul(c, a, record);
            ++p;
        }
        return record;
    }

private:
    bool bit(uint64_t c, ModeEntry e) const {
        const auto row = e.part == SymplecticPart::X ? l_.x_part().row(c) : l_.z_part().row(c);
        return (row[e.qubit / 64] >> (e.qubit % 64)) & 1;
    }
    void imul(uint64_t a, uint64_t b, ImulRecord& record) {
        const uint32_t k = pauli::imul(l_.words_mut(a), l_.words(b));
        coeffs_.set(a, ComplexSign(static_cast<uint8_t>(coeffs_.get(a).value() + coeffs_.get(b).value() + k)));
        record.emplace_back(a, b);
    }

    CmpntList& l_;
    ComplexSignVec& coeffs_;
};

// Undoes the recorded products on the planes, last first.
inline void undo_planes(CmpntList& l, const ImulRecord& record) {
    for (auto it = record.rbegin(); it != record.rend(); ++it) imul_matrices(l.words_mut(it->first), l.words(it->second));
}

inline std::expected<void, CanonicalError> check_rows(std::span<const uint64_t> rows, uint64_t m) {
    for (const uint64_t c : rows)
        if (c >= m) return std::unexpected(CanonicalError{OutOfBounds{c, m, OutOfBoundsKind::Row}});
    return {};
}

// Runs the elimination with ComplexSign coefficients; Sign coefficients go
// through a ComplexSign copy and are written back only when every one of
// them is still a sign.
template <class C, class Order>
std::expected<ImulRecord, CanonicalError> eliminate(CmpntList& l, C& coeffs, const Order& order,
                                                    std::span<const uint64_t> to_solve,
                                                    std::span<const uint64_t> extra) {
    if constexpr (std::same_as<C, ComplexSignVec>) {
        return Eliminator<Order>(l, coeffs).run(order, to_solve, extra);
    } else {
        static_assert(std::same_as<C, SignVec>);
        auto work = try_represent<ComplexSignVec>(coeffs);
        if (!work) internal_failure("canonicalize: a sign that is not a complex sign");
        ImulRecord record = Eliminator<Order>(l, *work).run(order, to_solve, extra);
        auto back = try_represent<SignVec>(*work);
        if (!back) {
            undo_planes(l, record);
            return std::unexpected(CanonicalError{std::move(back.error())});
        }
        coeffs = std::move(*back);
        return record;
    }
}

// (0, X), (1, X), ..., (n-1, X), (0, Z), ..., (n-1, Z) without storing them.
struct XThenZOrder {
    uint64_t n_qubit = 0;
    struct Iter {
        uint64_t t = 0, n = 0;
        ModeEntry operator*() const { return t < n ? ModeEntry{t, SymplecticPart::X} : ModeEntry{t - n, SymplecticPart::Z}; }
        Iter& operator++() {
            ++t;
            return *this;
        }
        bool operator!=(const Iter& o) const { return t != o.t; }
    };
    Iter begin() const { return {0, n_qubit}; }
    Iter end() const { return {2 * n_qubit, n_qubit}; }
};

}  // namespace detail

// C is SignVec or ComplexSignVec with at least one entry per string.
template <class C>
std::expected<ImulRecord, CanonicalError> canonicalize(CmpntList& l, C& coeffs, std::span<const ModeEntry> mode_order,
                                                       std::span<const uint64_t> to_solve,
                                                       std::span<const uint64_t> additional_reduces) {
    for (const ModeEntry& e : mode_order)
        if (e.qubit >= l.n_qubit())
            return std::unexpected(CanonicalError{OutOfBounds{e.qubit, l.n_qubit(), OutOfBoundsKind::Mode}});
    if (auto ok = check_one_coeff_each(coeffs.size(), l.size()); !ok) return std::unexpected(CanonicalError{ok.error()});
    if (auto ok = detail::check_rows(to_solve, l.size()); !ok) return std::unexpected(ok.error());
    if (auto ok = detail::check_rows(additional_reduces, l.size()); !ok) return std::unexpected(ok.error());
    return detail::eliminate(l, coeffs, mode_order, to_solve, additional_reduces);
}

// X planes first in qubit order, then Z planes, over every string.
template <class C>
std::expected<ImulRecord, CanonicalError> canonicalize_all(CmpntList& l, C& coeffs) {
    if (auto ok = check_one_coeff_each(coeffs.size(), l.size()); !ok) return std::unexpected(CanonicalError{ok.error()});
    std::vector<uint64_t> all(l.size());
    for (uint64_t i = 0; i < all.size(); ++i) all[i] = i;
    return detail::eliminate(l, coeffs, detail::XThenZOrder{l.n_qubit()}, std::span<const uint64_t>(all), {});
}

}  // namespace vemo::qubit::pauli
