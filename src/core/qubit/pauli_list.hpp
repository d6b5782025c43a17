// The Pauli-string component list: one string per row of an x plane and a z
// plane (bit matrices of n bits per row) on one qubit register. Position q is
// bit q % 64 of word q / 64; (x, z) = I (0, 0), X (1, 0), Y (1, 1), Z (0, 1).
// An element's words are its x row, then its z row.
#pragma once

#include <bit>
#include <charconv>
#include <cstdint>
#include <expected>
#include <string>
#include <utility>
#include <vector>

#include "core/base/bits.hpp"
#include "core/container/bit_matrix.hpp"
#include "core/base/errors.hpp"
#include "core/container/plane_pair.hpp"
#include "core/container/word_iters.hpp"
#include "core/qubit/mode.hpp"
#include "core/qubit/traits.hpp"
#include "core/qubit/products.hpp"
#include "core/qubit/symbols.hpp"
#include "core/utils/bincode.hpp"

namespace vemo::qubit::pauli {

namespace encoding {

// Writes the (x, z) bits of code p at position q; q lies within the words.
inline void set_qubit(std::span<uint64_t> x, std::span<uint64_t> z, uint64_t q, PauliMatrix p) {
    const uint64_t w = q / 64;
    const uint64_t b = uint64_t{1} << (q % 64);
    x[w] = pauli_x(p) ? (x[w] | b) : (x[w] & ~b);
    z[w] = pauli_z(p) ? (z[w] | b) : (z[w] & ~b);
}

inline PauliMatrix get_qubit(std::span<const uint64_t> x, std::span<const uint64_t> z, uint64_t q) {
    const uint64_t w = q / 64;
    return pauli_from_bits((x[w] >> (q % 64)) & 1, (z[w] >> (q % 64)) & 1);
}

// Number of positions 0..n-1 holding p, by population counts over whole words.
inline uint64_t count(std::span<const uint64_t> x, std::span<const uint64_t> z, uint64_t n, PauliMatrix p) {
    const size_t nw = std::min(x.size(), z.size());
    uint64_t c = 0;
    for (size_t i = 0; i < nw; ++i) {
        switch (p) {
            case PauliMatrix::X: c += std::popcount(x[i] & ~z[i]); break;
            case PauliMatrix::Y: c += std::popcount(x[i] & z[i]); break;
            case PauliMatrix::Z: c += std::popcount(z[i] & ~x[i]); break;
            case PauliMatrix::I: c += std::popcount(~(x[i] | z[i])); break;
        }
    }
    if (p == PauliMatrix::I) {
        // Padding positions at n and above read as I; take them off.
        const uint64_t padding = 64 * nw - std::min<uint64_t>(n, 64 * nw);
        c = c > padding ? c - padding : 0;
    }
    return c;
}

// The most characters the text of a string of nw words per plane takes: a
// blank, a letter and up to 20 digits per position.
constexpr uint64_t max_text_len(size_t nw) { return uint64_t{64} * 22 * nw; }

// Writes the text of one string, its non-identity factors such as "X0 Y3
// Z64", at p (room for max_text_len characters); returns the end.
inline char* write_fmt(char* p, std::span<const uint64_t> x, std::span<const uint64_t> z) {
    const size_t nw = std::min(x.size(), z.size());
    const char* const start = p;
    for (size_t i = 0; i < nw; ++i) {
        for_each_set_bit(x[i] | z[i], [&](unsigned b) {  // unsigned b: the faster code here, as measured
            if (p != start) *p++ = ' ';
            // Branch-free letter and, below 100, digits: random strings defeat prediction.
            *p++ = "IXZY"[((x[i] >> b) & 1) | (((z[i] >> b) & 1) << 1)];
            const uint64_t q = uint64_t{i} * 64 + b;
            if (q < 100) {
                const bool two = q >= 10;
                p[0] = static_cast<char>('0' + (two ? q / 10 : q));
                p[1] = static_cast<char>('0' + q % 10);
                p += 1 + two;
            } else {
                p = std::to_chars(p, p + 20, q).ptr;
            }
        });
    }
    return p;
}

inline std::string fmt(std::span<const uint64_t> x, std::span<const uint64_t> z) {
    std::string s(max_text_len(std::min(x.size(), z.size())), '\0');
    s.resize(static_cast<size_t>(write_fmt(s.data(), x, z) - s.data()));
    return s;
}

}  // namespace encoding

class CmpntList : public PlanePairRows<CmpntList> {
public:
    using mismatch_error = DifferentQubits;

