// The Python class QubitStateArray: a list of computational basis states on
// one register.
//
// Its single member list (the order of the class's method table) is in
// state_array.cpp; groups of methods live in section files, each of which
// binds its own methods where the list names its section.
#pragma once

#include <cstdint>
#include <expected>
#include <set>
#include <vector>

#include "core/qubit/state.hpp"
#include "python/cmpnt/binary_springs.hpp"
#include "python/container/bit_rows_methods.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/pauli_array.hpp"
#include "python/qubit/qubit.hpp"

VEMO_PY_CLASS(vemo::qubit::state::CmpntList, "QubitStateArray");

// The sections of the class's member list (state_array_dense.cpp).
namespace vemo::py::state_array {

using Def = ClassDef<qubit::state::CmpntList>;

void define_pauli_action(Def& c);  // cmpnt_pauli_string_imul
void define_dense(Def& c);         // to_dense_*, from_dense_*, vdot_*

}  // namespace vemo::py::state_array
