// Python classes Qubits, PauliMatrix and SymplecticPart: the register and the
// single-qubit symbols. None of them can be instantiated by calling the class.
#include <cstdint>
#include <string>
#include <vector>

#include "python/container/copies.hpp"
#include "python/qubit/qubit.hpp"

namespace vemo::py {
namespace {

using qubit::PauliMatrix;
using qubit::Qubits;
using qubit::SymplecticPart;

Qubits from_count(uint64_t n) { return Qubits::from_count(n); }
std::expected<Qubits, qubit::OffsetOverflow> from_offset(uint64_t i, uint64_t n) { return Qubits::from_offset(i, n); }
std::expected<Qubits, qubit::BasisError> from_inds(std::vector<uint64_t> inds) {
    return Qubits::from_inds(std::move(inds));
}
Qubits from_hilbert_space_dim(uint64_t n) {
    if (n == 0) raise(PyExc_ValueError, "Hilbert space dimension must be non-zero");
    return Qubits::from_hilbert_space_dim(n);
}
uint64_t qubits_len(const Qubits& q) { return q.size(); }
bool qubits_eq(const Qubits& a, const Qubits& b) { return a == b; }

// ---- PauliMatrix ----

uint64_t pauli_int(const PauliMatrix& p) { return static_cast<uint64_t>(p); }
std::string pauli_str(const PauliMatrix& p) { return std::string(qubit::to_string(p)); }
bool pauli_eq(const PauliMatrix& a, const PauliMatrix& b) { return a == b; }

void pauli_attrs(PyTypeObject* tp) {
    constexpr PauliMatrix all[] = {PauliMatrix::I, PauliMatrix::X, PauliMatrix::Y, PauliMatrix::Z};
    for (PauliMatrix p : all) set_class_attr(tp, pauli_str(p).c_str(), to_py(p));
    std::vector<PauliMatrix> list(std::begin(all), std::end(all));
    set_class_attr(tp, "ALL", to_py(std::move(list)));
}

// ---- SymplecticPart ----

uint64_t part_int(const SymplecticPart& s) { return static_cast<uint64_t>(s); }
std::string part_str(const SymplecticPart& s) { return std::string(qubit::to_string(s)); }
bool part_eq(const SymplecticPart& a, const SymplecticPart& b) { return a == b; }

void part_attrs(PyTypeObject* tp) {
    set_class_attr(tp, "X", to_py(SymplecticPart::X));
    set_class_attr(tp, "Z", to_py(SymplecticPart::Z));
    set_class_attr(tp, "ALL", to_py(std::vector<SymplecticPart>{SymplecticPart::X, SymplecticPart::Z}));
}


}  // namespace

VEMO_CLASS(qubit::Qubits) {
    c.doc("Python wrapper for Qubits, which can either take the form of a vector of modes\nor simply a number of modes");
    c.def_static<&from_count>("from_count(n)\n--\n\nCreate using the first n modes of the default register.");
    c.def_static<&from_offset>("from_offset(i, n)\n--\n\nCreate using the modes i to i+n of the default register.");
    c.def_static<&from_inds>("from_inds(inds)\n--\n\nCreate using the modes indexed.");
    c.def_static<&from_hilbert_space_dim>(
        "from_hilbert_space_dim(n)\n--\n\nCreate by taking the ceiling of the log2 of the size of the hilbert space");
    c.len<&qubits_len>();
    c.eq<&qubits_eq>();
}

VEMO_CLASS(qubit::PauliMatrix) {
    c.doc("Pauli matrices and the identity");
    c.unary<Py_nb_int, &pauli_int>("__int__");
    c.str<&pauli_str>();
    c.repr<&pauli_str>();
    c.eq<&pauli_eq>();
    add_copies(c);
    c.after_build(&pauli_attrs);
}

VEMO_CLASS(qubit::SymplecticPart) {
    c.doc("Symbols representing the Pauli X and Z\nUsed to identify the X or Z part of the symplectic representation of "
          "Paulis");
    c.unary<Py_nb_int, &part_int>("__int__");
    c.str<&part_str>();
    c.repr<&part_str>();
    c.eq<&part_eq>();
    add_copies(c);
    c.after_build(&part_attrs);
}

}  // namespace vemo::py
