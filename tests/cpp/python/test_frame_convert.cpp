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

// A result that records each conversion and fails for names starting with "bad".
struct Probe {
    std::string name;
    auto operator<=>(const Probe&) const = default;
};

namespace {
std::vector<std::string> conversions;
}

template <>
struct vemo::py::ToPy<Probe> {
    static Obj convert(Probe&& p) {
        conversions.push_back(p.name);
        if (p.name.starts_with("bad")) raise(PyExc_TypeError, "cannot write " + p.name);
        return to_py_str(p.name);
    }
};

using namespace vemo::py;

namespace {

// Runs f at the boundary: "" on success, else the error's message; clears it.
template <class F>
std::string failure(F&& f) {
    conversions.clear();
    PyObject* r = guarded<PyObject*>(nullptr, [&]() -> PyObject* {
        f();
        return Py_None;
    });
    if (r) return "";
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Obj t = Obj::steal(type), v = Obj::steal(value), b = Obj::steal(tb);
    return v ? str_of(v.get()) : "?";
}

template <class T>
std::string to_python(T value) {
    return failure([&] { to_py(std::move(value)); });
}

using Seq = std::vector<std::string>;
using ProbeMap = std::map<Probe, Probe>;
using ProbePair = std::pair<Probe, Probe>;
using ProbeVec = std::vector<Probe>;
using ProbeTuple = std::tuple<Probe, Probe>;
using ProbeTriple = std::tuple<Probe, Probe, Probe>;

}  // namespace

TEST(FrameConvert, ResultPartsFirstToLast) {
    EXPECT_EQ(to_python(ProbeMap{{{"k1"}, {"v1"}}, {{"k2"}, {"v2"}}}), "");
    EXPECT_EQ(conversions, (Seq{"k1", "v1", "k2", "v2"}));
    EXPECT_EQ(to_python(ProbeTriple{{"a"}, {"b"}, {"c"}}), "");
    EXPECT_EQ(conversions, (Seq{"a", "b", "c"}));
    EXPECT_EQ(to_python(ProbePair{{"a"}, {"b"}}), "");
    EXPECT_EQ(conversions, (Seq{"a", "b"}));
}

TEST(FrameConvert, FirstBadResultPartIsReported) {
    EXPECT_EQ(to_python(ProbeMap{{{"bad key"}, {"bad value"}}}), "cannot write bad key");
    EXPECT_EQ(to_python(ProbeMap{{{"a"}, {"bad value"}}, {{"bad key"}, {"b"}}}),
              "cannot write bad value");
    EXPECT_EQ(to_python(ProbeTuple{{"bad a"}, {"bad b"}}), "cannot write bad a");
    EXPECT_EQ(to_python(ProbePair{{"bad a"}, {"bad b"}}), "cannot write bad a");
    EXPECT_EQ(to_python(ProbeVec{{"bad a"}, {"bad b"}}), "cannot write bad a");
}
