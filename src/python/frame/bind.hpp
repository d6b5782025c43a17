// ClassDef<T>: the methods and slots of one Python class, each bound in a line:
//   VEMO_CLASS_BLOCK(Map, 0) {
//       c.doc("Map()\n--\n\nA Map wrapper for Python.");
//       c.init<&make_map>();
//       c.len<&map_len>();
//       c.def<&f>("f($self, i)\n--\n\nWhat f does.");
//   }
// Parameter names, optional parameters (written "=None") and keyword-only
// parameters (after "*") come from the signature line of the docstring.
#pragma once

#include <string>
#include <vector>

#include "python/frame/call.hpp"

namespace vemo::py {

template <auto F>
struct Meta {
    static inline Signature sig;
    static inline bool bound = false;
};

void bind_signature(Signature& slot, bool& bound, Signature sig);

template <auto F>
PyObject* method_entry(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded<PyObject*>(nullptr, [&] { return invoke<F>(Meta<F>::sig, self, args, nargs, kwnames).release(); });
}

// tp_new: the tuple/dict call converted to the vectorcall form.
struct VectorArgs {
    std::vector<PyObject*> items;
    Obj kwnames;
    Py_ssize_t nargs = 0;
    VectorArgs(PyObject* args, PyObject* kwargs);
};

template <auto F>
PyObject* new_entry(PyTypeObject*, PyObject* args, PyObject* kwargs) {
    return guarded<PyObject*>(nullptr, [&] {
        VectorArgs va(args, kwargs);
        return invoke<F>(Meta<F>::sig, nullptr, va.items.data(), va.nargs, va.kwnames.get()).release();
    });
}

template <Bound T, auto F>
PyObject* richcmp_entry(PyObject* a, PyObject* b, int op) {
    return guarded<PyObject*>(nullptr, [&]() -> PyObject* {
        if (op == Py_EQ) {
            auto* ia = instance_cast<T>(a);
            auto* ib = instance_cast<T>(b);
            if (!ia || !ib) return not_implemented().release();
            SharedBorrow<T> ga(ia);
            SharedBorrow<T> gb(ib);
            return to_py(static_cast<bool>(fn_ptr<F>(ga.get(), gb.get()))).release();
        }
        if (op == Py_NE) {
            Obj eq = check(PyObject_RichCompare(a, b, Py_EQ));
            int t = PyObject_IsTrue(eq.get());
            if (t < 0) throw ErrorAlreadySet{};
            return to_py(!t).release();
        }
        return not_implemented().release();
    });
}

template <Bound T, auto F>
Py_ssize_t len_entry(PyObject* self) {
    return guarded<Py_ssize_t>(-1, [&] {
        auto* inst = instance_cast<T>(self);
        if (!inst) raise(PyExc_TypeError, "bad self");
        SharedBorrow<T> g(inst);
        auto n = fn_ptr<F>(g.get());
        if (static_cast<uint64_t>(n) > static_cast<uint64_t>(PY_SSIZE_T_MAX))
            raise(PyExc_OverflowError, "length too large");
        return static_cast<Py_ssize_t>(n);
    });
}

template <auto F>
PyObject* unary_entry(PyObject* self) {
    return guarded<PyObject*>(nullptr, [&] { return invoke<F>(Meta<F>::sig, self, nullptr, 0, nullptr).release(); });
}

template <auto F>
PyObject* getitem_entry(PyObject* self, PyObject* key) {
    return guarded<PyObject*>(nullptr, [&] {
        PyObject* args[1] = {key};
        return invoke<F>(Meta<F>::sig, self, args, 1, nullptr).release();
    });
}

template <auto F>
int setitem_entry(PyObject* self, PyObject* key, PyObject* value) {
    return guarded<int>(-1, [&] {
        if (!value) raise(PyExc_NotImplementedError, "can't delete item");
        PyObject* args[2] = {key, value};
        invoke<F>(Meta<F>::sig, self, args, 2, nullptr);
        return 0;
    });
}

// A number-protocol slot: F(PyObject* a, PyObject* b) -> Obj, where either
// operand may be the foreign one (return not_implemented() for those).
template <auto F>
PyObject* binary_entry(PyObject* a, PyObject* b) {
    return guarded<PyObject*>(nullptr, [&] { return fn_ptr<F>(a, b).release(); });
}
template <auto F>
PyObject* ternary_entry(PyObject* a, PyObject* b, PyObject* c) {
    return guarded<PyObject*>(nullptr, [&] { return fn_ptr<F>(a, b, c).release(); });
}

template <Bound T>
class ClassDef {
public:
    using Block = void (*)(ClassDef&);

    static ClassDef& get() {
        static ClassDef def;
        return def;
    }

    static bool add_block(int order, Block b) {
        auto& d = get();
        if (d.blocks_.empty()) register_class(PyClass<T>::name, &type_or_null);
        d.blocks_.push_back({order, b});
        return true;
    }

    static PyTypeObject* type_or_null() { return get().type(); }

