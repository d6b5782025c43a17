// Error values shared by every domain, and the one exception type of the core.
#pragma once

#include <cstdint>
#include <expected>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vemo {

// A violated precondition: a bug in the caller, never a user error. The binding
// layer turns it into its panic exception.
struct InternalError : std::logic_error {
    using std::logic_error::logic_error;
};

[[noreturn]] inline void internal_failure(const std::string& what) { throw InternalError(what); }

enum class OutOfBoundsKind : uint8_t { Row = 0, Bit = 1, Element = 2, Cmpnt = 3, Mode = 4, String = 5 };

// An index at or beyond the count it had to stay below.
struct OutOfBounds {
    uint64_t index = 0;
    uint64_t length = 0;
    OutOfBoundsKind kind = OutOfBoundsKind::Element;

    bool operator==(const OutOfBounds&) const = default;

    std::string message() const {
        auto noun = [this](std::string_view one, std::string_view many) {
            return std::to_string(length) + " " + std::string(length == 1 ? one : many);
        };
        const std::string i = std::to_string(index);
        switch (kind) {
            case OutOfBoundsKind::Row:
                return "Row index " + i + " is out-of-bounds for bit matrix with " + noun("row", "rows") + ".";
            case OutOfBoundsKind::Bit:
                return "Bit index " + i + " is out-of-bounds for bit matrix with " + noun("bit", "bits") +
                       " per row.";
            case OutOfBoundsKind::Element:
                return "Element index " + i + " is out-of-bounds for a container with " +
                       noun("element", "elements") + ".";
            case OutOfBoundsKind::Cmpnt:
                return "Component index " + i + " is out-of-bounds for component list with " +
                       noun("component", "components") + ".";
            case OutOfBoundsKind::Mode:
                return "Mode index " + i + " is out-of-bounds for component list with " + noun("mode", "modes") +
                       " per component.";
            case OutOfBoundsKind::String:
                return "String index " + i + " is out-of-bounds for string list with " +
                       noun("string", "strings") + ".";
        }
        return {};
    }

    // The form used inside internal-failure texts.
    std::string debug() const {
        static constexpr const char* names[] = {"Row", "Bit", "Element", "Cmpnt", "Mode", "String"};
        return "OutOfBounds(" + std::to_string(index) + ", " + std::to_string(length) + ", " +
               names[static_cast<int>(kind)] + ")";
    }
};

// The failure of an index check that callers guarantee: kept out of line so
// that the check itself stays one compare in hot loops.
[[noreturn, gnu::cold, gnu::noinline]] inline void index_failure(const char* what, uint64_t index, uint64_t length,
                                                                OutOfBoundsKind kind) {
    internal_failure(std::string(what) + ": " + OutOfBounds{index, length, kind}.debug());
}

// Checks index < length.
inline std::expected<void, OutOfBounds> check_bounds(uint64_t index, uint64_t length, OutOfBoundsKind kind) {
    if (index < length) return {};
    return std::unexpected(OutOfBounds{index, length, kind});
}

// A value given twice where two distinct values are required.
struct IndistinctError {
    uint64_t value = 0;
    bool operator==(const IndistinctError&) const = default;
    std::string message() const {
        return "Value " + std::to_string(value) + " is both elements of what is supposed to be a distinct pair.";
    }
};

// Unwraps a result whose failure would be a bug (an index the caller already checked).
template <class T, class E>
decltype(auto) expect_ok(std::expected<T, E>&& r, const char* what) {
    if (!r) {
        if constexpr (requires { r.error().debug(); })
            internal_failure(std::string(what) + ": " + r.error().debug());
        else
            internal_failure(what);
    }
    if constexpr (!std::is_void_v<T>) return std::move(*r);
}

}  // namespace vemo
