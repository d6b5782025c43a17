// The error of a byte source or sink (the file reader and writer, in-memory buffers).
#pragma once

#include <cstdint>
#include <string>

namespace vemo {

struct IoError {
    enum Kind : uint8_t { Read = 0, Write = 1 };
    Kind kind = Read;

    bool operator==(const IoError&) const = default;

    // The operating system's own error is deliberately not kept: the text is fixed.
    std::string message() const { return kind == Read ? "IO read error." : "IO write error."; }
};

}  // namespace vemo
