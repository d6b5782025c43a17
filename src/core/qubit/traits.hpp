// What qubit objects share: being based on a register, and the error of
// combining objects on different registers.
#pragma once

#include <concepts>
#include <expected>
#include <string>

#include "core/qubit/mode.hpp"

namespace vemo::qubit {

struct DifferentQubits {
    bool operator==(const DifferentQubits&) const = default;
    std::string message() const { return "Qubits-based objects are based on different qubit spaces."; }
    std::string debug() const { return "DifferentQubits"; }
};

// Projection onto a subspace whose basis lists one state more than once.
struct SubspaceNonorthogonal {
    bool operator==(const SubspaceNonorthogonal&) const = default;
    std::string message() const { return "The subspace is non-orthogonal (it contains repeated basis vectors)"; }
};

// An object based on a qubit register.
template <class T>
concept QubitsBased = requires(const T& t) {
    { t.qubits() } -> std::convertible_to<const Qubits&>;
};

template <QubitsBased A, QubitsBased B>
bool same_qubits(const A& a, const B& b) {
    return a.qubits() == b.qubits();
}

inline std::expected<void, DifferentQubits> check_same(const Qubits& a, const Qubits& b) {
    if (a == b) return {};
    return std::unexpected(DifferentQubits{});
}

// All three on one register: a's and then b's register are compared with c's.
template <QubitsBased A, QubitsBased B, QubitsBased C>
std::expected<void, DifferentQubits> check_transitive(const A& a, const B& b, const C& c) {
    if (a.qubits() == c.qubits() && b.qubits() == c.qubits()) return {};
    return std::unexpected(DifferentQubits{});
}

}  // namespace vemo::qubit
