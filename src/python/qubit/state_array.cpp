// QubitStateArray: the class's single member list, in the order of its method
// table, and its construction from a register and a parsed state text.
#include "python/container/array_common.hpp"
#include "python/container/bit_rows_methods.hpp"
#include "python/qubit/op_errors.hpp"
#include "python/qubit/state_array.hpp"

namespace vemo::py {
namespace {

using qubit::Qubits;
using qubit::state::CmpntList;

// On a copy of the register, whose positions must hold every marked bit; without
// one, on the smallest Count register that holds every position the text names.
std::expected<CmpntList, OutOfBounds> array_new(const Qubits* qubits, const BinarySprings* springs) {
    static const BinarySprings empty_text;
    const BinarySprings& text = springs ? *springs : empty_text;
    if (!qubits) return CmpntList::from_springs_default(text);
    return CmpntList::from_springs(*qubits, text);
}

}  // namespace

VEMO_CLASS(qubit::state::CmpntList) {
    using namespace state_array;
    using L = CmpntList;
    c.doc("QubitStateArray(qubits=None, springs=None)\n--\n\nA list of computational basis state strings");
    c.init<&array_new>();
    c.len<&array::len<L>>();
    // Bit matrices (words, row count, bit count) and registers alike.
    c.eq<&array::eq<L>>();
    c.def<&L::relabel>("relabel($self, qubits)\n--\n\nRedefine the virtual register on which `self` is based.");
    c.def<&L::standardize>(
        "standardize($self, n_qubit)\n--\n\nPhysically reorder contents so that the qubits on which `self` is based are "
        "a simple count from 0 in the standard register.");
    c.def<&array::same_as<L>>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
    c.def<&array::resize<L>>(
        "resize($self, n)\n--\n\nSet the number of computational basis strings in `self`.\nErases elements if the new "
        "size is less than the current size.");
    c.prop<&L::qubits>("qubits", "Get the qubit space on which this term is based.");
    c.def<&array::append_clear<L>>("append_clear($self)\n--\n\nAppend the all-zero state to the end of `self`.");
    c.def<&array::cmpnt_clear<L>>("cmpnt_clear($self, i)\n--\n\nSet the indexed cmpnt to the all-zero state.");
    c.def<&array::cmpnt_set_bit<L>>("cmpnt_set_bit($self, i_cmpnt, i_qubit, bit)\n--\n\nSet the bit of a single qubit.");
    c.def<&array::cmpnt_get_bit<L>>("cmpnt_get_bit($self, i_cmpnt, i_qubit)\n--\n\nGet the bit of a single qubit.");
    c.def<&array::cmpnt_set_from_list<L>>(
        "cmpnt_set_from_list($self, i, bits)\n--\n\nSet the indexed cmpnt to the given sequence of bools.\nErrors if "
        "length of `bits` is greater than the number of qubits,\nand pads the upper indices with 0 in the case that the "
        "length of `bits` is smaller.");
    c.def<&array::cmpnt_set_from_set<L>>(
        "cmpnt_set_from_set($self, i, bits)\n--\n\nSet the indexed cmpnt to the state whose set bits are the qubit "
        "indices in `bits`.");
    c.def<&array::cmpnt_set_from_spring<L>>(
        "cmpnt_set_from_spring($self, i, src, i_src)\n--\n\nSet the indexed cmpnt with the indexed spring.");
    c.def<&array::cmpnt_get_list<L>>("cmpnt_get_list($self, i)\n--\n\nGet the indexed cmpnt as a list of bits.");
    c.def<&array::cmpnt_get_set<L>>("cmpnt_get_set($self, i)\n--\n\nGet the indexed cmpnt as the set of qubit indices whose bit is set.");
    array::def_copies(c);
    c.def<&cmpnt_pauli_string_imul>(
        "cmpnt_pauli_string_imul($self, index, paulis, i_pauli)\n--\n\nMultiply in-place by a Pauli string and return "
        "the associated ComplexSign phase.");
    c.def<&array::cmpnt_equal<L>>(
        "cmpnt_equal($self, i_lhs, rhs, i_rhs)\n--\n\nReturn whether the two referenced cmpnts are equal.");
    c.def<&array::cmpnt_count<L>>("cmpnt_count($self, i, bit)\n--\n\nGet the number of occurrences of `bit` in the indexed cmpnt.");
    c.def<&array::cmpnt_to_string<L>>(
        "cmpnt_to_string($self, i)\n--\n\nGet the string representation of the indexed cmpnt.");
    array::def_selections(c);
    array::def_mapped(c);
    c.def<&array::to_dense<L, RealVec>>(
        "to_dense_real($self, coeffs, big_endian)\n--\n\nConvert to a real dense vector");
    c.def<&array::to_dense<L, ComplexVec>>(
        "to_dense_complex($self, coeffs, big_endian)\n--\n\nConvert to a complex dense vector");
    c.def<&array::from_dense<L, RealVec>>(
        "from_dense_real($self, map, coeffs, source, big_endian)\n--\n\nConvert from a real dense vector");
    c.def<&array::from_dense<L, ComplexVec>>(
        "from_dense_complex($self, map, coeffs, source, big_endian)\n--\n\nConvert from a complex dense vector");
    c.def<&array::vdot<L, RealVec>>(
        "vdot_real($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the inner product");
    c.def<&array::vdot<L, ComplexVec>>(
        "vdot_complex($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the inner product");
}

}  // namespace vemo::py
