// The frame's error boundary, in an embedded interpreter: what each kind of
// C++ failure becomes in Python, which of two bad result parts is reported,
// the index rule, and that no borrow outlives a failed call.
#include <gtest/gtest.h>

#include "embedded.hpp"

#include <cstdint>
#include <expected>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "python/frame/bind.hpp"

struct Held {
    int value = 0;
};
VEMO_PY_CLASS(Held, "Held");

// A result that fails to convert when its name starts with "bad".
struct Probe {
    std::string name;
    auto operator<=>(const Probe&) const = default;
};

template <>
struct vemo::py::ToPy<Probe> {
    static Obj convert(Probe&& p) {
        if (p.name.starts_with("bad")) raise(PyExc_TypeError, "cannot write " + p.name);
        return to_py_str(p.name);
    }
};

using namespace vemo::py;

namespace {


// Runs f at the boundary and returns (exception type, message), clearing the error.
template <class F>
std::pair<Obj, std::string> boundary(F&& f) {
    PyObject* r = guarded<PyObject*>(nullptr, std::forward<F>(f));
    EXPECT_EQ(r, nullptr);
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Obj t = Obj::steal(type), v = Obj::steal(value), b = Obj::steal(tb);
    return {t, v ? str_of(v.get()) : std::string()};
}

}  // namespace

TEST(FrameErrors, InternalFailureIsPanicDerivedFromBaseException) {
    auto [type, msg] = boundary([]() -> PyObject* { vemo::internal_failure("invariant broken"); });
    ASSERT_TRUE(type);
    EXPECT_EQ(msg, "invariant broken");
    auto* tp = reinterpret_cast<PyTypeObject*>(type.get());
    EXPECT_TRUE(PyType_IsSubtype(tp, reinterpret_cast<PyTypeObject*>(PyExc_BaseException)));
    EXPECT_FALSE(PyType_IsSubtype(tp, reinterpret_cast<PyTypeObject*>(PyExc_Exception)));
}

TEST(FrameErrors, KindsOfFailure) {
    EXPECT_EQ(boundary([]() -> PyObject* { throw std::bad_alloc(); }).first.get(), PyExc_MemoryError);
    auto [type, msg] = boundary([]() -> PyObject* { raise(PyExc_ValueError, std::string("a\0b", 3)); });
    EXPECT_EQ(type.get(), PyExc_ValueError);
    EXPECT_EQ(msg, std::string("a\0b", 3));  // the whole message, NUL included
    // A file name that is not UTF-8 in a text: its bytes escaped, whichever way the text is thrown.
    auto [mtype, mmsg] =
        boundary([]() -> PyObject* { throw vemo::AllocRefused("Cannot load 'caf\xe9': out of memory."); });
    EXPECT_EQ(mtype.get(), PyExc_MemoryError);
    EXPECT_EQ(mmsg, "Cannot load 'caf\\xe9': out of memory.");
    EXPECT_EQ(boundary([]() -> PyObject* { raise(PyExc_ValueError, "'caf\xe9'"); }).second, "'caf\\xe9'");
    auto [itype, imsg] = boundary([]() -> PyObject* {
        to_py_result(try_py_index(-4, 3));
        return nullptr;
    });
    EXPECT_EQ(itype.get(), PyExc_IndexError);
    EXPECT_EQ(imsg, "Element index -1 is out-of-bounds for container of length 3.");
}

// The index rule at the edges of the 64-bit ranges (lengths past 2^63 and 0,
// which Python lists of rows cannot reach): j = index + len, valid when
// 0 <= j < len, the refused j named as it is.
TEST(FrameErrors, IndexRuleAtTheBoundaries) {
    constexpr uint64_t half = uint64_t{1} << 63;
    struct Case {
        int64_t index;
        uint64_t len;
        int64_t j;
        bool ok;
    };
    for (const Case& c : {Case{INT64_MIN, 0, INT64_MIN, false}, Case{-1, 0, -1, false}, Case{0, 0, 0, false},
                          Case{INT64_MIN, half, 0, true}, Case{INT64_MIN, UINT64_MAX, INT64_MAX, true},
                          Case{INT64_MAX, UINT64_MAX, INT64_MAX, true}}) {
        const auto r = try_py_index(c.index, c.len);
        ASSERT_EQ(r.has_value(), c.ok) << c.index << " " << c.len;
        EXPECT_EQ(c.ok ? static_cast<int64_t>(*r) : r.error().index, c.j) << c.index << " " << c.len;
        if (!c.ok) {
            EXPECT_EQ(r.error().length, c.len);
        }
    }
    EXPECT_EQ(*try_py_index(-1, UINT64_MAX), UINT64_MAX - 1);  // beyond int64_t
    EXPECT_EQ(try_py_indices({0, INT64_MIN, -1}, half).value(), (std::vector<uint64_t>{0, 0, half - 1}));
    EXPECT_EQ(try_py_indices({0, 5, INT64_MIN}, 3).error().index, 5);
}

