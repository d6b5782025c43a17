// The extension module: creates `_vemo` and adds its classes in a fixed order.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "python/frame/bind.hpp"

namespace {

// The module's classes, in the order in which they are added (and listed in __all__).
constexpr const char* module_classes[] = {
    "Sign",          "SignVec",          "ComplexSign",        "ComplexSignVec",
    "RealVec",       "ComplexVec",       "Map",                "QubitPauliArray",
    "QubitStateArray", "Mapper",         "JordanWignerMapper", "BravyiKitaevMapper",
    "ParityMapper",  "ParaparticularMapper", "Modes",          "FermionSprings",
    "FermionStateArray", "NormalFermionOperatorArray", "GeneralFermionOperatorArray", "BinarySprings",
    "CliffordGateList", "CliffordGate",  "PauliSprings",       "Qubits",
    "PauliMatrix",   "SymplecticPart",
};

// Module classes whose bindings do not exist yet: the only names that may be
// missing at import. Remove a name when its class lands.
constexpr std::array<std::string_view, 0> not_yet_built{};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "_vemo", "The Python bindings to Vemo.", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

PyObject* the_module = nullptr;
int64_t the_interpreter = -1;

PyObject* create_module() {
    using namespace vemo::py;
    Obj m = check(PyModule_Create(&module_def));
    Obj all;
    for (const char* name : module_classes) {
        PyTypeObject* tp = type_object_by_name(name);
        if (!tp) {
            if (PyErr_Occurred()) throw ErrorAlreadySet{};
            if (std::ranges::find(not_yet_built, name) != std::end(not_yet_built)) continue;
            raise(PyExc_ImportError, std::string("vemo._vemo: no binding defines the module class '") + name + "'");
        }
        if (!all) {
            all = check(PyList_New(0));
            if (PyModule_AddObjectRef(m.get(), "__all__", all.get()) < 0) throw ErrorAlreadySet{};
        }
        Obj n = to_py_str(name);
        if (PyList_Append(all.get(), n.get()) < 0) throw ErrorAlreadySet{};
        if (PyModule_AddObjectRef(m.get(), name, reinterpret_cast<PyObject*>(tp)) < 0) throw ErrorAlreadySet{};
    }
    return m.release();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) PyObject* PyInit__vemo() {
    return vemo::py::guarded<PyObject*>(nullptr, []() -> PyObject* {
        PyInterpreterState* st = PyInterpreterState_Get();
        const int64_t id = PyInterpreterState_GetID(st);
        if (the_interpreter >= 0 && id != the_interpreter)
            vemo::py::raise(PyExc_ImportError,
                            "vemo._vemo can be imported in only one interpreter per process");
        if (the_module) {
            Py_INCREF(the_module);
            return the_module;
        }
        the_module = create_module();
        the_interpreter = id;
        Py_INCREF(the_module);
        return the_module;
    });
}
