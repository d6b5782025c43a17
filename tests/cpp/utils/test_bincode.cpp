// The variable-length integer codec: known bytes, every accepted and refused
// form, source and sink failures.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "core/utils/bincode.hpp"
#include "core/utils/io_error.hpp"

using namespace vemo::bincode;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes enc64(uint64_t v) {
    VecSink s;
    Encoder e(s);
    EXPECT_TRUE(e.write_u64(v));
    return s.bytes;
}

std::expected<uint64_t, DecodeError> dec64(const Bytes& b, size_t* left = nullptr) {
    SpanSource src(b);
    Decoder d(src);
    auto r = d.read_u64();
    if (left) *left = src.rest.size();
    return r;
}

std::expected<uint32_t, DecodeError> dec32(const Bytes& b) {
    SpanSource src(b);
    Decoder d(src);
    return d.read_u32();
}

// Fails every write from the n-th on, counting the requests.
struct FailingSink {
    explicit FailingSink(int n) : fail_at(n) {}
    int fail_at;
    int calls = 0;
    Bytes bytes;
    std::expected<void, vemo::IoError> write(std::span<const uint8_t> b) {
        if (calls++ >= fail_at) return std::unexpected(vemo::IoError{vemo::IoError::Write});
        bytes.insert(bytes.end(), b.begin(), b.end());
        return {};
    }
};

}  // namespace

