#include "python/container/map.hpp"

namespace vemo::py {
namespace {

Map map_new() { return Map{}; }

}  // namespace

VEMO_CLASS(Map) {
    c.doc("Map()\n--\n\nA Map wrapper for Python.");
    c.init<&map_new>();
    c.len<&Map::size>();
}

}  // namespace vemo::py
