// Errors of the text forms ("springs").
#pragma once

#include <cstdint>
#include <string>

namespace vemo {

// A malformed text; `text` is the message without the "Bad parse: " prefix.
struct BadParse {
    std::string text;

    bool operator==(const BadParse&) const = default;
    std::string message() const { return "Bad parse: " + text; }
};

// Two spaces that had to have the same number of modes do not.
struct DifferentModeCounts {
    uint64_t a = 0;
    uint64_t b = 0;

    bool operator==(const DifferentModeCounts&) const = default;
    std::string message() const {
        return "Mode counts " + std::to_string(a) + " and " + std::to_string(b) + " differ.";
    }
};

}  // namespace vemo