// Thrown or returned, a refused allocation is a MemoryError with its own text;
// other failed allocations keep the plain MemoryError.
TEST(FrameErrors, RefusedAllocationsAreMemoryErrorsWithTheirText) {
    const vemo::AllocationRefused refused{"a dense state vector", uint64_t{1} << 40, 16};
    const auto thrown = boundary([&]() -> PyObject* { throw vemo::AllocationRefusedError(refused); });
    const auto returned = boundary([&]() -> PyObject* {
        to_py_result(std::expected<void, vemo::AllocationRefused>(std::unexpected(refused)));
        return nullptr;
    });
    for (const auto& [type, text] : {thrown, returned}) {
        EXPECT_EQ(type.get(), PyExc_MemoryError);
        EXPECT_EQ(text, refused.message());
    }
    EXPECT_EQ(boundary([]() -> PyObject* { throw std::length_error("vector"); }).first.get(), PyExc_MemoryError);
}

// No method's result can fail to convert from Python, so here: the parts of a
// map, pair, tuple or vector convert first to last, and of two bad parts the
// first one's error is raised (arguments: tests/python/frame/test_convert.py).
TEST(FrameErrors, FirstBadResultPartIsReported) {
    auto message = [](auto value) {
        return boundary([&]() -> PyObject* {
                   to_py(std::move(value));
                   return nullptr;
               })
            .second;
    };
    using Map = std::map<Probe, Probe>;
    EXPECT_EQ(message(Map{{{"a"}, {"b"}}, {{"c"}, {"d"}}}), "");
    EXPECT_EQ(message(Map{{{"bad key"}, {"bad value"}}}), "cannot write bad key");
    EXPECT_EQ(message(Map{{{"a"}, {"bad value"}}, {{"bad key"}, {"b"}}}), "cannot write bad value");
    EXPECT_EQ(message(std::tuple<Probe, Probe, Probe>{{"a"}, {"bad b"}, {"bad c"}}), "cannot write bad b");
    EXPECT_EQ(message(std::pair<Probe, Probe>{{"bad a"}, {"bad b"}}), "cannot write bad a");
    EXPECT_EQ(message(std::vector<Probe>{{"bad a"}, {"bad b"}}), "cannot write bad a");
}

TEST(FrameErrors, BorrowsAreReleasedWhenTheBodyFails) {
    Instance<Held> fake{};
    fake.borrow = 0;
    boundary([&]() -> PyObject* {
        ExclusiveBorrow<Held> g(&fake);
        vemo::internal_failure("after borrowing");
    });
    EXPECT_EQ(fake.borrow, 0);
    auto [t1, m1] = boundary([&]() -> PyObject* {
        SharedBorrow<Held> a(&fake);
        SharedBorrow<Held> b(&fake);
        ExclusiveBorrow<Held> c(&fake);
        return nullptr;
    });
    EXPECT_EQ(t1.get(), PyExc_RuntimeError);
    EXPECT_EQ(m1, "Already borrowed");
    EXPECT_EQ(fake.borrow, 0);
    auto [t2, m2] = boundary([&]() -> PyObject* {
        ExclusiveBorrow<Held> a(&fake);
        SharedBorrow<Held> b(&fake);
        return nullptr;
    });
    EXPECT_EQ(t2.get(), PyExc_RuntimeError);
    EXPECT_EQ(m2, "Already mutably borrowed");
    EXPECT_EQ(fake.borrow, 0);
}
