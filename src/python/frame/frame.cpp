// The shared, non-template part of the binding frame.
#include <cxxabi.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "python/frame/bind.hpp"

namespace vemo::py {

std::string str_of(PyObject* o) {
    PyObject* s = PyObject_Str(o);
    if (!s) {
        PyErr_Clear();
        return {};
    }
    Obj held = Obj::steal(s);
    Py_ssize_t n = 0;
    const char* c = PyUnicode_AsUTF8AndSize(s, &n);
    if (!c) {
        PyErr_Clear();
        return {};
    }
    return std::string(c, static_cast<size_t>(n));
}

std::string type_name(PyObject* o) {
    PyObject* n = PyType_GetName(Py_TYPE(o));
    if (!n) {
        PyErr_Clear();
        return "?";
    }
    Obj held = Obj::steal(n);
    return str_of(n);
}

Obj to_py_str(std::string_view s) {
    return check(PyUnicode_FromStringAndSize(s.data(), static_cast<Py_ssize_t>(s.size())));
}

void set_error(PyObject* type, std::string_view message) {
    // The whole message, NUL characters included (they can come from user text); bytes that
    // are not UTF-8 (a file name's) shown as \xNN escapes.
    PyObject* msg = PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "backslashreplace");
    if (!msg) return;
    PyErr_SetObject(type, msg);
    Py_DECREF(msg);
}

void set_error(const PyError& e) { set_error(e.type, e.message); }

namespace {
PyObject* panic_type = nullptr;

// Room for the thread-local block of the C++ runtime (a few dozen bytes)
// and for a new table of the thread's blocks (16 bytes per library that has
// thread-local data) when that table must grow.
constexpr size_t new_thread_room = 16 * 1024;
char ready_mark;
}  // namespace

namespace detail {
constinit ReadyThreads ready_threads;

bool ready_new_thread() noexcept {
    // The key is made by the first call rather than when the library is
    // loaded; every call holds the GIL, so no two threads make it.
    if (!ready_threads.have_key) ready_threads.have_key = pthread_key_create(&ready_threads.key, nullptr) == 0;
    void* room = std::malloc(new_thread_room);
    if (!room) {
        PyErr_NoMemory();
        return false;
    }
    std::free(room);
    __cxxabiv1::__cxa_eh_globals* volatile state = __cxxabiv1::__cxa_get_globals();
    (void)state;
    // Unmarked on failure (no memory for the key's second-level block): checked again next time.
    if (ready_threads.have_key) (void)pthread_setspecific(ready_threads.key, &ready_mark);
    return true;
}
}  // namespace detail

void set_panic(const char* what) {
    if (!panic_type) {
        panic_type = PyErr_NewExceptionWithDoc(
            "vemo.PanicException",
            "An internal failure of vemo: a bug, never a user error. Derived from BaseException so that "
            "handlers of Exception do not swallow it.",
            PyExc_BaseException, nullptr);
        if (!panic_type) return;
    }
    PyErr_SetString(panic_type, what);
}

[[noreturn]] void raise_cast_error(PyObject* o, const std::string& param, const char* cls) {
    raise(PyExc_TypeError, "argument '" + param + "': '" + type_name(o) + "' object cannot be cast as '" + cls + "'");
}

[[noreturn]] void rethrow_argument_error(const char* name) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw ErrorAlreadySet{};
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Obj t = Obj::steal(type), v = Obj::steal(value), b = Obj::steal(tb);
    raise(PyExc_TypeError, "argument '" + std::string(name) + "': " + (v ? str_of(v.get()) : std::string()));
}

bool is_foreign_operand(PyObject* type) {
    return type == PyExc_TypeError || type == PyExc_OverflowError || type == PyExc_ValueError;
}

bool foreign_operand_error_set() {
    if (!PyErr_ExceptionMatches(PyExc_TypeError) && !PyErr_ExceptionMatches(PyExc_OverflowError) &&
        !PyErr_ExceptionMatches(PyExc_ValueError))
        return false;
    PyErr_Clear();
    return true;
}

// ---------------------------------------------------------------- signatures

