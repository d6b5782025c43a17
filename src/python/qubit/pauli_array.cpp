// QubitPauliArray: the class's single member list, in the order of its method
// table, and the members that concern the array as a whole (construction from
// a register and a parsed Pauli text, length, equality, identity, register).
#include "core/qubit/pauli_list_from_text.hpp"
#include "python/container/array_common.hpp"
#include "python/qubit/op_errors.hpp"
#include "python/qubit/pauli_array.hpp"
#include "python/qubit/state_array.hpp"

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
    c.section<&define_dict_form>();
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
    c.section<&define_editing>();
    array::def_copies(c);
    c.def<&array::cmpnt_equal<L>>(
        "cmpnt_equal($self, i_lhs, rhs, i_rhs)\n--\n\nReturn whether the two referenced cmpnts are equal.");
    c.section<&define_products>();
    c.section<&define_count>();
    c.def<&array::cmpnt_to_string<L>>(
        "cmpnt_to_string($self, i)\n--\n\nGet the string representation of the indexed cmpnt.");
    c.section<&define_cmpnt_sparse>();
    array::def_selections(c);
    c.section<&define_compatibility>();
    array::def_mapped(c);
    c.section<&define_lincomb_products>();
    c.section<&define_lincomb_sparse>();
    c.section<&define_projections>();
    c.section<&define_sorting>();
    c.section<&define_state_action>();
    c.section<&define_clifford>();
    c.section<&define_canonical>();
    c.section<&define_binary_file>();
}

}  // namespace vemo::py
