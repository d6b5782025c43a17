// Pauli operators on basis-state combinations: matrix elements, application
// to a state, and projections into subspaces (as NumPy arrays).
#include <tuple>
#include <utility>
#include <vector>

#include "core/qubit/projection.hpp"
#include "python/frame/numpy.hpp"
#include "python/qubit/op_errors.hpp"
#include "python/qubit/pauli_array.hpp"
#include "python/qubit/state_array.hpp"

namespace vemo::py::pauli_array {
namespace {

using qubit::pauli::LincombView;
using qubit::pauli::StatesView;

template <class C>
std::expected<typename C::Scalar, MatElemError> mat_elem(const CmpntList& self, const C& coeffs,
                                                         const StateList& bra_cmpnts, const C& bra_coeffs,
                                                         const StateList& ket_cmpnts, const C& ket_coeffs) {
    return qubit::pauli::mat_elem(LincombView<C>{self, coeffs}, StatesView<C>{bra_cmpnts, bra_coeffs},
                                  StatesView<C>{ket_cmpnts, ket_coeffs});
}

template <class C>
std::expected<void, MatElemError> apply_to_state(const CmpntList& self, const C& coeffs, const StateList& state_cmpnts,
                                                 const C& state_coeffs, StateList& out_cmpnts, Map& out_map,
                                                 ComplexVec& out_coeffs) {
    return qubit::pauli::apply(LincombView<C>{self, coeffs}, StatesView<C>{state_cmpnts, state_coeffs},
                               qubit::pauli::StatesOutView{out_cmpnts, out_map, out_coeffs});
}

template <class T>
NdArray<T> square_array(qubit::pauli::DenseSquare<T>&& m) {
    const auto d = static_cast<Py_ssize_t>(m.dim);
    return {{d, d}, std::move(m.data)};
}

template <class C>
NdArray<typename C::Scalar> project_ortho(const CmpntList& cmpnts, const C& coeffs, const StateList& subspace) {
    return square_array(to_py_result(qubit::pauli::mat_ortho_projected(LincombView<C>{cmpnts, coeffs}, subspace)));
}

template <class C>
std::tuple<NdArray<typename C::Scalar>, NdArray<typename C::Scalar>> project_nonortho(const CmpntList& cmpnts, const C& coeffs,
                                      const std::vector<StateList>& subspace_cmpnts,
                                      const std::vector<Map>& subspace_maps, const std::vector<C>& subspace_coeffs) {
    const size_t d = std::min({subspace_cmpnts.size(), subspace_maps.size(), subspace_coeffs.size()});
    std::vector<qubit::pauli::SubspaceVector<C>> vs;
    vs.reserve(d);
    for (size_t i = 0; i < d; ++i) vs.push_back({subspace_cmpnts[i], subspace_coeffs[i], subspace_maps[i]});
    auto [h, s] = to_py_result(qubit::pauli::mat_nonortho_projected(
        LincombView<C>{cmpnts, coeffs}, std::span<const qubit::pauli::SubspaceVector<C>>(vs)));
    return {square_array(std::move(h)), square_array(std::move(s))};
}

}  // namespace

std::expected<double, MatElemError> mat_elem_real(const CmpntList& self, const RealVec& coeffs,
                                                  const StateList& bra_cmpnts, const RealVec& bra_coeffs,
                                                  const StateList& ket_cmpnts, const RealVec& ket_coeffs) {
    return mat_elem(self, coeffs, bra_cmpnts, bra_coeffs, ket_cmpnts, ket_coeffs);
}
std::expected<Complex, MatElemError> mat_elem_complex(const CmpntList& self, const ComplexVec& coeffs,
                                                      const StateList& bra_cmpnts, const ComplexVec& bra_coeffs,
                                                      const StateList& ket_cmpnts, const ComplexVec& ket_coeffs) {
    return mat_elem(self, coeffs, bra_cmpnts, bra_coeffs, ket_cmpnts, ket_coeffs);
}

std::expected<void, MatElemError> apply_to_state_real(const CmpntList& self, const RealVec& coeffs,
                                                      const StateList& state_cmpnts, const RealVec& state_coeffs,
                                                      StateList& out_cmpnts, Map& out_map, ComplexVec& out_coeffs) {
    return apply_to_state(self, coeffs, state_cmpnts, state_coeffs, out_cmpnts, out_map, out_coeffs);
}
std::expected<void, MatElemError> apply_to_state_complex(const CmpntList& self, const ComplexVec& coeffs,
                                                         const StateList& state_cmpnts, const ComplexVec& state_coeffs,
                                                         StateList& out_cmpnts, Map& out_map, ComplexVec& out_coeffs) {
    return apply_to_state(self, coeffs, state_cmpnts, state_coeffs, out_cmpnts, out_map, out_coeffs);
}

NdArray<double> project_ortho_real(const CmpntList& cmpnts, const RealVec& coeffs, const StateList& subspace) {
    return project_ortho(cmpnts, coeffs, subspace);
}
NdArray<Complex> project_ortho_complex(const CmpntList& cmpnts, const ComplexVec& coeffs, const StateList& subspace) {
    return project_ortho(cmpnts, coeffs, subspace);
}

std::tuple<NdArray<double>, NdArray<double>> project_nonortho_real(const CmpntList& cmpnts, const RealVec& coeffs,
                                           std::vector<StateList> subspace_cmpnts, std::vector<Map> subspace_maps,
                                           std::vector<RealVec> subspace_coeffs) {
    return project_nonortho(cmpnts, coeffs, subspace_cmpnts, subspace_maps, subspace_coeffs);
}
std::tuple<NdArray<Complex>, NdArray<Complex>> project_nonortho_complex(const CmpntList& cmpnts, const ComplexVec& coeffs,
                                              std::vector<StateList> subspace_cmpnts, std::vector<Map> subspace_maps,
                                              std::vector<ComplexVec> subspace_coeffs) {
    return project_nonortho(cmpnts, coeffs, subspace_cmpnts, subspace_maps, subspace_coeffs);
}

}  // namespace vemo::py::pauli_array

namespace vemo::py {
VEMO_METHOD_GLUE(&pauli_array::apply_to_state_real, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::apply_to_state_complex, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::mat_elem_real, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::mat_elem_complex, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::project_ortho_real, void);
VEMO_METHOD_GLUE(&pauli_array::project_ortho_complex, void);
VEMO_METHOD_GLUE(&pauli_array::project_nonortho_real, void);
VEMO_METHOD_GLUE(&pauli_array::project_nonortho_complex, void);
}  // namespace vemo::py
