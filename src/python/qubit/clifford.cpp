// Python classes CliffordGate (the gate kinds) and CliffordGateList.
#include <cstdint>
#include <optional>
#include <string>

#include "python/container/copies.hpp"
#include "python/qubit/qubit.hpp"

namespace vemo::py {
namespace {

using qubit::clifford::CliffordGateList;
using qubit::clifford::Gate;
using qubit::clifford::GateKind;

// ---- CliffordGate ----

uint64_t kind_int(const GateKind& k) { return static_cast<uint64_t>(k); }
std::string kind_str(const GateKind& k) {
    std::string s = "CliffordGate.";
    s += qubit::clifford::gate_kind_name(k);
    return s;
}

void kind_attrs(PyTypeObject* tp) {
    for (GateKind k : {GateKind::H, GateKind::S, GateKind::CX})
        set_class_attr(tp, qubit::clifford::gate_kind_name(k), to_py(k));
}

// ---- CliffordGateList ----

CliffordGateList list_new() { return {}; }

uint64_t list_len(const CliffordGateList& l) { return l.size(); }

// A non-negative 64-bit integer, or nothing (the conversion error is discarded).
std::optional<uint64_t> position_of(PyObject* o) {
    try {
        return FromPy<uint64_t>::convert(o);
    } catch (const PyError&) {
    } catch (const ErrorAlreadySet&) {
        PyErr_Clear();
    }
    return std::nullopt;
}

// The item as (kind, i) or (kind, i, j): a tuple of a CliffordGate and positions.
struct GateItem {
    GateKind kind;
    uint64_t i = 0;
    std::optional<uint64_t> j;
};
std::optional<GateItem> read_item(PyObject* item, Py_ssize_t arity) {
    if (!PyTuple_Check(item) || PyTuple_Size(item) != arity) return std::nullopt;
    const GateKind* kind = try_cast<GateKind>(PyTuple_GetItem(item, 0));
    if (!kind) return std::nullopt;
    GateItem g{*kind};
    auto i = position_of(PyTuple_GetItem(item, 1));
    if (!i) return std::nullopt;
    g.i = *i;
    if (arity == 3) {
        g.j = position_of(PyTuple_GetItem(item, 2));
        if (!g.j) return std::nullopt;
    }
    return g;
}

CliffordGateList from_iterable(PyObject* iterable) {
    CliffordGateList out;
    Obj it = check(PyObject_GetIter(iterable));
    while (PyObject* raw = PyIter_Next(it.get())) {
        Obj item = Obj::steal(raw);
        if (auto g = read_item(raw, 2)) {
            switch (g->kind) {
                case GateKind::H: out.push_h(g->i); break;
                case GateKind::S: out.push_s(g->i); break;
                case GateKind::CX:
                    raise(PyExc_ValueError, "CX gate requires two qubit indices (control, target), only one given.");
            }
        } else if (auto g3 = read_item(raw, 3)) {
            switch (g3->kind) {
                case GateKind::H: raise(PyExc_ValueError, "H gate requires only one qubit index, two given.");
                case GateKind::S: raise(PyExc_ValueError, "S gate requires only one qubit index, two given.");
                case GateKind::CX: to_py_result(out.push_cx(g3->i, *g3->j)); break;
            }
        } else {
            raise(PyExc_ValueError, "Iterator item cannot be interpreted as a Clifford gate.");
        }
    }
    if (PyErr_Occurred()) throw ErrorAlreadySet{};
    return out;
}

}  // namespace

VEMO_CLASS(qubit::clifford::GateKind) {
    c.doc("Kinds of Clifford gate");
    c.unary<Py_nb_int, &kind_int>("__int__");
    c.str<&kind_str>();
    c.repr<&kind_str>();
    c.after_build(&kind_attrs);
}

VEMO_CLASS(qubit::clifford::CliffordGateList) {
    c.doc("CliffordGateList()\n--\n\nA python wrapper for a list of Clifford gates");
    c.init<&list_new>();
    c.def<&CliffordGateList::push_h>(
        "push_h($self, i_qubit)\n--\n\nPush a Hadamard gate to the end of this vector of Clifford gates.");
    c.def<&CliffordGateList::push_s>(
        "push_s($self, i_qubit)\n--\n\nPush a phase gate to the end of this vector of Clifford gates.");
    c.def<&CliffordGateList::push_cx>(
        "push_cx($self, i_control, i_target)\n--\n\nPush a CNOT gate to the end of this vector of Clifford gates.");
    c.def<&CliffordGateList::pop>("pop($self)\n--\n\nRemove the last-pushed gate if this vector is non-empty.");
    c.def_static<&from_iterable>(
        "from_iterable(iterable)\n--\n\nCreate a new list of Clifford gates from an iterator over tuples e.g.\n"
        "`(S, 0), (H, 1), (CX, 3, 2), (S, 1)`");
    c.len<&list_len>();
    c.str<&CliffordGateList::to_string>();
    c.repr<&CliffordGateList::to_string>();
    add_copies(c);
}

}  // namespace vemo::py
