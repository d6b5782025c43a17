// Python classes PauliSprings (a one-part Pauli text) and ManyPartPauliSprings.
#include <cstdint>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "python/qubit/qubit.hpp"

namespace vemo::py {
namespace {

using qubit::pauli::ManyPartSprings;
using qubit::pauli::Springs;

// The parts of the text `s` (None reads as the empty text).
std::vector<Springs> parse_parts(PyObject* s) {
    std::string text;
    if (s != Py_None) text = with_argument_name("s", [&] { return FromPy<std::string>::convert(s); });
    auto parts = all_parts_from_str<Springs>(text);
    if (!parts) raise(PyExc_ValueError, parts.error().message());
    return std::move(*parts);
}

Springs springs_new(PyObject* s) {
    auto parts = parse_parts(s);
    if (parts.size() != 1) raise(PyExc_ValueError, "Springs object does not have exactly one part");
    return std::move(parts.front());
}
uint64_t springs_len(const Springs& s) { return s.n_strings(); }
std::string springs_str(const Springs& s) { return s.to_string(); }
std::string springs_repr(const Springs& s) { return s.to_string(); }
// Full width: a largest position of 65535 gives 65536.
uint64_t default_n_qubit(const Springs& s) { return s.default_n_qubit(); }
Springs springs_copy(const Springs& s) { return s; }
Springs springs_deepcopy(const Springs& s, PyObject*) { return s; }

ManyPartSprings many_new(PyObject* s) { return ManyPartSprings{parse_parts(s)}; }
uint64_t many_len(const ManyPartSprings& m) { return m.len(); }
std::string many_str(const ManyPartSprings& m) { return m.to_string(); }
ManyPartSprings many_copy(const ManyPartSprings& m) { return m; }
ManyPartSprings many_deepcopy(const ManyPartSprings& m, PyObject*) { return m; }

}  // namespace

VEMO_CLASS_BLOCK(qubit::pauli::Springs, 0) {
    c.doc("PauliSprings(s)\n--\n\nPython wrapper for qubit Pauli sparse strings");
    c.init<&springs_new>();
    c.len<&springs_len>();
    c.str<&springs_str>();
    c.repr<&springs_repr>();
    c.def<&default_n_qubit>(
        "default_n_qubit($self)\n--\n\nNumber of modes required in the smallest space of modes that can contain modes "
        "indexed in [0, self.max].");
    c.def<&springs_copy>("__copy__($self)\n--\n\nReturn shallow copy.");
    c.def<&springs_deepcopy>("__deepcopy__($self, _memo)\n--\n\nReturn deep copy.");
}

VEMO_CLASS_BLOCK(qubit::pauli::ManyPartSprings, 0) {
    c.doc("ManyPartPauliSprings(s)\n--\n\nPython wrapper for a vector of qubit operator sparse strings, i.e. there can be "
          "many parts to each\ncomponent.");
    c.init<&many_new>();
    c.len<&many_len>();
    c.str<&many_str>();
    c.def<&many_copy>("__copy__($self)\n--\n\nReturn shallow copy.");
    c.def<&many_deepcopy>("__deepcopy__($self, _memo)\n--\n\nReturn deep copy.");
}

}  // namespace vemo::py
