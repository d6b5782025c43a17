// Building a Pauli list from an optional register and an optional parsed
// Pauli text: with the phase of every string's product, or refusing any
// string whose product carries a phase other than +1.
#pragma once

#include <expected>
#include <utility>

#include "core/cmpnt/parse_error.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/pauli_springs.hpp"
#include "core/qubit/pauli_word.hpp"

namespace vemo::qubit::pauli {

// The list and one phase per string. Without a register the list is based on
// Count(largest position named + 1) and cannot fail; with one, the first
// string naming a position not below its qubit count fails the build.
// A null `springs` is an empty text.
inline std::expected<std::pair<CmpntList, ComplexSignVec>, ParseError> new_with_phases(const Qubits* qubits,
                                                                                       const Springs* springs) {
    static const Springs empty_text;
    const Springs& text = springs ? *springs : empty_text;
    if (!qubits) {
        auto [list, phases] = from_springs_default(text);
        return std::pair{std::move(list), ComplexSignVec(std::move(phases))};
    }
    auto r = from_springs(*qubits, text);
    if (!r) return std::unexpected(r.error());
    return std::pair{std::move(r->first), ComplexSignVec(std::move(r->second))};
}

// As new_with_phases, refusing the first phase other than +1 with the
// conversion error of that phase to Unity.
inline std::expected<CmpntList, ParseError> new_unit_phases(const Qubits* qubits, const Springs* springs) {
    auto r = new_with_phases(qubits, springs);
    if (!r) return std::unexpected(r.error());
    const ComplexSignVec& phases = r->second;
    for (uint64_t i = 0; i < phases.size(); ++i)
        if (auto u = try_represent_any<Unity>(phases.get(i)); !u) return std::unexpected(ParseError(u.error()));
    return std::move(r->first);
}

}  // namespace vemo::qubit::pauli
