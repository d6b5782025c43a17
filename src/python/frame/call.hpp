// One Python call: arguments matched by position and keyword against the
// method's text signature, class-typed arguments checked, the rest
// converted, then borrows taken (self first, then parameters in order).
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <concepts>
#include <string>
#include <string_view>
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
// `nullable`: the parameter may be absent or None (null / nullopt then).

template <class P>
struct Holder {  // a plain value, converted from Python
    using V = std::remove_cvref_t<P>;
    static constexpr bool is_class = false;
    static constexpr bool nullable = false;
    std::optional<V> v;
    void load(PyObject* o, const Param& p) {
        with_argument_name(p.name, [&] { v.emplace(FromPy<V>::convert(o)); });
    }
    void borrow() {}
    void release() {}
    V&& get() { return std::move(*v); }
};

template <>
struct Holder<PyObject*> {  // unconverted; null when absent
    static constexpr bool is_class = false;
    static constexpr bool nullable = true;
    PyObject* v = nullptr;
    void load(PyObject* o, const Param&) { v = o; }
    void borrow() {}
    void release() {}
    PyObject* get() { return v; }
};

template <class V>
struct Holder<std::optional<V>> {  // absent or None give nullopt
    static constexpr bool is_class = false;
    static constexpr bool nullable = true;
    std::optional<V> v;
    void load(PyObject* o, const Param& p) {
        if (o && o != Py_None) with_argument_name(p.name, [&] { v.emplace(FromPy<V>::convert(o)); });
    }
    void borrow() {}
    void release() {}
    std::optional<V>&& get() { return std::move(v); }
};

// An object of class T: `const T&` borrowed shared, `T&` exclusively; the
// pointer forms give null for None (and for an absent optional parameter).
template <Bound T, class Guard, bool Nullable>
struct ClassHolder {
    static constexpr bool is_class = true;
    static constexpr bool nullable = Nullable;
    Instance<T>* inst = nullptr;
    std::optional<Guard> g;
    void load(PyObject* o, const Param& p) {
        if (Nullable && (!o || o == Py_None)) return;
        inst = instance_cast<T>(o);
        if (!inst) raise_cast_error(o, p.name, PyClass<T>::name);
    }
    void borrow() {
        if (inst) g.emplace(inst);
    }
    void release() { g.reset(); }
};
template <Bound T>
struct Holder<const T&> : ClassHolder<T, SharedBorrow<T>, false> {
    const T& get() { return this->inst->value; }
};
template <Bound T>
struct Holder<T&> : ClassHolder<T, ExclusiveBorrow<T>, false> {
    T& get() { return this->inst->value; }
};
template <Bound T>
struct Holder<const T*> : ClassHolder<T, SharedBorrow<T>, true> {
    const T* get() { return this->inst ? &this->inst->value : nullptr; }
};
template <Bound T>
struct Holder<T*> : ClassHolder<T, ExclusiveBorrow<T>, true> {
    T* get() { return this->inst ? &this->inst->value : nullptr; }
};

// ---- the bound functions ----

// Parameters and result of a function pointer, or of a member function of
// class C called on `Self` (a class derived from C, or C itself).
template <class F, class Self>
struct FnTraits;
template <class R, class... A, class Self>
struct FnTraits<R (*)(A...), Self> {
    using Ret = R;
    using Args = std::tuple<A...>;
};
template <class R, class... A, class Self>
struct FnTraits<R (*)(A...) noexcept, Self> : FnTraits<R (*)(A...), Self> {};

template <class C, class Self>
using SelfOf = std::conditional_t<std::is_base_of_v<C, Self>, Self, C>;

template <class R, class C, class... A, class Self>
struct FnTraits<R (C::*)(A...), Self> {
    using Ret = R;
    using Args = std::tuple<SelfOf<C, Self>&, A...>;
};
template <class R, class C, class... A, class Self>
struct FnTraits<R (C::*)(A...) noexcept, Self> : FnTraits<R (C::*)(A...), Self> {};
template <class R, class C, class... A, class Self>
struct FnTraits<R (C::*)(A...) const, Self> {
    using Ret = R;
    using Args = std::tuple<const SelfOf<C, Self>&, A...>;
};
template <class R, class C, class... A, class Self>
struct FnTraits<R (C::*)(A...) const noexcept, Self> : FnTraits<R (C::*)(A...) const, Self> {};

// A function pointer, a member function pointer, or a capture-less lambda turned into a function pointer.
template <auto F>
constexpr auto callable() {
    if constexpr (std::is_member_function_pointer_v<decltype(F)>) return F;
    else return +F;
}
template <auto F>
inline constexpr auto fn_ptr = callable<F>();

template <auto F, class Self = void>
using Traits = FnTraits<std::remove_const_t<decltype(fn_ptr<F>)>, Self>;

