// Class declarations of the frame, in an embedded interpreter: a base class
// whose subclasses add only constructors, read-only properties, member
// functions, required class arguments that may be None, sections of a member
// list, and bindings whose signature does not fit their function (refused when
// the type is built, in a section too).
#include <gtest/gtest.h>

#include "embedded.hpp"

#include <cstdint>
#include <optional>
#include <string>

#include "python/frame/bind.hpp"

struct Shape {
    int64_t sides = 0;
    int64_t n_sides() const { return sides; }
    void grow(int64_t n) { sides += n; }
};
struct Triangle;
struct Square;
VEMO_PY_CLASS(Shape, "Shape");
VEMO_PY_SUBCLASS(Triangle, Shape, "Triangle");
VEMO_PY_SUBCLASS(Square, Shape, "Square");

struct BadDefault {};
struct BadCount {};
struct TwoNames {};
VEMO_PY_CLASS(BadDefault, "BadDefault");
VEMO_PY_CLASS(BadCount, "BadCount");
VEMO_PY_CLASS(TwoNames, "TwoNames");

struct Sectioned {
    int64_t n = 0;
};
struct BadSection {};
VEMO_PY_CLASS(Sectioned, "Sectioned");
VEMO_PY_CLASS(BadSection, "BadSection");

namespace vemo::py {
namespace {

Shape triangle(std::optional<int64_t> extra) { return Shape{3 + extra.value_or(0)}; }
Shape square() { return Shape{4}; }
// A required argument that may be None.
int64_t sides_or_zero(const Shape* s) { return s ? s->sides : -1; }
int64_t takes_int(const BadDefault&, int64_t x) { return x; }
int64_t takes_one(const BadCount&, int64_t x) { return x; }
int64_t same_twice(const TwoNames&, int64_t x) { return x; }

int64_t plus(const Sectioned& s, int64_t k) { return s.n + k; }
int64_t minus(const Sectioned& s, int64_t k) { return s.n - k; }
int64_t times(const Sectioned& s, int64_t k) { return s.n * k; }
Sectioned made(int64_t n) { return Sectioned{n}; }
void define_middle(ClassDef<Sectioned>& c) { c.def<&minus>("second($self, k)\n--\n\nn - k."); }
void define_empty(ClassDef<Sectioned>&) {}
int64_t takes_none(const BadSection&) { return 0; }
int64_t also_takes_none(const BadSection&) { return 1; }
void define_bad(ClassDef<BadSection>& c) { c.def<&also_takes_none>("f($self, x)\n--\n\nOne parameter too many."); }

}  // namespace

VEMO_CLASS(Shape) {
    c.doc("Base class of shapes.");
    c.def<&Shape::n_sides>("n_sides($self)\n--\n\nThe number of sides.");
    c.def<&Shape::grow>("grow($self, n)\n--\n\nAdd n sides.");
    c.prop<&Shape::n_sides>("sides", "The number of sides.");
    c.def_static<&sides_or_zero>("sides_or_zero(shape)\n--\n\nThe sides of shape, -1 for None.");
}
VEMO_CLASS(Triangle) {
    c.doc("Triangle(extra=None)\n--\n\nA triangle.");
    c.init<&triangle>();
}
VEMO_CLASS(Square) {
    c.doc("Square()\n--\n\nA square.");
    c.init<&square>();
}
VEMO_CLASS(BadDefault) { c.def<&takes_int>("f($self, x=None)\n--\n\nx cannot be absent."); }
VEMO_CLASS(BadCount) { c.def<&takes_one>("f($self, x, y)\n--\n\nOne parameter too many."); }
VEMO_CLASS(TwoNames) {
    c.def<&same_twice>("f($self, x)\n--\n\nOne name.");
    c.def<&same_twice>("g($self, x)\n--\n\nA second name for the same function.");
}
VEMO_CLASS(Sectioned) {
    c.doc("Sectioned(n)\n--\n\nMembers bound in sections.");
    c.init<&made>();
    c.def<&plus>("first($self, k)\n--\n\nn + k.");
    c.section<&define_middle>();
    c.section<&define_empty>();
    c.def<&times>("last($self, k)\n--\n\nn * k.");
}
VEMO_CLASS(BadSection) {
    c.def<&takes_none>("g($self)\n--\n\nFits.");
    c.section<&define_bad>();
}

}  // namespace vemo::py

using namespace vemo::py;