    // The type object, built on first use; null with an exception set on failure.
    PyTypeObject* type() {
        if (spec_.type) return spec_.type;
        return guarded<PyTypeObject*>(nullptr, [&] {
            spec_ = ClassSpec{};
            after_build_.clear();
            spec_.name = PyClass<T>::name;
            spec_.basicsize = sizeof(Instance<T>);
            std::stable_sort(blocks_.begin(), blocks_.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (auto& [order, block] : blocks_) block(*this);
            slot(Py_tp_dealloc, reinterpret_cast<void*>(&dealloc_instance<T>));
            PyTypeObject* tp = build_type(spec_);
            if (!tp) throw ErrorAlreadySet{};
            for (auto f : after_build_) f(tp);
            return tp;
        });
    }

    void doc(const char* d) { spec_.doc = d; }
    // Runs once the type object exists, e.g. to set class attributes that are
    // instances of the class itself.
    void after_build(void (*f)(PyTypeObject*)) { after_build_.push_back(f); }
    void slot(int id, void* fn) { spec_.slots.push_back({id, fn}); }

    // An instance method: F's first parameter is `const T&` or `T&`.
    template <auto F>
    void def(const char* doc) {
        add_method<F>(doc, METH_FASTCALL | METH_KEYWORDS, true);
    }
    // A static method: no self.
    template <auto F>
    void def_static(const char* doc) {
        add_method<F>(doc, METH_FASTCALL | METH_KEYWORDS | METH_STATIC, false);
    }
    // The constructor: F returns T (or std::expected<T, E>); the signature is the class docstring's.
    template <auto F>
    void init() {
        bind<F>(parse_signature(spec_.name, spec_.doc.c_str(), true));
        spec_.has_new = true;
        slot(Py_tp_new, reinterpret_cast<void*>(&new_entry<F>));
    }
    // == compares contents, != negates it, the orderings are not defined; no hash.
    template <auto F>
    void eq() {
        slot(Py_tp_richcompare, reinterpret_cast<void*>(&richcmp_entry<T, F>));
        slot(Py_tp_hash, reinterpret_cast<void*>(&PyObject_HashNotImplemented));
    }
    template <auto F>
    void len() {
        slot(Py_sq_length, reinterpret_cast<void*>(&len_entry<T, F>));
        slot(Py_mp_length, reinterpret_cast<void*>(&len_entry<T, F>));
    }
    template <auto F>
    void str() {
        bind<F>(slot_signature("__str__", {}));
        slot(Py_tp_str, reinterpret_cast<void*>(&unary_entry<F>));
    }
    template <auto F>
    void repr() {
        bind<F>(slot_signature("__repr__", {}));
        slot(Py_tp_repr, reinterpret_cast<void*>(&unary_entry<F>));
    }
    // A unary slot such as Py_nb_negative, bound to F(const T&).
    template <int Slot, auto F>
    void unary(const char* name) {
        bind<F>(slot_signature(name, {}));
        slot(Slot, reinterpret_cast<void*>(&unary_entry<F>));
    }
    // Py_nb_multiply, Py_nb_inplace_multiply, ...: F(PyObject* a, PyObject* b) -> Obj.
    template <int Slot, auto F>
    void binary() {
        slot(Slot, reinterpret_cast<void*>(&binary_entry<F>));
    }
    // Py_nb_power, Py_nb_inplace_power: F(PyObject* a, PyObject* b, PyObject* mod) -> Obj.
    template <int Slot, auto F>
    void ternary() {
        slot(Slot, reinterpret_cast<void*>(&ternary_entry<F>));
    }
    template <auto F>
    void getitem(const char* key_name = "key") {
        bind<F>(slot_signature("__getitem__", {key_name}));
        slot(Py_mp_subscript, reinterpret_cast<void*>(&getitem_entry<F>));
    }
    template <auto F>
    void setitem(const char* key_name = "key", const char* value_name = "value") {
        bind<F>(slot_signature("__setitem__", {key_name, value_name}));
        slot(Py_mp_ass_subscript, reinterpret_cast<void*>(&setitem_entry<F>));
    }

private:
    template <auto F>
    void add_method(const char* doc, int flags, bool has_self) {
        Signature sig = parse_signature(spec_.name, doc, false);
        if (sig.has_self != has_self)
            raise(PyExc_SystemError, sig.full_name + ": $self in the signature does not match the binding");
        const std::string& name = bind<F>(std::move(sig));
        spec_.methods.push_back(PyMethodDef{name.c_str(), reinterpret_cast<PyCFunction>(
                                                              reinterpret_cast<void (*)()>(&method_entry<F>)),
                                            flags, doc});
    }
    template <auto F>
    const std::string& bind(Signature sig) {
        bind_signature(Meta<F>::sig, Meta<F>::bound, std::move(sig));
        return Meta<F>::sig.method_name;
    }
    Signature slot_signature(const char* name, std::vector<const char*> params) {
        std::string text = std::string(name) + "($self";
        for (auto* p : params) text += std::string(", ") + p;
        text += ")";
        return parse_signature(spec_.name, text.c_str(), false);
    }

    ClassSpec spec_;
    std::vector<std::pair<int, Block>> blocks_;
    std::vector<void (*)(PyTypeObject*)> after_build_;
};

template <Bound T>
PyTypeObject* type_of() {
    PyTypeObject* tp = ClassDef<T>::get().type();
    if (!tp) throw ErrorAlreadySet{};
    return tp;
}

}  // namespace vemo::py
