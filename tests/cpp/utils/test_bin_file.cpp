// The buffered file reader and writer: round trips across the buffer and
// failed writes. Short files, truncation and open errors are checked from Python.
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