namespace {

// The Python error as "Type: message", or "" when none is set; clears it.
std::string take_error() {
    if (!PyErr_Occurred()) return {};
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Obj t = Obj::steal(type), v = Obj::steal(value), b = Obj::steal(tb);
    Obj name = Obj::steal(PyObject_GetAttrString(t.get(), "__name__"));
    return str_of(name.get()) + ": " + (v ? str_of(v.get()) : "");
}

// Runs Python statements with the test classes in scope; "" on success, else the error.
std::string run(const char* code) {
    Obj globals = check(PyDict_New());
    PyDict_SetItemString(globals.get(), "__builtins__", PyEval_GetBuiltins());
    PyDict_SetItemString(globals.get(), "Shape", reinterpret_cast<PyObject*>(type_of<Shape>()));
    PyDict_SetItemString(globals.get(), "Triangle", reinterpret_cast<PyObject*>(type_of<Triangle>()));
    PyDict_SetItemString(globals.get(), "Square", reinterpret_cast<PyObject*>(type_of<Square>()));
    PyDict_SetItemString(globals.get(), "Sectioned", reinterpret_cast<PyObject*>(type_of<Sectioned>()));
    Obj compiled = Obj::steal(Py_CompileString(code, "<test>", Py_file_input));
    if (compiled) Obj::steal(PyEval_EvalCode(compiled.get(), globals.get(), globals.get()));
    return take_error();
}

}  // namespace

TEST(FrameClasses, SubclassesHoldTheBaseValue) {
    EXPECT_EQ(run(R"py(
t, s = Triangle(), Square()
assert isinstance(t, Shape) and isinstance(s, Shape) and not isinstance(t, Square)
assert (type(t).__name__, type(s).__name__) == ("Triangle", "Square")
assert Triangle.__doc__ == "A triangle." and Triangle.__text_signature__ == "(extra=None)"
assert Shape.__doc__ == "Base class of shapes."
assert t.n_sides() == 3 and Triangle(extra=2).sides == 5 and s.sides == 4
t.grow(2)
assert t.n_sides() == 5 and type(t) is Triangle
try:
    Shape()
    raise AssertionError("the base was instantiated")
except TypeError:
    pass
)py"),
              "");
    // A Python subclass of the base cannot make objects either.
    EXPECT_EQ(run("class Mine(Shape): pass\nMine()"), "TypeError: cannot create 'Mine' instances");
}

TEST(FrameClasses, PropertiesAreReadOnly) {
    EXPECT_EQ(run("assert Shape.sides.__doc__ == 'The number of sides.'"), "");
    EXPECT_EQ(run("Square().sides = 1").rfind("AttributeError: ", 0), 0u);
}

TEST(FrameClasses, RequiredArgumentThatMayBeNone) {
    EXPECT_EQ(run("assert Shape.sides_or_zero(None) == -1 and Shape.sides_or_zero(shape=Square()) == 4"), "");
    EXPECT_EQ(run("Shape.sides_or_zero()"),
              "TypeError: Shape.sides_or_zero() missing 1 required positional argument: 'shape'");
    EXPECT_EQ(run("Shape.sides_or_zero(3)"), "TypeError: argument 'shape': 'int' object cannot be cast as 'Shape'");
}

TEST(FrameClasses, SignatureMismatchFailsTheTypeBuild) {
    EXPECT_EQ(ClassDef<BadDefault>::type_or_null(), nullptr);
    EXPECT_EQ(take_error(),
              "SystemError: BadDefault.f(): parameter 'x' has a default but its C++ type cannot be absent");
    EXPECT_EQ(ClassDef<BadCount>::type_or_null(), nullptr);
    EXPECT_EQ(take_error(), "SystemError: BadCount.f() is bound with 2 parameters to a function of 1");
    // One function under two method names would list the first name twice.
    EXPECT_EQ(ClassDef<TwoNames>::type_or_null(), nullptr);
    EXPECT_EQ(take_error(), "SystemError: one function bound as both TwoNames.f() and TwoNames.g()");
}

TEST(FrameClasses, SectionsBindInPlaceOfTheList) {
    EXPECT_EQ(run(R"py(
names = [k for k in vars(Sectioned) if not k.startswith("__")]
assert names == ["first", "second", "last"], names
s = Sectioned(5)
assert (s.first(1), s.second(k=2), s.last(3)) == (6, 3, 15)
assert Sectioned.second.__text_signature__ == "($self, k)" and Sectioned.second.__doc__ == "n - k."
)py"),
              "");
    EXPECT_EQ(ClassDef<BadSection>::type_or_null(), nullptr);
    EXPECT_EQ(take_error(), "SystemError: BadSection.f() is bound with 1 parameters to a function of 0");
}
