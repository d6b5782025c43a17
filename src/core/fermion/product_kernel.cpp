// The one compilation of the fermion product loops: products of normal-ordered
// combinations and normal ordering of raw products.
#include "core/fermion/lincomb.hpp"
#include "core/fermion/normal_order.hpp"

namespace vemo::fermion {

namespace normal::lincomb {
template std::expected<void, DifferentSpaces> assign_from_mul(const TermSetMutView<RealVec>&, const TermsView<RealVec>&,
                                                              const TermsView<RealVec>&, normal::detail::MulScratch&);
template std::expected<void, DifferentSpaces> assign_from_mul(const TermSetMutView<ComplexVec>&,
                                                              const TermsView<ComplexVec>&, const TermsView<ComplexVec>&,
                                                              normal::detail::MulScratch&);
}  // namespace normal::lincomb

template normal::lincomb::TermSet<RealVec> to_normal_order(const TermsView<general::CmpntList, RealVec>&);
template normal::lincomb::TermSet<ComplexVec> to_normal_order(const TermsView<general::CmpntList, ComplexVec>&);

}  // namespace vemo::fermion
