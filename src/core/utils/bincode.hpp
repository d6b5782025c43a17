// Compact binary encoding of unsigned integers (little-endian, variable length):
//   v < 251          -> the byte v
//   v < 2^16         -> 251, then 2 bytes little-endian
//   v < 2^32         -> 252, then 4 bytes little-endian
//   otherwise        -> 253, then 8 bytes little-endian
// The encoder always writes the shortest form; the decoder accepts any form that
// fits the field's width, a longer one than needed included.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <expected>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/utils/io_error.hpp"
#include "core/utils/memory.hpp"

namespace vemo::bincode {

inline constexpr uint8_t tag_u16 = 251;
inline constexpr uint8_t tag_u32 = 252;
inline constexpr uint8_t tag_u64 = 253;
inline constexpr uint8_t tag_u128 = 254;

template <class S>
concept ByteSink = requires(S& s, std::span<const uint8_t> b) {
    { s.write(b) } -> std::same_as<std::expected<void, IoError>>;
};

// A buffered sink may also hand out room for the next n bytes in place, taking
// them as written, or null (taking nothing) when it has no such room at hand.
template <class S>
concept BufferedByteSink = ByteSink<S> && requires(S& s, size_t n) {
    { s.room(n) } -> std::same_as<uint8_t*>;
};

// A source either fills the whole span or fails.
template <class S>
concept ByteSource = requires(S& s, std::span<uint8_t> b) {
    { s.read(b) } -> std::same_as<std::expected<void, IoError>>;
};

// A buffered source may also hand out the next n bytes in place, consuming
// them, or null (consuming nothing) when they are not at hand in one piece.
template <class S>
concept BufferedByteSource = ByteSource<S> && requires(S& s, size_t n) {
    { s.take(n) } -> std::same_as<const uint8_t*>;
};

// Appends to a byte vector; never fails.
struct VecSink {
    std::vector<uint8_t> bytes;
    std::expected<void, IoError> write(std::span<const uint8_t> b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return {};
    }
};

// Reads from a byte range; a request beyond its end fails and consumes nothing.
struct SpanSource {
    std::span<const uint8_t> rest;
    explicit SpanSource(std::span<const uint8_t> bytes) : rest(bytes) {}
    std::expected<void, IoError> read(std::span<uint8_t> b) {
        if (b.size() > rest.size()) return std::unexpected(IoError{IoError::Read});
        if (!b.empty()) std::memcpy(b.data(), rest.data(), b.size());
        rest = rest.subspan(b.size());
        return {};
    }
    const uint8_t* take(size_t n) {
        if (n > rest.size()) return nullptr;
        const uint8_t* p = rest.data();
        rest = rest.subspan(n);
        return p;
    }
};

using EncodeError = IoError;

struct DecodeError {
    enum Kind : uint8_t {
        Io,                  // the source failed (or ended early)
        InvalidIntegerType,  // a tag byte that this field's width does not allow
        InvalidValue,        // a well-formed integer outside the field's range
        Inconsistent,        // fields that contradict one another
    };
    Kind kind = Io;
    IoError io{};
    uint64_t value = 0;    // InvalidIntegerType: the tag byte; InvalidValue: the value
    uint8_t width = 0;     // InvalidIntegerType: the field's width in bits
    std::string expected;  // InvalidValue: what was expected; Inconsistent: the whole text

    static DecodeError from_io(IoError e) { return {Io, e, 0, 0, {}}; }
    static DecodeError invalid_integer_type(uint8_t tag, uint8_t width) {
        return {InvalidIntegerType, {}, tag, width, {}};
    }
    static DecodeError invalid_value(uint64_t v, std::string exp) { return {InvalidValue, {}, v, 0, std::move(exp)}; }
    static DecodeError inconsistent(std::string text) { return {Inconsistent, {}, 0, 0, std::move(text)}; }

    bool operator==(const DecodeError&) const = default;

    std::string message() const {
        switch (kind) {
            case Io:
                return io.message();
            case InvalidIntegerType: {
                auto name = [](uint64_t t) -> std::string {
                    switch (t) {
                        case tag_u16: return "U16";
                        case tag_u32: return "U32";
                        case tag_u64: return "U64";
                        case tag_u128: return "U128";
                        default: return "Reserved";
                    }
                };
                return "Invalid integer type: expected U" + std::to_string(width) + ", found " + name(value) + ".";
            }
            case InvalidValue:
                return "invalid value: integer `" + std::to_string(value) + "`, expected " + expected;
            case Inconsistent:
                return expected;
        }
        return {};
    }
};

template <ByteSink Sink>
class Encoder {
public:
    explicit Encoder(Sink& sink) : sink_(&sink) {}
    Sink& sink() { return *sink_; }

    std::expected<void, EncodeError> write_u8(uint8_t v) {
        if constexpr (BufferedByteSink<Sink>)
            if (uint8_t* p = sink_->room(1)) {
                *p = v;
                return {};
            }
        return sink_->write(std::span<const uint8_t>(&v, 1));
    }