    CmpntList() : CmpntList(Qubits()) {}
    // An empty list on the register.
    explicit CmpntList(Qubits qubits)
        : x_part_(0, qubits.size()), z_part_(0, qubits.size()), qubits_(std::move(qubits)) {}

    // A one-row list holding the identity.
    static CmpntList elem(Qubits qubits) {
        CmpntList l(std::move(qubits));
        l.resize(1);
        return l;
    }

    // Adopts two planes of one shape whose width fits the register.
    static std::expected<CmpntList, std::string> from_parts(BitMatrix x, BitMatrix z, Qubits qubits) {
        if (x.n_rows() != z.n_rows() || x.n_bits() != z.n_bits() || x.n_bits() != qubits.size())
            return std::unexpected(std::string("Pauli list planes do not match each other or the register."));
        CmpntList l;
        l.x_part_ = std::move(x);
        l.z_part_ = std::move(z);
        l.qubits_ = std::move(qubits);
        return l;
    }

    const Qubits& qubits() const { return qubits_; }
    uint64_t n_qubit() const { return qubits_.size(); }
    uint64_t words_per_row() const { return x_part_.words_per_row(); }
    const BitMatrix& x_part() const { return x_part_; }
    const BitMatrix& z_part() const { return z_part_; }
    // Writable planes for list algorithms; callers keep the padding bits zero.
    BitMatrix& x_part_mut() { return x_part_; }
    BitMatrix& z_part_mut() { return z_part_; }

    // Replaces the register by one of the same length; the planes stay, so
    // position j now stands for the new register's j-th qubit. A register of
    // another length is refused (new count first).
    std::expected<void, BasisError> relabel(Qubits qubits) { return relabel_register(qubits_, std::move(qubits)); }

    // ---- component-list operations ----
    uint64_t size() const { return x_part_.n_rows(); }
    std::string fmt_elem(uint64_t i) const { return encoding::fmt(x_part_.row(i), z_part_.row(i)); }
    CmpntList empty_clone() const { return CmpntList(qubits_); }
    bool compatible_with(const CmpntList& o) const { return qubits_ == o.qubits_; }

    // The planes of string i as word spans.
    PauliWords words(uint64_t i) const { return {x_part_.row(i), z_part_.row(i)}; }
    PauliMutWords words_mut(uint64_t i) { return {x_part_.row_mut(i), z_part_.row_mut(i)}; }

    // ---- single positions (q below n) ----
    PauliMatrix get_pauli_unchecked(uint64_t i, uint64_t q) const {
        return encoding::get_qubit(x_part_.row(i), z_part_.row(i), q);
    }
    void set_pauli_unchecked(uint64_t i, uint64_t q, PauliMatrix p) {
        encoding::set_qubit(x_part_.row_mut(i), z_part_.row_mut(i), q, p);
    }
    uint64_t count(uint64_t i, PauliMatrix p) const {
        return encoding::count(x_part_.row(i), z_part_.row(i), n_qubit(), p);
    }

    // ---- relations between strings ----
    bool commutes(uint64_t i, uint64_t j) const { return pauli::commutes_with(words(i), words(j)); }

    // Bit j of row i set when strings i and j commute; each pair is tested once.
    BitMatrix compatibility_matrix() const {
        const uint64_t m = size();
        BitMatrix out(m, m);
        for (uint64_t i = 0; i < m; ++i)
            for (uint64_t j = 0; j <= i; ++j)
                if (commutes(i, j)) {
                    out.set_bit_unchecked(i, j, true);
                    out.set_bit_unchecked(j, i, true);
                }
        return out;
    }

    // Whether string i commutes with every string of the list, itself included.
    bool belongs_to_centralizer(uint64_t i) const {
        for (uint64_t j = 0; j < size(); ++j)
            if (!commutes(i, j)) return false;
        return true;
    }

