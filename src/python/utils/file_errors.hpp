// The exceptions of saving and loading files: a file that cannot be opened
// raises what the interpreter's own open() would, the OSError subclass of its
// system error with errno, strerror and filename set ("[Errno 2] No such file
// or directory: 'path'"); a failed read or write (a file that ends early
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
        return std::holds_alternative<bincode::DecodeError>(e.v) ? PyExc_ValueError : PyExc_OSError;
    }

    static bool set(const FileError& e) {
        const auto* o = std::get_if<FileOpenError>(&e.v);
        if (!o) return false;
        Obj path = check(PyUnicode_DecodeUTF8(o->path.data(), static_cast<Py_ssize_t>(o->path.size()),
                                              "surrogateescape"));
        errno = o->code.value();
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path.get());
        return true;
    }
};

}  // namespace vemo::py
