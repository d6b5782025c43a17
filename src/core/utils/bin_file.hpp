// The byte source and sink of the binary list files: a file opened for
// reading or (created or truncated) for writing, buffered. A request is always
// served in full: the reader loops until the request is filled and reports a
// file that ends early as a read error; the writer loops over short writes.
// The operating system's error is reported only by the open; later failures
// are the fixed IoError texts. A directory is refused at the open (EISDIR),
// as the interpreter's open() refuses it, though the system opens it for reading.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <expected>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/utils/io_error.hpp"
#include "core/utils/memory.hpp"

namespace vemo {

namespace detail {

// An owned file descriptor.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            close();
            fd_ = std::exchange(o.fd_, -1);
        }
        return *this;
    }
    ~Fd() { close(); }
    int get() const { return fd_; }
    bool is_open() const { return fd_ >= 0; }
    // Closes now; false when the system reports an error (e.g. a delayed write failure).
    bool close() {
        if (fd_ < 0) return true;
        const int r = ::close(std::exchange(fd_, -1));
        return r == 0;
    }

private:
    int fd_ = -1;
};

inline std::expected<Fd, std::error_code> open_fd(const std::string& path, int flags, mode_t mode = 0) {
    if (path.find('\0') != std::string::npos) return std::unexpected(std::make_error_code(std::errc::invalid_argument));
    int fd;
    do fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return std::unexpected(std::error_code(errno, std::system_category()));
    Fd owned(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0) return std::unexpected(std::error_code(errno, std::system_category()));
    if (S_ISDIR(st.st_mode)) return std::unexpected(std::error_code(EISDIR, std::system_category()));
    return owned;
}

inline constexpr size_t file_buffer_size = size_t{1} << 16;

// The buffer of a file reader or writer; memory that refuses it is an
// AllocRefused that says so.
inline std::vector<uint8_t> file_buffer() {
    try {
        return std::vector<uint8_t>(file_buffer_size);
    } catch (const std::bad_alloc&) {
        throw AllocRefused("Cannot allocate a file buffer of " + std::to_string(file_buffer_size) +
                           " bytes: out of memory.");
    }
}

}  // namespace detail

class BinFileReader {
public:
    static std::expected<BinFileReader, std::error_code> open(std::string path) {
        auto fd = detail::open_fd(path, O_RDONLY);
        if (!fd) return std::unexpected(fd.error());
        return BinFileReader(std::move(*fd));
    }

    // Fills all of `out`, or fails with "IO read error." (a failed read, or the
    // end of the file before the request is filled).
    std::expected<void, IoError> read(std::span<uint8_t> out) {
        while (!out.empty()) {
            if (pos_ == len_ && !refill()) return std::unexpected(IoError{IoError::Read});
            const size_t n = std::min(out.size(), len_ - pos_);
            std::memcpy(out.data(), buf_.data() + pos_, n);
            pos_ += n;
            out = out.subspan(n);
        }
        return {};
    }

    // The next n bytes in place when the buffer holds them, else null (nothing consumed).
    const uint8_t* take(size_t n) {
        if (len_ - pos_ < n) return nullptr;
        const uint8_t* p = buf_.data() + pos_;
        pos_ += n;
        return p;
    }

    // True when every byte of the file has been read.
    std::expected<bool, IoError> at_end() {
        if (pos_ < len_) return false;
        if (refill()) return false;
        if (failed_) return std::unexpected(IoError{IoError::Read});
        return true;
    }

private:
    explicit BinFileReader(detail::Fd fd) : fd_(std::move(fd)), buf_(detail::file_buffer()) {}

    // One read into the empty buffer; false at the end of the file or on error.
    bool refill() {
        pos_ = len_ = 0;
        if (failed_) return false;
        for (;;) {
            const ssize_t r = ::read(fd_.get(), buf_.data(), buf_.size());
            if (r > 0) {
                len_ = static_cast<size_t>(r);
                return true;
            }
            if (r < 0 && errno == EINTR) continue;
            failed_ = r < 0;
            return false;
        }
    }

    detail::Fd fd_;
    std::vector<uint8_t> buf_;
    size_t pos_ = 0, len_ = 0;
    bool failed_ = false;
};

class BinFileWriter {
public:
    // Creates the file (permission bits 0666 before the process's umask) or truncates it.
    static std::expected<BinFileWriter, std::error_code> create(std::string path) {
        auto fd = detail::open_fd(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (!fd) return std::unexpected(fd.error());
        return BinFileWriter(std::move(*fd));
    }

    BinFileWriter(BinFileWriter&&) noexcept = default;
    BinFileWriter& operator=(BinFileWriter&&) noexcept = default;
    // Unflushed bytes are written on a best-effort basis; call finish() to learn of errors.
    ~BinFileWriter() { (void)flush(); }

    std::expected<void, IoError> write(std::span<const uint8_t> bytes) {
        if (failed_) return std::unexpected(IoError{IoError::Write});
        if (bytes.size() > buf_.size() - len_) {
            if (auto r = flush(); !r) return r;
            if (bytes.size() >= buf_.size()) return write_all(bytes);
        }
        if (!bytes.empty()) std::memcpy(buf_.data() + len_, bytes.data(), bytes.size());
        len_ += bytes.size();
        return {};
    }

    // Room for the next n bytes in the buffer, taken as written; null when the
    // buffer lacks it (or a write failed), taking nothing.
    uint8_t* room(size_t n) {
        if (failed_ || n > buf_.size() - len_) return nullptr;
        uint8_t* p = buf_.data() + len_;
        len_ += n;
        return p;
    }

    // Writes out the buffered bytes.
    std::expected<void, IoError> flush() {
        if (!fd_.is_open()) return len_ == 0 ? std::expected<void, IoError>() : std::unexpected(IoError{IoError::Write});
        auto r = write_all(std::span<const uint8_t>(buf_).first(len_));
        len_ = 0;
        return r;
    }

    // Flushes and closes the file; any failure is "IO write error.".
    std::expected<void, IoError> finish() {
        auto r = flush();
        const bool closed = fd_.close();
        if (!r) return r;
        if (!closed) return std::unexpected(IoError{IoError::Write});
        return {};
    }

private:
    explicit BinFileWriter(detail::Fd fd) : fd_(std::move(fd)), buf_(detail::file_buffer()) {}

    std::expected<void, IoError> write_all(std::span<const uint8_t> bytes) {
        if (failed_) return std::unexpected(IoError{IoError::Write});
        while (!bytes.empty()) {
            const ssize_t r = ::write(fd_.get(), bytes.data(), bytes.size());
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                failed_ = true;
                return std::unexpected(IoError{IoError::Write});
            }
            bytes = bytes.subspan(static_cast<size_t>(r));
        }
        return {};
    }

    detail::Fd fd_;
    std::vector<uint8_t> buf_;
    size_t len_ = 0;  // bytes of buf_ not yet written
    bool failed_ = false;
};

}  // namespace vemo
