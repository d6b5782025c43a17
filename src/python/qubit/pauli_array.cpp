// QubitPauliArray as a whole: construction from a register and a parsed Pauli
// text, length, equality, identity and the register attribute.
#include <tuple>
#include <utility>

#include "core/qubit/pauli_list_from_text.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py {
namespace {

using qubit::Qubits;
using qubit::pauli::CmpntList;
using qubit::pauli::Springs;

std::expected<CmpntList, ParseError> array_new(const Qubits* qubits, const Springs* springs) {
    return qubit::pauli::new_unit_phases(qubits, springs);
}

// A required argument that may be None, checked as a T otherwise.
template <Bound T>
Instance<T>* none_or(PyObject* o, const char* param) {
    if (o == Py_None) return nullptr;
    auto* inst = instance_cast<T>(o);
    if (!inst) raise_cast_error(o, param, PyClass<T>::name);
    return inst;
}

std::tuple<CmpntList, ComplexSignVec> with_phases(PyObject* qubits, PyObject* springs) {
    // Checked in parameter order before anything is borrowed.
    auto* q = none_or<Qubits>(qubits, "qubits");
    auto* s = none_or<Springs>(springs, "springs");
    std::optional<SharedBorrow<Qubits>> gq;
    std::optional<SharedBorrow<Springs>> gs;
    if (q) gq.emplace(q);
    if (s) gs.emplace(s);
    auto r = to_py_result(qubit::pauli::new_with_phases(q ? &q->value : nullptr, s ? &s->value : nullptr));
    return {std::move(r.first), std::move(r.second)};
}

uint64_t array_len(const CmpntList& l) { return l.size(); }
// Planes (words, row count, bit count) and registers alike.
bool array_eq(const CmpntList& a, const CmpntList& b) { return a == b; }
bool same_as(const CmpntList& self, const CmpntList& other) { return &self == &other; }

// The read-only attribute `qubits`: a new register object on every read.
PyObject* get_qubits(PyObject* self, void*) {
    return guarded<PyObject*>(nullptr, [&] {
        auto* inst = instance_cast<CmpntList>(self);
        if (!inst) raise(PyExc_TypeError, "descriptor 'qubits' needs a 'QubitPauliArray' object");
        SharedBorrow<CmpntList> g(inst);
        return new_instance<Qubits>(g.get().qubits()).release();
    });
}

PyGetSetDef getset[] = {
    {"qubits", &get_qubits, nullptr, "Get the qubit space on which this term is based.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

VEMO_CLASS_BLOCK(qubit::pauli::CmpntList, 0) {
    c.doc("QubitPauliArray(qubits=None, springs=None)\n--\n\nA list of Pauli strings");
    c.init<&array_new>();
    c.len<&array_len>();
    c.eq<&array_eq>();
    c.slot(Py_tp_getset, getset);
}

VEMO_CLASS_BLOCK(qubit::pauli::CmpntList, 30) {
    c.def_static<&with_phases>(
        "with_phases(qubits, springs)\n--\n\nGet a new instance and the phases associated with coincidentally-indexed "
        "Paulis in the input springs.");
}

VEMO_CLASS_BLOCK(qubit::pauli::CmpntList, 70) {
    c.def<&same_as>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
}

}  // namespace vemo::py
