// The sparse matrix of a Pauli linear combination on n < 64 qubits: a CSR
// matrix of complex entries whose entry (r, c) is <r| A |c>, rows ascending
// and columns ascending within a row.
//
// Entry values follow one accumulation rule, column by column: the terms that
// map column state c onto row state r (exactly the strings whose x word is
// r XOR c) are taken in list order; the first value is stored even when it is
// zero, each later one is added, and a sum that becomes exactly zero removes
// the entry (a later term stores afresh). So explicit zeros stay and exact
// cancellations vanish. A term's value is i^k times its coefficient, k the
// phase of its string on the column state.
//
// Terms are grouped by x word once; a group contributes at most one entry per
// column. Without a basis a row's entries are produced in ascending column
// order (RowOrder: tabulated for the low bits, a binary trie of x words for
// the high ones, where the order of r XOR x is that of x with the subtrees
// flipped where r has a one), so the matrix is written row after row with no
// sorting and no map. Large matrices are written by several threads, each
// taking runs of rows; no entry depends on the split.
//
// Options (core only): a basis (the listed index values are the rows and
// columns, a value's row is its first position), and a number-conservation
// tolerance (when the operator commutes within atol with the number operator
// of all positions, or of the odd ones, contributions that change that number
// are dropped). A register of 0 qubits gives the 1 x 1 sum of the
// coefficients by the same rule; big_endian is ignored there. The index
// arrays are 32-bit where the dimension and the room allow (sparse.hpp).
#pragma once

#include <algorithm>
#include <bit>
#include <complex>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include <boost/unordered/unordered_flat_map.hpp>

#include "core/base/bits.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/base/errors.hpp"
#include "core/qubit/lincomb.hpp"
#include "core/qubit/num_ops.hpp"
#include "core/qubit/sparse.hpp"
#include "core/utils/endian.hpp"
#include "core/utils/memory.hpp"
#include "core/utils/parallel.hpp"

namespace vemo::qubit::pauli {

namespace sparse_detail {

// i^k times a coefficient: a complex product, or both parts scaled for a real one.
inline Complex term_value(uint32_t k, Complex c) { return scaled_complex(detail::phase_values[k], c); }
inline Complex term_value(uint32_t k, double c) {
    const Complex p = detail::phase_values[k];
    return {p.real() * c, p.imag() * c};
}

// The taking-part terms in index space (bit reversal within n bits for
// big_endian), grouped by x word: groups ascending by x, list order inside.
template <FieldVec C>
struct GroupedTerms {
    std::vector<uint64_t> x;     // x word of group g
    std::vector<uint64_t> beg;   // terms of group g: [beg[g], beg[g + 1])
    std::vector<uint64_t> z;     // z word of each term
    std::vector<uint8_t> base;   // popcount(x & z) mod 4 of each term
    std::vector<typename C::Scalar> c;

    GroupedTerms(const LincombView<C>& op, uint64_t n, bool big_endian) {
        const uint64_t t_count = taking_part(op);
        auto to_index = [&](uint64_t w) { return big_endian && n != 0 ? invert_endian(w, n) : w; };
        std::vector<std::pair<uint64_t, uint64_t>> order(t_count);
        for (uint64_t t = 0; t < t_count; ++t) order[t] = {to_index(first_word(op.cmpnts.words(t).x)), t};
        std::ranges::sort(order);
        z.reserve(t_count);
        base.reserve(t_count);
        c.reserve(t_count);
        const auto coeffs = op.coeffs.data();
        for (uint64_t k = 0; k < t_count; ++k) {
            const auto [xi, t] = order[k];
            if (k == 0 || xi != x.back()) {
                x.push_back(xi);
                beg.push_back(k);
            }
            const uint64_t zi = to_index(first_word(op.cmpnts.words(t).z));
            z.push_back(zi);
            base.push_back(static_cast<uint8_t>(std::popcount(xi & zi) & 3));
            c.push_back(coeffs[t]);
        }
        beg.push_back(t_count);
    }

    uint64_t n_groups() const { return x.size(); }

