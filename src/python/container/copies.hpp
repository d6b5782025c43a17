// __copy__ and __deepcopy__ for a class whose value holds no Python objects:
// both return an independent copy of the value.
#pragma once

#include "python/frame/bind.hpp"

namespace vemo::py {

template <class T>
T copy_value(const T& v) {
    return v;
}
template <class T>
T deepcopy_value(const T& v, PyObject*) {
    return v;
}

template <class T>
void add_copies(ClassDef<T>& c) {
    c.template def<&copy_value<T>>("__copy__($self)\n--\n\nReturn shallow copy.");
    c.template def<&deepcopy_value<T>>("__deepcopy__($self, _memo)\n--\n\nReturn deep copy.");
}

}  // namespace vemo::py
