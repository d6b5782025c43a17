// Errors of the text forms ("springs").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemo {

// A malformed text; `text` is the message without the "Bad parse: " prefix.
struct BadParse {
    std::string text;

    bool operator==(const BadParse&) const = default;
    std::string message() const { return "Bad parse: " + text; }
};

// The messages that quote the offending text: '"' + quoted + '"' + rest.
inline BadParse quoting_bad_parse(std::string_view quoted, std::string_view rest) {
    std::string m;
    m.reserve(quoted.size() + rest.size() + 2);
    m += '"';
    m += quoted;
    m += '"';
    m += rest;
    return BadParse{std::move(m)};
}

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
