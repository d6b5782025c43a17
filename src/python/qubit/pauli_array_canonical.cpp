// QubitPauliArray canonicalisation: in-place GF(2) elimination of Pauli terms
// with Sign or ComplexSign coefficients, returning the products done.
#include <cstdint>
#include <string>
#include <vector>

#include "core/qubit/canonical.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py {

PyModeEntry FromPy<PyModeEntry>::convert(PyObject* o) {
    if (!PyTuple_Check(o)) raise(PyExc_TypeError, "'" + type_name(o) + "' object cannot be converted to 'PyTuple'");
    const Py_ssize_t n = PyTuple_Size(o);
    if (n != 2) raise(PyExc_ValueError, "expected tuple of length 2, but got tuple of length " + std::to_string(n));
    const int64_t q = FromPy<int64_t>::convert(PyTuple_GetItem(o, 0));
    PyObject* p = PyTuple_GetItem(o, 1);
    const qubit::SymplecticPart* part = try_cast<qubit::SymplecticPart>(p);
    if (!part) raise(PyExc_TypeError, "'" + type_name(p) + "' object cannot be converted to 'SymplecticPart'");
    return {q, *part};
}

namespace pauli_array {
namespace {

using qubit::pauli::ModeEntry;

// Qubit positions by the Python index rule against the array's qubit count.
std::vector<ModeEntry> parse_mode_order(const CmpntList& self, const std::vector<PyModeEntry>& mode_order) {
    std::vector<ModeEntry> out;
    out.reserve(mode_order.size());
    for (const PyModeEntry& e : mode_order) out.push_back({py_index(e.qubit, self.n_qubit()), e.part});
    return out;
}

template <class C>
std::expected<ImulRecord, CanonicalError> canonicalize(CmpntList& self, C& coeffs,
                                                       const std::vector<PyModeEntry>& mode_order,
                                                       const std::vector<uint64_t>& to_solve,
                                                       const std::vector<uint64_t>& additional_reduces) {
    return qubit::pauli::canonicalize(self, coeffs, parse_mode_order(self, mode_order), to_solve, additional_reduces);
}

}  // namespace

std::expected<ImulRecord, CanonicalError> canonicalize_sign(CmpntList& self, SignVec& coeffs,
                                                            std::vector<PyModeEntry> mode_order,
                                                            std::vector<uint64_t> to_solve,
                                                            std::vector<uint64_t> additional_reduces) {
    return canonicalize(self, coeffs, mode_order, to_solve, additional_reduces);
}
std::expected<ImulRecord, CanonicalError> canonicalize_complex_sign(CmpntList& self, ComplexSignVec& coeffs,
                                                                    std::vector<PyModeEntry> mode_order,
                                                                    std::vector<uint64_t> to_solve,
                                                                    std::vector<uint64_t> additional_reduces) {
    return canonicalize(self, coeffs, mode_order, to_solve, additional_reduces);
}
std::expected<ImulRecord, CanonicalError> canonicalize_all_sign(CmpntList& self, SignVec& coeffs) {
    return qubit::pauli::canonicalize_all(self, coeffs);
}
std::expected<ImulRecord, CanonicalError> canonicalize_all_complex_sign(CmpntList& self, ComplexSignVec& coeffs) {
    return qubit::pauli::canonicalize_all(self, coeffs);
}

}  // namespace pauli_array
}  // namespace vemo::py

namespace vemo::py {
VEMO_METHOD_GLUE(&pauli_array::canonicalize_sign, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::canonicalize_complex_sign, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::canonicalize_all_sign, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::canonicalize_all_complex_sign, qubit::pauli::CmpntList);
}  // namespace vemo::py
