// The qubit register: which qubits a qubit object acts on. Position j of an
// object maps to register index get(j).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <expected>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include <boost/unordered/unordered_flat_set.hpp>

#include "core/base/bits.hpp"
#include "core/base/checked.hpp"
#include "core/cmpnt/bad_parse.hpp"
#include "core/base/errors.hpp"
#include "core/qubit/symbols.hpp"
#include "core/utils/bincode.hpp"
#include "core/utils/memory.hpp"

namespace vemo::qubit {

// The qubits 0..n-1.
struct Count {
    uint64_t n = 0;
    bool operator==(const Count&) const = default;
};
// The qubits start..start+n-1.
struct Offset {
    uint64_t start = 0;
    uint64_t n = 0;
    bool operator==(const Offset&) const = default;
};
// Explicit distinct register indices; position j is entry j.
struct Inds {
    std::vector<uint64_t> inds;
    bool operator==(const Inds&) const = default;
};
// Variant order is the serial variant index: Count 0, Offset 1, Inds 2.
using Kind = std::variant<Count, Offset, Inds>;

// A register index met twice.
struct CoincidentIndex {
    uint64_t index = 0;
    bool operator==(const CoincidentIndex&) const = default;
    std::string message() const {
        return "Qubit mode " + std::to_string(index) + " appears more than once in the new basis.";
    }

    // The first entry whose value already occurred earlier.
    static std::optional<CoincidentIndex> check(std::span<const uint64_t> inds) {
        boost::unordered_flat_set<uint64_t> seen;
        seen.reserve(inds.size());
        for (uint64_t i : inds)
            if (!seen.insert(i).second) return CoincidentIndex{i};
        return std::nullopt;
    }
};

// A run from an offset whose last index does not fit 64 bits; registers never wrap.
struct OffsetOverflow {
    uint64_t start = 0;
    uint64_t n = 0;
    bool operator==(const OffsetOverflow&) const = default;
    std::string message() const {
        return "Qubit register from offset " + std::to_string(start) + " with " + std::to_string(n) +
               " qubits exceeds the 64-bit index range.";
    }
};

// The register error: every variant becomes an IndexError carrying its text.
struct BasisError {
    std::variant<OutOfBounds, DifferentModeCounts, CoincidentIndex> v;

    BasisError(OutOfBounds e) : v(e) {}
    BasisError(DifferentModeCounts e) : v(e) {}
    BasisError(CoincidentIndex e) : v(e) {}

    bool operator==(const BasisError&) const = default;
    std::string message() const {
        return std::visit([](const auto& e) { return e.message(); }, v);
    }
};

class Qubits {
public:
    Qubits() = default;
    // Takes the kind as it is (a decoded register is not brought into canonical form).
    explicit Qubits(Kind kind) : kind_(std::move(kind)) {}

    static Qubits from_count(uint64_t n) { return Qubits(Count{n}); }

    // True when the run start..start+n-1 fits 64 bits: its last index, not the
    // end past it, must fit, so the run may reach UINT64_MAX.
    static constexpr bool run_fits(uint64_t start, uint64_t n) { return n == 0 || checked_add(start, n - 1); }

    static std::expected<Qubits, OffsetOverflow> from_offset(uint64_t start, uint64_t n) {
        if (!run_fits(start, n)) return std::unexpected(OffsetOverflow{start, n});
        if (start == 0) return Qubits(Count{n});
        return Qubits(Offset{start, n});
    }

    // The canonical register of an index list.
    static std::expected<Qubits, BasisError> from_inds(std::vector<uint64_t> inds) {
        if (auto c = CoincidentIndex::check(inds)) return std::unexpected(BasisError(*c));
        if (inds.empty()) return Qubits(Count{0});
        const uint64_t first = inds.front();
        const uint64_t len = inds.size();
        if (!run_fits(first, len)) return Qubits(Inds{std::move(inds)});
        for (uint64_t k = 0; k < len; ++k)
            if (inds[k] != first + k) return Qubits(Inds{std::move(inds)});
        if (first == 0) return Qubits(Count{len});
        return Qubits(Offset{first, len});
    }

    // The smallest register whose 2^n states cover d; d = 0 and d = 1 give 0 qubits.
    static Qubits from_hilbert_space_dim(uint64_t d) {
        if (d <= 1) return Qubits(Count{0});
        if (std::has_single_bit(d)) return Qubits(Count{static_cast<uint64_t>(std::countr_zero(d))});
        return Qubits(Count{64 - static_cast<uint64_t>(std::countl_zero(d))});
    }

    const Kind& kind() const { return kind_; }

    uint64_t size() const {
        return std::visit(
            [](const auto& k) -> uint64_t {
                using T = std::decay_t<decltype(k)>;
                if constexpr (std::is_same_v<T, Inds>)
                    return k.inds.size();
                else
                    return k.n;
            },
            kind_);
    }

