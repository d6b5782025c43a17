// Mapper and its subclasses JordanWignerMapper, BravyiKitaevMapper,
// ParityMapper and ParaparticularMapper: a fermion operator is mapped term by
// term, each ladder-operator product loaded and then contributed, scaled,
// into a Pauli linear combination (QubitPauliArray, Map, coefficients).
#include <optional>
#include <vector>

#include "python/fermion/mappers.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py {

namespace {

using fermion::mappings::LadderOp;
using fermion::mappings::Mapper;
using fermion::mappings::ModeOrderingError;
using fermion::mappings::operators::ContributeError;
using fermion::mappings::operators::LincombMutView;
using fermion::mappings::operators::Operators;
using qubit::DifferentQubits;
using qubit::Qubits;
using qubit::pauli::CmpntList;

// The engine of one kind on a copy of the register; the ordering is checked first.
template <auto Make>
std::expected<Mapper, ModeOrderingError> mapper_new(const Qubits& qubits,
                                                    std::optional<std::vector<uint64_t>> mode_ordering) {
    auto ops = Make(qubits, mode_ordering ? &*mode_ordering : nullptr);
    if (!ops) return std::unexpected(ops.error());
    return Mapper{std::move(*ops)};
}

std::expected<void, OutOfBounds> load_product(Mapper& self, std::vector<LadderOp> ladder_operators) {
    return self.ops.load_product(ladder_operators);
}

template <FieldVec C>
std::expected<void, ContributeError> contribute(Mapper& self, CmpntList& cmpnts, Map& map, C& coeffs,
                                                typename C::Scalar scalar) {
    return self.ops.contribute(LincombMutView<C>{cmpnts, map, coeffs}, scalar);
}

}  // namespace

#define VEMO_CONTRIBUTE_DOC                                                                                      \
    "Using the mapping defined by `self`, contribute a fermionic ladder operator product to the operator (cmpnt, " \
    "map, coeffs)"

VEMO_CLASS(fermion::mappings::Mapper) {
    c.doc("Base class for fermion to qubit transformation mappers.");
    c.def<&load_product>(
        "op_load_product($self, ladder_operators)\n--\n\nUpdate the state of self to a mapping of the given ladder "
        "operators.");
    c.def<&contribute<RealVec>>(
        "op_contribute_real($self, cmpnts, map, coeffs, scalar)\n--\n\n" VEMO_CONTRIBUTE_DOC);
    c.def<&contribute<ComplexVec>>(
        "op_contribute_complex($self, cmpnts, map, coeffs, scalar)\n--\n\n" VEMO_CONTRIBUTE_DOC);
}

VEMO_CLASS(mappers::JordanWigner) {
    c.doc("JordanWignerMapper(qubits, mode_ordering=None)\n--\n\nA Jordan-Wigner transformation mapper.");
    c.init<&mapper_new<&Operators::make<fermion::mappings::jw::JordanWignerMapper>>>();
}
VEMO_CLASS(mappers::BravyiKitaev) {
    c.doc("BravyiKitaevMapper(qubits, mode_ordering=None)\n--\n\nA Bravyi-Kitaev transformation mapper.");
    c.init<&mapper_new<&Operators::make<fermion::mappings::bk::BravyiKitaevMapper>>>();
}
VEMO_CLASS(mappers::Parity) {
    c.doc("ParityMapper(qubits, mode_ordering=None)\n--\n\nA parity transformation mapper.");
    c.init<&mapper_new<&Operators::make<fermion::mappings::parity::ParityMapper>>>();
}
VEMO_CLASS(mappers::Paraparticular) {
    c.doc("ParaparticularMapper(qubits, mode_ordering=None)\n--\n\nA paraparticular transformation mapper.");
    c.init<&mapper_new<&Operators::paraparticular>>();
}

}  // namespace vemo::py