template <auto F, class... X>
decltype(auto) call_fn(X&&... x) {
    return std::invoke(fn_ptr<F>, std::forward<X>(x)...);
}

// What a call does with operands it cannot take.
enum class Operands {
    raise,         // a method: TypeError (and the others) propagate
    foreign,       // a number slot: an operand of the wrong type or range gives NotImplemented
    unborrowable,  // an in-place number slot: also a refused borrow gives NotImplemented
};

// True (the error cleared) when the Python error from converting an operand means "not my operand".
bool is_foreign_operand(PyObject* type);
bool foreign_operand_error_set();

// Calls F with Python arguments (`self` is null for static functions) and
// passes its result (nothing for void) to `then`, which makes the Python result.
// Order: match the arguments, check class-typed ones, convert the others, then
// borrow (self first, then the parameters in order), then call. A result held
// by value is converted after the borrows are released: its conversion may run
// Python code (NumPy, SciPy), and other threads may then use the operands.
// A reference, pointer or string_view result may view an operand and is
// converted under the borrows.
template <auto F, class Self, Operands Mode = Operands::raise, class Then>
Obj invoke(const Signature& sig, PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
           Then&& then) {
    using Tr = Traits<F, Self>;
    return [&]<class... A>(std::tuple<A...>*) -> Obj {
        constexpr size_t N = sizeof...(A);
        std::array<PyObject*, N + 1> raw{};
        const size_t off = sig.has_self ? 1 : 0;
        match_arguments(sig, args, nargs, kwnames, raw.data() + off);
        if (sig.has_self) raw[0] = self;
        std::tuple<Holder<A>...> hs;
        static const Param self_param{"self"};
        auto param = [&](size_t k) -> const Param& { return k < off ? self_param : sig.params[k - off]; };
        auto load = [&]<size_t... I>(std::index_sequence<I...>) {
            ((std::tuple_element_t<I, std::tuple<Holder<A>...>>::is_class ? std::get<I>(hs).load(raw[I], param(I))
                                                                        : void()),
             ...);
            ((!std::tuple_element_t<I, std::tuple<Holder<A>...>>::is_class ? std::get<I>(hs).load(raw[I], param(I))
                                                                         : void()),
             ...);
        };
        auto borrow = [&] { std::apply([](auto&... h) { (h.borrow(), ...); }, hs); };
        if constexpr (Mode == Operands::raise) {
            load(std::index_sequence_for<A...>{});
            borrow();
        } else {
            try {
                load(std::index_sequence_for<A...>{});
            } catch (const PyError& e) {
                if (!is_foreign_operand(e.type)) throw;
                return not_implemented();
            } catch (const ErrorAlreadySet&) {
                if (!foreign_operand_error_set()) throw;
                return not_implemented();
            }
            if constexpr (Mode == Operands::unborrowable) {
                try {
                    borrow();
                } catch (const PyError& e) {
                    if (e.type != PyExc_RuntimeError) throw;
                    return not_implemented();
                }
            } else {
                borrow();
            }
        }
        using R = typename Tr::Ret;
        if constexpr (std::is_void_v<R>) {
            std::apply([](auto&... h) { call_fn<F>(h.get()...); }, hs);
            return then();
        } else if constexpr (std::is_reference_v<R> || std::is_pointer_v<R> || std::same_as<R, std::string_view>) {
            return then(std::apply([](auto&... h) -> R { return call_fn<F>(h.get()...); }, hs));
        } else {
            R r = std::apply([](auto&... h) -> R { return call_fn<F>(h.get()...); }, hs);
            std::apply([](auto&... h) { (h.release(), ...); }, hs);
            return then(std::move(r));
        }
    }(static_cast<typename Tr::Args*>(nullptr));
}

// The plain result conversion.
struct ToPython {
    Obj operator()() const { return none(); }
    template <class R>
    Obj operator()(R&& r) const {
        return to_py(std::forward<R>(r));
    }
};

// Checked when the type is built: the signature's parameters against F's.
template <auto F, class Self>
void check_binding(const Signature& sig) {
    using Args = typename Traits<F, Self>::Args;
    [&]<class... A>(std::tuple<A...>*) {
        constexpr size_t N = sizeof...(A);
        const size_t off = sig.has_self ? 1 : 0;
        if (sig.params.size() + off != N)
            raise(PyExc_SystemError, sig.full_name + " is bound with " + std::to_string(sig.params.size()) +
                                         " parameters to a function of " + std::to_string(N - off));
        constexpr bool nullable[] = {Holder<A>::nullable..., false};
        for (size_t k = 0; k < sig.params.size(); ++k)
            if (!sig.params[k].required && !nullable[k + off])
                raise(PyExc_SystemError, sig.full_name + ": parameter '" + sig.params[k].name +
                                             "' has a default but its C++ type cannot be absent");
    }(static_cast<Args*>(nullptr));
}

}  // namespace vemo::py
