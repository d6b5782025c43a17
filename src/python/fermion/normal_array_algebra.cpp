// NormalFermionOperatorArray's linear-combination algebra and state methods,
// bound here so that their call glue compiles apart from the class's member list.
#include "python/fermion/normal_array_algebra.hpp"

namespace vemo::py::normal_array {

void define_algebra(ClassDef<CmpntList>& c) {
    c.def_static<&lincomb_mul<RealVec>>("lincomb_mul_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_mul<ComplexVec>>("lincomb_mul_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_commutator<RealVec>>(
        "lincomb_commutator_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_anticommutator<RealVec>>(
        "lincomb_anticommutator_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_commutator<ComplexVec>>(
        "lincomb_commutator_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_anticommutator<ComplexVec>>(
        "lincomb_anticommutator_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs)\n--\n\n");
    c.def_static<&lincomb_adjoint<RealVec>>("lincomb_adjoint_real(cmpnts, coeffs)\n--\n\n");
    c.def_static<&lincomb_adjoint<ComplexVec>>("lincomb_adjoint_complex(cmpnts, coeffs)\n--\n\n");
    c.def_static<&lincomb_is_hermitian<RealVec>>("lincomb_is_hermitian_real(cmpnts, coeffs, atol)\n--\n\n");
    c.def_static<&lincomb_is_hermitian<ComplexVec>>("lincomb_is_hermitian_complex(cmpnts, coeffs, atol)\n--\n\n");
    c.def_static<&lincomb_conserves_particle_number<RealVec>>(
        "lincomb_conserves_particle_number_real(cmpnts, coeffs, atol)\n--\n\n");
    c.def_static<&lincomb_conserves_particle_number<ComplexVec>>(
        "lincomb_conserves_particle_number_complex(cmpnts, coeffs, atol)\n--\n\n");
    c.def_static<&lincomb_max_n_body<RealVec>>("lincomb_max_n_body_real(cmpnts, coeffs)\n--\n\n");
    c.def_static<&lincomb_max_n_body<ComplexVec>>("lincomb_max_n_body_complex(cmpnts, coeffs)\n--\n\n");
    c.def_static<&lincomb_active_modes<RealVec>>("lincomb_active_modes_real(cmpnts, coeffs)\n--\n\n");
    c.def_static<&lincomb_active_modes<ComplexVec>>("lincomb_active_modes_complex(cmpnts, coeffs)\n--\n\n");
    c.def_static<&lincomb_to_general<RealVec>>("lincomb_to_general_real(cmpnts, map, coeffs)\n--\n\n");
    c.def_static<&lincomb_to_general<ComplexVec>>("lincomb_to_general_complex(cmpnts, map, coeffs)\n--\n\n");
    c.def<&apply_to_state<RealVec>>(
        "apply_to_state_real($self, coeffs, state_cmpnts, state_coeffs, out_cmpnts, out_map, out_coeffs)\n--\n\n"
        "Apply this normal-ordered operator to a real state.");
    c.def<&apply_to_state<ComplexVec>>(
        "apply_to_state_complex($self, coeffs, state_cmpnts, state_coeffs, out_cmpnts, out_map, out_coeffs)\n--\n\n"
        "Apply this normal-ordered operator to a complex state.");
    c.def<&mat_elem<RealVec>>(
        "mat_elem_real($self, coeffs, bra_cmpnts, bra_coeffs, ket_cmpnts, ket_coeffs)\n--\n\n"
        "Evaluate a real matrix element between real states.");
    c.def<&mat_elem<ComplexVec>>(
        "mat_elem_complex($self, coeffs, bra_cmpnts, bra_coeffs, ket_cmpnts, ket_coeffs)\n--\n\n"
        "Evaluate a complex matrix element between complex states.");
}

}  // namespace vemo::py::normal_array
