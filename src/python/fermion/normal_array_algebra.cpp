// The call glue of NormalFermionOperatorArray's algebra methods, compiled
// apart from the class's member list.
#include "python/fermion/normal_array_algebra.hpp"

namespace vemo::py {
VEMO_METHOD_GLUE(&normal_array::lincomb_mul<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_mul<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_commutator<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_anticommutator<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_commutator<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_anticommutator<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_adjoint<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_adjoint<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_is_hermitian<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_is_hermitian<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_conserves_particle_number<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_conserves_particle_number<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_max_n_body<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_max_n_body<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_active_modes<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_active_modes<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_to_general<RealVec>, void);
VEMO_METHOD_GLUE(&normal_array::lincomb_to_general<ComplexVec>, void);
VEMO_METHOD_GLUE(&normal_array::apply_to_state<RealVec>, fermion::normal::CmpntList);
VEMO_METHOD_GLUE(&normal_array::apply_to_state<ComplexVec>, fermion::normal::CmpntList);
VEMO_METHOD_GLUE(&normal_array::mat_elem<RealVec>, fermion::normal::CmpntList);
VEMO_METHOD_GLUE(&normal_array::mat_elem<ComplexVec>, fermion::normal::CmpntList);
}  // namespace vemo::py
