// The extension in a program that finalizes its interpreter and starts a new
// one: the second import is refused, never answered with the dead module.
#include <gtest/gtest.h>

#include "embedded.hpp"

#include <cstdlib>
#include <string>

using namespace vemo::py;

namespace {

// Runs Python statements; "" on success, else "Type: message".
std::string run(const std::string& code) {
    Obj globals = check(PyDict_New());
    PyDict_SetItemString(globals.get(), "__builtins__", PyEval_GetBuiltins());
    Obj compiled = Obj::steal(Py_CompileString(code.c_str(), "<test>", Py_file_input));
    if (compiled) Obj::steal(PyEval_EvalCode(compiled.get(), globals.get(), globals.get()));
    if (!PyErr_Occurred()) return "";
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Obj t = Obj::steal(type), v = Obj::steal(value), b = Obj::steal(tb);
    Obj name = Obj::steal(PyObject_GetAttrString(t.get(), "__name__"));
    return str_of(name.get()) + ": " + (v ? str_of(v.get()) : "");
}

}  // namespace

TEST(ModuleRestart, ImportAfterFinalizeIsRefused) {
    const char* stage = std::getenv("VEMO_STAGE");
    if (!stage || !*stage) GTEST_SKIP() << "no staged module";
    const std::string path = std::string("import sys; sys.path.insert(0, r'") + stage + "');";
    ASSERT_EQ(run(path + " import vemo; assert vemo.Qubits.from_count(2) is not None"), "");
    Py_Finalize();
    Py_Initialize();
    const std::string refused =
        "ImportError: vemo._vemo cannot be imported again after the interpreter that imported it was finalized";
    EXPECT_EQ(run(path + " import vemo"), refused);
    EXPECT_EQ(run(path + " import vemo._vemo"), refused);
}
