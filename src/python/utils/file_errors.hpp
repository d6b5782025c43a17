// The file methods of a class with a binary file form, and their exceptions.
// The path is a str taken as open() takes it (FsPath: the file-system
// encoding, a NUL refused). A file that cannot be opened (a directory
// included) raises what the interpreter's own open() would, the OSError
// subclass of its system error with errno, strerror and filename set, the
// filename being the str given ("[Errno 2] No such file or directory:
// 'path'"); a failed read or write (a file that ends early included) OSError
// "IO read error." / "IO write error.", and content that does not decode
// ValueError with the decoder's text.
#pragma once

#include <cerrno>
#include <expected>
#include <string>
#include <utility>
#include <variant>

#include "core/utils/list_file.hpp"
#include "python/frame/bind.hpp"

namespace vemo::py {

// A file's error with the path as the caller gave it.
struct FileErrorAt {
    FileError error;
    Obj path;
    std::string message() const { return error.message(); }
};

template <>
struct ErrorToException<FileErrorAt> {
    static PyObject* type(const FileErrorAt& e) {
        return std::holds_alternative<bincode::DecodeError>(e.error.v) ? PyExc_ValueError : PyExc_OSError;
    }

    static bool set(const FileErrorAt& e) {
        const auto* o = std::get_if<FileOpenError>(&e.error.v);
        if (!o) return false;
        errno = o->code.value();
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, e.path.get());
        return true;
    }
};

// Bound with their docstrings as `c.def<&py::save_to_file<T>>(...)` and
// `c.def_static<&py::load_from_file<T>>(...)`.
template <class T>
std::expected<void, FileErrorAt> save_to_file(const T& self, const FsPath& path) {
    auto r = vemo::save_to_file(self, path.bytes);
    if (!r) return std::unexpected(FileErrorAt{std::move(r.error()), path.given});
    return {};
}

template <class T>
std::expected<T, FileErrorAt> load_from_file(const FsPath& path) {
    auto r = vemo::load_from_file<T>(path.bytes);
    if (!r) return std::unexpected(FileErrorAt{std::move(r.error()), path.given});
    return std::move(*r);
}

}  // namespace vemo::py
