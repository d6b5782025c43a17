// QubitStateArray as a state vector: dense vectors in either bit order, inner
// products, and one Pauli string acting on one basis state in place.
#include <utility>
#include <vector>

#include "core/qubit/state_dense.hpp"
#include "python/qubit/state_array.hpp"

namespace vemo::py::state_array {
namespace {

namespace lc = qubit::state::lincomb;
using qubit::state::CmpntList;

template <class C>
std::expected<std::vector<typename C::Scalar>, OutOfBounds> to_dense(const CmpntList& self, const C& coeffs,
                                                                     bool big_endian) {
    return lc::to_dense(self, coeffs, big_endian);
}

template <class C>
std::expected<void, OutOfBounds> from_dense(CmpntList& self, Map& map, C& coeffs,
                                            const std::vector<typename C::Scalar>& source, bool big_endian) {
    return lc::assign_from_dense(self, map, coeffs, std::span<const typename C::Scalar>(source), big_endian);
}

template <class C>
std::expected<typename C::Scalar, ShortCoeffs> vdot(const CmpntList& self, const Map& map, const C& coeffs,
                                                      const CmpntList& rhs_cmpnts, const C& rhs_coeffs) {
    return lc::vdot(TermSetView<CmpntList, C>{self, map, coeffs}, TermsView<CmpntList, C>{rhs_cmpnts, rhs_coeffs});
}

// Both indices are resolved before the registers are compared.
ComplexSign cmpnt_pauli_string_imul(CmpntList& self, int64_t index, const qubit::pauli::CmpntList& paulis,
                                    int64_t i_pauli) {
    const uint64_t i = py_index(index, self.size());
    const uint64_t j = py_index(i_pauli, paulis.size());
    return to_py_result(self.pauli_string_imul(i, paulis, j));
}

}  // namespace

void define_pauli_action(Def& c) {
    c.def<&cmpnt_pauli_string_imul>(
        "cmpnt_pauli_string_imul($self, index, paulis, i_pauli)\n--\n\nMultiply in-place by a Pauli string and return "
        "the associated ComplexSign phase.");
}

void define_dense(Def& c) {
    c.def<&to_dense<RealVec>>("to_dense_real($self, coeffs, big_endian)\n--\n\nConvert to a real dense vector");
    c.def<&to_dense<ComplexVec>>("to_dense_complex($self, coeffs, big_endian)\n--\n\nConvert to a complex dense vector");
    c.def<&from_dense<RealVec>>(
        "from_dense_real($self, map, coeffs, source, big_endian)\n--\n\nConvert from a real dense vector");
    c.def<&from_dense<ComplexVec>>(
        "from_dense_complex($self, map, coeffs, source, big_endian)\n--\n\nConvert from a complex dense vector");
    c.def<&vdot<RealVec>>("vdot_real($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the inner product");
    c.def<&vdot<ComplexVec>>("vdot_complex($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the inner product");
}

}  // namespace vemo::py::state_array

