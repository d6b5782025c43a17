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
using qubit::pauli::MatElemError;
using qubit::pauli::StatesView;
using StateList = qubit::state::CmpntList;

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

// A projected matrix, handed to NumPy in the buffer the projection wrote.
template <class T>
using SquareArray = NdArray<T, UninitHugePageAllocator<T>>;

template <class T>
SquareArray<T> square_array(qubit::pauli::DenseSquare<T>&& m) {
    const auto d = static_cast<Py_ssize_t>(m.dim);
    return {{d, d}, std::move(m.data)};
}

template <class C>
SquareArray<typename C::Scalar> project_ortho(const CmpntList& cmpnts, const C& coeffs, const StateList& subspace) {
    return square_array(to_py_result(qubit::pauli::mat_ortho_projected(LincombView<C>{cmpnts, coeffs}, subspace)));
}

template <class C>
std::tuple<SquareArray<typename C::Scalar>, SquareArray<typename C::Scalar>> project_nonortho(const CmpntList& cmpnts, const C& coeffs,
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

void define_projections(Def& c) {
    c.def_static<&project_ortho<RealVec>>(
        "lincomb_project_into_ortho_subspace_real(cmpnts, coeffs, subspace)\n--\n\nGet the projected operator for "
        "real-valued operator in a given subspace");
    c.def_static<&project_ortho<ComplexVec>>(
        "lincomb_project_into_ortho_subspace_complex(cmpnts, coeffs, subspace)\n--\n\nGet the projected operator "
        "for complex-valued operator in a given subspace");
    c.def_static<&project_nonortho<RealVec>>(
        "lincomb_project_into_nonortho_subspace_real(cmpnts, coeffs, subspace_cmpnts, subspace_maps, "
        "subspace_coeffs)\n--\n\nGet the projected operator and the overlap matrix for real-valued operator and "
        "subspace");
    c.def_static<&project_nonortho<ComplexVec>>(
        "lincomb_project_into_nonortho_subspace_complex(cmpnts, coeffs, subspace_cmpnts, subspace_maps, "
        "subspace_coeffs)\n--\n\nGet the projected operator and the overlap matrix for complex-valued operator "
        "and subspace");
}

void define_state_action(Def& c) {
    c.def<&apply_to_state<RealVec>>(
        "apply_to_state_real($self, coeffs, state_cmpnts, state_coeffs, out_cmpnts, out_map, out_coeffs)\n--\n\n"
        "Apply this array as an operator to state.");
    c.def<&apply_to_state<ComplexVec>>(
        "apply_to_state_complex($self, coeffs, state_cmpnts, state_coeffs, out_cmpnts, out_map, out_coeffs)\n--\n\n"
        "Apply this array as an operator to state.");
    c.def<&mat_elem<RealVec>>(
        "mat_elem_real($self, coeffs, bra_cmpnts, bra_coeffs, ket_cmpnts, ket_coeffs)\n--\n\nGet matrix element of "
        "real operator");
    c.def<&mat_elem<ComplexVec>>(
        "mat_elem_complex($self, coeffs, bra_cmpnts, bra_coeffs, ket_cmpnts, ket_coeffs)\n--\n\nGet matrix element "
        "of complex operator");
}

}  // namespace vemo::py::pauli_array

