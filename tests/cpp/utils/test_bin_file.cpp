// The buffered file reader and writer: round trips, short files and errors.
#include <gtest/gtest.h>

#include <unistd.h>

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
    fs::path path = fs::temp_directory_path() / ("vemo_bin_file_" + std::to_string(::getpid()) + "_" +
                                                  std::to_string(reinterpret_cast<uintptr_t>(this)));
    ~TempPath() {
        std::error_code ec;
        fs::remove(path, ec);
    }
    std::vector<uint8_t> bytes() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

void write_file(const TempPath& t, std::initializer_list<std::span<const uint8_t>> chunks) {
    auto w = BinFileWriter::create(t.path.string());
    ASSERT_TRUE(w.has_value());
    for (auto c : chunks) ASSERT_TRUE(w->write(c));
    ASSERT_TRUE(w->finish());
}

}  // namespace

static_assert(bincode::ByteSource<BinFileReader>);
static_assert(bincode::ByteSink<BinFileWriter>);

TEST(BinFile, RoundTripAcrossTheBuffer) {
    TempPath t;
    std::vector<uint8_t> big(200000);
    std::iota(big.begin(), big.end(), uint8_t{0});
    const uint8_t small[3] = {7, 8, 9};
    write_file(t, {small, big, std::span<const uint8_t>(big).first(70000)});
    const auto bytes = t.bytes();
    ASSERT_EQ(bytes.size(), 3u + 200000u + 70000u);
    EXPECT_TRUE(std::equal(big.begin(), big.end(), bytes.begin() + 3));
    auto r = BinFileReader::open(t.path.string());
    ASSERT_TRUE(r.has_value());
    std::vector<uint8_t> got(bytes.size());
    for (size_t pos = 0, step = 1; pos < got.size(); pos += step, step = step * 3 + 1) {
        step = std::min(step, got.size() - pos);
        ASSERT_TRUE(r->read(std::span<uint8_t>(got).subspan(pos, step)));
    }
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(r->at_end(), true);
}

TEST(BinFile, AFileThatEndsEarlyIsAReadError) {
    TempPath t;
    const uint8_t tag[2] = {253, 253};  // a u64 tag, then 1 of its 8 bytes
    write_file(t, {tag});
    auto r = BinFileReader::open(t.path.string());
    ASSERT_TRUE(r.has_value());
    uint8_t out[3];
    EXPECT_EQ(r->read(out).error().message(), "IO read error.");
    auto r2 = BinFileReader::open(t.path.string());
    bincode::Decoder dec(*r2);
    EXPECT_EQ(dec.read_u64().error().message(), "IO read error.");
}

TEST(BinFile, CreateTruncatesAndOpenErrorsComeFromTheSystem) {
    TempPath t;
    std::ofstream(t.path, std::ios::binary) << "0123456789";
    const uint8_t b[2] = {7, 8};
    write_file(t, {b});
    EXPECT_EQ(t.bytes(), (std::vector<uint8_t>{7, 8}));
    EXPECT_EQ(BinFileReader::open((t.path / "x").string()).error(), std::error_code(ENOTDIR, std::system_category()));
    EXPECT_EQ(BinFileWriter::create(fs::temp_directory_path().string()).error(),
              std::error_code(EISDIR, std::system_category()));
    EXPECT_FALSE(BinFileReader::open(std::string("a\0b", 3)).has_value());
}

TEST(BinFile, AFailedWriteIsAWriteError) {
    if (!fs::exists("/dev/full")) GTEST_SKIP();  // accepts the open, fails every write
    auto w = BinFileWriter::create("/dev/full");
    ASSERT_TRUE(w.has_value());
    const uint8_t b[1] = {1};
    ASSERT_TRUE(w->write(b));  // buffered
    EXPECT_EQ(w->finish().error().message(), "IO write error.");
    auto w2 = BinFileWriter::create("/dev/full");
    EXPECT_EQ(w2->write(std::vector<uint8_t>(1 << 17)).error().message(), "IO write error.");
}
