// One ladder operator of a product: a mode and whether it creates (a^dagger)
// or annihilates (a). Products are sequences of these, leftmost first.
#pragma once

#include <cstdint>

namespace vemo::fermion {

struct LadderOp {
    uint64_t mode = 0;
    bool is_creation = false;
    bool operator==(const LadderOp&) const = default;
};

}  // namespace vemo::fermion
