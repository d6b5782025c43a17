// QubitPauliArray: the class's single member list, in the order of its method
// table, and the members that concern the array as a whole (construction from
// a register and a parsed Pauli text, length, equality, identity, register).
#include "core/qubit/pauli_array_new.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py {
namespace {

using qubit::pauli::CmpntList;

uint64_t array_len(const CmpntList& l) { return l.size(); }
// Planes (words, row count, bit count) and registers alike.
bool array_eq(const CmpntList& a, const CmpntList& b) { return a == b; }
bool same_as(const CmpntList& self, const CmpntList& other) { return &self == &other; }

}  // namespace

VEMO_CLASS(qubit::pauli::CmpntList) {
    using namespace pauli_array;
    c.doc("QubitPauliArray(qubits=None, springs=None)\n--\n\nA list of Pauli strings");
    c.init<&qubit::pauli::new_unit_phases>();
    c.len<&array_len>();
    c.eq<&array_eq>();
    c.prop<&CmpntList::qubits>("qubits", "Get the qubit space on which this term is based.");
    c.def_static<&qubit::pauli::new_with_phases>(
        "with_phases(qubits, springs)\n--\n\nGet a new instance and the phases associated with coincidentally-indexed "
        "Paulis in the input springs.");
    c.def<&same_as>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
    c.def_static<&lincomb_mul_real>(
        "lincomb_mul_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
    c.def_static<&lincomb_mul_complex>(
        "lincomb_mul_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
}

}  // namespace vemo::py
