// The frame's error boundary, in an embedded interpreter: what each kind of
// C++ failure becomes in Python, and that no borrow outlives a failed call.
#include <gtest/gtest.h>

#include "embedded.hpp"

#include <cstdint>
#include <expected>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "python/frame/bind.hpp"

struct Held {
    int value = 0;
};
VEMO_PY_CLASS(Held, "Held");

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

TEST(FrameErrors, RefusedAllocationsAreMemoryErrorsWithTheirText) {
    const vemo::AllocationRefused refused{"a dense state vector", uint64_t{1} << 40, 16};
    auto [t1, m1] = boundary([&]() -> PyObject* { throw vemo::AllocationRefusedError(refused); });
    auto [t2, m2] = boundary([&]() -> PyObject* {
        to_py_result(std::expected<void, vemo::AllocationRefused>(std::unexpected(refused)));
        return nullptr;
    });
    EXPECT_EQ(t1.get(), PyExc_MemoryError);
    EXPECT_EQ(t2.get(), PyExc_MemoryError);
    EXPECT_EQ(m1, refused.message());
    EXPECT_EQ(m2.rfind("Cannot allocate a dense state vector of 1099511627776 entries (17592186044416 bytes)", 0), 0u);
    EXPECT_EQ(m2, m1);
    // Other failed allocations keep the plain MemoryError.
    EXPECT_EQ(boundary([]() -> PyObject* { throw std::length_error("vector"); }).first.get(), PyExc_MemoryError);
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
