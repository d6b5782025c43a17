// One interpreter for a whole test program that runs binding code.
#pragma once

#include <gtest/gtest.h>

#include "python/frame/py.hpp"

namespace vemo::py::testing {

class Interpreter : public ::testing::Environment {
public:
    void SetUp() override { Py_Initialize(); }
    void TearDown() override { Py_Finalize(); }
};
inline const auto* const interpreter = ::testing::AddGlobalTestEnvironment(new Interpreter);

}  // namespace vemo::py::testing
