// Word tables and bit matrices, checked against a plain bool-per-bit model.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <random>
#include <set>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "core/container/table.hpp"

using vemo::BitMatrix;
using vemo::OutOfBounds;
using vemo::OutOfBoundsKind;
using vemo::Table;
using Bytes = std::vector<uint8_t>;
using Idx = std::vector<uint64_t>;

namespace {

using Model = std::vector<std::vector<bool>>;

BitMatrix random_matrix(std::mt19937_64& rng, uint64_t rows, uint64_t bits, Model& model) {
    BitMatrix m(rows, bits);
    model.assign(rows, std::vector<bool>(bits, false));
    for (uint64_t r = 0; r < rows; ++r)
        for (uint64_t k = 0; k < bits; ++k)
            if (rng() & 1) m.set_bit_unchecked(r, k, model[r][k] = true);
    return m;
}

Table table_of(uint64_t wpr, uint64_t rows) {
    Table t(wpr, rows);
    for (uint64_t r = 0; r < rows; ++r)
        for (uint64_t c = 0; c < wpr; ++c) t[r][c] = 1000 * (r + 1) + c;
    return t;
}

std::expected<BitMatrix, vemo::bincode::DecodeError> decode(const Bytes& b) {
    vemo::bincode::SpanSource src(b);
    vemo::bincode::Decoder dec(src);
    return BitMatrix::decode(dec);
}

}  // namespace

TEST(Table, SwapRemovalAndReformat) {
    Table t = table_of(2, 4);
    t.pop_and_swap(1);  // the last row moves into row 1
    ASSERT_EQ(t.n_rows(), 3u);
    EXPECT_EQ(t[1][1], 4001u);
    t.pop_and_swap(7);  // beyond the last row: the last row goes
    EXPECT_EQ(t.data().size(), 4u);
    Table e;
    e.pop_and_swap(0);
    EXPECT_EQ(e.n_rows(), 0u);
    EXPECT_THROW((void)t.row(2), vemo::InternalError);
    for (uint64_t rows : {0u, 1u, 5u})
        for (uint64_t w0 : {0u, 1u, 3u})
            for (uint64_t w1 : {0u, 1u, 2u, 4u}) {
                Table u = table_of(w0, rows);
                u.reformat(w1);
                ASSERT_EQ(u.data().size(), w1 * rows);
                for (uint64_t r = 0; r < rows; ++r)
                    for (uint64_t c = 0; c < w1; ++c)
                        EXPECT_EQ(u[r][c], c < w0 ? 1000 * (r + 1) + c : 0u) << w0 << "->" << w1;
            }
    EXPECT_FALSE(Table::from_data({1, 2, 3}, 2, 2).has_value());
    EXPECT_FALSE(Table::from_data({}, uint64_t{1} << 32, uint64_t{1} << 32).has_value());  // product wraps to 0
}

TEST(BitMatrix, SixtyFiveBitsAndRowText) {
    BitMatrix m(2, 65);
    EXPECT_EQ(m.words_per_row(), 2u);
    ASSERT_TRUE(m.row_mut_ref(1).set_bit(64, true));
    EXPECT_EQ(m.row(1)[0], 0u);
    EXPECT_EQ(m.row(1)[1], 1u);
    std::string expected = "[";
    for (int k = 0; k < 64; ++k) expected += "0, ";
    EXPECT_EQ(m.fmt_elem(1), expected + "1]");
    EXPECT_EQ(BitMatrix(1, 0).fmt_elem(0), "[]");
}

