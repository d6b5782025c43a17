// Projections of a Pauli linear combination A into a subspace, as dense d x d
// matrices (row-major):
// - orthonormal: distinct basis states s_0..s_{d-1}, M[i][j] = <s_i|A|s_j>;
// - general: state combinations v_0..v_{d-1}, H[i][j] = <v_i|A|v_j> and the
//   overlap S[i][j] = <v_i|v_j>.
// When every coefficient of A is real, A is Hermitian: only the entries with
// j <= i are evaluated and the others mirrored (conjugated). S is always
// computed for the pairs with j <= i and mirrored, so it is exactly Hermitian.
// Large projections are computed by rows on several threads; every entry is
// computed by one row, so the result does not depend on the split.
// A vector's terms are its first min(states, coefficients) ones, in H and S
// alike. The limits of the matrix-element path hold (one word per state).
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/base/bits.hpp"
#include "core/utils/memory.hpp"
#include "core/container/map.hpp"
#include "core/container/set.hpp"
#include "core/qubit/mat_elem.hpp"
#include "core/qubit/sparse.hpp"
#include "core/utils/parallel.hpp"

namespace vemo::qubit::pauli {

template <class T>
struct DenseSquare {
    uint64_t dim = 0;
    LargeBuf<T> data;  // row-major

    // d x d entries, not yet written: the projections write every one (the
    // threads that compute the rows touch their pages first);
    // AllocationRefusedError when d * d entries do not fit in memory.
    explicit DenseSquare(uint64_t d) : dim(d) {
        data.resize(guard_allocation("a projected matrix", count_product(d, d), sizeof(T)));
    }
    T& at(uint64_t i, uint64_t j) { return data[i * dim + j]; }
};

// One vector of a general subspace: its states, their coefficients and the
// Map that indexes the states.
template <FieldVec C>
struct SubspaceVector {
    const state::CmpntList& cmpnts;
    const C& coeffs;
    const Map& map;

    StatesView<C> terms() const { return {cmpnts, coeffs}; }
};

namespace projection_detail {

inline double mirror(double v) { return v; }
inline Complex mirror(Complex v) { return std::conj(v); }

// Matrix elements (each a hash lookup and a walk, 3-8 ns) a thread takes at
// least. 2^16 of them are 0.2-0.5 ms of work, several times what a thread
// costs (starting and joining one takes 20-25 us, seven 0.2 ms, and the
// work then runs on cold caches), so a projection of fewer than 2^17
// elements stays on the calling thread and every thread started gains. With
// 2^14 a thread's work was below its cost: at d = 256 a call took 1.1-1.7x
// as long on all CPUs as on one.
inline constexpr uint64_t elements_per_thread = uint64_t{1} << 16;
inline constexpr unsigned max_threads = 16;

// Calls row(i) for every i in [0, d) on threads when the `work` (matrix
// elements) is large. Rows go out in chunks, the last rows first: with the
// Hermitian shortcut they are the longest. Each entry is written by exactly
// one row, so the result does not depend on the split. `row` must neither
// allocate nor throw (see for_each_chunk).
template <class F>
void for_each_row(uint64_t d, uint64_t work, F&& row) {
    const unsigned threads = work < 2 * elements_per_thread ? 1 : threads_for(work, elements_per_thread, max_threads);
    const uint64_t per_chunk = threads <= 1 ? std::max<uint64_t>(d, 1) : std::max<uint64_t>(1, d / (threads * 16));
    const uint64_t n_chunks = (d + per_chunk - 1) / per_chunk;
    for_each_chunk(threads, n_chunks, [&](uint64_t c) {
        const uint64_t hi = d - c * per_chunk, lo = hi - std::min(per_chunk, hi);
        for (uint64_t i = lo; i < hi; ++i) row(i);
    });
}

// Each entry above the diagonal := the mirror (conjugate) of the one below.
// A pass of its own, so that the rows computed on threads are written
// contiguously and no two threads write one cache line. A copy reads down a
// column, a cache miss each once the matrix outgrows the caches (about 3 ns
// at d = 1024): it counts as half a matrix element.
template <class M>
void mirror_lower(uint64_t d, M& m) {
    for_each_row(d, d * d / 2, [&](uint64_t j) noexcept {
        for (uint64_t i = j + 1; i < d; ++i) m.at(j, i) = mirror(m.at(i, j));
    });
}

// Lookups through the vectors' Maps for the rows on threads, which must not
// throw (see for_each_chunk): lookup finds the index of state `w` as
// SetView::lookup does, but a registered index beyond the list (a stale Map)
// counts as absent and is recorded (the first one met), and raise_if_seen,
// called once the threads are done, raises the internal failure
// SetView::lookup would have.
class StaleMapRecord {
public:
    template <class W>
    std::optional<uint64_t> lookup(const SetView<state::CmpntList>& set, const BasicWords<W>& w) noexcept {
        return vemo::detail::set_find(set.list(), set.map(), hash_u64it(w), w, [&](uint64_t i, uint64_t n) {
            if (!seen_.exchange(true)) {
                index_ = i;
                length_ = n;
            }
        });
    }

