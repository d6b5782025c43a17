// The Python class QubitPauliArray: a Pauli-string list on one register.
//
// Its single member list (the order of the class's method table) is in
// pauli_array.cpp; larger groups of methods live in section files, each of
// which binds its own methods where the list names its section.
#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "core/qubit/canonical.hpp"
#include "core/qubit/mat_elem.hpp"
#include "core/qubit/pauli_array_algebra.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/sparse.hpp"
#include "python/frame/numpy.hpp"
#include "python/utils/scipy_sparse.hpp"
#include "core/qubit/state.hpp"
#include "python/cmpnt/errors.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/qubit.hpp"
#include "python/utils/file_errors.hpp"

VEMO_PY_CLASS(vemo::qubit::pauli::CmpntList, "QubitPauliArray");

namespace vemo::py {

template <>
struct ErrorToException<qubit::pauli::PairwiseMulError> {
    static PyObject* type(const qubit::pauli::PairwiseMulError&) { return PyExc_ValueError; }
};
template <>
struct ErrorToException<qubit::pauli::CanonicalError> {
    static PyObject* type(const qubit::pauli::CanonicalError& e) {
        return std::holds_alternative<OutOfBounds>(e.v) ? PyExc_IndexError : PyExc_ValueError;
    }
};

// One mode-order item as given: a 2-tuple (qubit position, SymplecticPart),
// the position still subject to the Python index rule.
struct PyModeEntry {
    int64_t qubit = 0;
    qubit::SymplecticPart part = qubit::SymplecticPart::X;
};
template <>
struct FromPy<PyModeEntry> {
    static PyModeEntry convert(PyObject* o);
};

}  // namespace vemo::py

// The sections of the class's member list, each defined in the file named with
// the methods it binds, in the order the list calls them.
namespace vemo::py::pauli_array {

using qubit::pauli::CmpntList;
using Def = ClassDef<CmpntList>;

void define_dict_form(Def& c);         // to_dict, from_dict (pauli_array_file.cpp)
void define_editing(Def& c);           // cmpnt_set_pauli ... cmpnt_get_dict (pauli_array_edit.cpp)
void define_products(Def& c);          // cmpnt_mul ... cmpnt_commutes_with (pauli_array_algebra.cpp)
void define_count(Def& c);             // cmpnt_count (pauli_array_edit.cpp)
void define_cmpnt_sparse(Def& c);      // cmpnt_to_sparse_matrix (pauli_array_sparse.cpp)
void define_compatibility(Def& c);     // compatibility_matrix, centralizer_and_remainder (pauli_array_algebra.cpp)
void define_lincomb_products(Def& c);  // lincomb_mul_* (pauli_array_lincomb.cpp)
void define_lincomb_sparse(Def& c);    // lincomb_to_sparse_* (pauli_array_sparse.cpp)
void define_projections(Def& c);       // lincomb_project_into_* (pauli_array_states.cpp)
void define_sorting(Def& c);           // lexicographic_sort* (pauli_array_sort.cpp)
void define_state_action(Def& c);      // apply_to_state_*, mat_elem_* (pauli_array_states.cpp)
void define_clifford(Def& c);          // conj_clifford_list (pauli_array_algebra.cpp)
void define_canonical(Def& c);         // canonicalize_* (pauli_array_canonical.cpp)
void define_binary_file(Def& c);       // save_to_file, load_from_file (pauli_array_file.cpp)

}  // namespace vemo::py::pauli_array
