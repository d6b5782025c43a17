// The one compilation of the Pauli product loops.
#include "core/qubit/product_kernel.hpp"

namespace vemo::qubit::pauli {

VEMO_PAULI_PRODUCT_KERNELS()
template void assign_from_mul_unchecked<RealVec>(const ProductMutView&, const LincombView<RealVec>&,
                                                 const LincombView<RealVec>&);
template void assign_from_mul_unchecked<ComplexVec>(const ProductMutView&, const LincombView<ComplexVec>&,
                                                    const LincombView<ComplexVec>&);

}  // namespace vemo::qubit::pauli
