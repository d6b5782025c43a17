// The Python name of the binary state text form; include to take or return one.
#pragma once

#include "core/cmpnt/state_springs.hpp"
#include "python/cmpnt/errors.hpp"
#include "python/frame/bind.hpp"

VEMO_PY_CLASS(vemo::BinarySprings, "BinarySprings");