    // Register index of position i; i below size().
    uint64_t get_unchecked(uint64_t i) const {
        if (auto* o = std::get_if<Offset>(&kind_)) return o->start + i;
        if (auto* v = std::get_if<Inds>(&kind_)) return v->inds[i];
        return i;
    }

    std::expected<uint64_t, OutOfBounds> get(uint64_t i) const {
        if (i >= size()) return std::unexpected(OutOfBounds{i, size(), OutOfBoundsKind::Mode});
        return get_unchecked(i);
    }

    std::vector<uint64_t> inds() const {
        const uint64_t n = size();
        guard_allocation("a list of mode indices", n, sizeof(uint64_t));
        std::vector<uint64_t> out;
        out.reserve(n);
        for (uint64_t i = 0; i < n; ++i) out.push_back(get_unchecked(i));
        return out;
    }

    // Calls f(j, t) for every position j set in a row of n_words words
    // (word_at(w) gives word w), in position order and only below size(), t
    // being the register index of j: the walk that moves a row's set
    // positions onto another register.
    template <class WordAt, class F>
    void for_each_set_position(size_t n_words, WordAt word_at, F f) const {
        const uint64_t n = size();
        for (size_t w = 0; w < n_words && uint64_t{w} * 64 < n; ++w)
            for_each_set_bit(word_at(w), [&](uint64_t b) {
                const uint64_t j = uint64_t{w} * 64 + b;
                if (j < n) f(j, get_unchecked(j));
            });
    }

    // The largest register index, none for an empty register. A run from an
    // offset that passes the top of the 64-bit range (only a decoded register
    // can) holds the largest index of all.
    std::optional<uint64_t> largest_index() const {
        const uint64_t n = size();
        if (n == 0) return std::nullopt;
        if (auto* o = std::get_if<Offset>(&kind_)) return saturating_add(o->start, n - 1);
        if (auto* v = std::get_if<Inds>(&kind_)) return *std::ranges::max_element(v->inds);
        return n - 1;
    }

    // What every register built by the constructors satisfies, whatever its
    // form: distinct indices, and a run from an offset whose last index fits
    // 64 bits. Registers read from files are checked against it.
    std::expected<void, std::string> check_valid() const {
        if (auto* o = std::get_if<Offset>(&kind_))
            if (!run_fits(o->start, o->n)) return std::unexpected(OffsetOverflow{o->start, o->n}.message());
        if (auto* v = std::get_if<Inds>(&kind_))
            if (auto c = CoincidentIndex::check(v->inds)) return std::unexpected(c->message());
        return {};
    }

    bool is_count() const { return std::holds_alternative<Count>(kind_); }

    bool operator==(const Qubits&) const = default;

    // The variant index (Count 0, Offset 1, Inds 2), then the variant's fields.
    template <class Sink>
    std::expected<void, bincode::EncodeError> encode(bincode::Encoder<Sink>& e) const {
        if (auto r = e.write_u32(static_cast<uint32_t>(kind_.index())); !r) return r;
        if (auto* c = std::get_if<Count>(&kind_)) return e.write_u64(c->n);
        if (auto* o = std::get_if<Offset>(&kind_)) {
            if (auto r = e.write_u64(o->start); !r) return r;
            return e.write_u64(o->n);
        }
        const auto& v = std::get<Inds>(kind_).inds;
        if (auto r = e.write_u64(v.size()); !r) return r;
        for (uint64_t i : v)
            if (auto r = e.write_u64(i); !r) return r;
        return {};
    }

    // Takes the register exactly as stored: neither canonical form nor distinct
    // entries are checked.
    template <class Source>
    static std::expected<Qubits, bincode::DecodeError> decode(bincode::Decoder<Source>& d) {
        auto variant = d.read_u32();
        if (!variant) return std::unexpected(variant.error());
        switch (*variant) {
            case 0: {
                auto n = d.read_u64();
                if (!n) return std::unexpected(n.error());
                return Qubits(Count{*n});
            }
            case 1: {
                auto start = d.read_u64();
                if (!start) return std::unexpected(start.error());
                auto n = d.read_u64();
                if (!n) return std::unexpected(n.error());
                return Qubits(Offset{*start, *n});
            }
            case 2: {
                auto len = d.read_u64();
                if (!len) return std::unexpected(len.error());
                // Grows as entries arrive: no allocation is sized by a length read from the input.
                std::vector<uint64_t> v;
                for (uint64_t k = 0; k < *len; ++k) {
                    auto i = d.read_u64();
                    if (!i) return std::unexpected(i.error());
                    bincode::push_arriving(v, *i, "a qubit register", *len);
                }
                return Qubits(Inds{std::move(v)});
            }
            default:
                return std::unexpected(bincode::DecodeError::invalid_value(*variant, "variant index 0 <= i < 3"));
        }
    }

private:
    Kind kind_ = Count{0};
};

}  // namespace vemo::qubit
