// Reading a text form from the Python argument `s` of a springs constructor.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "python/cmpnt/errors.hpp"
#include "python/frame/bind.hpp"

namespace vemo::py {

// The "*"-parts of the text `s` (a required argument that may be None, which
// reads as the empty text); a malformed text is a ValueError.
template <ModeSettings S>
std::vector<S> springs_parts_arg(const std::optional<std::string>& s) {
    return to_py_result(all_parts_from_str<S>(s.value_or(std::string())));
}

// The single part of the text `s`; any other number of parts is the
// ValueError `wrong_parts`.
template <ModeSettings S>
S one_part_springs_arg(const std::optional<std::string>& s, const char* wrong_parts) {
    auto parts = springs_parts_arg<S>(s);
    if (parts.size() != 1) raise(PyExc_ValueError, wrong_parts);
    return std::move(parts.front());
}

}  // namespace vemo::py
