// The exceptions of saving and loading files: a file that cannot be opened
// raises the OSError subclass of its system error ("[Errno 2] No such file or
// directory: 'path'"), a failed read or write (a file that ends early
// included) OSError "IO read error." / "IO write error.", and content that
// does not decode ValueError with the decoder's text.
#pragma once

#include <cerrno>
#include <string>
#include <variant>

#include "core/utils/list_file.hpp"
#include "python/frame/bind.hpp"

namespace vemo::py {

template <>
struct ErrorToException<FileError> {
    static PyObject* type(const FileError& e) {
        if (auto* o = std::get_if<FileOpenError>(&e.v)) {
            switch (o->code.value()) {
                case ENOENT: return PyExc_FileNotFoundError;
                case EACCES:
                case EPERM: return PyExc_PermissionError;
                case EISDIR: return PyExc_IsADirectoryError;
                case ENOTDIR: return PyExc_NotADirectoryError;
                default: return PyExc_OSError;
            }
        }
        if (std::holds_alternative<IoError>(e.v)) return PyExc_OSError;
        return PyExc_ValueError;
    }
};

}  // namespace vemo::py
