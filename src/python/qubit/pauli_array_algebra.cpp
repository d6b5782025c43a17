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
using qubit::DifferentQubits;

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

}  // namespace

void define_products(Def& c) {
    c.def<&cmpnt_mul>(
        "cmpnt_mul($self, i_lhs, rhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the `i_rhs` cmpnt of `rhs` "
        "and return the resulting cmpnt as\na single element array along with the complex sign phase of the product.");
    c.def<&cmpnts_mul_pairwise>(
        "cmpnts_mul_pairwise($self, rhs)\n--\n\nMultiply each Pauli string in `self` by the corresponding Pauli string "
        "in `rhs`\nComputes the element-wise product of two equally-sized QubitPauliArray instances,\nreturning the "
        "result QubitPauliArray and a ComplexSignVec of phases.");
    c.def<&cmpnt_matrices_imul_internal>(
        "cmpnt_matrices_imul_internal($self, i_lhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the `i_rhs` "
        "cmpnt of `self` and store the resulting cmpnt in\ncmpnt `i_lhs` of `self`");
    c.def<&cmpnt_matrices_imul_external>(
        "cmpnt_matrices_imul_external($self, i_lhs, rhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the "
        "`i_rhs` cmpnt of `rhs` and store the resulting cmpnt in\ncmpnt `i_lhs` of `self`");
    c.def<&cmpnt_imul_internal>(
        "cmpnt_imul_internal($self, i_lhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the `i_rhs` cmpnt of "
        "`self` and store the resulting cmpnt in\ncmpnt `i_lhs` of `self`, returning only the complex sign phase of the "
        "product.");
    c.def<&cmpnt_imul_external>(
        "cmpnt_imul_external($self, i_lhs, rhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the `i_rhs` cmpnt "
        "of `rhs` and store the resulting cmpnt in\ncmpnt `i_lhs` of `self`, returning only the complex sign phase of "
        "the product.");
    c.def<&cmpnt_phase_of_mul>(
        "cmpnt_phase_of_mul($self, i_lhs, rhs, i_rhs)\n--\n\nGet the complex sign phase of the cmpnt product.");
    c.def<&cmpnt_commutes_with>(
        "cmpnt_commutes_with($self, i_lhs, rhs, i_rhs)\n--\n\nDetermine whether the `i_lhs` cmpnt of `self` commutes "
        "with the `i_rhs` cmpnt of `rhs`.");
}

void define_compatibility(Def& c) {
    c.def<&compatibility_matrix>(
        "compatibility_matrix($self)\n--\n\nGet a matrix of compatibility of the terms in this list. If the row and "
        "column strings commute, the matrix\nelement is 1, else it's 0.");
    c.def<&centralizer_and_remainder>(
        "centralizer_and_remainder($self)\n--\n\nGet the centralizer and remainder of this array of pauli strings.");
}

void define_clifford(Def& c) {
    c.def<&conj_clifford_list>(
        "conj_clifford_list($self, gates)\n--\n\nConjugate `self` by a list of clifford gates and return the associated "
        "signs");
}

}  // namespace vemo::py::pauli_array

