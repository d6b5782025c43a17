// QubitStateArray as a state vector: dense vectors in either bit order, inner
// products, and one Pauli string acting on one basis state in place.
#include <utility>
#include <vector>

#include "core/qubit/state_dense.hpp"
#include "python/qubit/state_array.hpp"

namespace vemo::py::state_array {
namespace {

namespace lc = qubit::state::lincomb;

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

}  // namespace

std::expected<std::vector<double>, OutOfBounds> to_dense_real(const CmpntList& self, const RealVec& coeffs,
                                                              bool big_endian) {
    return to_dense(self, coeffs, big_endian);
}
std::expected<std::vector<Complex>, OutOfBounds> to_dense_complex(const CmpntList& self, const ComplexVec& coeffs,
                                                                  bool big_endian) {
    return to_dense(self, coeffs, big_endian);
}

std::expected<void, OutOfBounds> from_dense_real(CmpntList& self, Map& map, RealVec& coeffs,
                                                 std::vector<double> source, bool big_endian) {
    return from_dense(self, map, coeffs, source, big_endian);
}
std::expected<void, OutOfBounds> from_dense_complex(CmpntList& self, Map& map, ComplexVec& coeffs,
                                                    std::vector<Complex> source, bool big_endian) {
    return from_dense(self, map, coeffs, source, big_endian);
}

std::expected<double, ShortCoeffs> vdot_real(const CmpntList& self, const Map& map, const RealVec& coeffs,
                                               const CmpntList& rhs_cmpnts, const RealVec& rhs_coeffs) {
    return vdot(self, map, coeffs, rhs_cmpnts, rhs_coeffs);
}
std::expected<Complex, ShortCoeffs> vdot_complex(const CmpntList& self, const Map& map, const ComplexVec& coeffs,
                                                   const CmpntList& rhs_cmpnts, const ComplexVec& rhs_coeffs) {
    return vdot(self, map, coeffs, rhs_cmpnts, rhs_coeffs);
}

// Both indices are resolved before the registers are compared.
ComplexSign cmpnt_pauli_string_imul(CmpntList& self, int64_t index, const qubit::pauli::CmpntList& paulis,
                                    int64_t i_pauli) {
    const uint64_t i = py_index(index, self.size());
    const uint64_t j = py_index(i_pauli, paulis.size());
    return to_py_result(self.pauli_string_imul(i, paulis, j));
}

}  // namespace vemo::py::state_array

namespace vemo::py {
VEMO_METHOD_GLUE(&state_array::cmpnt_pauli_string_imul, qubit::state::CmpntList);
VEMO_METHOD_GLUE(&state_array::to_dense_real, qubit::state::CmpntList);
VEMO_METHOD_GLUE(&state_array::to_dense_complex, qubit::state::CmpntList);
VEMO_METHOD_GLUE(&state_array::from_dense_real, qubit::state::CmpntList);
VEMO_METHOD_GLUE(&state_array::from_dense_complex, qubit::state::CmpntList);
VEMO_METHOD_GLUE(&state_array::vdot_real, qubit::state::CmpntList);
VEMO_METHOD_GLUE(&state_array::vdot_complex, qubit::state::CmpntList);
}  // namespace vemo::py
