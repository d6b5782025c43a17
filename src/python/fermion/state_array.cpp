// FermionStateArray: a list of occupation-number basis states, its single
// member list in the order of its method table, single states, dense vectors
// and inner products.
#include <cstdint>
#include <vector>

#include "python/container/array_common.hpp"
#include "python/container/bit_rows_methods.hpp"
#include "python/fermion/arrays.hpp"

namespace vemo::py {
namespace {

using fermion::Modes;
using fermion::state::CmpntList;

std::expected<CmpntList, OutOfBounds> array_new(const Modes* modes, const BinarySprings* springs) {
    const BinarySprings none;
    const BinarySprings& s = springs ? *springs : none;
    if (!modes) return CmpntList::from_springs_default(s);
    return CmpntList::from_springs(*modes, s);
}

}  // namespace

VEMO_CLASS(fermion::state::CmpntList) {
    using L = CmpntList;
    c.doc("FermionStateArray(modes=None, springs=None)\n--\n\n"
          "A list of fermionic occupation-number basis state strings.");
    c.init<&array_new>();
    c.len<&array::len<L>>();
    c.eq<&array::eq<L>>();
    c.prop<&L::modes>("modes", "Get the mode space on which this array is based.");
    c.def<&array::same_as<L>>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
    c.def<&array::resize<L>>(
        "resize($self, n)\n--\n\nSet the number of occupation-number basis strings in `self`.");
    c.def<&array::append_clear<L>>("append_clear($self)\n--\n\nAppend a vacuum state string to the end of `self`.");
    c.def<&array::cmpnt_clear<L>>("cmpnt_clear($self, i)\n--\n\nSet the indexed component to the vacuum state string.");
    c.def<&array::cmpnt_set_bit<L>>(
        "cmpnt_set_bit($self, i_cmpnt, i_mode, bit)\n--\n\nSet the occupation on a single mode.");
    c.def<&array::cmpnt_get_bit<L>>("cmpnt_get_bit($self, i_cmpnt, i_mode)\n--\n\nGet the occupation on a single mode.");
    c.def<&array::cmpnt_set_from_list<L>>("cmpnt_set_from_list($self, i, bits)\n--\n\n"
                                         "Set the indexed component to the given sequence of occupation flags.");
    c.def<&array::cmpnt_set_from_set<L>>("cmpnt_set_from_set($self, i, bits)\n--\n\n"
                                        "Set the indexed component from the set of occupied mode indices.");
    c.def<&array::cmpnt_set_from_spring<L>>("cmpnt_set_from_spring($self, i, src, i_src)\n--\n\n"
                                           "Set the indexed component with the indexed parsed spring.");
    c.def<&array::cmpnt_get_list<L>>(
        "cmpnt_get_list($self, i)\n--\n\nGet the indexed component as a list of occupation flags.");
    c.def<&array::cmpnt_get_set<L>>(
        "cmpnt_get_set($self, i)\n--\n\nGet the indexed component as a set of occupied mode indices.");
    c.def<&array::cmpnt_copy_internal<L>>("cmpnt_copy_internal($self, i_dst, i_src)\n--\n\nCopy a component within `self`.");
    c.def<&array::cmpnt_copy_external<L>>(
        "cmpnt_copy_external($self, i_dst, src, i_src)\n--\n\nCopy a component from another array.");
    c.def<&array::cmpnt_equal<L>>(
        "cmpnt_equal($self, i_lhs, rhs, i_rhs)\n--\n\nReturn whether the two referenced components are equal.");
    c.def<&array::cmpnt_count<L>>(
        "cmpnt_count($self, i, bit)\n--\n\nGet the number of occurrences of `bit` in the indexed component.");
    c.def<&array::cmpnt_to_string<L>>(
        "cmpnt_to_string($self, i)\n--\n\nGet the string representation of the indexed component.");
    c.def<&array::cmpnts_clone<L>>("cmpnts_clone($self, indices)\n--\n\nClone selected components into a new array.");
    c.def<&array::cmpnts_eq<L>>(
        "cmpnts_eq($self, indices, other, other_indices)\n--\n\nDetermine equality of two slices.");
    c.def<&array::refresh_map<L>>(
        "refresh_map($self, map)\n--\n\nClear and repopulate the map to reflect the current contents of `self`.");
    c.def<&array::mapped_insert<L>>(
        "mapped_insert($self, map, other, index)\n--\n\nInsert into `self` using the map to ensure uniqueness.");
    c.def<&array::mapped_lookup<L>>("mapped_lookup($self, map, other, index)\n--\n\n"
                                   "Find the index in `self` corresponding to the component indexed in `other`.");
    c.def<&array::mapped_remove<L>>("mapped_remove($self, map, other, index)\n--\n\n"
                                   "Remove the component indexed in `other` from `self`, if present.");
    c.def<&array::mapped_equal<L>>("mapped_equal($self, map, other)\n--\n\n"
                                  "Determine equality of `self` with another, ignoring order of contents.");
    c.def<&array::to_dense<L, RealVec>>(
        "to_dense_real($self, coeffs, big_endian)\n--\n\nConvert to a real dense vector.");
    c.def<&array::to_dense<L, ComplexVec>>(
        "to_dense_complex($self, coeffs, big_endian)\n--\n\nConvert to a complex dense vector.");
    c.def<&array::from_dense<L, RealVec>>(
        "from_dense_real($self, map, coeffs, source, big_endian)\n--\n\nConvert from a real dense vector.");
    c.def<&array::from_dense<L, ComplexVec>>(
        "from_dense_complex($self, map, coeffs, source, big_endian)\n--\n\nConvert from a complex dense vector.");
    c.def<&array::vdot<L, RealVec>>(
        "vdot_real($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the real inner product.");
    c.def<&array::vdot<L, ComplexVec>>(
        "vdot_complex($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the complex inner product.");
}

}  // namespace vemo::py
