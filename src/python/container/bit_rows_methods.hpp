// The methods of a basis-state list (a list of bit rows on a space,
// BitRowList), written once for every such class: positions bit by bit, rows
// from flag lists, index sets and the text form, rows as flag lists and index
// sets, bit counts; and the list with its coefficients as a state vector:
// dense vectors both ways and inner products. Positions follow the Python
// index rule against the row length, like row indices.
#pragma once

#include <cstdint>
#include <expected>
#include <set>
#include <span>
#include <variant>
#include <vector>

#include "core/cmpnt/state_springs.hpp"
#include "core/base/errors.hpp"
#include "core/container/bit_rows_dense.hpp"
#include "core/container/vdot.hpp"
#include "python/container/array_common.hpp"
#include "python/container/coeffs/classes.hpp"

namespace vemo::py::array {

template <class L>
void cmpnt_set_bit(L& self, int64_t i_cmpnt, int64_t i_pos, bool bit) {
    const uint64_t i = py_index(i_cmpnt, self.size());
    self.bits_mut().set_bit_unchecked(i, py_index(i_pos, self.bits().n_bits()), bit);
}

template <class L>
bool cmpnt_get_bit(const L& self, int64_t i_cmpnt, int64_t i_pos) {
    const uint64_t i = py_index(i_cmpnt, self.size());
    return self.bits().get_bit_unchecked(i, py_index(i_pos, self.bits().n_bits()));
}

template <class L>
std::expected<void, OutOfBounds> cmpnt_set_from_list(L& self, int64_t i, std::vector<bool> bits) {
    return self.bits_mut().assign_vec(py_index(i, self.size()), bits);
}

template <class L>
std::expected<void, OutOfBounds> cmpnt_set_from_set(L& self, int64_t i, std::set<uint64_t> bits) {
    return self.bits_mut().assign_set(py_index(i, self.size()), bits);
}

// Bits the string does not name keep their values.
template <class L>
std::expected<void, OutOfBounds> cmpnt_set_from_spring(L& self, int64_t i, const BinarySprings& src, uint64_t i_src) {
    return vemo::set_spring(self, py_index(i, self.size()), src, i_src);
}

template <class L>
std::vector<bool> cmpnt_get_list(const L& self, int64_t i) {
    const uint64_t r = py_index(i, self.size());
    std::vector<bool> out(self.bits().n_bits());
    for (uint64_t q = 0; q < out.size(); ++q) out[q] = self.bits().get_bit_unchecked(r, q);
    return out;
}

template <class L>
std::set<uint64_t> cmpnt_get_set(const L& self, int64_t i) {
    const auto on = self.bits().row_ref(py_index(i, self.size())).to_set();
    return std::set<uint64_t>(on.begin(), on.end());
}

template <class L>
uint64_t cmpnt_count(const L& self, int64_t i, bool bit) {
    return self.count(py_index(i, self.size()), bit);
}

// ---- the list with its coefficients as a state vector ----

template <DenseStates L, FieldVec C>
std::expected<std::vector<typename C::Scalar>, DenseError> to_dense(const L& self, const C& coeffs, bool big_endian) {
    return bit_rows::to_dense(TermsView<L, C>{self, coeffs}, big_endian);
}

// Replaces the list, its map and its coefficients.
template <DenseStates L, FieldVec C>
std::expected<void, OutOfBounds> from_dense(L& self, Map& map, C& coeffs, std::vector<typename C::Scalar> source,
                                            bool big_endian) {
    return bit_rows::assign_from_dense(TermSetMutView<L, C>{self, map, coeffs},
                                       std::span<const typename C::Scalar>(source), big_endian);
}

// <self|rhs>, self found through its map.
template <DenseStates L, FieldVec C>
std::expected<typename C::Scalar, ShortCoeffs> vdot(const L& self, const Map& map, const C& coeffs,
                                                    const L& rhs_cmpnts, const C& rhs_coeffs) {
    return vemo::vdot(self, map, coeffs, rhs_cmpnts, rhs_coeffs);
}

}  // namespace vemo::py::array
