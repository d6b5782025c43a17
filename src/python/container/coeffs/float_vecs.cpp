// Python classes RealVec and ComplexVec: contiguous vectors of floats and complex numbers.
#include <complex>
#include <vector>

#include "python/container/coeffs/vec_common.hpp"

namespace vemo::py {
namespace {

using namespace coeffs;

template <class V>
std::vector<typename V::Scalar> to_array(const V& v) {
    return {v.data().begin(), v.data().end()};
}

template <class V>
bool vec_all_insignificant(const V& v, double atol) {
    return all_insignificant(v, atol);
}

RealVec real_from_array(PyObject* source) {
    return vec_from_numpy<RealVec, double>(source, "d", "float64", [](double x) { return x; });
}
ComplexVec complex_from_array(PyObject* source) {
    return vec_from_numpy<ComplexVec, Complex>(source, "Zd", "complex128", [](Complex z) { return z; });
}

template <class V>
void add_float_methods(ClassDef<V>& c) {
    c.template def<&to_array<V>>("to_array($self)\n--\n\nGet `self` as a Python list.");
    c.template def<&vec_all_insignificant<V>>(
        "all_insignificant($self, atol)\n--\n\nDetermine whether this vector is nearly zero in all elements.");
}

constexpr const char* from_array_doc = "from_array(source)\n--\n\nGet a new instance from a python array of phases.";

}  // namespace

VEMO_CLASS(RealVec) {
    c.doc("RealVec(n_element=0)\n--\n\nA RealVec wrapper for Python.");
    add_common_methods(c);
    add_float_methods(c);
    c.def_static<&real_from_array>(from_array_doc);
}

VEMO_CLASS(ComplexVec) {
    c.doc("ComplexVec(n_element=0)\n--\n\nA ComplexVec wrapper for Python.");
    add_common_methods(c);
    add_float_methods(c);
    c.def_static<&complex_from_array>(from_array_doc);
}

}  // namespace vemo::py
