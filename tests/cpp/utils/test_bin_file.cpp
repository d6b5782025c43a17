// The buffered file reader and writer: round trips, short files and open errors.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <vector>

#include "core/utils/bin_file.hpp"
#include "core/utils/bincode.hpp"

using namespace vemo;
namespace fs = std::filesystem;

namespace {

struct TempPath {
    fs::path path;
    TempPath() {
        path = fs::temp_directory_path() /
               ("vemo_bin_file_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++));
    }
    ~TempPath() {
        std::error_code ec;
        fs::remove(path, ec);
    }
    static int& counter() {
        static int c = 0;
        return c;
    }
};

std::vector<uint8_t> file_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

static_assert(bincode::ByteSource<BinFileReader>);
static_assert(bincode::ByteSink<BinFileWriter>);

TEST(BinFile, RoundTripOfSmallAndLargeRequests) {
    TempPath t;
    std::vector<uint8_t> big(200000);
    std::iota(big.begin(), big.end(), uint8_t{0});
    {
        auto w = BinFileWriter::create(t.path.string());
        ASSERT_TRUE(w.has_value());
        for (uint8_t b = 0; b < 10; ++b) ASSERT_TRUE(w->write(std::span<const uint8_t>(&b, 1)));
        ASSERT_TRUE(w->write(big));
        ASSERT_TRUE(w->write(std::span<const uint8_t>(big).first(70000)));
        ASSERT_TRUE(w->finish());
    }
    const auto bytes = file_bytes(t.path);
    ASSERT_EQ(bytes.size(), 10u + 200000u + 70000u);
    for (size_t k = 0; k < 10; ++k) EXPECT_EQ(bytes[k], k);
    EXPECT_TRUE(std::equal(big.begin(), big.end(), bytes.begin() + 10));

    auto r = BinFileReader::open(t.path.string());
    ASSERT_TRUE(r.has_value());
    std::vector<uint8_t> got(bytes.size());
    // Requests of awkward sizes straddle the reader's buffer.
    size_t pos = 0;
    for (size_t step = 1; pos < got.size(); step = step * 3 + 1) {
        const size_t n = std::min(step, got.size() - pos);
        ASSERT_TRUE(r->read(std::span<uint8_t>(got).subspan(pos, n)));
        pos += n;
    }
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(r->at_end(), true);
}

TEST(BinFile, ShortFileIsAReadError) {
    TempPath t;
    {
        auto w = BinFileWriter::create(t.path.string());
        ASSERT_TRUE(w.has_value());
        const uint8_t b[3] = {1, 2, 3};
        ASSERT_TRUE(w->write(b));
    }  // the destructor writes the buffered bytes
    auto r = BinFileReader::open(t.path.string());
    ASSERT_TRUE(r.has_value());
    uint8_t out[4] = {9, 9, 9, 9};
    auto res = r->read(out);
    ASSERT_FALSE(res.has_value());
    EXPECT_EQ(res.error().message(), "IO read error.");
    // The bincode decoder sees the same error for a truncated integer.
    const uint8_t u64_tag[1] = {253};
    TempPath t2;
    {
        auto w = BinFileWriter::create(t2.path.string());
        ASSERT_TRUE(w.has_value());
        ASSERT_TRUE(w->write(u64_tag));
        ASSERT_TRUE(w->write(u64_tag));
        ASSERT_TRUE(w->finish());
    }
    auto r3 = BinFileReader::open(t2.path.string());
    ASSERT_TRUE(r3.has_value());
    bincode::Decoder dec(*r3);
    auto v = dec.read_u64();
    ASSERT_FALSE(v.has_value());
    EXPECT_EQ(v.error().message(), "IO read error.");
}

TEST(BinFile, CreateTruncatesAndOpenErrorsComeFromTheSystem) {
    TempPath t;
    {
        std::ofstream(t.path, std::ios::binary) << "0123456789";
    }
    {
        auto w = BinFileWriter::create(t.path.string());
        ASSERT_TRUE(w.has_value());
        const uint8_t b[2] = {7, 8};
        ASSERT_TRUE(w->write(b));
        ASSERT_TRUE(w->finish());
    }
    EXPECT_EQ(file_bytes(t.path), (std::vector<uint8_t>{7, 8}));

    auto missing = BinFileReader::open((t.path / "nope").string());
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error(), std::error_code(ENOTDIR, std::system_category()));
    auto none = BinFileReader::open("/nonexistent-dir-vemo/x");
    ASSERT_FALSE(none.has_value());
    EXPECT_EQ(none.error(), std::error_code(ENOENT, std::system_category()));
    auto dir = BinFileWriter::create(fs::temp_directory_path().string());
    ASSERT_FALSE(dir.has_value());
    EXPECT_EQ(dir.error(), std::error_code(EISDIR, std::system_category()));
    EXPECT_FALSE(BinFileReader::open(std::string("a\0b", 3)).has_value());
}

TEST(BinFile, WriteFailureIsAWriteError) {
    // /dev/full accepts the open and fails every write.
    if (!fs::exists("/dev/full")) GTEST_SKIP();
    auto w = BinFileWriter::create("/dev/full");
    ASSERT_TRUE(w.has_value());
    const uint8_t b[1] = {1};
    ASSERT_TRUE(w->write(b));  // buffered
    auto r = w->finish();
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().message(), "IO write error.");
    std::vector<uint8_t> big(1 << 17);
    auto w2 = BinFileWriter::create("/dev/full");
    ASSERT_TRUE(w2.has_value());
    auto r2 = w2->write(big);
    ASSERT_FALSE(r2.has_value());
    EXPECT_EQ(r2.error().message(), "IO write error.");
}