    std::expected<void, EncodeError> write_u64(uint64_t v) {
        if (v < tag_u16) return write_u8(static_cast<uint8_t>(v));
        if (v <= 0xFFFF) return tagged<2>(tag_u16, v);
        if (v <= 0xFFFF'FFFF) return tagged<4>(tag_u32, v);
        return tagged<8>(tag_u64, v);
    }
    std::expected<void, EncodeError> write_u32(uint32_t v) { return write_u64(v); }

private:
    // The tag and the payload go to the sink as two requests, or into its room at once.
    template <size_t N>
    std::expected<void, EncodeError> tagged(uint8_t tag, uint64_t v) {
        if constexpr (BufferedByteSink<Sink>)
            if (uint8_t* p = sink_->room(1 + N)) {
                p[0] = tag;
                for (size_t k = 0; k < N; ++k) p[1 + k] = static_cast<uint8_t>(v >> (8 * k));
                return {};
            }
        if (auto r = write_u8(tag); !r) return r;
        std::array<uint8_t, N> b;
        for (size_t k = 0; k < N; ++k) b[k] = static_cast<uint8_t>(v >> (8 * k));
        return sink_->write(b);
    }
    Sink* sink_;
};

template <ByteSource Source>
class Decoder {
public:
    explicit Decoder(Source& source) : source_(&source) {}
    Source& source() { return *source_; }

    std::expected<uint8_t, DecodeError> read_u8() {
        if constexpr (BufferedByteSource<Source>)
            if (const uint8_t* p = source_->take(1)) return *p;
        uint8_t b = 0;
        if (auto r = source_->read(std::span<uint8_t>(&b, 1)); !r) return std::unexpected(DecodeError::from_io(r.error()));
        return b;
    }

    std::expected<uint64_t, DecodeError> read_u64() { return read_varint(64); }

    std::expected<uint32_t, DecodeError> read_u32() {
        auto v = read_varint(32);
        if (!v) return std::unexpected(v.error());
        return static_cast<uint32_t>(*v);
    }

private:
    std::expected<uint64_t, DecodeError> read_varint(uint8_t width) {
        auto tag = read_u8();
        if (!tag) return std::unexpected(tag.error());
        switch (*tag) {
            case tag_u16: return payload<2>();
            case tag_u32: return payload<4>();
            case tag_u64:
                if (width >= 64) return payload<8>();
                [[fallthrough]];
            case tag_u128:
            case 255: return std::unexpected(DecodeError::invalid_integer_type(*tag, width));
            default: return uint64_t{*tag};
        }
    }
    template <size_t N>
    std::expected<uint64_t, DecodeError> payload() {
        std::array<uint8_t, N> b{};
        const uint8_t* p = nullptr;
        if constexpr (BufferedByteSource<Source>) p = source_->take(N);
        if (!p) {
            if (auto r = source_->read(b); !r) return std::unexpected(DecodeError::from_io(r.error()));
            p = b.data();
        }
        uint64_t v = 0;
        for (size_t k = 0; k < N; ++k) v |= uint64_t{p[k]} << (8 * k);
        return v;
    }
    Source* source_;
};

namespace detail {

template <class V>
[[gnu::cold, gnu::noinline]] void grow_arriving(V& v, const char* what, uint64_t stored_len) {
    const uint64_t cap = v.capacity();
    const uint64_t want = std::min<uint64_t>(stored_len, std::max<uint64_t>(16, cap > UINT64_MAX / 2 ? UINT64_MAX : 2 * cap));
    try {
        v.reserve(want);
    } catch (const std::bad_alloc&) {
        throw AllocRefused("Cannot allocate " + std::string(what) + " of " + std::to_string(want) + " entries (" +
                           AllocationRefused::decimal(AllocationCount{want} * sizeof(typename V::value_type)) +
                           " bytes) while reading the " + std::to_string(stored_len) +
                           " entries the input states: out of memory.");
    }
}

}  // namespace detail

// Appends x to a vector of `stored_len` entries read from the input. The
// vector grows as entries arrive, never sized by the stored length alone (a
// length that the input does not back ends in a read error); a growth that
// memory refuses is an AllocRefused naming the buffer, the entries asked for
// and the stored length.
template <class V>
void push_arriving(V& v, typename V::value_type x, const char* what, uint64_t stored_len) {
    if (v.size() == v.capacity()) [[unlikely]]
        detail::grow_arriving(v, what, stored_len);
    v.push_back(x);
}

// Shorthands for whole values in memory.
template <class T>
concept Encodable = requires(const T& t, Encoder<VecSink>& e) {
    { t.encode(e) } -> std::same_as<std::expected<void, EncodeError>>;
};

template <Encodable T>
std::vector<uint8_t> encode_to_vec(const T& t) {
    VecSink sink;
    Encoder enc(sink);
    if (!t.encode(enc)) return {};  // a vector sink never fails
    return std::move(sink.bytes);
}

}  // namespace vemo::bincode