TEST(Varint, KnownBytes) {
    EXPECT_EQ(enc64(0), (Bytes{0x00}));
    EXPECT_EQ(enc64(250), (Bytes{0xFA}));
    EXPECT_EQ(enc64(251), (Bytes{0xFB, 0xFB, 0x00}));
    EXPECT_EQ(enc64(65535), (Bytes{0xFB, 0xFF, 0xFF}));
    EXPECT_EQ(enc64(65536), (Bytes{0xFC, 0x00, 0x00, 0x01, 0x00}));
    EXPECT_EQ(enc64(0xFFFF'FFFF), (Bytes{0xFC, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(enc64(uint64_t{1} << 32), (Bytes{0xFD, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(enc64(UINT64_MAX), (Bytes{0xFD, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    VecSink s;
    Encoder e(s);
    ASSERT_TRUE(e.write_u32(70000));
    ASSERT_TRUE(e.write_u8(0xFF));  // a raw byte, not a varint
    EXPECT_EQ(s.bytes, (Bytes{0xFC, 0x70, 0x11, 0x01, 0x00, 0xFF}));
}

TEST(Varint, RoundTripAtEveryBoundary) {
    std::vector<uint64_t> values;
    for (uint64_t edge : {uint64_t{250}, uint64_t{251}, uint64_t{0xFFFF}, uint64_t{0x10000}, uint64_t{0xFFFF'FFFF},
                          uint64_t{1} << 32, UINT64_MAX})
        for (int d = -1; d <= 1; ++d) values.push_back(edge + static_cast<uint64_t>(d));
    std::mt19937_64 rng(5);
    for (int k = 0; k < 1000; ++k) values.push_back(rng() >> (rng() % 64));
    VecSink s;
    Encoder e(s);
    for (uint64_t v : values) ASSERT_TRUE(e.write_u64(v));
    SpanSource src(s.bytes);
    Decoder d(src);
    for (uint64_t v : values) {
        auto r = d.read_u64();
        ASSERT_TRUE(r) << r.error().message();
        EXPECT_EQ(*r, v);
        // The shortest form was used.
        const size_t len = enc64(v).size();
        EXPECT_EQ(len, v < 251 ? 1u : v < 0x10000 ? 3u : v < (uint64_t{1} << 32) ? 5u : 9u) << v;
    }
    EXPECT_TRUE(src.rest.empty());
}

TEST(Varint, LongerFormsThanNeededAreAccepted) {
    EXPECT_EQ(dec64({0xFB, 0x05, 0x00}).value(), 5u);
    EXPECT_EQ(dec64({0xFC, 0x00, 0x00, 0x00, 0x00}).value(), 0u);
    EXPECT_EQ(dec64({0xFD, 0x01, 0, 0, 0, 0, 0, 0, 0}).value(), 1u);
    EXPECT_EQ(dec32({0xFB, 0x05, 0x00}).value(), 5u);
    EXPECT_EQ(dec32({0xFC, 0xFF, 0xFF, 0xFF, 0xFF}).value(), 0xFFFF'FFFFu);
    size_t left = 0;
    EXPECT_EQ(dec64({0x07, 0xAA}, &left).value(), 7u);  // trailing bytes stay unread
    EXPECT_EQ(left, 1u);
}

TEST(Varint, RefusedTagBytes) {
    for (uint8_t tag : {uint8_t{254}, uint8_t{255}}) {
        auto r = dec64({tag, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().kind, DecodeError::InvalidIntegerType);
        EXPECT_EQ(r.error().value, tag);
        EXPECT_FALSE(dec32({tag, 0, 0, 0, 0}));
    }
    // The 8-byte form does not fit a 32-bit field.
    auto r = dec32({0xFD, 1, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, DecodeError::InvalidIntegerType);
    EXPECT_EQ(r.error().message(), "Invalid integer type: expected U32, found U64.");
    EXPECT_EQ(dec64({0xFE}).error().message(), "Invalid integer type: expected U64, found U128.");
    EXPECT_EQ(dec64({0xFF}).error().message(), "Invalid integer type: expected U64, found Reserved.");
}

TEST(Varint, TruncatedInputIsReadError) {
    for (const Bytes& b : {Bytes{}, Bytes{0xFB}, Bytes{0xFB, 0x01}, Bytes{0xFC, 1, 2, 3}, Bytes{0xFD, 1, 2, 3, 4, 5, 6, 7}}) {
        auto r = dec64(b);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().kind, DecodeError::Io);
        EXPECT_EQ(r.error().message(), "IO read error.");
    }
}

TEST(Varint, ErrorTexts) {
    EXPECT_EQ(vemo::IoError{vemo::IoError::Read}.message(), "IO read error.");
    EXPECT_EQ(vemo::IoError{vemo::IoError::Write}.message(), "IO write error.");
    EXPECT_EQ(DecodeError::invalid_value(3, "variant index 0 <= i < 3").message(),
              "invalid value: integer `3`, expected variant index 0 <= i < 3");
    EXPECT_EQ(DecodeError::inconsistent("odd table").message(), "odd table");
}

TEST(Varint, TagAndPayloadAreSeparateRequests) {
    FailingSink s(100);
    Encoder e(s);
    ASSERT_TRUE(e.write_u64(7));
    EXPECT_EQ(s.calls, 1);
    ASSERT_TRUE(e.write_u64(300));
    EXPECT_EQ(s.calls, 3);
    ASSERT_TRUE(e.write_u64(uint64_t{1} << 40));
    EXPECT_EQ(s.calls, 5);
}

TEST(Varint, SinkFailureStopsAtOnce) {
    // A 2-row table of 1 word: length, 2 words, width, rows = 5 requests when all are small.
    vemo::BitMatrix m(2, 3);
    for (int fail_at = 0; fail_at < 6; ++fail_at) {
        FailingSink s(fail_at);
        Encoder e(s);
        auto r = m.encode(e);
        ASSERT_FALSE(r) << fail_at;
        EXPECT_EQ(r.error().message(), "IO write error.");
        EXPECT_EQ(s.calls, fail_at + 1);  // nothing is attempted after the failure
        EXPECT_EQ(s.bytes.size(), static_cast<size_t>(fail_at));
    }
    FailingSink ok(6);
    Encoder e(ok);
    EXPECT_TRUE(m.encode(e));
}

TEST(Varint, SpanSourceConsumesNothingOnFailure) {
    const Bytes b{1, 2, 3};
    SpanSource src(b);
    uint8_t buf[4];
    EXPECT_FALSE(src.read(std::span<uint8_t>(buf, 4)));
    EXPECT_EQ(src.rest.size(), 3u);
    EXPECT_TRUE(src.read(std::span<uint8_t>(buf, 3)));
    EXPECT_EQ(buf[2], 3);
    EXPECT_TRUE(src.read(std::span<uint8_t>(buf, 0)));
}

TEST(Varint, PauliListFileLayout) {
    // One string X0 on a 2-qubit count register: x plane, z plane, variant 0, count 2.
    vemo::BitMatrix x(1, 2), z(1, 2);
    x.row_mut(0)[0] = 1;
    VecSink s;
    Encoder e(s);
    ASSERT_TRUE(x.encode(e));
    ASSERT_TRUE(z.encode(e));
    ASSERT_TRUE(e.write_u32(0));
    ASSERT_TRUE(e.write_u64(2));
    EXPECT_EQ(s.bytes, (Bytes{0x01, 0x01, 0x01, 0x01, 0x02, 0x01, 0x00, 0x01, 0x01, 0x02, 0x00, 0x02}));
    // An empty list on a 0-qubit register is ten zero bytes.
    VecSink s0;
    Encoder e0(s0);
    ASSERT_TRUE(vemo::BitMatrix(0, 0).encode(e0));
    ASSERT_TRUE(vemo::BitMatrix(0, 0).encode(e0));
    ASSERT_TRUE(e0.write_u32(0));
    ASSERT_TRUE(e0.write_u64(0));
    EXPECT_EQ(s0.bytes, Bytes(10, 0));
}
