// Word tables and bit matrices, checked against a plain bool-per-bit model.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <random>
#include <set>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "core/container/table.hpp"
#include "core/container/word_iters.hpp"

using vemo::BitMatrix;
using vemo::OutOfBounds;
using vemo::OutOfBoundsKind;
using vemo::Table;

namespace {

using Model = std::vector<std::vector<bool>>;

BitMatrix random_matrix(std::mt19937_64& rng, uint64_t rows, uint64_t bits, Model& model) {
    BitMatrix m(rows, bits);
    model.assign(rows, std::vector<bool>(bits, false));
    for (uint64_t r = 0; r < rows; ++r)
        for (uint64_t k = 0; k < bits; ++k)
            if (rng() & 1) {
                model[r][k] = true;
                m.set_bit_unchecked(r, k, true);
            }
    return m;
}

// Bits agree with the model and every word bit at or beyond the bit count is zero.
void expect_matches(const BitMatrix& m, const Model& model, uint64_t bits) {
    ASSERT_EQ(m.n_rows(), model.size());
    ASSERT_EQ(m.n_bits(), bits);
    ASSERT_EQ(m.words_per_row(), (bits + 63) / 64);
    for (uint64_t r = 0; r < m.n_rows(); ++r)
        for (uint64_t k = 0; k < 64 * m.words_per_row(); ++k)
            ASSERT_EQ(m.get_bit_unchecked(r, k), k < bits && model[r][k]) << "row " << r << " bit " << k;
}

Table table_of(uint64_t wpr, uint64_t rows) {
    Table t(wpr, rows);
    for (uint64_t r = 0; r < rows; ++r)
        for (uint64_t c = 0; c < wpr; ++c) t[r][c] = 1000 * (r + 1) + c;
    return t;
}

}  // namespace

TEST(Table, RowsAndSwapRemoval) {
    Table t = table_of(2, 4);
    EXPECT_EQ(t.data().size(), 8u);
    EXPECT_EQ(t[2][1], 3001u);
    t.pop_and_swap(1);  // last row moves into row 1
    ASSERT_EQ(t.n_rows(), 3u);
    EXPECT_EQ(t[1][0], 4000u);
    EXPECT_EQ(t[1][1], 4001u);
    EXPECT_EQ(t[2][0], 3000u);
    t.pop_and_swap(7);  // beyond the last row: the last row goes
    EXPECT_EQ(t.n_rows(), 2u);
    EXPECT_EQ(t.data().size(), 4u);
    t.clear_row(0);
    EXPECT_EQ(t[0][0], 0u);
    EXPECT_EQ(t[1][0], 4000u);
    Table e;
    e.pop_and_swap(0);
    EXPECT_EQ(e.n_rows(), 0u);
    EXPECT_THROW((void)t.row(2), vemo::InternalError);
}

TEST(Table, ReformatKeepsRowPrefixes) {
    for (uint64_t rows : {0u, 1u, 3u, 5u})
        for (uint64_t w0 : {0u, 1u, 2u, 3u})
            for (uint64_t w1 : {0u, 1u, 2u, 4u}) {
                Table t = table_of(w0, rows);
                t.reformat(w1);
                ASSERT_EQ(t.words_per_row(), w1);
                ASSERT_EQ(t.n_rows(), rows);
                ASSERT_EQ(t.data().size(), w1 * rows);
                for (uint64_t r = 0; r < rows; ++r)
                    for (uint64_t c = 0; c < w1; ++c)
                        EXPECT_EQ(t[r][c], c < w0 ? 1000 * (r + 1) + c : 0u) << w0 << "->" << w1;
            }
}

TEST(Table, FromDataChecksShape) {
    EXPECT_TRUE(Table::from_data({1, 2, 3, 4}, 2, 2).has_value());
    EXPECT_FALSE(Table::from_data({1, 2, 3}, 2, 2).has_value());
    EXPECT_FALSE(Table::from_data({}, uint64_t{1} << 32, uint64_t{1} << 32).has_value());  // product wraps to 0
}

