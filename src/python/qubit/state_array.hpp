// The Python class QubitStateArray: a list of computational basis states on
// one register.
//
// Its single member list (the order of the class's method table) is in
// state_array.cpp; the bodies of groups of methods live in section files and
// are declared here.
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

namespace vemo::py::state_array {

using qubit::DifferentQubits;
using qubit::state::CmpntList;

// Reading and writing single states bit by bit (state_array_edit.cpp).
void cmpnt_set_bit(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit, bool bit);
bool cmpnt_get_bit(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit);
std::expected<void, OutOfBounds> cmpnt_set_from_list(CmpntList& self, int64_t i, std::vector<bool> bits);
std::expected<void, OutOfBounds> cmpnt_set_from_set(CmpntList& self, int64_t i, std::set<uint64_t> bits);
std::expected<void, OutOfBounds> cmpnt_set_from_spring(CmpntList& self, int64_t i, const BinarySprings& src,
                                                       uint64_t i_src);
std::vector<bool> cmpnt_get_list(const CmpntList& self, int64_t i);
std::set<uint64_t> cmpnt_get_set(const CmpntList& self, int64_t i);
uint64_t cmpnt_count(const CmpntList& self, int64_t i, bool bit);

}  // namespace vemo::py::state_array
