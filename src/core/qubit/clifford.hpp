// Clifford gates (Hadamard, phase, CNOT), gate lists, and the conjugation
// P -> G P G^dagger of a Pauli string on its packed planes.
#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <vector>

#include "core/utils/join.hpp"
#include "core/base/errors.hpp"
#include "core/qubit/products.hpp"

namespace vemo::qubit::clifford {

enum class GateKind : uint8_t { H = 0, S = 1, CX = 2 };

constexpr const char* gate_kind_name(GateKind k) {
    switch (k) {
        case GateKind::H: return "H";
        case GateKind::S: return "S";
        case GateKind::CX: return "CX";
    }
    return "?";
}

// One gate on string positions; for CX, a is the control and b the target.
struct Gate {
    GateKind kind = GateKind::H;
    uint64_t a = 0;
    uint64_t b = 0;

    static constexpr Gate h(uint64_t q) { return {GateKind::H, q, 0}; }
    static constexpr Gate s(uint64_t q) { return {GateKind::S, q, 0}; }
    static constexpr Gate cx(uint64_t control, uint64_t target) { return {GateKind::CX, control, target}; }

    bool operator==(const Gate&) const = default;

    std::string to_string() const {
        std::string s = gate_kind_name(kind);
        s += '(';
        s += std::to_string(a);
        if (kind == GateKind::CX) {
            s += ", ";
            s += std::to_string(b);
        }
        s += ')';
        return s;
    }
};

// Gates in push order; the first pushed is the first applied.
class CliffordGateList {
public:
    void push_h(uint64_t q) { gates_.push_back(Gate::h(q)); }
    void push_s(uint64_t q) { gates_.push_back(Gate::s(q)); }
    std::expected<void, IndistinctError> push_cx(uint64_t control, uint64_t target) {
        if (control == target) return std::unexpected(IndistinctError{control});
        gates_.push_back(Gate::cx(control, target));
        return {};
    }
    void pop() {
        if (!gates_.empty()) gates_.pop_back();
    }
    size_t size() const { return gates_.size(); }
    std::span<const Gate> gates() const { return gates_; }

    std::string to_string() const {
        return join_texts(gates_.size(), ", ", [&](size_t i) { return gates_[i].to_string(); });
    }

private:
    std::vector<Gate> gates_;
};

// Every position of every gate must be a position of the string; the first
// offending position (gate order, control before target) is reported.
inline std::expected<void, OutOfBounds> check_gates(std::span<const Gate> gates, uint64_t n_qubit) {
    for (const Gate& g : gates) {
        if (g.a >= n_qubit) return std::unexpected(OutOfBounds{g.a, n_qubit, OutOfBoundsKind::Mode});
        if (g.kind == GateKind::CX && g.b >= n_qubit)
            return std::unexpected(OutOfBounds{g.b, n_qubit, OutOfBoundsKind::Mode});
    }
    return {};
}

namespace detail {
inline uint64_t bit(std::span<const uint64_t> w, uint64_t q) { return (w[q >> 6] >> (q & 63)) & 1; }
inline void put(std::span<uint64_t> w, uint64_t q, uint64_t v) {
    const uint64_t m = uint64_t{1} << (q & 63);
    w[q >> 6] = (w[q >> 6] & ~m) | (v << (q & 63));
}
}  // namespace detail

// Conjugates the string by the gates in order and returns the sign bit
// (true for -1). Positions must lie below the string's qubit count; callers
// check them with check_gates first.
inline bool conj_clifford_unchecked(pauli::PauliMutWords p, std::span<const Gate> gates) {
    using detail::bit;
    using detail::put;
    uint64_t sign = 0;
    for (const Gate& g : gates) {
        switch (g.kind) {
            case GateKind::H: {
                // X <-> Z; Y -> -Y.
                const uint64_t x = bit(p.x, g.a), z = bit(p.z, g.a);
                sign ^= x & z;
                put(p.x, g.a, z);
                put(p.z, g.a, x);
                break;
            }
            case GateKind::S: {
                // X -> Y, Y -> -X, Z -> Z.
                const uint64_t x = bit(p.x, g.a), z = bit(p.z, g.a);
                sign ^= x & z;
                put(p.z, g.a, z ^ x);
                break;
            }
            case GateKind::CX: {
                // x_t ^= x_c, z_c ^= z_t; -1 for (X, Z) and (Y, Y).
                const uint64_t xc = bit(p.x, g.a), zc = bit(p.z, g.a);
                const uint64_t xt = bit(p.x, g.b), zt = bit(p.z, g.b);
                sign ^= xc & zt & (xt ^ zc ^ 1);
                put(p.x, g.b, xt ^ xc);
                put(p.z, g.a, zc ^ zt);
                break;
            }
        }
    }
    return sign != 0;
}

// As conj_clifford_unchecked, after checking every position against n_qubit;
// on failure the string is unchanged.
inline std::expected<bool, OutOfBounds> conj_clifford(pauli::PauliMutWords p, uint64_t n_qubit, std::span<const Gate> gates) {
    if (auto ok = check_gates(gates, n_qubit); !ok) return std::unexpected(ok.error());
    const uint64_t need = n_qubit / 64 + (n_qubit % 64 != 0);
    if (p.x.size() < need || p.z.size() < need) internal_failure("conj_clifford: planes shorter than the register");
    return conj_clifford_unchecked(p, gates);
}

}  // namespace vemo::qubit::clifford
