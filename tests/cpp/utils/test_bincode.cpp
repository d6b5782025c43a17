// The variable-length integer codec: known bytes, accepted and refused forms,
// source and sink failures.
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

std::expected<uint64_t, DecodeError> dec(const Bytes& b, bool u32 = false) {
    SpanSource src(b);
    Decoder d(src);
    if (u32) {
        auto r = d.read_u32();
        if (!r) return std::unexpected(r.error());
        return *r;
    }
    return d.read_u64();
}

// Fails every write from the n-th on, counting the requests.
struct FailingSink {
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

TEST(Varint, KnownBytesAndRoundTripInShortestForm) {
    EXPECT_EQ(enc64(250), (Bytes{0xFA}));
    EXPECT_EQ(enc64(251), (Bytes{0xFB, 0xFB, 0x00}));
    EXPECT_EQ(enc64(65536), (Bytes{0xFC, 0x00, 0x00, 0x01, 0x00}));
    EXPECT_EQ(enc64(uint64_t{1} << 32), (Bytes{0xFD, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00}));
    std::vector<uint64_t> values;
    for (uint64_t edge : {uint64_t{250}, uint64_t{0xFFFF}, uint64_t{0xFFFF'FFFF}, UINT64_MAX - 1})
        for (uint64_t d : {0u, 1u}) values.push_back(edge + d);
    std::mt19937_64 rng(5);
    for (int k = 0; k < 1000; ++k) values.push_back(rng() >> (rng() % 64));
    for (uint64_t v : values) {
        const Bytes b = enc64(v);
        EXPECT_EQ(b.size(), v < 251 ? 1u : v < 0x10000 ? 3u : v < (uint64_t{1} << 32) ? 5u : 9u) << v;
        EXPECT_EQ(dec(b).value(), v);
    }
}

TEST(Varint, DecoderFormsAndRefusals) {
    // Longer forms than needed are accepted.
    EXPECT_EQ(dec({0xFB, 0x05, 0x00}).value(), 5u);
    EXPECT_EQ(dec({0xFD, 0x01, 0, 0, 0, 0, 0, 0, 0}).value(), 1u);
    EXPECT_EQ(dec({0xFC, 0xFF, 0xFF, 0xFF, 0xFF}, true).value(), 0xFFFF'FFFFu);
    // Tags that the field's width does not allow.
    EXPECT_EQ(dec({0xFD, 1, 0, 0, 0, 0, 0, 0, 0}, true).error().message(),
              "Invalid integer type: expected U32, found U64.");
    EXPECT_EQ(dec({0xFE}).error().message(), "Invalid integer type: expected U64, found U128.");
    EXPECT_EQ(dec({0xFF}).error().message(), "Invalid integer type: expected U64, found Reserved.");
    // Truncated input is a read error.
    for (const Bytes& b : {Bytes{}, Bytes{0xFB, 0x01}, Bytes{0xFD, 1, 2, 3, 4, 5, 6, 7}})
        EXPECT_EQ(dec(b).error().message(), "IO read error.");
}

TEST(Varint, SinkFailureStopsAtOnce) {
    // A 2-row table of 1 word: length, 2 words, width, rows, bit count: 6 requests.
    vemo::BitMatrix m(2, 3);
    for (int fail_at = 0; fail_at < 6; ++fail_at) {
        FailingSink s{fail_at};
        Encoder e(s);
        auto r = m.encode(e);
        ASSERT_FALSE(r) << fail_at;
        EXPECT_EQ(r.error().message(), "IO write error.");
        EXPECT_EQ(s.calls, fail_at + 1);  // nothing is attempted after the failure
    }
    FailingSink ok{6};
    Encoder e(ok);
    EXPECT_TRUE(m.encode(e));
}
