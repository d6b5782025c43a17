// QubitPauliArray: the dict form {"qubits": [register indices], "cmpnts":
// "text"} and the binary file of the component list.
#include "core/cmpnt/springs.hpp"
#include "core/qubit/pauli_word.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py::pauli_array {

namespace {

// The value under `key`, or the ValueError "missing '<key>' key".
PyObject* required_item(PyObject* dict, const char* key) {
    Obj k = to_py_str(key);
    PyObject* v = PyDict_GetItemWithError(dict, k.get());
    if (!v) {
        if (PyErr_Occurred()) throw ErrorAlreadySet{};
        raise(PyExc_ValueError, std::string("missing '") + key + "' key");
    }
    return v;
}

Obj to_dict(const CmpntList& self) {
    Obj d = check(PyDict_New());
    if (PyDict_SetItemString(d.get(), "qubits", to_py(self.qubits().inds()).get()) < 0) throw ErrorAlreadySet{};
    if (PyDict_SetItemString(d.get(), "cmpnts", to_py(self.to_string()).get()) < 0) throw ErrorAlreadySet{};
    return d;
}

// Each step converts or checks one thing, in order; the first failure ends the
// call. Repeated positions multiply, and the phases of those products are dropped.
CmpntList from_dict(PyObject* dict) {
    with_argument_name("dict", [&] {
        if (!PyDict_Check(dict)) raise(PyExc_TypeError, "'" + type_name(dict) + "' object cannot be converted to 'PyDict'");
    });
    // Hold the values: looking up the next key may run Python code that changes the dict.
    Obj inds_obj = Obj::borrow(required_item(dict, "qubits"));
    auto inds = FromPy<std::vector<uint64_t>>::convert(inds_obj.get());
    auto qubits = to_py_result(qubit::Qubits::from_inds(std::move(inds)));
    Obj text_obj = Obj::borrow(required_item(dict, "cmpnts"));
    const std::string text = FromPy<std::string>::convert(text_obj.get());
    auto springs = to_py_result(from_str<qubit::pauli::Springs>(text));
    return std::move(to_py_result(qubit::pauli::from_springs(std::move(qubits), springs)).first);
}

}  // namespace

void define_dict_form(Def& c) {
    c.def<&to_dict>("to_dict($self)\n--\n\n");
    c.def_static<&from_dict>("from_dict(dict)\n--\n\n");
}

void define_binary_file(Def& c) {
    c.def<&py::save_to_file<CmpntList>>("save_to_file($self, path)\n--\n\nSave in binary format");
    c.def_static<&py::load_from_file<CmpntList>>("load_from_file(path)\n--\n\nLoad from binary format file");
}

}  // namespace vemo::py::pauli_array

