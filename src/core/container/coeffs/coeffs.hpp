// Coefficient scalars and vectors: everything in one include.
#pragma once

#include "core/container/coeffs/num_repr.hpp"
#include "core/container/coeffs/num_repr_vec.hpp"
#include "core/container/coeffs/scalars.hpp"
#include "core/container/coeffs/text.hpp"
#include "core/container/coeffs/unrepresentable.hpp"
#include "core/container/coeffs/vecs.hpp"
