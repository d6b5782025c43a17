// The order of the frame's result conversions, in an embedded interpreter (no
// method's result can fail to convert from Python): the parts of a map, pair,
// tuple or vector are converted first to last, so that of two bad parts the
// first one's error is the one raised. Arguments: tests/python/frame/test_convert.py.
#include <gtest/gtest.h>

#include "embedded.hpp"

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "python/frame/convert.hpp"

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

// Converts value at the boundary: "" on success, else the error's message; clears it.
template <class T>
std::string to_python(T value) {
    auto body = [&]() -> PyObject* {
        to_py(std::move(value));
        return Py_None;
    };
    if (guarded<PyObject*>(nullptr, body)) return "";
    PyObject *type, *message, *tb;
    PyErr_Fetch(&type, &message, &tb);
    Obj t = Obj::steal(type), m = Obj::steal(message), b = Obj::steal(tb);
    return m ? str_of(m.get()) : "?";
}

}  // namespace

TEST(FrameConvert, FirstBadResultPartIsReported) {
    using Map = std::map<Probe, Probe>;
    EXPECT_EQ(to_python(Map{{{"a"}, {"b"}}, {{"c"}, {"d"}}}), "");
    EXPECT_EQ(to_python(Map{{{"bad key"}, {"bad value"}}}), "cannot write bad key");
    EXPECT_EQ(to_python(Map{{{"a"}, {"bad value"}}, {{"bad key"}, {"b"}}}), "cannot write bad value");
    EXPECT_EQ(to_python(std::tuple<Probe, Probe, Probe>{{"a"}, {"bad b"}, {"bad c"}}), "cannot write bad b");
    EXPECT_EQ(to_python(std::pair<Probe, Probe>{{"bad a"}, {"bad b"}}), "cannot write bad a");
    EXPECT_EQ(to_python(std::vector<Probe>{{"bad a"}, {"bad b"}}), "cannot write bad a");
}
