// Word tables and bit matrices, checked against a plain bool-per-bit model.
// The serial form is checked from Python through the Pauli file.
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

}  // namespace

// Reformatting is checked through BitMatrix::reformat below.
TEST(Table, SwapRemovalAndSizes) {
    Table t = table_of(2, 4);
    t.pop_and_swap(1);  // the last row moves into row 1
    ASSERT_EQ(t.n_rows(), 3u);
    EXPECT_EQ(t[1][1], 4001u);
    t.pop_and_swap(7);  // beyond the last row: the last row goes
    EXPECT_EQ(t.data().size(), 4u);
    EXPECT_THROW((void)t.row(2), vemo::InternalError);
    EXPECT_FALSE(Table::from_data({1, 2, 3}, 2, 2).has_value());
    EXPECT_FALSE(Table::from_data({}, uint64_t{1} << 32, uint64_t{1} << 32).has_value());  // product wraps to 0
}

TEST(BitMatrix, RowViewsAndAssignmentsCheckBeforeWriting) {
    BitMatrix m(3, 65);
    EXPECT_EQ(m.row_mut_ref(0).set_bit(65, true).error(), (OutOfBounds{65, 65, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_mut_ref(3).set_bit(0, true).error(), (OutOfBounds{3, 3, OutOfBoundsKind::Row}));
    EXPECT_EQ(m.row_ref(0).get(65).error(), (OutOfBounds{65, 65, OutOfBoundsKind::Bit}));
    EXPECT_FALSE(m.get_bit_unchecked(0, 127));  // the zero padding of the row's words
    EXPECT_THROW((void)m.get_bit_unchecked(0, 128), vemo::InternalError);
    EXPECT_EQ(m.assign_set(3, {0, 100}).error(), (OutOfBounds{3, 3, OutOfBoundsKind::Row}));  // Row first
    ASSERT_TRUE(m.assign_set(1, {5, 63}));
    EXPECT_EQ(m.assign_set(1, {0, 70}).error(), (OutOfBounds{70, 65, OutOfBoundsKind::Bit}));
    ASSERT_TRUE(m.assign_set(2, std::set<uint64_t>{2, 9}));
    // A list longer than the row is refused even when its surplus flags are false.
    EXPECT_EQ(m.assign_vec(1, std::vector<bool>(66, false)).error(), (OutOfBounds{65, 65, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_ref(1).to_set(), (Idx{5, 63}));
    EXPECT_EQ(m.row_ref(2).to_set(), (Idx{2, 9}));
    ASSERT_TRUE(m.assign_vec(1, std::vector<bool>(65, true)));
    EXPECT_EQ(m.row_ref(1).to_set().size(), 65u);
    ASSERT_TRUE(m.assign_vec(1, {false, true}));
    EXPECT_EQ(m.row_ref(1).to_set(), (Idx{1}));
    // Clearing a row of a 0-bit matrix is a valid request; a non-empty input still fails.
    BitMatrix z(2, 0);
    EXPECT_TRUE(z.assign_set(0, Idx{}));
    EXPECT_TRUE(z.assign_vec(1, std::vector<bool>{}));
    EXPECT_EQ(z.assign_vec(0, {false}).error(), (OutOfBounds{0, 0, OutOfBoundsKind::Bit}));
}

TEST(BitMatrix, Reformat) {
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
