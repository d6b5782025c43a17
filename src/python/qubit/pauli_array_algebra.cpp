// QubitPauliArray methods that combine single Pauli strings: products with
// their phases, commutation, in-place products, element-wise products, the
// compatibility matrix, the centralizer split and Clifford conjugation.
#include <cstdint>
#include <expected>
#include <utility>

#include "core/qubit/pauli_array_algebra.hpp"
#include "python/frame/numpy.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py::pauli_array {
namespace {

using qubit::check_same;


}  // namespace

std::expected<std::pair<CmpntList, ComplexSign>, DifferentQubits> cmpnt_mul(const CmpntList& self, int64_t i_lhs,
                                                                           const CmpntList& rhs, int64_t i_rhs) {
    const uint64_t i = py_index(i_lhs, self.size()), j = py_index(i_rhs, rhs.size());
    CmpntList out = self.empty_clone();
    out.resize(1);
    auto k = qubit::pauli::assign_mul(out, 0, self, i, rhs, j);
    if (!k) return std::unexpected(k.error());
    return std::pair{std::move(out), *k};
}

std::expected<ComplexSign, DifferentQubits> cmpnt_phase_of_mul(const CmpntList& self, int64_t i_lhs,
                                                               const CmpntList& rhs, int64_t i_rhs) {
    const uint64_t i = py_index(i_lhs, self.size()), j = py_index(i_rhs, rhs.size());
    if (auto ok = check_same(self.qubits(), rhs.qubits()); !ok) return std::unexpected(ok.error());
    return ComplexSign(static_cast<uint8_t>(qubit::pauli::phase_of_mul(self, i, rhs, j)));
}

// The register is checked before the indices here.
std::expected<bool, DifferentQubits> cmpnt_commutes_with(const CmpntList& self, int64_t i_lhs, const CmpntList& rhs,
                                                         int64_t i_rhs) {
    if (auto ok = check_same(self.qubits(), rhs.qubits()); !ok) return std::unexpected(ok.error());
    const uint64_t i = py_index(i_lhs, self.size()), j = py_index(i_rhs, rhs.size());
    return qubit::pauli::commutes_with(self, i, rhs, j);
}

// A string times itself is the identity with phase +1.
ComplexSign cmpnt_imul_internal(CmpntList& self, int64_t i_lhs, int64_t i_rhs) {
    const uint64_t i = py_index(i_lhs, self.size()), j = py_index(i_rhs, self.size());
    if (i == j) {
        clear_elem(self, i);
        return ComplexSign(0);
    }
    return qubit::pauli::imul_by_cmpnt_ref_unchecked(self, i, self, j);
}

std::expected<ComplexSign, DifferentQubits> cmpnt_imul_external(CmpntList& self, int64_t i_lhs, const CmpntList& rhs,
                                                                int64_t i_rhs) {
    const uint64_t i = py_index(i_lhs, self.size()), j = py_index(i_rhs, rhs.size());
    return qubit::pauli::imul_by_cmpnt_ref(self, i, rhs, j);
}

void cmpnt_matrices_imul_internal(CmpntList& self, int64_t i_lhs, int64_t i_rhs) {
    const uint64_t i = py_index(i_lhs, self.size()), j = py_index(i_rhs, self.size());
    if (i == j) clear_elem(self, i);
    else qubit::pauli::imul_by_cmpnt_ref_matrices_unchecked(self, i, self, j);
}

std::expected<void, DifferentQubits> cmpnt_matrices_imul_external(CmpntList& self, int64_t i_lhs,
                                                                  const CmpntList& rhs, int64_t i_rhs) {
    const uint64_t i = py_index(i_lhs, self.size()), j = py_index(i_rhs, rhs.size());
    return qubit::pauli::imul_by_cmpnt_ref_matrices(self, i, rhs, j);
}

std::expected<std::pair<CmpntList, ComplexSignVec>, qubit::pauli::PairwiseMulError> cmpnts_mul_pairwise(
    const CmpntList& self, const CmpntList& rhs) {
    return qubit::pauli::mul_pairwise(self, rhs);
}

NdArray<uint8_t> compatibility_matrix(const CmpntList& self) {
    const auto n = static_cast<Py_ssize_t>(self.size());
    NdArray<uint8_t> out{{n, n}, LargeVec<uint8_t>(qubit::pauli::compatibility_entries(self))};
    qubit::pauli::fill_compatibility(self, out.data.data());
    return out;
}

std::pair<CmpntList, CmpntList> centralizer_and_remainder(const CmpntList& self) {
    return qubit::pauli::centralizer_and_remainder(self);
}

std::expected<SignVec, OutOfBounds> conj_clifford_list(CmpntList& self, const qubit::clifford::CliffordGateList& gates) {
    return qubit::pauli::conj_clifford_list(self, gates.gates());
}

}  // namespace vemo::py::pauli_array

namespace vemo::py {
VEMO_METHOD_GLUE(&pauli_array::cmpnt_mul, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnts_mul_pairwise, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_matrices_imul_internal, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_matrices_imul_external, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_imul_internal, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_imul_external, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_phase_of_mul, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_commutes_with, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::compatibility_matrix, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::centralizer_and_remainder, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::conj_clifford_list, qubit::pauli::CmpntList);
}  // namespace vemo::py