    // ---- standardisation onto Count(n') ----

    // Keeps positions below min(n, n'); the register becomes Count(n').
    void resize_standardize(uint64_t n) {
        x_part_.reformat(n);
        z_part_.reformat(n);
        qubits_ = Qubits::from_count(n);
    }

    // Every position j moves to its register index on Count(n') (see
    // relabelled_copy for the bounds).
    std::expected<CmpntList, OutOfBounds> general_standardized(uint64_t n) const {
        return relabelled_copy(*this, n, [&](CmpntList& out, uint64_t r) {
            const auto x = x_part_.row(r), z = z_part_.row(r);
            auto ox = out.x_part_.row_mut(r), oz = out.z_part_.row_mut(r);
            // Only the non-identity positions move; the others stay zero.
            qubits_.for_each_set_position(
                x.size(), [&](size_t w) { return x[w] | z[w]; },
                [&](uint64_t j, uint64_t t) {
                    const uint64_t w = j / 64, b = j % 64;
                    encoding::set_qubit(ox, oz, t, pauli_from_bits((x[w] >> b) & 1, (z[w] >> b) & 1));
                });
        });
    }
    std::expected<void, OutOfBounds> general_standardize(uint64_t n) { return general_standardize_in_place(*this, n); }

    // A copy on Count(n'): unchanged for Count(n'), resized for another
    // Count, moved position by position for Offset and Inds.
    std::expected<CmpntList, OutOfBounds> standardized(uint64_t n) const { return standardized_copy(*this, n); }
    // In place; on failure the list is unchanged.
    std::expected<void, OutOfBounds> standardize(uint64_t n) { return standardize_in_place(*this, n); }

    // The strings' texts joined by ", ", written into one buffer that grows
    // by doubling, so a large list costs one pass and a final copy.
    std::string to_string() const {
        const uint64_t per_string = 2 + encoding::max_text_len(words_per_row());
        std::vector<char> buf;
        size_t len = 0;
        for (uint64_t i = 0; i < size(); ++i) {
            if (buf.size() - len < per_string) buf.resize(std::max<size_t>(2 * buf.size(), len + per_string));
            char* p = buf.data() + len;
            if (i) *p++ = ',', *p++ = ' ';
            len = static_cast<size_t>(encoding::write_fmt(p, x_part_.row(i), z_part_.row(i)) - buf.data());
        }
        return std::string(buf.data(), len);
    }

    bool operator==(const CmpntList&) const = default;

    // x part, z part, register.
    template <class Sink>
    std::expected<void, bincode::EncodeError> encode(bincode::Encoder<Sink>& e) const {
        if (auto r = x_part_.encode(e); !r) return r;
        if (auto r = z_part_.encode(e); !r) return r;
        return qubits_.encode(e);
    }
    // Refuses fields that no list has: planes of other shapes or widths, bits
    // beyond the width, a register with repeated or wrapping indices. A valid
    // register that is not in canonical form is kept as it is.
    template <class Source>
    static std::expected<CmpntList, bincode::DecodeError> decode(bincode::Decoder<Source>& d) {
        auto x = BitMatrix::decode(d);
        if (!x) return std::unexpected(x.error());
        auto z = BitMatrix::decode(d);
        if (!z) return std::unexpected(z.error());
        auto q = Qubits::decode(d);
        if (!q) return std::unexpected(q.error());
        if (auto ok = q->check_valid(); !ok) return std::unexpected(bincode::DecodeError::inconsistent(ok.error()));
        auto l = from_parts(std::move(*x), std::move(*z), std::move(*q));
        if (!l) return std::unexpected(bincode::DecodeError::inconsistent(l.error()));
        return std::move(*l);
    }

private:
    friend PlanePairRows<CmpntList>;
    std::pair<const BitMatrix&, const BitMatrix&> planes() const { return {x_part_, z_part_}; }
    std::pair<BitMatrix&, BitMatrix&> planes_mut() { return {x_part_, z_part_}; }

    BitMatrix x_part_;
    BitMatrix z_part_;
    Qubits qubits_;
};

static_assert(WordIters<CmpntList>);

}  // namespace vemo::qubit::pauli
