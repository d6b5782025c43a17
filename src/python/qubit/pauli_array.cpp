// QubitPauliArray: the class's single member list, in the order of its method
// table, and the members that concern the array as a whole (construction from
// a register and a parsed Pauli text, length, equality, identity, register).
#include "core/qubit/pauli_array_new.hpp"
#include "python/container/array_common.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py {

VEMO_CLASS(qubit::pauli::CmpntList) {
    using namespace pauli_array;
    using L = CmpntList;
    c.doc("QubitPauliArray(qubits=None, springs=None)\n--\n\nA list of Pauli strings");
    c.init<&qubit::pauli::new_unit_phases>();
    c.len<&array::len<L>>();
    // Planes (words, row count, bit count) and registers alike.
    c.eq<&array::eq<L>>();
    c.prop<&CmpntList::qubits>("qubits", "Get the qubit space on which this term is based.");
    c.def<&to_dict>("to_dict($self)\n--\n\n");
    c.def_static<&from_dict>("from_dict(dict)\n--\n\n");
    c.def_static<&qubit::pauli::new_with_phases>(
        "with_phases(qubits, springs)\n--\n\nGet a new instance and the phases associated with coincidentally-indexed "
        "Paulis in the input springs.");
    c.def<&L::relabel>("relabel($self, qubits)\n--\n\nRedefine the virtual register on which `self` is based.");
    c.def<&L::standardize>(
        "standardize($self, n_qubit)\n--\n\nPhysically reorder contents so that the qubits on which `self` is based are "
        "a simple count from 0 in the standard register.");
    c.def<&L::standardized>(
        "standardized($self, n_qubit)\n--\n\nPhysically reorder contents so that the qubits on which `self` is based are "
        "a simple count from 0 in the standard register.");
    c.def<&array::same_as<L>>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
    c.def<&array::resize<L>>(
        "resize($self, n)\n--\n\nSet the number of Pauli strings in `self`.\nErases elements if the new size is less "
        "than the current size.");
    c.def<&array::append_clear<L>>("append_clear($self)\n--\n\nAppend an identity string to the end of `self`");
    c.def<&array::cmpnt_clear<L>>("cmpnt_clear($self, i)\n--\n\nSet the indexed cmpnt to the identity string.");
    c.def<&cmpnt_set_pauli>("cmpnt_set_pauli($self, i_cmpnt, i_qubit, pauli)\n--\n\nSet the Pauli matrix on a single qubit.");
    c.def<&cmpnt_get_pauli>("cmpnt_get_pauli($self, i_cmpnt, i_qubit)\n--\n\nGet the Pauli matrix on a single qubit.");
    c.def<&cmpnt_set_from_list>(
        "cmpnt_set_from_list($self, i, paulis)\n--\n\nSet the indexed cmpnt to the given sequence of pauli matrices.\n"
        "Errors if length of `paulis` is greater than the number of qubits,\nand pads the upper indices with I in the case "
        "that the length of `paulis` is smaller.");
    c.def<&cmpnt_set_from_dict>(
        "cmpnt_set_from_dict($self, i, paulis)\n--\n\nSet the indexed cmpnt with the given dict mapping qubit indices to "
        "pauli matrices.\nAll qubit indices which do not appear in the key set of `paulis` is set to I.");
    c.def<&cmpnt_set_from_spring>(
        "cmpnt_set_from_spring($self, i, src, i_src)\n--\n\nSet the indexed cmpnt with the indexed spring.");
    c.def<&cmpnt_get_list>("cmpnt_get_list($self, i)\n--\n\nGet the indexed cmpnt as a list of pauli matrices.");
    c.def<&cmpnt_get_dict>(
        "cmpnt_get_dict($self, i)\n--\n\nGet the indexed cmpnt as a dict from qubit indices to pauli matrices.");
    array::def_copies(c);
    c.def<&array::cmpnt_equal<L>>(
        "cmpnt_equal($self, i_lhs, rhs, i_rhs)\n--\n\nReturn whether the two referenced cmpnts are equal.");
    c.def<&cmpnt_count>(
        "cmpnt_count($self, i, pauli)\n--\n\nGet the number of occurrences of `pauli` in the indexed cmpnt.");
    c.def<&array::cmpnt_to_string<L>>(
        "cmpnt_to_string($self, i)\n--\n\nGet the string representation of the indexed cmpnt.");
    array::def_selections(c);
    array::def_mapped(c);
    c.def_static<&lincomb_mul_real>(
        "lincomb_mul_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
    c.def_static<&lincomb_mul_complex>(
        "lincomb_mul_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
    c.def<&save_to_file>("save_to_file($self, path)\n--\n\nSave in binary format");
    c.def_static<&load_from_file>("load_from_file(path)\n--\n\nLoad from binary format file");
}

}  // namespace vemo::py
