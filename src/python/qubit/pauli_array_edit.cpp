// QubitPauliArray: reading and writing the Paulis of single strings, position
// by position, from lists, dicts and the text form. Positions (`i_qubit`)
// follow the Python index rule against the qubit count, like string indices.
#include "core/base/bits.hpp"
#include "core/qubit/pauli_elem.hpp"
#include "core/qubit/pauli_word.hpp"
#include "python/container/array_common.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py::pauli_array {

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

}  // namespace vemo::py::pauli_array

namespace vemo::py {
VEMO_METHOD_GLUE(&pauli_array::cmpnt_set_pauli, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_get_pauli, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_set_from_list, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_set_from_dict, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_set_from_spring, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_get_list, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_get_dict, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::cmpnt_count, qubit::pauli::CmpntList);
}  // namespace vemo::py
