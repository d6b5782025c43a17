// Saving a value to a binary file and loading it back: the value's compact
// encoding streamed through the buffered file writer and reader, one encoded
// piece at a time, with no serialised copy in memory. The file holds the
// encoding and nothing else. A loaded value is the type's own decode, which
// refuses fields that contradict one another before building anything.
#pragma once

#include <expected>
#include <new>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

#include "core/utils/bin_file.hpp"
#include "core/utils/bincode.hpp"
#include "core/utils/io_error.hpp"
#include "core/utils/memory.hpp"

namespace vemo {

// The file could not be opened: the system's error for that path.
struct FileOpenError {
    std::error_code code;
    std::string path;
    bool operator==(const FileOpenError&) const = default;
    // As the interpreter words it: "[Errno 2] No such file or directory: 'path'".
    std::string message() const {
        return "[Errno " + std::to_string(code.value()) + "] " + code.message() + ": '" + path + "'";
    }
};

struct FileError {
    std::variant<FileOpenError, IoError, bincode::DecodeError> v;

    FileError(FileOpenError e) : v(std::move(e)) {}
    FileError(IoError e) : v(e) {}
    FileError(bincode::DecodeError e) : v(std::move(e)) {}

    bool operator==(const FileError&) const = default;
    std::string message() const {
        return std::visit([](const auto& e) { return e.message(); }, v);
    }
};

// Creates or truncates the file at `path` and writes t's encoding into it.
// After a failure the file holds whatever was written before it.
template <class T>
std::expected<void, FileError> save_to_file(const T& t, const std::string& path) {
    auto w = BinFileWriter::create(path);
    if (!w) return std::unexpected(FileOpenError{w.error(), path});
    bincode::Encoder enc(*w);
    if (auto r = t.encode(enc); !r) return std::unexpected(r.error());
    if (auto r = w->finish(); !r) return std::unexpected(r.error());
    return {};
}

// Decodes a T from the start of the file at `path`; bytes after its last field
// are not read. A file that ends early is a read error. Memory that runs out
// is an AllocRefused: the buffers that grow with the file name themselves
// and their size; any other allocation names the file.
template <class T>
std::expected<T, FileError> load_from_file(const std::string& path) {
    try {
        auto r = BinFileReader::open(path);
        if (!r) return std::unexpected(FileOpenError{r.error(), path});
        bincode::Decoder dec(*r);
        auto t = T::decode(dec);
        if (!t) {
            if (t.error().kind == bincode::DecodeError::Io) return std::unexpected(t.error().io);
            return std::unexpected(std::move(t.error()));
        }
        return std::move(*t);
    } catch (const AllocRefused&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw AllocRefused("Cannot load '" + path + "': out of memory.");
    }
}

}  // namespace vemo
