// One of several error values, for an operation that can fail in more than one
// way. Its message is the message of the error it holds.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace vemo {

template <class... Es>
struct AnyError {
    std::variant<Es...> v;

    template <class E>
    AnyError(E e) : v(std::move(e)) {}

    bool operator==(const AnyError&) const = default;
    std::string message() const {
        return std::visit([](const auto& e) { return e.message(); }, v);
    }
};

}  // namespace vemo
