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

using qubit::pauli::CanonicalError;
using qubit::pauli::ImulRecord;
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

// The two docstrings, each shared by the Sign and ComplexSign methods.
#define CANONICALIZE_DOC                                                                                              \
    "In place canonicalization with respect to a given ordering of the binary entries in the symplectic form\n"       \
    "`mode_order` the order of binary entries to try reducing to at most one non-zero entry\n"                        \
    "`to_solve` the subset of the components to canonicalise over (e.g. if some partial canonicalization has "       \
    "already been done, skip those components)\n"                                                                      \
    "`additional_reduces` components outside of `to_solve` to include in the reduction step (e.g. if some partial "   \
    "canonicalization has already been done, reduce the components that already have leading entries)\n"             \
    "Errors if any of the qubit or component indices provided are out of bounds\n"                                    \
    "Returns the sequence of imul operations as pairs (lhs_written, rhs_read)"
#define CANONICALIZE_ALL_DOC                                                                                          \
    "In place canonicalization of the entire QubitPauliArray with respect to solving X parts first (in qubit order), " \
    "then Z parts\nReturns the sequence of imul operations as pairs (lhs_written, rhs_read)"

}  // namespace

void define_canonical(Def& c) {
    c.def<&canonicalize<SignVec>>(
        "canonicalize_sign($self, coeffs, mode_order, to_solve, additional_reduces)\n--\n\n" CANONICALIZE_DOC);
    c.def<&canonicalize<ComplexSignVec>>(
        "canonicalize_complex_sign($self, coeffs, mode_order, to_solve, additional_reduces)\n--\n\n" CANONICALIZE_DOC);
    c.def<&qubit::pauli::canonicalize_all<SignVec>>("canonicalize_all_sign($self, coeffs)\n--\n\n" CANONICALIZE_ALL_DOC);
    c.def<&qubit::pauli::canonicalize_all<ComplexSignVec>>("canonicalize_all_complex_sign($self, coeffs)\n--\n\n" CANONICALIZE_ALL_DOC);
}

}  // namespace pauli_array
}  // namespace vemo::py

