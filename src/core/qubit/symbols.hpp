// Single-qubit symbols: the four Pauli codes and the two symplectic planes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vemo::qubit {

// The Pauli code of the whole qubit domain; its (x, z) bits are (code != 0 && code != 3, code >= 2).
enum class PauliMatrix : uint8_t { I = 0, X = 1, Y = 2, Z = 3 };

constexpr char pauli_char(PauliMatrix p) { return "IXYZ"[static_cast<uint8_t>(p) & 3]; }
constexpr std::string_view to_string(PauliMatrix p) {
    constexpr std::string_view names[] = {"I", "X", "Y", "Z"};
    return names[static_cast<uint8_t>(p) & 3];
}
constexpr PauliMatrix pauli_from_code(uint8_t code) { return static_cast<PauliMatrix>(code & 3); }
constexpr std::optional<PauliMatrix> pauli_from_char(char c) {
    switch (c) {
        case 'I': return PauliMatrix::I;
        case 'X': return PauliMatrix::X;
        case 'Y': return PauliMatrix::Y;
        case 'Z': return PauliMatrix::Z;
        default: return std::nullopt;
    }
}

// (x bit, z bit) of a code: I (0, 0), X (1, 0), Y (1, 1), Z (0, 1).
constexpr bool pauli_x(PauliMatrix p) { return p == PauliMatrix::X || p == PauliMatrix::Y; }
constexpr bool pauli_z(PauliMatrix p) { return p == PauliMatrix::Y || p == PauliMatrix::Z; }
constexpr PauliMatrix pauli_from_bits(bool x, bool z) {
    return x ? (z ? PauliMatrix::Y : PauliMatrix::X) : (z ? PauliMatrix::Z : PauliMatrix::I);
}

// Which plane of the two-plane encoding.
enum class SymplecticPart : uint8_t { X = 0, Z = 1 };

constexpr std::string_view to_string(SymplecticPart s) { return s == SymplecticPart::X ? "X" : "Z"; }

}  // namespace vemo::qubit
