// One Python call: arguments matched by position and keyword against the
// method's text signature, class-typed arguments checked, the rest
// converted, then borrows taken (self first, then parameters in order).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "python/frame/convert.hpp"

namespace vemo::py {

struct Param {
    std::string name;
    PyObject* interned = nullptr;
    bool required = true;
    bool kw_only = false;
};

// Parsed from the signature line "name($self, a, b=None, *, c=None)".
struct Signature {
    std::string method_name;  // "name"
    std::string full_name;    // "Class.name()"
    std::vector<Param> params;
    size_t n_positional = 0;
    size_t n_required_positional = 0;
    bool has_self = false;
};

// Throws PyError (SystemError) on a malformed docstring: a bug caught at import.
Signature parse_signature(const std::string& cls, const char* doc, bool is_new);

// Matches args/kwnames to the parameters; out[k] is a borrowed reference or
// null when absent (None counts as absent for optional parameters).
void match_arguments(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                     PyObject** out);

// Re-raises a TypeError from converting argument `name` as "argument 'name': ...".
[[noreturn]] void rethrow_argument_error(const char* name);

template <class F, class... Args>
decltype(auto) with_argument_name(const std::string& name, F&& f) {
    try {
        return f();
    } catch (const PyError& e) {
        if (e.type == PyExc_TypeError) raise(PyExc_TypeError, "argument '" + name + "': " + e.message);
        throw;
    } catch (const ErrorAlreadySet&) {
        rethrow_argument_error(name.c_str());
    }
}

[[noreturn]] void raise_cast_error(PyObject* o, const std::string& param, const char* cls);

// ---- holders: one per C++ parameter type ----

template <class P>
struct Holder {  // a plain value, converted from Python
    using V = std::remove_cvref_t<P>;
    static constexpr bool is_class = false;
    std::optional<V> v;
    void load(PyObject* o, const Param& p) {
        with_argument_name(p.name, [&] { v.emplace(FromPy<V>::convert(o)); });
    }
    void borrow() {}
    V&& get() { return std::move(*v); }
};

template <class V>
struct Holder<std::optional<V>> {  // optional: absent or None give nullopt
    static constexpr bool is_class = false;
    std::optional<V> v;
    void load(PyObject* o, const Param& p) {
        if (o) with_argument_name(p.name, [&] { v.emplace(FromPy<V>::convert(o)); });
    }
    void borrow() {}
    std::optional<V>&& get() { return std::move(v); }
};

template <Bound T>
struct Holder<const T&> {  // read: shared borrow
    static constexpr bool is_class = true;
    Instance<T>* inst = nullptr;
    std::optional<SharedBorrow<T>> g;
    void load(PyObject* o, const Param& p) {
        inst = instance_cast<T>(o);
        if (!inst) raise_cast_error(o, p.name, PyClass<T>::name);
    }
    void borrow() { g.emplace(inst); }
    const T& get() { return inst->value; }
};

template <Bound T>
struct Holder<T&> {  // written: exclusive borrow
    static constexpr bool is_class = true;
    Instance<T>* inst = nullptr;
    std::optional<ExclusiveBorrow<T>> g;
    void load(PyObject* o, const Param& p) {
        inst = instance_cast<T>(o);
        if (!inst) raise_cast_error(o, p.name, PyClass<T>::name);
    }
    void borrow() { g.emplace(inst); }
    T& get() { return inst->value; }
};

template <Bound T>
struct Holder<const T*> {  // optional read argument
    static constexpr bool is_class = true;
    Instance<T>* inst = nullptr;
    std::optional<SharedBorrow<T>> g;
    void load(PyObject* o, const Param& p) {
        if (!o) return;
        inst = instance_cast<T>(o);
        if (!inst) raise_cast_error(o, p.name, PyClass<T>::name);
    }
    void borrow() {
        if (inst) g.emplace(inst);
    }
    const T* get() { return inst ? &inst->value : nullptr; }
};

template <class F>
struct FnTraits;
template <class R, class... A>
struct FnTraits<R (*)(A...)> {
    using Ret = R;
    using Args = std::tuple<A...>;
    static constexpr size_t arity = sizeof...(A);
};

// A function pointer, or a capture-less lambda turned into one.
template <auto F>
inline constexpr auto fn_ptr = +F;

// Calls F with Python arguments; `self` is null for static functions.
template <auto F>
Obj invoke(const Signature& sig, PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    using Tr = FnTraits<std::remove_const_t<decltype(fn_ptr<F>)>>;
    return [&]<class... A>(std::tuple<A...>*) -> Obj {
        constexpr size_t N = sizeof...(A);
        std::array<PyObject*, N + 1> raw{};
        const size_t off = sig.has_self ? 1 : 0;
        if (sig.params.size() + off != N)
            raise(PyExc_SystemError, sig.full_name + " is bound with a signature that does not match its function");
        match_arguments(sig, args, nargs, kwnames, raw.data() + off);
        if (sig.has_self) raw[0] = self;
        std::tuple<Holder<A>...> hs;
        static const Param self_param{"self"};
        auto param = [&](size_t k) -> const Param& { return k < off ? self_param : sig.params[k - off]; };
        // Class-typed arguments are checked first, then the others converted,
        // and only then is anything borrowed.
        [&]<size_t... I>(std::index_sequence<I...>) {
            ((std::tuple_element_t<I, std::tuple<Holder<A>...>>::is_class ? std::get<I>(hs).load(raw[I], param(I))
                                                                        : void()),
             ...);
            ((!std::tuple_element_t<I, std::tuple<Holder<A>...>>::is_class ? std::get<I>(hs).load(raw[I], param(I))
                                                                         : void()),
             ...);
            (std::get<I>(hs).borrow(), ...);
        }(std::index_sequence_for<A...>{});
        using R = typename Tr::Ret;
        if constexpr (std::is_void_v<R>) {
            std::apply([](auto&... h) { fn_ptr<F>(h.get()...); }, hs);
            return none();
        } else {
            return to_py(std::apply([](auto&... h) -> R { return fn_ptr<F>(h.get()...); }, hs));
        }
    }(static_cast<typename Tr::Args*>(nullptr));
}

}  // namespace vemo::py
