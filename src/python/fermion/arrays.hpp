// The Python names of the fermion array classes (normal-ordered and raw
// operator products, occupation-number states). Each class's member list is in its own file; the bodies of the
// normal-ordered operators' algebra are in normal_array_algebra.hpp.
#pragma once

#include "core/fermion/general.hpp"
#include "core/fermion/lincomb.hpp"
#include "core/fermion/normal.hpp"
#include "core/fermion/state.hpp"
#include "python/cmpnt/binary_springs.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/fermion/ladder_op.hpp"
#include "python/fermion/modes.hpp"
#include "python/fermion/springs.hpp"

VEMO_PY_CLASS(vemo::fermion::normal::CmpntList, "NormalFermionOperatorArray");
VEMO_PY_CLASS(vemo::fermion::general::CmpntList, "GeneralFermionOperatorArray");
VEMO_PY_CLASS(vemo::fermion::state::CmpntList, "FermionStateArray");
