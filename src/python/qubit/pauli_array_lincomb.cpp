// Products of Pauli linear combinations: (QubitPauliArray, coefficients) pairs
// multiplied into a caller-supplied (QubitPauliArray, Map, ComplexVec).
#include "core/qubit/lincomb.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py::pauli_array {
namespace {

using qubit::DifferentQubits;

template <class C>
std::expected<void, DifferentQubits> lincomb_mul(const CmpntList& lhs_impl, const C& lhs_coeffs,
                                                 const CmpntList& rhs_impl, const C& rhs_coeffs, CmpntList& out_impl,
                                                 Map& out_map, ComplexVec& out_coeffs) {
    return qubit::pauli::assign_from_mul(qubit::pauli::ProductMutView{out_impl, out_map, out_coeffs},
                                         qubit::pauli::LincombView<C>{lhs_impl, lhs_coeffs},
                                         qubit::pauli::LincombView<C>{rhs_impl, rhs_coeffs});
}

}  // namespace

void define_lincomb_products(Def& c) {
    c.def_static<&lincomb_mul<RealVec>>(
        "lincomb_mul_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
    c.def_static<&lincomb_mul<ComplexVec>>(
        "lincomb_mul_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
}

}  // namespace vemo::py::pauli_array

