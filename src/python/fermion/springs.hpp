// The Python name of the fermion text form.
#pragma once

#include "core/fermion/springs.hpp"
#include "python/frame/bind.hpp"

VEMO_PY_CLASS(vemo::fermion::Springs, "FermionSprings");
