// Printing a sequence of texts: the printed forms of lists, springs and gate
// lists are their items' texts joined by a separator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemo {

// text(0) sep text(1) sep ... text(n - 1); empty for n = 0.
template <class F>
std::string join_texts(uint64_t n, std::string_view sep, F&& text) {
    std::string out;
    for (uint64_t i = 0; i < n; ++i) {
        if (i) out += sep;
        out += text(i);
    }
    return out;
}

}  // namespace vemo