Signature parse_signature(const std::string& cls, const char* doc, bool is_new) {
    const char* open = std::strchr(doc, '(');
    const char* close = open ? std::strchr(open, ')') : nullptr;
    if (!open || !close) raise(PyExc_SystemError, cls + ": docstring without a signature line: " + doc);
    Signature sig;
    sig.method_name = is_new ? "__new__" : std::string(doc, open);
    sig.full_name = cls + "." + sig.method_name + "()";
    std::string inner(open + 1, close);
    bool kw_only = false;
    size_t pos = 0;
    while (pos <= inner.size() && !inner.empty()) {
        size_t comma = inner.find(',', pos);
        std::string item = inner.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        while (!item.empty() && item.front() == ' ') item.erase(item.begin());
        while (!item.empty() && item.back() == ' ') item.pop_back();
        if (item == "$self") {
            sig.has_self = true;
        } else if (item == "*") {
            kw_only = true;
        } else if (item == "/") {
        } else if (!item.empty()) {
            Param p;
            size_t eq = item.find('=');
            p.required = eq == std::string::npos;
            p.name = item.substr(0, eq);
            p.kw_only = kw_only;
            p.interned = PyUnicode_InternFromString(p.name.c_str());
            if (!p.interned) throw ErrorAlreadySet{};
            sig.params.push_back(std::move(p));
        }
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    for (const auto& p : sig.params) {
        if (p.kw_only) continue;
        ++sig.n_positional;
        if (p.required) sig.n_required_positional = sig.n_positional;
    }
    return sig;
}

void bind_signature(const Signature*& slot, Signature sig) {
    if (slot) {
        // One function may serve two names (say __str__ and __repr__) when their parameters agree;
        // a class built again after a failed import binds the same signature again.
        const Signature& old = *slot;
        bool same = old.params.size() == sig.params.size() && old.has_self == sig.has_self;
        for (size_t k = 0; same && k < sig.params.size(); ++k)
            same = old.params[k].name == sig.params[k].name && old.params[k].required == sig.params[k].required &&
                   old.params[k].kw_only == sig.params[k].kw_only;
        if (!same)
            raise(PyExc_SystemError, "one function bound as both " + old.full_name + " and " + sig.full_name);
        return;
    }
    // Kept for the process: the entry points of every class that binds F read it.
    slot = new Signature(std::move(sig));
}

namespace {

std::string quoted_list(const std::vector<const Param*>& ps) {
    std::string msg;
    const size_t n = ps.size();
    for (size_t i = 0; i < n; ++i) {
        if (i != 0) {
            if (n > 2) msg += ',';
            msg += i == n - 1 ? " and " : " ";
        }
        msg += "'" + ps[i]->name + "'";
    }
    return msg;
}

[[noreturn]] void raise_missing(const Signature& sig, const std::vector<const Param*>& missing, const char* kind) {
    raise(PyExc_TypeError, sig.full_name + " missing " + std::to_string(missing.size()) + " required " + kind +
                               (missing.size() == 1 ? " argument: " : " arguments: ") + quoted_list(missing));
}

bool name_matches(PyObject* kw, const Param& p) {
    if (kw == p.interned) return true;
    return PyUnicode_CompareWithASCIIString(kw, p.name.c_str()) == 0;
}

}  // namespace

void match_arguments(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                     PyObject** out) {
    const size_t n = sig.params.size();
    if (!kwnames && static_cast<size_t>(nargs) == n && n == sig.n_positional) {
        // The common call: every parameter given by position.
        for (size_t j = 0; j < n; ++j)
            out[j] = args[j] == Py_None && !sig.params[j].required ? nullptr : args[j];
        return;
    }
    if (static_cast<size_t>(nargs) > sig.n_positional) {
        const char* was = nargs == 1 ? "was" : "were";
        std::string takes = sig.n_required_positional == sig.n_positional
                                ? std::to_string(sig.n_positional)
                                : "from " + std::to_string(sig.n_required_positional) + " to " +
                                      std::to_string(sig.n_positional);
        raise(PyExc_TypeError, sig.full_name + " takes " + takes + " positional arguments but " +
                                   std::to_string(nargs) + " " + was + " given");
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) out[i] = args[i];
    for (size_t i = static_cast<size_t>(nargs); i < n; ++i) out[i] = nullptr;
    if (kwnames) {
        const Py_ssize_t nkw = PyTuple_Size(kwnames);
        for (Py_ssize_t k = 0; k < nkw; ++k) {
            PyObject* kw = PyTuple_GetItem(kwnames, k);
            size_t j = 0;
            for (; j < n; ++j)
                if (name_matches(kw, sig.params[j])) break;
            if (j == n) raise(PyExc_TypeError, sig.full_name + " got an unexpected keyword argument '" + str_of(kw) + "'");
            if (out[j]) raise(PyExc_TypeError, sig.full_name + " got multiple values for argument '" + sig.params[j].name + "'");
            out[j] = args[nargs + k];
        }
    }
    std::vector<const Param*> missing;
    for (size_t j = 0; j < n; ++j)
        if (!out[j] && sig.params[j].required && !sig.params[j].kw_only) missing.push_back(&sig.params[j]);
    if (!missing.empty()) raise_missing(sig, missing, "positional");
    for (size_t j = 0; j < n; ++j)
        if (!out[j] && sig.params[j].required && sig.params[j].kw_only) missing.push_back(&sig.params[j]);
    if (!missing.empty()) raise_missing(sig, missing, "keyword");
    for (size_t j = 0; j < n; ++j)
        if (out[j] == Py_None && !sig.params[j].required) out[j] = nullptr;
}

VectorArgs::VectorArgs(PyObject* args, PyObject* kwargs) {
    nargs = args ? PyTuple_Size(args) : 0;
    for (Py_ssize_t i = 0; i < nargs; ++i) items.push_back(PyTuple_GetItem(args, i));
    if (kwargs && PyDict_Size(kwargs) > 0) {
        kwnames = check(PyTuple_New(PyDict_Size(kwargs)));
        Py_ssize_t pos = 0, k = 0;
        PyObject *key, *value;
        while (PyDict_Next(kwargs, &pos, &key, &value)) {
            Py_INCREF(key);
            PyTuple_SetItem(kwnames.get(), k++, key);
            items.push_back(value);
        }
    }
}

// ---------------------------------------------------------------- types

PyTypeObject* build_type(ClassSpec& spec) {
    spec.methods.push_back(PyMethodDef{nullptr, nullptr, 0, nullptr});
    std::vector<PyType_Slot> slots = spec.slots;
    slots.push_back({Py_tp_methods, spec.methods.data()});
    if (!spec.getset.empty()) {
        spec.getset.push_back(PyGetSetDef{nullptr, nullptr, nullptr, nullptr, nullptr});
        slots.push_back({Py_tp_getset, spec.getset.data()});
    }
    if (!spec.doc.empty()) slots.push_back({Py_tp_doc, const_cast<char*>(spec.doc.c_str())});
    slots.push_back({0, nullptr});
    // Like built-in types, the classes cannot be changed from Python.
    unsigned flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE;
    if (!spec.has_new) flags |= Py_TPFLAGS_DISALLOW_INSTANTIATION;
    if (spec.has_subclasses) flags |= Py_TPFLAGS_BASETYPE;
    // __name__ is the bare class name; __module__ is the extension's.
    // The type object keeps a pointer to this name.
    spec.qualified_name = "vemo._vemo." + spec.name;
    PyType_Spec ts{spec.qualified_name.c_str(), static_cast<int>(spec.basicsize), 0, flags, slots.data()};
    PyObject* tp = PyType_FromSpecWithBases(&ts, reinterpret_cast<PyObject*>(spec.base));
    if (!tp) return nullptr;
    spec.type = reinterpret_cast<PyTypeObject*>(tp);
    return spec.type;
}

void set_class_attr(PyTypeObject* tp, const char* name, Obj value) {
    Obj key = check(PyUnicode_InternFromString(name));
    if (PyObject_GenericSetAttr(reinterpret_cast<PyObject*>(tp), key.get(), value.get()) < 0) throw ErrorAlreadySet{};
    PyType_Modified(tp);
}

namespace {
// The classes registered by VEMO_CLASS, most recently loaded first.
constinit const ClassNode* classes = nullptr;
}  // namespace

ClassNode::ClassNode(const char* n, PyTypeObject* (*g)(), PyTypeObject* (*b)()) noexcept
    : name(n), get(g), base(b), next(classes) {
    classes = this;
}

bool has_registered_subclass(PyTypeObject* (*get)()) noexcept {
    for (const ClassNode* c = classes; c; c = c->next)
        if (c->base == get) return true;
    return false;
}

PyTypeObject* type_object_by_name(const char* name) {
    const ClassNode* found = nullptr;
    for (const ClassNode* c = classes; c; c = c->next) {
        if (std::strcmp(c->name, name) != 0) continue;
        if (found) raise(PyExc_SystemError, std::string("two classes are named '") + name + "'");
        found = c;
    }
    return found ? found->get() : nullptr;
}

}  // namespace vemo::py
