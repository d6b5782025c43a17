// QubitPauliArray: reading and writing the Paulis of single strings, position
// by position, from lists, dicts and the text form. Positions (`i_qubit`)
// follow the Python index rule against the qubit count, like string indices.
#include "core/base/bits.hpp"
#include "core/qubit/pauli_elem.hpp"
#include "core/qubit/pauli_word.hpp"
#include "python/container/array_common.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py::pauli_array {
namespace {

using qubit::PauliMatrix;

std::expected<void, OutOfBounds> cmpnt_set_pauli(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit, PauliMatrix pauli) {
    const uint64_t i = py_index(i_cmpnt, self.size());
    return qubit::pauli::set_pauli(self, i, py_index(i_qubit, self.n_qubit()), pauli);
}

PauliMatrix cmpnt_get_pauli(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit) {
    const uint64_t i = py_index(i_cmpnt, self.size());
    return self.get_pauli_unchecked(i, py_index(i_qubit, self.n_qubit()));
}

std::expected<void, OutOfBounds> cmpnt_set_from_list(CmpntList& self, int64_t i, std::vector<PauliMatrix> paulis) {
    return qubit::pauli::assign_vec(self, py_index(i, self.size()), paulis);
}

std::expected<void, OutOfBounds> cmpnt_set_from_dict(CmpntList& self, int64_t i, std::map<uint64_t, PauliMatrix> paulis) {
    return qubit::pauli::assign_map(self, py_index(i, self.size()), paulis);
}

std::expected<ComplexSign, ParseError> cmpnt_set_from_spring(CmpntList& self, int64_t i, const qubit::pauli::Springs& src,
                                                             uint64_t i_src) {
    return qubit::pauli::set_spring(self, py_index(i, self.size()), src, i_src);
}

std::vector<PauliMatrix> cmpnt_get_list(const CmpntList& self, int64_t i) {
    return qubit::pauli::get_pauli_vec(self, py_index(i, self.size()));
}

std::map<uint64_t, PauliMatrix> cmpnt_get_dict(const CmpntList& self, int64_t i) {
    const auto w = self.words(py_index(i, self.size()));
    std::map<uint64_t, PauliMatrix> out;
    for (size_t k = 0; k < w.x.size(); ++k)
        for_each_set_bit(w.x[k] | w.z[k], [&](uint64_t b) {
            const uint64_t q = k * 64 + b;
            out.emplace_hint(out.end(), q, qubit::pauli::encoding::get_qubit(w.x, w.z, q));
        });
    return out;
}

uint64_t cmpnt_count(const CmpntList& self, int64_t i, PauliMatrix pauli) {
    return self.count(py_index(i, self.size()), pauli);
}

}  // namespace

void define_editing(Def& c) {
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
}

void define_count(Def& c) {
    c.def<&cmpnt_count>(
        "cmpnt_count($self, i, pauli)\n--\n\nGet the number of occurrences of `pauli` in the indexed cmpnt.");
}

}  // namespace vemo::py::pauli_array

