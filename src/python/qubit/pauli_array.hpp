// The Python class QubitPauliArray: a Pauli-string list on one register.
//
// Its single member list (the order of the class's method table) is in
// pauli_array.cpp; the bodies of larger groups of methods live in section
// files and are declared here.
#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <string>
#include <vector>

#include "core/qubit/pauli_list.hpp"
#include "python/cmpnt/errors.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/qubit.hpp"
#include "python/utils/file_errors.hpp"

VEMO_PY_CLASS(vemo::qubit::pauli::CmpntList, "QubitPauliArray");

namespace vemo::py::pauli_array {

using qubit::DifferentQubits;
using qubit::pauli::CmpntList;

// Products of linear combinations (pauli_array_lincomb.cpp).
std::expected<void, DifferentQubits> lincomb_mul_real(const CmpntList& lhs_impl, const RealVec& lhs_coeffs,
                                                      const CmpntList& rhs_impl, const RealVec& rhs_coeffs,
                                                      CmpntList& out_impl, Map& out_map, ComplexVec& out_coeffs);
std::expected<void, DifferentQubits> lincomb_mul_complex(const CmpntList& lhs_impl, const ComplexVec& lhs_coeffs,
                                                         const CmpntList& rhs_impl, const ComplexVec& rhs_coeffs,
                                                         CmpntList& out_impl, Map& out_map, ComplexVec& out_coeffs);

// Reading and writing single strings (pauli_array_edit.cpp).
std::expected<void, OutOfBounds> cmpnt_set_pauli(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit,
                                                 qubit::PauliMatrix pauli);
qubit::PauliMatrix cmpnt_get_pauli(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit);
std::expected<void, OutOfBounds> cmpnt_set_from_list(CmpntList& self, int64_t i, std::vector<qubit::PauliMatrix> paulis);
std::expected<void, OutOfBounds> cmpnt_set_from_dict(CmpntList& self, int64_t i,
                                                     std::map<uint64_t, qubit::PauliMatrix> paulis);
std::expected<ComplexSign, ParseError> cmpnt_set_from_spring(CmpntList& self, int64_t i, const qubit::pauli::Springs& src,
                                                             uint64_t i_src);
std::vector<qubit::PauliMatrix> cmpnt_get_list(const CmpntList& self, int64_t i);
std::map<uint64_t, qubit::PauliMatrix> cmpnt_get_dict(const CmpntList& self, int64_t i);
uint64_t cmpnt_count(const CmpntList& self, int64_t i, qubit::PauliMatrix pauli);

// The dict form and the binary file (pauli_array_file.cpp).
Obj to_dict(const CmpntList& self);
CmpntList from_dict(PyObject* dict);
std::expected<void, FileError> save_to_file(const CmpntList& self, std::string path);
std::expected<CmpntList, FileError> load_from_file(std::string path);

}  // namespace vemo::py::pauli_array
