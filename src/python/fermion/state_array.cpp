// FermionStateArray: a list of occupation-number basis states, its single
// member list in the order of its method table, single states, dense vectors
// and inner products.
#include <cstdint>
#include <set>
#include <vector>

#include "core/fermion/state_dense.hpp"
#include "core/utils/vdot.hpp"
#include "python/fermion/arrays.hpp"

namespace vemo::py {
namespace {

using fermion::Modes;
using fermion::state::CmpntList;
namespace dense = fermion::state::lincomb;

std::expected<CmpntList, OutOfBounds> array_new(const Modes* modes, const BinarySprings* springs) {
    const BinarySprings none;
    const BinarySprings& s = springs ? *springs : none;
    if (!modes) return CmpntList::from_springs_default(s);
    return CmpntList::from_springs(*modes, s);
}

uint64_t array_len(const CmpntList& l) { return l.size(); }
bool array_eq(const CmpntList& a, const CmpntList& b) { return a == b; }
bool same_as(const CmpntList& self, const CmpntList& other) { return &self == &other; }
void append_clear(CmpntList& self) { self.resize(self.size() + 1); }

uint64_t index_of(const CmpntList& self, int64_t i) { return to_py_result(try_py_index(i, self.size())); }
uint64_t mode_of(const CmpntList& self, int64_t m) { return to_py_result(try_py_index(m, self.n_modes())); }

void cmpnt_clear(CmpntList& self, int64_t i) { self.bits_mut().clear_row(index_of(self, i)); }
void cmpnt_set_bit(CmpntList& self, int64_t i_cmpnt, int64_t i_mode, bool bit) {
    const uint64_t i = index_of(self, i_cmpnt);
    self.bits_mut().set_bit_unchecked(i, mode_of(self, i_mode), bit);
}
bool cmpnt_get_bit(const CmpntList& self, int64_t i_cmpnt, int64_t i_mode) {
    const uint64_t i = index_of(self, i_cmpnt);
    return self.bits().get_bit_unchecked(i, mode_of(self, i_mode));
}
std::expected<void, OutOfBounds> cmpnt_set_from_list(CmpntList& self, int64_t i, std::vector<bool> bits) {
    return self.bits_mut().assign_vec(index_of(self, i), bits);
}
std::expected<void, OutOfBounds> cmpnt_set_from_set(CmpntList& self, int64_t i, std::set<uint64_t> bits) {
    return self.bits_mut().assign_set(index_of(self, i), bits);
}
std::expected<void, OutOfBounds> cmpnt_set_from_spring(CmpntList& self, int64_t i, const BinarySprings& src,
                                                       uint64_t i_src) {
    return self.or_spring(index_of(self, i), src, i_src);
}
std::vector<bool> cmpnt_get_list(const CmpntList& self, int64_t i) {
    const uint64_t k = index_of(self, i);
    std::vector<bool> out(self.n_modes());
    for (uint64_t m = 0; m < out.size(); ++m) out[m] = self.bits().get_bit_unchecked(k, m);
    return out;
}
std::set<uint64_t> cmpnt_get_set(const CmpntList& self, int64_t i) {
    const auto v = self.bits().row_ref(index_of(self, i)).to_set();
    return {v.begin(), v.end()};
}
uint64_t cmpnt_count(const CmpntList& self, int64_t i, bool bit) { return self.count(index_of(self, i), bit); }
std::string cmpnt_to_string(const CmpntList& self, int64_t i) { return self.fmt_elem(index_of(self, i)); }

template <class C>
std::expected<std::vector<typename C::Scalar>, OutOfBounds> to_dense(const CmpntList& self, const C& coeffs,
                                                                     bool big_endian) {
    return dense::to_dense<C>({self, coeffs}, big_endian);
}
template <class C>
void from_dense(CmpntList& self, Map& map, C& coeffs, std::vector<typename C::Scalar> source, bool big_endian) {
    dense::assign_from_dense<C>({self, map, coeffs}, source, big_endian);
}
template <class C>
typename C::Scalar vdot_of(const CmpntList& self, const Map& map, const C& coeffs, const CmpntList& rhs_cmpnts,
                           const C& rhs_coeffs) {
    return vdot(self, map, coeffs, rhs_cmpnts, rhs_coeffs);
}

}  // namespace

VEMO_CLASS(fermion::state::CmpntList) {
    c.doc("FermionStateArray(modes=None, springs=None)\n--\n\n"
          "A list of fermionic occupation-number basis state strings.");
    c.init<&array_new>();
    c.len<&array_len>();
    c.eq<&array_eq>();
    c.prop<&CmpntList::modes>("modes", "Get the mode space on which this array is based.");
    c.def<&same_as>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
    c.def<&CmpntList::resize>(
        "resize($self, n)\n--\n\nSet the number of occupation-number basis strings in `self`.");
    c.def<&append_clear>("append_clear($self)\n--\n\nAppend a vacuum state string to the end of `self`.");
    c.def<&cmpnt_clear>("cmpnt_clear($self, i)\n--\n\nSet the indexed component to the vacuum state string.");
    c.def<&cmpnt_set_bit>("cmpnt_set_bit($self, i_cmpnt, i_mode, bit)\n--\n\nSet the occupation on a single mode.");
    c.def<&cmpnt_get_bit>("cmpnt_get_bit($self, i_cmpnt, i_mode)\n--\n\nGet the occupation on a single mode.");
    c.def<&cmpnt_set_from_list>("cmpnt_set_from_list($self, i, bits)\n--\n\n"
                                "Set the indexed component to the given sequence of occupation flags.");
    c.def<&cmpnt_set_from_set>("cmpnt_set_from_set($self, i, bits)\n--\n\n"
                               "Set the indexed component from the set of occupied mode indices.");
    c.def<&cmpnt_set_from_spring>("cmpnt_set_from_spring($self, i, src, i_src)\n--\n\n"
                                  "Set the indexed component with the indexed parsed spring.");
    c.def<&cmpnt_get_list>(
        "cmpnt_get_list($self, i)\n--\n\nGet the indexed component as a list of occupation flags.");
    c.def<&cmpnt_get_set>(
        "cmpnt_get_set($self, i)\n--\n\nGet the indexed component as a set of occupied mode indices.");
    c.def<&cmpnt_count>(
        "cmpnt_count($self, i, bit)\n--\n\nGet the number of occurrences of `bit` in the indexed component.");
    c.def<&cmpnt_to_string>(
        "cmpnt_to_string($self, i)\n--\n\nGet the string representation of the indexed component.");
    c.def<&to_dense<RealVec>>("to_dense_real($self, coeffs, big_endian)\n--\n\nConvert to a real dense vector.");
    c.def<&to_dense<ComplexVec>>(
        "to_dense_complex($self, coeffs, big_endian)\n--\n\nConvert to a complex dense vector.");
    c.def<&from_dense<RealVec>>(
        "from_dense_real($self, map, coeffs, source, big_endian)\n--\n\nConvert from a real dense vector.");
    c.def<&from_dense<ComplexVec>>(
        "from_dense_complex($self, map, coeffs, source, big_endian)\n--\n\nConvert from a complex dense vector.");
    c.def<&vdot_of<RealVec>>(
        "vdot_real($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the real inner product.");
    c.def<&vdot_of<ComplexVec>>(
        "vdot_complex($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the complex inner product.");
}

}  // namespace vemo::py
