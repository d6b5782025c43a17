// QubitStateArray: reading and writing the bits of single states, bit by bit,
// from lists, sets and the text form. Positions (`i_qubit`) follow the Python
// index rule against the qubit count, like state indices.
#include "python/container/array_common.hpp"
#include "python/qubit/state_array.hpp"

namespace vemo::py::state_array {

void cmpnt_set_bit(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit, bool bit) {
    const uint64_t i = array::index(i_cmpnt, self.size());
    self.set_bit_unchecked(i, array::index(i_qubit, self.n_qubit()), bit);
}

bool cmpnt_get_bit(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit) {
    const uint64_t i = array::index(i_cmpnt, self.size());
    return self.get_bit_unchecked(i, array::index(i_qubit, self.n_qubit()));
}

std::expected<void, OutOfBounds> cmpnt_set_from_list(CmpntList& self, int64_t i, std::vector<bool> bits) {
    return self.bits_mut().assign_vec(array::index(i, self.size()), bits);
}

std::expected<void, OutOfBounds> cmpnt_set_from_set(CmpntList& self, int64_t i, std::set<uint64_t> bits) {
    return self.bits_mut().assign_set(array::index(i, self.size()), bits);
}

// Bits the string does not name keep their values.
std::expected<void, OutOfBounds> cmpnt_set_from_spring(CmpntList& self, int64_t i, const BinarySprings& src,
                                                       uint64_t i_src) {
    return self.set_spring(array::index(i, self.size()), src, i_src);
}

std::vector<bool> cmpnt_get_list(const CmpntList& self, int64_t i) {
    const uint64_t r = array::index(i, self.size());
    std::vector<bool> out(self.n_qubit());
    for (uint64_t q = 0; q < out.size(); ++q) out[q] = self.get_bit_unchecked(r, q);
    return out;
}

std::set<uint64_t> cmpnt_get_set(const CmpntList& self, int64_t i) {
    const auto on = self.bits().row_ref(array::index(i, self.size())).to_set();
    return std::set<uint64_t>(on.begin(), on.end());
}

uint64_t cmpnt_count(const CmpntList& self, int64_t i, bool bit) { return self.count(array::index(i, self.size()), bit); }

}  // namespace vemo::py::state_array
