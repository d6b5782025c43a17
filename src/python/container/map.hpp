#pragma once

#include "core/container/map.hpp"
#include "python/frame/bind.hpp"

VEMO_PY_CLASS(vemo::Map, "Map");
