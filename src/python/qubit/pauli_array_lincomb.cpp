// Products of Pauli linear combinations: (QubitPauliArray, coefficients) pairs
// multiplied into a caller-supplied (QubitPauliArray, Map, ComplexVec).
#include "core/qubit/lincomb.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py::pauli_array {
namespace {

template <class C>
std::expected<void, DifferentQubits> lincomb_mul(const CmpntList& lhs_impl, const C& lhs_coeffs,
                                                 const CmpntList& rhs_impl, const C& rhs_coeffs, CmpntList& out_impl,
                                                 Map& out_map, ComplexVec& out_coeffs) {
    return qubit::pauli::assign_from_mul(qubit::pauli::ProductMutView{out_impl, out_map, out_coeffs},
                                         qubit::pauli::LincombView<C>{lhs_impl, lhs_coeffs},
                                         qubit::pauli::LincombView<C>{rhs_impl, rhs_coeffs});
}

}  // namespace

std::expected<void, DifferentQubits> lincomb_mul_real(const CmpntList& lhs_impl, const RealVec& lhs_coeffs,
                                                      const CmpntList& rhs_impl, const RealVec& rhs_coeffs,
                                                      CmpntList& out_impl, Map& out_map, ComplexVec& out_coeffs) {
    return lincomb_mul(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs);
}

std::expected<void, DifferentQubits> lincomb_mul_complex(const CmpntList& lhs_impl, const ComplexVec& lhs_coeffs,
                                                         const CmpntList& rhs_impl, const ComplexVec& rhs_coeffs,
                                                         CmpntList& out_impl, Map& out_map, ComplexVec& out_coeffs) {
    return lincomb_mul(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs);
}

}  // namespace vemo::py::pauli_array

namespace vemo::py {
VEMO_METHOD_GLUE(&pauli_array::lincomb_mul_real, void);
VEMO_METHOD_GLUE(&pauli_array::lincomb_mul_complex, void);
}  // namespace vemo::py
