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

}  // namespace

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

std::expected<void, FileError> save_to_file(const CmpntList& self, std::string path) {
    return vemo::save_to_file(self, path);
}

std::expected<CmpntList, FileError> load_from_file(std::string path) { return vemo::load_from_file<CmpntList>(path); }

}  // namespace vemo::py::pauli_array

namespace vemo::py {
VEMO_METHOD_GLUE(&pauli_array::to_dict, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::from_dict, void);
VEMO_METHOD_GLUE(&pauli_array::save_to_file, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::load_from_file, void);
}  // namespace vemo::py
