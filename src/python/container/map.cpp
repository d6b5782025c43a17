#include "python/container/map.hpp"

namespace vemo::py {
namespace {

Map map_new() { return Map{}; }
uint64_t map_len(const Map& m) { return m.size(); }

}  // namespace

VEMO_CLASS_BLOCK(Map, 0) {
    c.doc("Map()\n--\n\nA Map wrapper for Python.");
    c.init<&map_new>();
    c.len<&map_len>();
}

}  // namespace vemo::py