    // The accumulated entry of group g in the column of state s, if any.
    [[gnu::always_inline]] bool value(uint64_t g, uint64_t s, Complex& out) const {
        if (beg[g + 1] - beg[g] == 1) {  // the common group of one term
            const uint64_t t = beg[g];
            out = term_value((base[t] + 2 * static_cast<uint32_t>(std::popcount(z[t] & s))) & 3, c[t]);
            return true;
        }
        bool has = false;
        Complex acc;
        for (uint64_t t = beg[g], e = beg[g + 1]; t < e; ++t) {
            const uint32_t k = (base[t] + 2 * static_cast<uint32_t>(std::popcount(z[t] & s))) & 3;
            const Complex v = term_value(k, c[t]);
            if (!has) {
                acc = v;
                has = true;
            } else {
                acc += v;
                if (is_exact_zero(acc)) has = false;
            }
        }
        out = acc;
        return has;
    }
};

// Which contributions the number-conservation tolerance drops: those whose
// state s' = s XOR x differs from s in its count of ones (all positions, or
// the odd positions, as index bits).
struct ConservationFilter {
    bool total = false, odd = false;
    uint64_t odd_mask = 0;

    bool keeps(uint64_t s, uint64_t x) const {
        const uint64_t s2 = s ^ x;
        if (total && std::popcount(s2) != std::popcount(s)) return false;
        if (odd && std::popcount(s2 & odd_mask) != std::popcount(s & odd_mask)) return false;
        return true;
    }
};

template <FieldVec C>
ConservationFilter conservation_filter(const LincombView<C>& op, std::optional<double> atol, uint64_t n,
                                       bool big_endian) {
    ConservationFilter f;
    if (!atol) return f;
    const Qubits& q = op.cmpnts.qubits();
    const auto all = num_op<C>(q), odd = num_op_odd_pos<C>(q);
    f.total = expect_ok(commute(op, all.as_terms(), *atol), "commutation with the number operator");
    f.odd = expect_ok(commute(op, odd.as_terms(), *atol), "commutation with the odd number operator");
    constexpr uint64_t odd_positions = 0xAAAAAAAAAAAAAAAAULL;
    f.odd_mask = big_endian && n != 0 ? invert_endian(odd_positions & ((uint64_t{1} << n) - 1), n) : odd_positions;
    return f;
}

// A binary trie over the groups' ascending x words: an internal node splits
// its range at the highest bit in which the range differs.
struct XTrie {
    struct Node {
        uint64_t bit;        // split bit, or the group of a leaf
        uint32_t lo, hi;     // children; lo == hi marks a leaf
    };
    std::vector<Node> nodes;

    explicit XTrie(const std::vector<uint64_t>& x) {
        if (!x.empty()) {
            nodes.reserve(2 * x.size());
            build(x, 0, x.size());
        }
    }

    uint32_t build(const std::vector<uint64_t>& x, uint64_t lo, uint64_t hi) {
        const auto at = static_cast<uint32_t>(nodes.size());
        if (hi - lo == 1) {
            nodes.push_back({lo, 0, 0});
            return at;
        }
        const unsigned bit = 63 - static_cast<unsigned>(std::countl_zero(x[lo] ^ x[hi - 1]));
        const auto at_lo = x.begin() + static_cast<std::ptrdiff_t>(lo);
        const auto at_hi = x.begin() + static_cast<std::ptrdiff_t>(hi);
        const uint64_t mid = static_cast<uint64_t>(
            std::partition_point(at_lo, at_hi, [&](uint64_t w) { return ((w >> bit) & 1) == 0; }) - x.begin());
        nodes.push_back({bit, 0, 0});
        const uint32_t l = build(x, lo, mid);
        const uint32_t h = build(x, mid, hi);
        nodes[at].lo = l;
        nodes[at].hi = h;
        return at;
    }

