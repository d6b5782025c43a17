// The Python class QubitPauliArray: a Pauli-string list on one register.
//
// Its methods are registered by several files in the order of the class's
// method table: each file's VEMO_CLASS_BLOCK order is ten times the table
// number of its first method (block 0 holds the docstring, constructor and
// slots), so a file that adds methods later slots in at the right place.
#pragma once

#include "core/qubit/pauli_list.hpp"
#include "python/cmpnt/errors.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/qubit.hpp"

VEMO_PY_CLASS(vemo::qubit::pauli::CmpntList, "QubitPauliArray");