TEST(BitMatrix, SixtyFiveBitsUseTwoWords) {
    BitMatrix m(2, 65);
    EXPECT_EQ(m.words_per_row(), 2u);
    ASSERT_TRUE(m.row_mut_ref(1).set_bit(64, true));
    EXPECT_EQ(m.row(1)[0], 0u);
    EXPECT_EQ(m.row(1)[1], 1u);
    const std::string s = m.fmt_elem(1);
    EXPECT_EQ(std::count(s.begin(), s.end(), '0') + std::count(s.begin(), s.end(), '1'), 65);
    EXPECT_EQ(s.substr(s.size() - 4), ", 1]");
    EXPECT_EQ(BitMatrix(1, 3).fmt_elem(0), "[0, 0, 0]");
    EXPECT_EQ(BitMatrix(1, 0).fmt_elem(0), "[]");
}

TEST(BitMatrix, AssignSetChecksRowFirstThenLargestBit) {
    BitMatrix m(3, 64);
    EXPECT_EQ(m.assign_set(3, {0, 100}).error(), (OutOfBounds{3, 3, OutOfBoundsKind::Row}));
    ASSERT_TRUE(m.assign_set(1, {5, 63}));
    EXPECT_EQ(m.assign_set(1, {70, 0}).error(), (OutOfBounds{70, 64, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_ref(1).to_set(), (std::vector<uint64_t>{5, 63}));  // unchanged by the refusal
    ASSERT_TRUE(m.assign_set(1, std::set<uint64_t>{2, 9}));
    EXPECT_EQ(m.row_ref(1).to_set(), (std::vector<uint64_t>{2, 9}));  // old bits cleared
    ASSERT_TRUE(m.assign_set(1, std::vector<uint64_t>{}));
    EXPECT_EQ(m.row(1)[0], 0u);
}

TEST(BitMatrix, EmptyAssignmentOnZeroBitRows) {
    BitMatrix m(2, 0);
    EXPECT_TRUE(m.assign_set(0, std::vector<uint64_t>{}));
    EXPECT_TRUE(m.assign_vec(1, std::vector<bool>{}));
    EXPECT_EQ(m.assign_set(0, {0}).error(), (OutOfBounds{0, 0, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.assign_vec(0, {false}).error(), (OutOfBounds{0, 0, OutOfBoundsKind::Bit}));
    // The row check still applies to an empty input.
    EXPECT_EQ(m.assign_set(2, std::vector<uint64_t>{}).error(), (OutOfBounds{2, 2, OutOfBoundsKind::Row}));
    EXPECT_EQ(m.assign_vec(5, std::vector<bool>{}).error(), (OutOfBounds{5, 2, OutOfBoundsKind::Row}));
}

TEST(BitMatrix, AssignVecRefusesSurplusFlags) {
    BitMatrix m(1, 66);
    ASSERT_TRUE(m.assign_set(0, {1, 65}));
    std::vector<bool> flags(67, false);
    EXPECT_EQ(m.assign_vec(0, flags).error(), (OutOfBounds{66, 66, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_ref(0).to_set(), (std::vector<uint64_t>{1, 65}));
    flags.resize(66);
    flags[0] = flags[64] = true;
    ASSERT_TRUE(m.assign_vec(0, flags));
    EXPECT_EQ(m.row_ref(0).to_set(), (std::vector<uint64_t>{0, 64}));
    ASSERT_TRUE(m.assign_vec(0, {false, true}));  // a short list clears the rest
    EXPECT_EQ(m.row_ref(0).to_set(), (std::vector<uint64_t>{1}));
}

TEST(BitMatrix, RowViews) {
    BitMatrix m(2, 70);
    auto w = m.row_mut_ref(0);
    EXPECT_EQ(w.set_bit(70, true).error(), (OutOfBounds{70, 70, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_mut_ref(2).set_bit(0, true).error(), (OutOfBounds{2, 2, OutOfBoundsKind::Row}));
    EXPECT_EQ(m.row(0)[1], 0u);
    ASSERT_TRUE(w.set_bit(69, true));
    ASSERT_TRUE(w.set_bit(3, true));
    ASSERT_TRUE(w.set_bit(3, false));
    EXPECT_EQ(m.row_ref(0).get(69).value(), true);
    EXPECT_EQ(m.row_ref(0).get(3).value(), false);
    EXPECT_EQ(m.row_ref(0).get(70).error(), (OutOfBounds{70, 70, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row_ref(0).to_set(), (std::vector<uint64_t>{69}));
    // Unchecked reads see the zero padding up to the end of the row's words.
    EXPECT_FALSE(m.get_bit_unchecked(0, 127));
    EXPECT_THROW((void)m.get_bit_unchecked(0, 128), vemo::InternalError);
}

TEST(BitMatrix, ReformatEdgeCases) {
    BitMatrix m(1, 70);
    for (uint64_t k : {0u, 63u, 64u, 65u, 69u}) m.set_bit_unchecked(0, k, true);
    m.reformat(65);
    EXPECT_EQ(m.words_per_row(), 2u);
    EXPECT_EQ(m.row(0)[1], 1u);  // bits 65..69 cleared
    m.reformat(70);
    EXPECT_EQ(m.row_ref(0).to_set(), (std::vector<uint64_t>{0, 63, 64}));
    BitMatrix n(2, 64);
    n.row_mut(1)[0] = ~uint64_t{0};
    n.reformat(128);
    EXPECT_EQ(n.words_per_row(), 2u);
    EXPECT_EQ(n.row(1)[0], ~uint64_t{0});
    EXPECT_EQ(n.row(1)[1], 0u);
    EXPECT_EQ(n.row(0)[1], 0u);
}

TEST(BitMatrix, ReformatAcrossWordBoundariesAgainstModel) {
    std::mt19937_64 rng(7);
    const uint64_t sizes[] = {0, 1, 3, 63, 64, 65, 70, 127, 128, 129, 200};
    for (uint64_t b : sizes)
        for (uint64_t b2 : sizes) {
            Model model;
            BitMatrix m = random_matrix(rng, 4, b, model);
            m.reformat(b2);
            for (auto& row : model) row.resize(b2, false);
            expect_matches(m, model, b2);
            if (HasFatalFailure()) return;
        }
}

TEST(BitMatrix, ToMatrixShapeAndContent) {
    std::mt19937_64 rng(3);
    Model model;
    BitMatrix m = random_matrix(rng, 3, 67, model);
    const auto d = m.to_matrix();
    ASSERT_EQ(d.n_rows, 3u);
    ASSERT_EQ(d.n_cols, 67u);
    ASSERT_EQ(d.data.size(), 3u * 67u);
    for (uint64_t r = 0; r < 3; ++r)
        for (uint64_t k = 0; k < 67; ++k) EXPECT_EQ(d.at(r, k), model[r][k] ? 1 : 0);
    const auto none = BitMatrix(0, 10).to_matrix();
    EXPECT_EQ(none.n_rows, 0u);
    EXPECT_EQ(none.n_cols, 10u);
    EXPECT_TRUE(none.data.empty());
    const auto narrow = BitMatrix(4, 0).to_matrix();
    EXPECT_EQ(narrow.n_rows, 4u);
    EXPECT_EQ(narrow.n_cols, 0u);
    EXPECT_TRUE(narrow.data.empty());
}

TEST(BitMatrix, GenericElementOperations) {
    BitMatrix m(0, 70);
    const uint64_t a[] = {5, 0x20, 99};  // surplus third word is ignored
    vemo::push_u64it(m, std::span<const uint64_t>(a));
    vemo::push_clear(m);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m.row(0)[0], 5u);
    EXPECT_EQ(m.row(0)[1], 0x20u);
    vemo::swap_elems(m, 0, 1);
    EXPECT_EQ(m.row(1)[0], 5u);
    const uint64_t b[] = {1};
    vemo::push_u64it(m, std::span<const uint64_t>(b));
    auto [sel, rest] = vemo::bipartition(m, std::vector<uint64_t>{1});
    EXPECT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel.n_bits(), 70u);
    EXPECT_EQ(rest.size(), 2u);
    EXPECT_EQ(sel.row(0)[0], 5u);
    EXPECT_EQ(rest.row(1)[0], 1u);
    m.pop_and_swap(0);
    EXPECT_EQ(m.row(0)[0], 1u);
    EXPECT_EQ(vemo::hash_at_index(m, 0), vemo::hash_u64it(std::span<const uint64_t>(m.row(0))));
    // Rows of zero bits have no words: all equal, all hash like the empty byte string.
    BitMatrix z(3, 0);
    EXPECT_TRUE((vemo::ElemRef<BitMatrix>{&z, 0} == vemo::ElemRef<BitMatrix>{&z, 2}));
    EXPECT_EQ(vemo::hash_at_index(z, 1), vemo::hash_u64it(std::span<const uint64_t>{}));
}

TEST(BitMatrix, ImpossibleSizesThrowBadAlloc) {
    EXPECT_THROW(BitMatrix(uint64_t{1} << 62, uint64_t{1} << 62), std::bad_alloc);
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

TEST(BitMatrix, SerialFormBytes) {
    BitMatrix m(1, 3);
    m.row_mut(0)[0] = 5;
    EXPECT_EQ(vemo::bincode::encode_to_vec(m), (std::vector<uint8_t>{0x01, 0x05, 0x01, 0x01, 0x03}));
    EXPECT_EQ(vemo::bincode::encode_to_vec(BitMatrix(0, 0)), (std::vector<uint8_t>{0, 0, 0, 0}));
    // A word with bit 63 set takes the 8-byte form.
    BitMatrix h(1, 64);
    h.row_mut(0)[0] = uint64_t{1} << 63;
    EXPECT_EQ(vemo::bincode::encode_to_vec(h),
              (std::vector<uint8_t>{0x01, 0xFD, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x01, 0x40}));
}

TEST(BitMatrix, SerialRoundTrip) {
    std::mt19937_64 rng(11);
    for (uint64_t bits : {0u, 1u, 64u, 65u, 130u})
        for (uint64_t rows : {0u, 1u, 5u}) {
            Model model;
            const BitMatrix m = random_matrix(rng, rows, bits, model);
            const auto bytes = vemo::bincode::encode_to_vec(m);
            vemo::bincode::SpanSource src(bytes);
            vemo::bincode::Decoder dec(src);
            auto back = BitMatrix::decode(dec);
            ASSERT_TRUE(back) << back.error().message();
            EXPECT_EQ(*back, m);
            EXPECT_TRUE(src.rest.empty());
        }
}

TEST(BitMatrix, DecodeRefusesBrokenInvariants) {
    using Bytes = std::vector<uint8_t>;
    auto decode = [](const Bytes& b) {
        vemo::bincode::SpanSource src(b);
        vemo::bincode::Decoder dec(src);
        return BitMatrix::decode(dec);
    };
    EXPECT_TRUE(decode(Bytes{1, 5, 1, 1, 3}));
    // Data length differs from words per row times rows.
    auto e = decode(Bytes{1, 5, 1, 2, 3});
    ASSERT_FALSE(e);
    EXPECT_EQ(e.error().kind, vemo::bincode::DecodeError::Inconsistent);
    // Words per row do not fit the bit count.
    EXPECT_FALSE(decode(Bytes{1, 5, 1, 1, 65}));
    // A bit beyond the bit count.
    EXPECT_FALSE(decode(Bytes{1, 8, 1, 1, 3}));
    // Truncated input.
    auto t = decode(Bytes{2, 5});
    ASSERT_FALSE(t);
    EXPECT_EQ(t.error().message(), "IO read error.");
    // A huge announced length fails on the missing words, not on allocation.
    auto h = decode(Bytes{0xFD, 0, 0, 0, 0, 0, 0, 0, 0x10, 7});
    ASSERT_FALSE(h);
    EXPECT_EQ(h.error().kind, vemo::bincode::DecodeError::Io);
}
