// ClassDef<T>: the members of one Python class, each bound in one line of the
// class's single definition, in the order of its method table:
//   VEMO_CLASS(Map) {
//       c.doc("Map()\n--\n\nA Map wrapper for Python.");
//       c.init<&make_map>();
//       c.len<&Map::size>();
//       c.def<&f>("f($self, i)\n--\n\nWhat f does.");
//       c.section<&define_products>();   // a group of members, bound in the file that holds them
//   }
// Parameter names, optional parameters (written "=None") and keyword-only
// parameters (after "*") come from the signature line of the docstring; they
// are checked against the C++ function when the type is built.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "python/frame/call.hpp"

namespace vemo::py {

// The signature of F as bound under Key (0: methods, constructors, __str__/__repr__; else a slot).
// Allocated when first bound (at import, under the guard): nothing to construct
// or destroy when the library is loaded or unloaded.
template <auto F, int Key = 0>
struct Meta {
    static inline constinit const Signature* sig = nullptr;
};
inline constexpr int property_key = -1;

// Sets `slot` to `sig`, or checks that the signature bound already agrees with it.
void bind_signature(const Signature*& slot, Signature sig);

template <class R>
inline constexpr bool is_expected = false;
template <class X, class E>
inline constexpr bool is_expected<std::expected<X, E>> = true;

// A constructor's value, or its error raised.
template <class R>
decltype(auto) unwrap_result(R&& r) {
    if constexpr (is_expected<std::remove_cvref_t<R>>) return to_py_result(std::move(r));
    else return std::forward<R>(r);
}

template <auto F, class Self>
PyObject* method_entry(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guarded<PyObject*>(nullptr, [&] {
        return invoke<F, Self>(*Meta<F>::sig, self, args, nargs, kwnames, ToPython{}).release();
    });
}

// tp_new: the tuple/dict call converted to the vectorcall form.
struct VectorArgs {
    std::vector<PyObject*> items;
    Obj kwnames;
    Py_ssize_t nargs = 0;
    VectorArgs(PyObject* args, PyObject* kwargs);
};

template <auto F, Declared T>
PyObject* new_entry(PyTypeObject*, PyObject* args, PyObject* kwargs) {
    return guarded<PyObject*>(nullptr, [&] {
        VectorArgs va(args, kwargs);
        auto made = [](auto&& r) { return new_instance<T>(unwrap_result(std::move(r))); };
        return invoke<F, void>(*Meta<F>::sig, nullptr, va.items.data(), va.nargs, va.kwnames.get(), made).release();
    });
}

template <Bound V, auto F>
PyObject* richcmp_entry(PyObject* a, PyObject* b, int op) {
    return guarded<PyObject*>(nullptr, [&]() -> PyObject* {
        if (op == Py_EQ) {
            auto* ia = instance_cast<V>(a);
            auto* ib = instance_cast<V>(b);
            // An operand that cannot be borrowed (one being changed) is not compared here.
            if (!ia || !ib || ia->borrow < 0 || ib->borrow < 0) return not_implemented().release();
            SharedBorrow<V> ga(ia);
            SharedBorrow<V> gb(ib);
            return to_py(static_cast<bool>(call_fn<F>(ga.get(), gb.get()))).release();
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

template <Bound V, auto F>
Py_ssize_t len_entry(PyObject* self) {
    return guarded<Py_ssize_t>(-1, [&] {
        auto* inst = instance_cast<V>(self);
        if (!inst) raise(PyExc_TypeError, "bad self");
        SharedBorrow<V> g(inst);
        auto n = call_fn<F>(g.get());
        if (static_cast<uint64_t>(n) > static_cast<uint64_t>(PY_SSIZE_T_MAX))
            raise(PyExc_OverflowError, "length too large");
        return static_cast<Py_ssize_t>(n);
    });
}

template <auto F, class Self, int Key = 0>
PyObject* unary_entry(PyObject* self) {
    return guarded<PyObject*>(nullptr, [&] {
        return invoke<F, Self>(*Meta<F, Key>::sig, self, nullptr, 0, nullptr, ToPython{}).release();
    });
}

template <auto F, class Self>
PyObject* getter_entry(PyObject* self, void*) {
    return unary_entry<F, Self, property_key>(self);
}

template <auto F, class Self>
PyObject* getitem_entry(PyObject* self, PyObject* key) {
    return guarded<PyObject*>(nullptr, [&] {
        PyObject* args[1] = {key};
        return invoke<F, Self>(*Meta<F>::sig, self, args, 1, nullptr, ToPython{}).release();
    });
}

template <auto F, class Self>
PyObject* seq_item_entry(PyObject* self, Py_ssize_t i) {
    return guarded<PyObject*>(nullptr, [&] {
        Obj key = check(PyLong_FromSsize_t(i));
        PyObject* args[1] = {key.get()};
        return invoke<F, Self>(*Meta<F, Py_sq_item>::sig, self, args, 1, nullptr, ToPython{}).release();
    });
}

template <auto F, class Self>
int setitem_entry(PyObject* self, PyObject* key, PyObject* value) {
    return guarded<int>(-1, [&] {
        if (!value) raise(PyExc_NotImplementedError, "can't delete item");
        PyObject* args[2] = {key, value};
        invoke<F, Self>(*Meta<F>::sig, self, args, 2, nullptr, ToPython{});
        return 0;
    });
}

// Number slots: the operands are F's parameters in order; an operand that is
// not of its parameter's type (or out of its range) gives NotImplemented.
template <int Slot, auto F>
PyObject* binary_entry(PyObject* a, PyObject* b) {
    return guarded<PyObject*>(nullptr, [&] {
        PyObject* args[2] = {a, b};
        return invoke<F, void, Operands::foreign>(*Meta<F, Slot>::sig, nullptr, args, 2, nullptr, ToPython{}).release();
    });
}
template <int Slot, auto F>
PyObject* ternary_entry(PyObject* a, PyObject* b, PyObject* c) {
    return guarded<PyObject*>(nullptr, [&] {
        PyObject* args[3] = {a, b, c};
        return invoke<F, void, Operands::foreign>(*Meta<F, Slot>::sig, nullptr, args, 3, nullptr, ToPython{}).release();
    });
}
// a op= b: F changes a; the slot returns a. A borrow that cannot be taken (b is
// a itself) also gives NotImplemented, so that the interpreter falls back to a op b.
template <int Slot, auto F>
PyObject* inplace_entry(PyObject* a, PyObject* b) {
    return guarded<PyObject*>(nullptr, [&] {
        PyObject* args[2] = {a, b};
        auto self = [a](auto&&...) { return Obj::borrow(a); };
        return invoke<F, void, Operands::unborrowable>(*Meta<F, Slot>::sig, nullptr, args, 2, nullptr, self).release();
    });
}

template <Declared T>
class ClassDef {
public:
    using V = ValueOf<T>;

    // The type object, built on first use; null with an exception set on failure.
    static PyTypeObject* type_or_null() {
        if (built_) [[likely]]
            return built_->type;
        return guarded<PyTypeObject*>(nullptr, [] { return build(); });
    }

    // For a subclass, its base class's type_or_null (in VEMO_CLASS's node).
    static constexpr PyTypeObject* (*base())() {
        if constexpr (Subclass<T>) return &ClassDef<V>::type_or_null;
        else return nullptr;
    }

    // The class docstring: the constructor's signature line first when it has one.
    void doc(const char* d) { spec_.doc = d; }
    // Runs once the type object exists, e.g. to set class attributes that are
    // instances of the class itself.
    void after_build(void (*f)(PyTypeObject*)) { after_build_.push_back(f); }
    // A raw slot, for what nothing below covers.
    void slot(int id, void* fn) { spec_.slots.push_back({id, fn}); }

    // A section: the group of members that Section binds, at this place of the
    // list. Section is defined in the file that holds the group's bodies, so
    // their call glue is compiled there, apart from the class file.
    template <void (*Section)(ClassDef&)>
    void section() {
        Section(*this);
    }

    // An instance method: F(const V&, ...) or F(V&, ...), or a member function of V.
    template <auto F>
    void def(const char* doc) {
        static_assert(std::is_same_v<std::remove_cvref_t<std::tuple_element_t<0, typename Traits<F, V>::Args>>, V>,
                      "an instance method takes the class's value first");
        add_method<F, V>(doc, METH_FASTCALL | METH_KEYWORDS, true);
    }
    // A static method: no self.
    template <auto F>
    void def_static(const char* doc) {
        add_method<F, void>(doc, METH_FASTCALL | METH_KEYWORDS | METH_STATIC, false);
    }
    // The constructor: F returns V (or std::expected<V, E>); the signature is the class docstring's.
    template <auto F>
    void init() {
        bind<F, 0, void>(parse_signature(spec_.name, spec_.doc.c_str(), true));
        spec_.has_new = true;
        slot(Py_tp_new, reinterpret_cast<void*>(&new_entry<F, T>));
    }
    // A read-only attribute: F(const V&) gives its value on every read. `name` must outlive the type.
    template <auto F>
    void prop(const char* name, const char* doc) {
        bind<F, property_key, V>(slot_signature(name, {}));
        spec_.getset.push_back(PyGetSetDef{name, &getter_entry<F, V>, nullptr, doc, nullptr});
    }
    // == compares contents, != negates it, the orderings are not defined; no hash.
    template <auto F>
    void eq() {
        slot(Py_tp_richcompare, reinterpret_cast<void*>(&richcmp_entry<V, F>));
        slot(Py_tp_hash, reinterpret_cast<void*>(&PyObject_HashNotImplemented));
    }
    template <auto F>
    void len() {
        slot(Py_sq_length, reinterpret_cast<void*>(&len_entry<V, F>));
        slot(Py_mp_length, reinterpret_cast<void*>(&len_entry<V, F>));
    }
    template <auto F>
    void str() {
        bind<F, 0, V>(slot_signature("__str__", {}));
        slot(Py_tp_str, reinterpret_cast<void*>(&unary_entry<F, V>));
    }
    template <auto F>
    void repr() {
        bind<F, 0, V>(slot_signature("__repr__", {}));
        slot(Py_tp_repr, reinterpret_cast<void*>(&unary_entry<F, V>));
    }
    // A unary slot such as Py_nb_int, bound to F(const V&).
    template <int Slot, auto F>
    void unary(const char* name) {
        bind<F, Slot, V>(slot_signature(name, {}));
        slot(Slot, reinterpret_cast<void*>(&unary_entry<F, V, Slot>));
    }
    // Py_nb_multiply, ...: F(A a, B b) with typed operands; foreign operands give NotImplemented.
    template <int Slot, auto F>
    void binary() {
        bind<F, Slot, void>(operand_signature(2));
        slot(Slot, reinterpret_cast<void*>(&binary_entry<Slot, F>));
    }
    // Py_nb_inplace_multiply, ...: F(V& a, B b) changes a; the slot returns a.
    template <int Slot, auto F>
    void inplace() {
        bind<F, Slot, void>(operand_signature(2));
        slot(Slot, reinterpret_cast<void*>(&inplace_entry<Slot, F>));
    }
    // Py_nb_power: F(A a, B b, C mod); `mod` is None when not given.
    template <int Slot, auto F>
    void ternary() {
        bind<F, Slot, void>(operand_signature(3));
        slot(Slot, reinterpret_cast<void*>(&ternary_entry<Slot, F>));
    }
    // self[key]: F(const V&, K key).
    template <auto F>
    void getitem(const char* key_name = "key") {
        bind<F, 0, V>(slot_signature("__getitem__", {key_name}));
        slot(Py_mp_subscript, reinterpret_cast<void*>(&getitem_entry<F, V>));
    }
    // self[key] = value: F(V&, K key, X value); deleting raises NotImplementedError.
    template <auto F>
    void setitem(const char* key_name = "key", const char* value_name = "value") {
        bind<F, 0, V>(slot_signature("__setitem__", {key_name, value_name}));
        slot(Py_mp_ass_subscript, reinterpret_cast<void*>(&setitem_entry<F, V>));
    }
    // The sequence item (iteration, `in`): F(const V&, int64_t index) for index 0, 1, ...
    template <auto F>
    void seq_item() {
        bind<F, Py_sq_item, V>(slot_signature("__getitem__", {"index"}));
        slot(Py_sq_item, reinterpret_cast<void*>(&seq_item_entry<F, V>));
    }

private:
    template <Declared>
    friend class ClassDef;

    template <auto F, class Self>
    void add_method(const char* doc, int flags, bool has_self) {
        Signature sig = parse_signature(spec_.name, doc, false);
        if (sig.has_self != has_self)
            raise(PyExc_SystemError, sig.full_name + ": $self in the signature does not match the binding");
        // The method table names a method by its function's one signature: a
        // second name for the same function would silently repeat the first.
        if (Meta<F, 0>::sig && Meta<F, 0>::sig->method_name != sig.method_name)
            raise(PyExc_SystemError, "one function bound as both " + Meta<F, 0>::sig->full_name + " and " + sig.full_name);
        const std::string& name = bind<F, 0, Self>(std::move(sig));
        spec_.methods.push_back(PyMethodDef{
            name.c_str(), reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&method_entry<F, Self>)), flags,
            doc});
    }
    template <auto F, int Key, class Self>
    const std::string& bind(Signature sig) {
        check_binding<F, Self>(sig);
        bind_signature(Meta<F, Key>::sig, std::move(sig));
        return Meta<F, Key>::sig->method_name;
    }
    Signature slot_signature(const char* name, std::vector<const char*> params) {
        std::string text = std::string(name) + "($self";
        for (auto* p : params) text += std::string(", ") + p;
        text += ")";
        return parse_signature(spec_.name, text.c_str(), false);
    }
    Signature operand_signature(int n) {
        return parse_signature(spec_.name, n == 2 ? "__op__(a, b)" : "__op__(a, b, c)", false);
    }

    explicit ClassDef(ClassSpec& spec) : spec_(spec) {}

    // Runs the class's definition and makes its type. Nothing is kept on failure,
    // so that a later import builds the class afresh. The ClassSpec lives as long
    // as the type, which points into it (method table, name).
    static PyTypeObject* build() {
        auto spec = std::make_unique<ClassSpec>();
        ClassDef def(*spec);
        spec->name = PyClass<T>::name;
        spec->basicsize = sizeof(Instance<V>);
        if constexpr (Bound<T>) spec->has_subclasses = has_registered_subclass(&type_or_null);
        if constexpr (Subclass<T>) spec->base = type_of<V>();
        define_class<T>(def);
        def.slot(Py_tp_dealloc, reinterpret_cast<void*>(&dealloc_instance<V>));
        PyTypeObject* tp = build_type(*spec);
        if (!tp) throw ErrorAlreadySet{};
        // The type is found while its attributes are made (they are instances of it).
        built_ = spec.get();
        try {
            for (auto f : def.after_build_) f(tp);
        } catch (...) {
            built_ = nullptr;
            // Instances made meanwhile keep the type, and so its ClassSpec, alive.
            PyObject* held = reinterpret_cast<PyObject*>(tp);
            if (Py_REFCNT(held) == 1) Py_DECREF(held);
            else (void)spec.release();
            throw;
        }
        (void)spec.release();
        return tp;
    }

    static inline constinit ClassSpec* built_ = nullptr;
    ClassSpec& spec_;
    std::vector<void (*)(PyTypeObject*)> after_build_;
};

template <Declared T>
PyTypeObject* type_of() {
    PyTypeObject* tp = ClassDef<T>::type_or_null();
    if (!tp) throw ErrorAlreadySet{};
    return tp;
}

}  // namespace vemo::py
