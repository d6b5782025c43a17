// The error convention: every core error type maps to one Python exception
// type, with the error's own message as the text.
#pragma once

#include <pthread.h>

#include <concepts>
#include <expected>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/base/errors.hpp"
#include "core/container/any_error.hpp"
#include "core/utils/memory.hpp"
#include "python/frame/py.hpp"

namespace vemo::py {

// Specialise with `static PyObject* type(const E&)`; the message is e.message().
// An exception that carries more than its message (OSError's errno, strerror
// and filename) is made by `static bool set(const E&)` besides, which sets the
// interpreter's error itself and returns true, or returns false for the
// type and message.
template <class E>
struct ErrorToException;

template <class E>
concept SetsOwnException = requires(const E& e) {
    { ErrorToException<E>::set(e) } -> std::same_as<bool>;
};

// Sets the exception of an error that makes its own; false for the others.
template <class E>
bool set_own_exception(const E& e) {
    if constexpr (SetsOwnException<E>) return ErrorToException<E>::set(e);
    else return false;
}

template <>
struct ErrorToException<OutOfBounds> {
    static PyObject* type(const OutOfBounds&) { return PyExc_IndexError; }
};
template <>
struct ErrorToException<IndistinctError> {
    static PyObject* type(const IndistinctError&) { return PyExc_ValueError; }
};

// A buffer larger than memory, refused before allocating: MemoryError naming
// it and its size, whether returned as a value or thrown.
template <>
struct ErrorToException<AllocationRefused> {
    static PyObject* type(const AllocationRefused&) { return PyExc_MemoryError; }
};

// The exception of the error held.
template <class... Es>
struct ErrorToException<AnyError<Es...>> {
    static PyObject* type(const AnyError<Es...>& e) {
        return std::visit([](const auto& x) { return ErrorToException<std::decay_t<decltype(x)>>::type(x); }, e.v);
    }
    static bool set(const AnyError<Es...>& e) {
        return std::visit([](const auto& x) { return set_own_exception(x); }, e.v);
    }
};

template <class E>
[[noreturn]] void raise_error(const E& e) {
    if (set_own_exception(e)) throw ErrorAlreadySet{};
    throw PyError{ErrorToException<E>::type(e), e.message()};
}

// The success value, or the error raised as its Python exception.
template <class T, class E>
decltype(auto) to_py_result(std::expected<T, E>&& r) {
    if (!r) raise_error(r.error());
    if constexpr (!std::is_void_v<T>) return std::move(*r);
}

// The index error of the Python index rule.
struct PyIndexError {
    int64_t index;
    uint64_t length;
    std::string message() const {
        return "Element index " + std::to_string(index) + " is out-of-bounds for container of length " +
               std::to_string(length) + ".";
    }
};
template <>
struct ErrorToException<PyIndexError> {
    static PyObject* type(const PyIndexError&) { return PyExc_IndexError; }
};

// A negative index counts from the end. Worked in unsigned arithmetic, so the
// rule holds for every length up to 2^64 - 1: on a length of 2^63 the index
// -2^63 is 0. A refused index is index + len, which then fits 64 signed bits.
inline std::expected<uint64_t, PyIndexError> try_py_index(int64_t index, uint64_t len) {
    const uint64_t u = static_cast<uint64_t>(index);
    if (index >= 0) {
        if (u < len) return u;
        return std::unexpected(PyIndexError{index, len});
    }
    const uint64_t back = uint64_t{0} - u;  // -index, exact even for -2^63
    if (back <= len) return len - back;
    return std::unexpected(PyIndexError{static_cast<int64_t>(u + len), len});
}

// try_py_index's value, or its IndexError raised.
inline uint64_t py_index(int64_t index, uint64_t len) { return to_py_result(try_py_index(index, len)); }

inline std::expected<std::vector<uint64_t>, PyIndexError> try_py_indices(std::vector<int64_t> indices,
                                                                          uint64_t len) {
    std::vector<uint64_t> out;
    out.reserve(indices.size());
    for (int64_t i : indices) {
        auto r = try_py_index(i, len);
        if (!r) return std::unexpected(r.error());
        out.push_back(*r);
    }
    return out;
}

// Runs f, turning every C++ failure into the interpreter's error state.
// Returns f's result, or `fail` after setting the error.
void set_panic(const char* what);
void set_error(const PyError& e);
void set_error(PyObject* type, std::string_view message);  // allocates no C++ memory

// The C++ runtime keeps a thread's exception state in thread-local memory
// that the C library allocates at the thread's first use of it, and ends the
// process ("cannot allocate memory for thread-local data") when that
// allocation fails. A thread's first throw, when memory may have run out, is
// such a use. Where it can, the loader sets that memory aside for every thread
// when the module is loaded (static_tls.cpp says how). Otherwise every call
// first makes sure its thread's state exists: a thread marked ready has it; on
// any other thread the state is allocated only after a block larger than it
// (and than the table of such blocks, when that must grow) has just been
// allocated and freed on this thread, which leaves it that room. When no such
// block can be had, MemoryError is set and the call runs nothing. The mark is
// a pthread key's value (the key made by the first call, not at load), whose
// setting never fails for lack of memory on a key below 32; on a later key it
// can, and the thread then stays unmarked and is checked again at its next call.
namespace detail {
struct ReadyThreads {
    pthread_key_t key{};
    bool have_key = false;
};
extern constinit ReadyThreads ready_threads;
[[gnu::cold, gnu::noinline]] bool ready_new_thread() noexcept;
}  // namespace detail

// Whether the calling thread may throw; false with MemoryError set when it
// cannot be made ready.
inline bool ready_thread_for_exceptions() noexcept {
    if (detail::ready_threads.have_key && pthread_getspecific(detail::ready_threads.key)) [[likely]]
        return true;
    return detail::ready_new_thread();
}

template <class R, class F>
R guarded(R fail, F&& f) noexcept {
    if (!ready_thread_for_exceptions()) [[unlikely]]
        return fail;
    try {
        return f();
    } catch (const PyError& e) {
        set_error(e);
    } catch (const ErrorAlreadySet&) {
        if (!PyErr_Occurred()) set_panic("error indicator lost");
    } catch (const AllocRefused& e) {  // a refused size, with its text
        set_error(PyExc_MemoryError, e.what());
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::length_error&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        set_panic(e.what());
    } catch (...) {
        set_panic("unknown internal failure");
    }
    return fail;
}

}  // namespace vemo::py
