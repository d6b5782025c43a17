// The basis-state component list: one computational basis state per row of a
// bit matrix of n bits per row, on one qubit register. Position q of a state
// is bit q % 64 of word q / 64; a set bit means the qubit is in |1>. Positions
// are register positions 0..n-1, not the register's qubit indices. An
// element's words are its row.
#pragma once

#include <bit>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <utility>

#include "core/utils/join.hpp"
#include "core/cmpnt/state_springs.hpp"
#include "core/container/bit_rows.hpp"
#include "core/container/coeffs/scalars.hpp"
#include "core/base/errors.hpp"
#include "core/container/word_iters.hpp"
#include "core/qubit/mode.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/products.hpp"
#include "core/qubit/traits.hpp"

namespace vemo::qubit::state {

class CmpntList : public BitRowList<Qubits> {
public:
    using mismatch_error = DifferentQubits;
    // Dense vectors (bit_rows_dense.hpp) exist below 64 qubits; a wider
    // register is refused both to and from a dense vector.
    static constexpr OutOfBoundsKind dense_limit_kind = OutOfBoundsKind::Element;
    static constexpr bool from_dense_any_width = false;

    CmpntList() : CmpntList(Qubits()) {}
    // An empty list on the register.
    explicit CmpntList(Qubits qubits) : BitRowList(qubits, qubits.size()) {}

    // A one-state list holding |0...0>.
    static CmpntList elem(Qubits qubits) {
        CmpntList l(std::move(qubits));
        l.resize(1);
        return l;
    }

    // Adopts a bit matrix whose width is the register's length.
    static std::expected<CmpntList, std::string> from_parts(BitMatrix bits, Qubits qubits) {
        if (bits.n_bits() != qubits.size())
            return std::unexpected(std::string("State list rows do not match the register's length."));
        CmpntList l;
        l.bits_ = std::move(bits);
        l.space_ = std::move(qubits);
        return l;
    }

    // One state per string of the text, each |0...0> with the positions marked
    // 1 set. A marked position at or beyond n fails (kind Bit) and builds nothing.
    static std::expected<CmpntList, OutOfBounds> from_springs(Qubits qubits, const BinarySprings& springs) {
        CmpntList l(std::move(qubits));
        const uint64_t n = l.n_qubit();
        const size_t n_str = springs.n_strings();
        l.reserve(n_str);
        const auto& idx = springs.mode_inds().indices;
        for (size_t s = 0; s < n_str; ++s) {
            l.resize(s + 1);
            const auto [b, e] = springs.mode_inds().string_range(s);
            if (b == e) continue;
            const std::span<uint64_t> row = l.bits_.row_mut(s);
            for (size_t t = b; t < e; ++t) {
                const uint64_t p = idx[t];
                if (p >= n) return std::unexpected(OutOfBounds{p, n, OutOfBoundsKind::Bit});
                if (springs.get_setting(t)) row[p / 64] |= uint64_t{1} << (p % 64);
            }
        }
        return l;
    }

    // As from_springs on Count(m), m one more than the largest position the
    // text writes (zeros included), 0 when it writes none; cannot fail.
    static CmpntList from_springs_default(const BinarySprings& springs) {
        return expect_ok(from_springs(Qubits::from_count(springs.default_n_qubit()), springs),
                         "state list from springs on their own register");
    }

    const Qubits& qubits() const { return space_; }
    uint64_t n_qubit() const { return bits_.n_bits(); }

    // Replaces the register by one of the same length; the error names the new
    // length first, then the current one.
    std::expected<void, BasisError> relabel(Qubits qubits) { return relabel_register(space_, std::move(qubits)); }

    CmpntList empty_clone() const { return CmpntList(space_); }
    bool compatible_with(const CmpntList& o) const { return space_ == o.space_; }

    // ---- single positions (q below n) ----
    bool get_bit_unchecked(uint64_t i, uint64_t q) const { return bits_.get_bit_unchecked(i, q); }
    void set_bit_unchecked(uint64_t i, uint64_t q, bool v) { bits_.set_bit_unchecked(i, q, v); }

    // ---- a Pauli string acting on a state (no register check) ----

    // State i := P_j |state i>; returns k of the factor i^k.
    ComplexSign imul_by_op(uint64_t i, const pauli::CmpntList& ops, uint64_t j) {
        return ComplexSign(static_cast<uint8_t>(pauli::imul_state(row_mut(i), ops.words(j))));
    }

    // State i := P_j |state si of src>; the phase comes from the source state.
    // src may be this list and si may be i.
    ComplexSign assign_mul_by_op(uint64_t i, const pauli::CmpntList& ops, uint64_t j, const CmpntList& src,
                                 uint64_t si) {
        return ComplexSign(
            static_cast<uint8_t>(pauli::assign_mul_state(row_mut(i), src.row(si), ops.words(j))));
    }

    // imul_by_op after checking that the state and the string share one register.
    std::expected<ComplexSign, DifferentQubits> pauli_string_imul(uint64_t i, const pauli::CmpntList& ops,
                                                                  uint64_t j) {
        if (auto ok = check_same(space_, ops.qubits()); !ok) return std::unexpected(ok.error());
        return imul_by_op(i, ops, j);
    }

    // ---- standardisation onto Count(n') ----

    // Keeps positions below min(n, n'); the register becomes Count(n').
    void resize_standardize(uint64_t n) {
        bits_.reformat(n);
        space_ = Qubits::from_count(n);
    }

    // Every position j moves to its register index on Count(n') (see
    // relabelled_copy for the bounds).
    std::expected<CmpntList, OutOfBounds> general_standardized(uint64_t n) const {
        return relabelled_copy(*this, n, [&](CmpntList& out, uint64_t r) {
            const auto src = row(r);
            const auto dst = out.row_mut(r);
            // Only the set bits move.
            space_.for_each_set_position(
                src.size(), [&](size_t w) { return src[w]; },
                [&](uint64_t, uint64_t t) { dst[t / 64] |= uint64_t{1} << (t % 64); });
        });
    }
    std::expected<void, OutOfBounds> general_standardize(uint64_t n) { return general_standardize_in_place(*this, n); }

    // A copy on Count(n'): unchanged for Count(n'), resized for another
    // Count, moved position by position for Offset and Inds.
    std::expected<CmpntList, OutOfBounds> standardized(uint64_t n) const { return standardized_copy(*this, n); }
    // In place; on failure the list is unchanged.
    std::expected<void, OutOfBounds> standardize(uint64_t n) { return standardize_in_place(*this, n); }

    bool operator==(const CmpntList&) const = default;

};

static_assert(WordIters<CmpntList>);
static_assert(QubitsBased<CmpntList>);

}  // namespace vemo::qubit::state