TEST(BitMatrix, AssignChecksBeforeWriting) {
    BitMatrix m(3, 64);
    EXPECT_EQ(m.assign_set(3, {0, 100}).error(), (OutOfBounds{3, 3, OutOfBoundsKind::Row}));  // Row first
    ASSERT_TRUE(m.assign_set(1, {5, 63}));
    EXPECT_EQ(m.assign_set(1, {0, 70}).error(), (OutOfBounds{70, 64, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_ref(1).to_set(), (Idx{5, 63}));
    ASSERT_TRUE(m.assign_set(1, std::set<uint64_t>{2, 9}));
    EXPECT_EQ(m.row_ref(1).to_set(), (Idx{2, 9}));
    // A list longer than the row is refused even when its surplus flags are false.
    EXPECT_EQ(m.assign_vec(1, std::vector<bool>(65, false)).error(), (OutOfBounds{64, 64, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_ref(1).to_set(), (Idx{2, 9}));
    ASSERT_TRUE(m.assign_vec(1, {false, true}));
    EXPECT_EQ(m.row_ref(1).to_set(), (Idx{1}));
}

// Clearing a row of a 0-bit matrix is a valid request; a non-empty input still fails.
TEST(BitMatrix, EmptyAssignmentOnZeroBitRows) {
    BitMatrix m(2, 0);
    EXPECT_TRUE(m.assign_set(0, Idx{}));
    EXPECT_TRUE(m.assign_vec(1, std::vector<bool>{}));
    EXPECT_EQ(m.assign_set(0, {0}).error(), (OutOfBounds{0, 0, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.assign_vec(0, {false}).error(), (OutOfBounds{0, 0, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.assign_set(2, Idx{}).error(), (OutOfBounds{2, 2, OutOfBoundsKind::Row}));
    EXPECT_TRUE(BitMatrix(1, 64).assign_set(0, Idx{}));
}

TEST(BitMatrix, RowViews) {
    BitMatrix m(2, 70);
    const auto w = m.row_mut_ref(0);
    EXPECT_EQ(w.set_bit(70, true).error(), (OutOfBounds{70, 70, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_mut_ref(2).set_bit(0, true).error(), (OutOfBounds{2, 2, OutOfBoundsKind::Row}));
    ASSERT_TRUE(w.set_bit(69, true));
    ASSERT_TRUE(w.set_bit(3, true));
    ASSERT_TRUE(w.set_bit(3, false));
    EXPECT_EQ(m.row_ref(0).get(69).value(), true);
    EXPECT_EQ(m.row_ref(0).get(70).error(), (OutOfBounds{70, 70, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_ref(0).to_set(), (Idx{69}));
    EXPECT_FALSE(m.get_bit_unchecked(0, 127));  // the zero padding of the row's words
    EXPECT_THROW((void)m.get_bit_unchecked(0, 128), vemo::InternalError);
}

TEST(BitMatrix, Reformat) {
    BitMatrix m(1, 70);
    for (uint64_t k : {0u, 63u, 64u, 65u, 69u}) m.set_bit_unchecked(0, k, true);
    m.reformat(65);
    EXPECT_EQ(m.row(0)[1], 1u);  // bits 65..69 cleared
    m.reformat(70);
    EXPECT_EQ(m.row_ref(0).to_set(), (Idx{0, 63, 64}));
    BitMatrix n(2, 64);
    n.row_mut(1)[0] = ~uint64_t{0};
    n.reformat(128);
    EXPECT_EQ(n.table().data().size(), 4u);
    EXPECT_EQ(n.row(1)[0], ~uint64_t{0});
    EXPECT_EQ(n.row(1)[1], 0u);
    // Every pair of widths across word boundaries: bits below min(b, b2) kept, all else zero.
    std::mt19937_64 rng(7);
    const uint64_t sizes[] = {0, 1, 63, 64, 65, 127, 128, 129, 200};
    for (uint64_t b : sizes)
        for (uint64_t b2 : sizes) {
            Model model;
            BitMatrix x = random_matrix(rng, 3, b, model);
            x.reformat(b2);
            ASSERT_EQ(x.words_per_row(), (b2 + 63) / 64);
            for (uint64_t r = 0; r < 3; ++r)
                for (uint64_t k = 0; k < 64 * x.words_per_row(); ++k)
                    ASSERT_EQ(x.get_bit_unchecked(r, k), k < b && k < b2 && model[r][k]) << b << "->" << b2;
        }
}

TEST(BitMatrix, ToMatrix) {
    std::mt19937_64 rng(3);
    Model model;
    const auto d = random_matrix(rng, 3, 67, model).to_matrix();
    ASSERT_EQ(d.data.size(), 3u * 67u);
    for (uint64_t r = 0; r < 3; ++r)
        for (uint64_t k = 0; k < 67; ++k) EXPECT_EQ(d.at(r, k), model[r][k] ? 1 : 0);
    for (auto [rows, bits] : {std::pair<uint64_t, uint64_t>{0, 10}, {4, 0}}) {
        const auto e = BitMatrix(rows, bits).to_matrix();
        EXPECT_EQ(e.n_rows, rows);
        EXPECT_EQ(e.n_cols, bits);
        EXPECT_TRUE(e.data.empty());
    }
}

TEST(BitMatrix, ImpossibleSizesThrowBadAlloc) {
    EXPECT_THROW(BitMatrix(UINT64_MAX, 64), std::bad_alloc);
    EXPECT_THROW(BitMatrix(uint64_t{1} << 61, 64), std::bad_alloc);
    BitMatrix wide(0, UINT64_MAX);  // no rows: nothing to allocate
    EXPECT_EQ(wide.words_per_row(), uint64_t{1} << 58);
    EXPECT_THROW(wide.resize(1 << 10), std::bad_alloc);
    EXPECT_EQ(wide.size(), 0u);
    BitMatrix m(4, 8);
    EXPECT_THROW(m.reformat(UINT64_MAX), std::bad_alloc);
    EXPECT_THROW(BitMatrix(1 << 20, 1 << 30).to_matrix(), std::bad_alloc);
}

TEST(BitMatrix, SerialForm) {
    BitMatrix m(1, 3);
    m.row_mut(0)[0] = 5;
    EXPECT_EQ(vemo::bincode::encode_to_vec(m), (Bytes{0x01, 0x05, 0x01, 0x01, 0x03}));
    BitMatrix h(1, 64);
    h.row_mut(0)[0] = uint64_t{1} << 63;
    EXPECT_EQ(vemo::bincode::encode_to_vec(h), (Bytes{0x01, 0xFD, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x01, 0x40}));
    std::mt19937_64 rng(11);
    for (uint64_t bits : {0u, 65u, 130u})
        for (uint64_t rows : {0u, 5u}) {
            Model model;
            const BitMatrix x = random_matrix(rng, rows, bits, model);
            auto back = decode(vemo::bincode::encode_to_vec(x));
            ASSERT_TRUE(back) << back.error().message();
            EXPECT_EQ(*back, x);
        }
    // Decoding refuses what breaks the invariants: data length, width for the bit
    // count, a bit beyond the count, truncation; a huge announced length fails on
    // the missing words, not on allocation.
    EXPECT_EQ(decode({1, 5, 1, 2, 3}).error().kind, vemo::bincode::DecodeError::Inconsistent);
    EXPECT_FALSE(decode({1, 5, 1, 1, 65}));
    EXPECT_FALSE(decode({1, 8, 1, 1, 3}));
    EXPECT_EQ(decode({2, 5}).error().message(), "IO read error.");
    EXPECT_EQ(decode({0xFD, 0, 0, 0, 0, 0, 0, 0, 0x10, 7}).error().kind, vemo::bincode::DecodeError::Io);
}