    void raise_if_seen() const {
        if (seen_.load()) vemo::detail::map_index_beyond_list(index_, length_);
    }

private:
    std::atomic<bool> seen_{false};
    uint64_t index_ = 0, length_ = 0;
};

}  // namespace projection_detail

// M over the orthonormal subspace (taken by value). A repeated state (over
// all its words) is refused with SubspaceNonorthogonal.
template <FieldVec C>
std::expected<DenseSquare<typename C::Scalar>, MatElemError> mat_ortho_projected(const LincombView<C>& op,
                                                                                    state::CmpntList subspace) {
    using T = typename C::Scalar;
    if (auto r = check_mat_elem_op(op); !r) return std::unexpected(r.error());
    if (auto r = mat_elem_detail::check_one_word(subspace); !r) return std::unexpected(r.error());
    auto seen = Set<state::CmpntList>::empty_from(subspace);
    for (uint64_t i = 0; i < subspace.size(); ++i)
        if (!seen.insert_u64it_or_get_index(subspace.elem_u64it(i)).second)
            return std::unexpected(MatElemError{SubspaceNonorthogonal{}});
    const uint64_t d = subspace.size();
    DenseSquare<T> m(d);
    const PresortedOp<C> pre(op);
    const bool herm = pre.hermitian();
    std::vector<uint64_t> s(d);
    for (uint64_t i = 0; i < d; ++i) s[i] = first_word(subspace.row(i));
    const uint64_t work = herm ? d * (d + 1) / 2 : d * d;
    projection_detail::for_each_row(d, work, [&](uint64_t i) {
        for (uint64_t j = 0; j < d; ++j) {
            if (herm && j > i) break;
            m.at(i, j) = pre.between(s[i], s[j]);
        }
    });
    if (herm) projection_detail::mirror_lower(d, m);
    return m;
}

// (H, S) over the general subspace. S[i][j] sums, over the states of v_j, the
// weight of the state's coefficient in v_i (found through v_i's Map) and in v_j.
template <FieldVec C>
std::expected<std::pair<DenseSquare<typename C::Scalar>, DenseSquare<typename C::Scalar>>, MatElemError>
mat_nonortho_projected(const LincombView<C>& op, std::span<const SubspaceVector<C>> vs) {
    using T = typename C::Scalar;
    using namespace mat_elem_detail;
    if (auto r = check_mat_elem_op(op); !r) return std::unexpected(r.error());
    for (const auto& v : vs)
        if (auto r = check_one_word(v.cmpnts); !r) return std::unexpected(r.error());
    const uint64_t d = vs.size();
    std::pair<DenseSquare<T>, DenseSquare<T>> out{DenseSquare<T>(d), DenseSquare<T>(d)};
    auto& [h, s] = out;
    const PresortedOp<C> pre(op);
    const bool herm = pre.hermitian();
    // First words of every vector's taking-part states.
    std::vector<std::vector<uint64_t>> words(d);
    for (uint64_t i = 0; i < d; ++i) {
        words[i].resize(taking_part(vs[i].terms()));
        for (uint64_t a = 0; a < words[i].size(); ++a) words[i][a] = first_word(vs[i].cmpnts.row(a));
    }
    // S is computed for j <= i only: for j > i the pass in order would have
    // overwritten it with the mirror of (j, i) anyway.
    uint64_t terms = 0;
    for (const auto& w : words) terms += w.size();
    const uint64_t work = herm ? (terms * terms + terms) / 2 : terms * terms;
    projection_detail::StaleMapRecord stale;
    projection_detail::for_each_row(d, work, [&](uint64_t i) {
        const auto ci = vs[i].coeffs.data();
        const SetView<state::CmpntList> vi(vs[i].cmpnts, vs[i].map);
        const uint64_t mi = taking_part(vs[i].terms());
        for (uint64_t j = 0; j < d; ++j) {
            if (herm && j > i) break;
            const auto cj = vs[j].coeffs.data();
            T hij{};
            for (uint64_t a = 0; a < mi; ++a)
                for (uint64_t b = 0; b < words[j].size(); ++b)
                    hij += times(pre.between(words[i][a], words[j][b]), weight(ci[a], cj[b]));
            h.at(i, j) = hij;
            if (j > i) continue;
            T sij{};
            for (uint64_t b = 0; b < words[j].size(); ++b) {
                const auto a = stale.lookup(vi, vs[j].cmpnts.elem_u64it(b));
                if (a && *a < mi) sij += weight(ci[*a], cj[b]);
            }
            s.at(i, j) = sij;
        }
    });
    stale.raise_if_seen();
    projection_detail::mirror_lower(d, s);
    if (herm) projection_detail::mirror_lower(d, h);
    return out;
}

}  // namespace vemo::qubit::pauli