    // Calls f(g) for every group in ascending order of r XOR x[g].
    template <class F>
    [[gnu::always_inline]] void walk(uint64_t r, F&& f) const {
        if (nodes.empty()) return;
        uint32_t stack[72];
        size_t sp = 0;
        stack[sp++] = 0;
        while (sp) {
            const Node& nd = nodes[stack[--sp]];
            if (nd.lo == nd.hi) {
                f(nd.bit);
                continue;
            }
            const bool flip = (r >> nd.bit) & 1;
            stack[sp++] = flip ? nd.lo : nd.hi;
            stack[sp++] = flip ? nd.hi : nd.lo;
        }
    }
};

// The order of a row's entries in two levels. Groups are bucketed by the x
// bits above the k low ones; a bucket's groups sorted by (low x bits) XOR
// (low row bits) are tabulated once for each of the 2^k low row values, and
// the buckets themselves are ordered by a trie walk once per 2^k rows.
struct RowOrder {
    unsigned k = 0;
    std::vector<uint64_t> bucket_x;     // the high x bits of bucket b
    std::vector<uint64_t> bucket_beg;   // the groups of bucket b: [beg[b], beg[b + 1])
    std::vector<uint32_t> table;        // [low row value][group slot]: the group

    // Tables of at most about 2^22 entries.
    RowOrder(const std::vector<uint64_t>& x, uint64_t n) {
        const uint64_t g_count = x.size();
        k = static_cast<unsigned>(std::min<uint64_t>(n, 8));
        while (k > 0 && (g_count << k) > (uint64_t{1} << 22)) --k;
        const uint64_t low = (uint64_t{1} << k) - 1;
        for (uint64_t g = 0; g < g_count; ++g)
            if (g == 0 || (x[g] >> k) != bucket_x.back()) {
                bucket_x.push_back(x[g] >> k);
                bucket_beg.push_back(g);
            }
        bucket_beg.push_back(g_count);
        table.resize(g_count << k);
        for (uint64_t rl = 0; rl <= low; ++rl) {
            uint32_t* row = table.data() + rl * g_count;
            for (uint64_t g = 0; g < g_count; ++g) row[g] = static_cast<uint32_t>(g);
            for (uint64_t b = 0; b + 1 < bucket_beg.size(); ++b)
                std::sort(row + bucket_beg[b], row + bucket_beg[b + 1],
                          [&](uint32_t p, uint32_t q) { return ((x[p] ^ rl) & low) < ((x[q] ^ rl) & low); });
        }
    }
};

// Below about a million entries of room a matrix is filled on the calling
// thread (starting and joining threads would cost more than they save, the
// more so on a loaded machine); above, by one thread for every half million,
// as many as the CPUs allow up to the cap: the fill and the kernel's zeroing
// of its fresh pages are bound by memory bandwidth by then.
inline constexpr uint64_t entries_per_thread = uint64_t{1} << 19;
inline constexpr unsigned max_threads = 8;

inline unsigned auto_threads(uint64_t room) {
    return room < 2 * entries_per_thread ? 1 : threads_for(room, entries_per_thread, max_threads);
}

// The entries of rows [r0, r1): one per single-term group the filter keeps,
// and one per group of several terms whose sum stays (their terms may cancel).
template <bool Filtered, FieldVec C>
uint64_t count_entries(const GroupedTerms<C>& gt, const ConservationFilter& filter,
                       const std::vector<uint32_t>& single, const std::vector<uint32_t>& several, uint64_t r0,
                       uint64_t r1) {
    uint64_t count = Filtered ? 0 : (r1 - r0) * single.size();
    for (uint64_t r = r0; r < r1; ++r) {
        if constexpr (Filtered)
            for (uint64_t g : single) count += filter.keeps(r ^ gt.x[g], gt.x[g]);
        for (uint64_t g : several) {
            const uint64_t col = r ^ gt.x[g];
            if (Filtered && !filter.keeps(col, gt.x[g])) continue;
            Complex v;
            count += gt.value(g, col, v);
        }
    }
    return count;
}

// Filtered: whether the filter drops anything (else its test is compiled out).
//
// The rows are cut into chunks of whole blocks of 2^k rows (one trie walk a
// block), filled independently, each by the thread that takes it, which so
// first touches the pages it writes. Everything is allocated before the
// threads start (see for_each_chunk). A chunk writes from the number of
// entries before it on: rows * groups when every group stores an entry on
// every row, else counted first (also on the threads).
template <class I, bool Filtered, FieldVec C>
CsrMatrix<I> fill_full_matrix(const GroupedTerms<C>& gt, const ConservationFilter& filter, uint64_t n,
                              unsigned threads) {
    const uint64_t dim = uint64_t{1} << n;
    const uint64_t g_count = gt.n_groups();
    const uint64_t room =
        guard_allocation("a sparse matrix", count_product(dim, g_count), sizeof(I) + sizeof(std::complex<double>));
    CsrMatrix<I> m;
    m.n_rows = m.n_cols = dim;
    const size_t n_ptr = guard_allocation("a sparse matrix", dim + 1, sizeof(I));
    if (g_count > UINT32_MAX) throw std::bad_alloc();
    if (threads == 0) threads = auto_threads(room);
    m.indptr.resize(n_ptr);
    m.indices.resize(room);
    m.data.resize(room);
    const RowOrder order(gt.x, n);
    const XTrie buckets(order.bucket_x);
    const unsigned k = order.k;
    const uint64_t n_blocks = dim >> k;
    const uint64_t per_chunk = threads <= 1 ? n_blocks : std::max<uint64_t>(1, n_blocks / (uint64_t{threads} * 4));
    const uint64_t n_chunks = (n_blocks + per_chunk - 1) / per_chunk;
    auto rows_of = [&](uint64_t c) {
        return std::pair{(c * per_chunk) << k, std::min((c + 1) * per_chunk, n_blocks) << k};
    };

    // Where each chunk starts writing.
    std::vector<uint64_t> start(n_chunks + 1);
    std::vector<uint32_t> single, several;
    for (uint64_t g = 0; g < g_count; ++g) (gt.beg[g + 1] - gt.beg[g] == 1 ? single : several).push_back(g);
    if (n_chunks > 1 && (Filtered || !several.empty())) {
        for_each_chunk(threads, n_chunks, [&](uint64_t c) noexcept {
            const auto [r0, r1] = rows_of(c);
            start[c + 1] = count_entries<Filtered>(gt, filter, single, several, r0, r1);
        });
        for (uint64_t c = 0; c < n_chunks; ++c) start[c + 1] += start[c];
    } else {
        for (uint64_t c = 0; c <= n_chunks; ++c) start[c] = std::min(c * per_chunk, n_blocks) * (g_count << k);
    }

    I* const ptr = m.indptr.data();
    I* const idx = m.indices.data();
    std::complex<double>* const val = m.data.data();
    ptr[0] = 0;
    std::vector<uint64_t> filled(n_chunks);
    // Each chunk's order of the buckets, made here: the chunks allocate nothing.
    const uint64_t n_buckets = order.bucket_x.size();
    std::vector<uint32_t> bucket_orders(n_chunks * n_buckets);
    for_each_chunk(threads, n_chunks, [&](uint64_t c) noexcept {
        const auto [r0, r1] = rows_of(c);
        uint32_t* const bucket_order = bucket_orders.data() + c * n_buckets;
        // At most one entry a group a row: never past the room of rows [0, r1).
        uint64_t at = start[c];
        for (uint64_t rh = r0 >> k; rh < r1 >> k; ++rh) {
            uint64_t walked = 0;
            buckets.walk(rh, [&](uint64_t b) { bucket_order[walked++] = static_cast<uint32_t>(b); });
            for (uint64_t rl = 0; rl < (uint64_t{1} << k); ++rl) {
                const uint64_t r = (rh << k) | rl;
                const uint32_t* slots = order.table.data() + rl * g_count;
                for (uint64_t b : std::span(bucket_order, n_buckets)) {
                    for (uint64_t j = order.bucket_beg[b], e = order.bucket_beg[b + 1]; j < e; ++j) {
                        const uint64_t g = slots[j];
                        const uint64_t col = r ^ gt.x[g];
                        if (Filtered && !filter.keeps(col, gt.x[g])) continue;
                        Complex v;
                        if (!gt.value(g, col, v)) continue;
                        idx[at] = static_cast<I>(col);
                        val[at] = v;
                        ++at;
                    }
                }
                ptr[r + 1] = static_cast<I>(at);
            }
        }
        filled[c] = at;
    });
    for (uint64_t c = 0; n_chunks > 1 && c < n_chunks; ++c)
        if (filled[c] != start[c + 1]) internal_failure("to_sparse_matrix: a chunk's entries differ from their count");
    m.indices.resize(filled.back());
    m.data.resize(m.indices.size());
    return m;
}

template <FieldVec C>
AnyCsrMatrix basis_matrix(const GroupedTerms<C>& gt, const ConservationFilter& filter, uint64_t n, bool big_endian,
                          std::vector<uint64_t> basis) {
    const uint64_t dim = basis.size();
    boost::unordered_flat_map<uint64_t, uint64_t> row_of;
    row_of.reserve(dim);
    for (uint64_t j = 0; j < dim; ++j) row_of.try_emplace(basis[j], j);
    // Index space: the state of a big-endian value is its bit reversal within n bits.
    const uint64_t keep = big_endian && n != 0 ? (n == 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1) : ~uint64_t{0};
    struct Entry {
        uint64_t row, col;
        Complex v;
    };
    std::vector<Entry> entries;
    for (uint64_t j = 0; j < dim; ++j) {
        const uint64_t s = basis[j] & keep;
        for (uint64_t g = 0; g < gt.n_groups(); ++g) {
            if (!filter.keeps(s, gt.x[g])) continue;
            const auto it = row_of.find(s ^ gt.x[g]);
            if (it == row_of.end()) continue;
            Complex v;
            if (gt.value(g, s, v)) entries.push_back({it->second, j, v});
        }
    }
    // Rows by counting; columns stay ascending within a row.
    return with_csr_index(dim, entries.size(), [&]<class I>(std::type_identity<I>) {
        CsrMatrix<I> m;
        m.n_rows = m.n_cols = dim;
        m.indptr.assign(guard_allocation("a sparse matrix", dim + 1, sizeof(I)), 0);
        for (const Entry& e : entries) ++m.indptr[e.row + 1];
        for (uint64_t r = 0; r < dim; ++r) m.indptr[r + 1] += m.indptr[r];
        m.indices.resize(entries.size());
        m.data.resize(entries.size());
        std::vector<uint64_t> next(m.indptr.begin(), m.indptr.end() - 1);
        for (const Entry& e : entries) {
            const uint64_t at = next[e.row]++;
            m.indices[at] = static_cast<I>(e.col);
            m.data[at] = e.v;
        }
        return m;
    });
}

// The matrix over all 2^n states, in the index type of its room.
template <bool Filtered, FieldVec C>
AnyCsrMatrix full_matrix(const GroupedTerms<C>& gt, const ConservationFilter& filter, uint64_t n, unsigned threads) {
    const uint64_t dim = uint64_t{1} << n;
    return with_csr_index(dim, count_product(dim, gt.n_groups()), [&]<class I>(std::type_identity<I>) {
        return fill_full_matrix<I, Filtered>(gt, filter, n, threads);
    });
}

}  // namespace sparse_detail

// The CSR matrix of the operator (first min(strings, coefficients) terms),
// over all 2^n basis states or over `basis`. Refuses 64 or more qubits
// (kind Element, length 64) before any work; std::bad_alloc when the entries
// cannot be held.
//
// Without a basis the rows are filled by `threads` threads (0: by the size,
// small matrices on the calling thread alone); the result is the same for
// every thread count.
template <FieldVec C>
std::expected<AnyCsrMatrix, OutOfBounds> to_sparse_matrix(const LincombView<C>& op,
                                                          std::optional<std::vector<uint64_t>> basis,
                                                          std::optional<double> atol, bool big_endian,
                                                          unsigned threads = 0) {
    const uint64_t n = op.cmpnts.n_qubit();
    if (n >= 64) return std::unexpected(OutOfBounds{n, 64, OutOfBoundsKind::Element});
    const sparse_detail::GroupedTerms<C> gt(op, n, big_endian);
    const auto filter = sparse_detail::conservation_filter(op, atol, n, big_endian);
    if (basis) return sparse_detail::basis_matrix(gt, filter, n, big_endian, std::move(*basis));
    if (filter.total || filter.odd) return sparse_detail::full_matrix<true>(gt, filter, n, threads);
    return sparse_detail::full_matrix<false>(gt, filter, n, threads);
}

template <FieldVec C>
std::expected<AnyCsrMatrix, OutOfBounds> to_sparse_matrix(const LincombView<C>& op, bool big_endian) {
    return to_sparse_matrix(op, std::nullopt, std::nullopt, big_endian);
}

}  // namespace vemo::qubit::pauli
