// The Python class QubitStateArray: a list of computational basis states on
// one register.
//
// Its single member list (the order of the class's method table) is in
// state_array.cpp.
#pragma once

#include <cstdint>
#include <expected>
#include <set>
#include <vector>

#include "core/qubit/state.hpp"
#include "python/cmpnt/binary_springs.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/qubit.hpp"

VEMO_PY_CLASS(vemo::qubit::state::CmpntList, "QubitStateArray");
