// The fermion-to-qubit mapping engine. Built once for a qubit register and a
// mapping kind, it holds the two Majorana strings c_j and d_j of every mode j
// (one mode per qubit of the register), with which the ladder operators are
//   creation a+_j = (c_j - i d_j) / 2,  annihilation a_j = (c_j + i d_j) / 2.
//
// A product of L ladder operators is loaded into a work area of 2^L Pauli
// terms, each with a power of i: bit k of a term's index says whether
// operator k contributed c (clear) or d (set), and the product is the sum of
// the terms divided by 2^L. The loaded product stays until the next load and
// can be contributed, scaled, into any number of Pauli linear combinations.
//
// Checked operations validate everything before they change anything and
// then call their _unchecked twins.
#pragma once

#include <algorithm>
#include <cstdint>
#include <expected>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/base/checked.hpp"
#include "core/base/errors.hpp"
#include "core/container/any_error.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/container/terms.hpp"
#include "core/fermion/ladder_op.hpp"
#include "core/fermion/mappings/sets.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/products.hpp"
#include "core/qubit/traits.hpp"
#include "core/utils/memory.hpp"

namespace vemo::fermion::mappings {

// One factor of a product: a mode and whether the operator creates.
using LadderOp = fermion::LadderOp;

// A mode ordering with fewer entries than the register has qubits.
struct ShortModeOrdering {
    uint64_t len = 0;
    uint64_t n = 0;
    bool operator==(const ShortModeOrdering&) const = default;
    std::string message() const {
        return "Mode ordering of " + std::to_string(len) + " entries is shorter than the register of " +
               std::to_string(n) + " qubits.";
    }
};

// A refused mode ordering: too short, or an entry at or above the qubit count (kind Mode).
struct ModeOrderingError {
    std::variant<OutOfBounds, ShortModeOrdering> v;
    bool operator==(const ModeOrderingError&) const = default;
    std::string message() const {
        return std::visit([](const auto& e) { return e.message(); }, v);
    }
};

namespace operators {

using qubit::Qubits;
using qubit::pauli::CmpntList;

// The output of a contribution: a Pauli list kept unique by its Map.
template <FieldVec C>
using LincombMutView = TermSetMutView<CmpntList, C>;

// A refused output: another register, or not one coefficient per string.
using ContributeError = AnyError<qubit::DifferentQubits, UnequalCoeffs>;

class Operators {
public:
    // The engine of a kind given by its position sets. `ordering`, when given,
    // moves mapping position x to register position ordering[x]; it needs at
    // least n entries, each below n (repeats are allowed).
    template <traits::UpdateParityRho M>
    static std::expected<Operators, ModeOrderingError> make(Qubits qubits, const std::vector<uint64_t>* ordering) {
        if (auto e = check_ordering(qubits.size(), ordering)) return std::unexpected(*e);
        Operators ops(std::move(qubits));
        const uint64_t n = ops.n_modes();
        for (uint64_t j = 0; j < n; ++j) {
            auto at = [&](uint64_t x) { return ordering ? (*ordering)[x] : x; };
            for (uint64_t u : M::update_set(j, n)) {
                ops.c_.set_pauli_unchecked(j, at(u), qubit::PauliMatrix::X);
                ops.d_.set_pauli_unchecked(j, at(u), qubit::PauliMatrix::X);
            }
            for (uint64_t p : M::parity_set(j)) ops.c_.set_pauli_unchecked(j, at(p), qubit::PauliMatrix::Z);
            for (uint64_t r : M::rho_set(j)) ops.d_.set_pauli_unchecked(j, at(r), qubit::PauliMatrix::Z);
            ops.c_.set_pauli_unchecked(j, at(j), qubit::PauliMatrix::X);
            ops.d_.set_pauli_unchecked(j, at(j), qubit::PauliMatrix::Y);
        }
        return ops;
    }

    // c_j = X and d_j = Y on mode j's own position, nothing elsewhere.
    static std::expected<Operators, ModeOrderingError> paraparticular(Qubits qubits,
                                                                      const std::vector<uint64_t>* ordering) {
        struct Local {
            static std::vector<uint64_t> update_set(uint64_t, uint64_t) { return {}; }
            static std::vector<uint64_t> parity_set(uint64_t) { return {}; }
            static std::vector<uint64_t> rho_set(uint64_t) { return {}; }
        };
        return make<Local>(std::move(qubits), ordering);
    }

    const Qubits& qubits() const { return c_.qubits(); }
    uint64_t n_modes() const { return c_.n_qubit(); }
    const CmpntList& c() const { return c_; }
    const CmpntList& d() const { return d_; }
    // The loaded product's terms and their powers of i.
    const Terms<CmpntList, ComplexSignVec>& work() const { return work_; }

    // Refuses a mode at or above the qubit count (kind Mode) and leaves the
    // work area as it was; std::bad_alloc, before anything is allocated, when
    // the 2^L terms need more than the machine's memory.
    std::expected<void, OutOfBounds> load_product(std::span<const LadderOp> ops) {
        for (const LadderOp& op : ops)
            if (op.mode >= n_modes()) return std::unexpected(OutOfBounds{op.mode, n_modes(), OutOfBoundsKind::Mode});
        load_product_unchecked(ops);
        return {};
    }

    // The work area becomes the product's 2^L terms. A product beyond the
    // machine's memory is refused first; the storage for all terms is then
    // reserved before anything changes, so that an allocation that fails
    // leaves the loaded product, and the doubling never reallocates. Every
    // term is written before it is read, so the area is sized once, not emptied.
    void load_product_unchecked(std::span<const LadderOp> ops) {
        const uint64_t l = ops.size();
        guard_allocation("the terms of a mapped ladder product", l >= 127 ? ~AllocationCount{0} : AllocationCount{1} << l,
                         term_bytes());
        const uint64_t total = uint64_t{1} << l;
        CmpntList& list = work_.cmpnts;
        ComplexSignVec& powers = work_.coeffs;
        list.reserve(total);
        powers.reserve(total);
        phases_.reserve(total);
        list.resize(total);
        powers.resize(total);
        if (l == 0) {
            list.x_part_mut().clear_row(0);
            list.z_part_mut().clear_row(0);
            powers.set(0, ComplexSign(0));
            return;
        }
        const uint64_t w = list.words_per_row();
        uint64_t* const x = list.x_part_mut().data_mut().data();
        uint64_t* const z = list.z_part_mut().data_mut().data();
        copy_row(list, 0, c_, ops[0].mode);
        copy_row(list, 1, d_, ops[0].mode);
        // The powers are counted in bytes (unreduced) and packed at the end.
        phases_.resize(total);
        uint8_t* const ph = phases_.data();
        ph[0] = 0;
        ph[1] = d_power(ops[0]);
        for (uint64_t k = 1, n = 2; k < l; ++k, n *= 2) {
            const uint64_t m = ops[k].mode;
            // Terms n..2n-1 repeat terms 0..n-1, whole words at a time.
            std::copy_n(x, n * w, x + n * w);
            std::copy_n(z, n * w, z + n * w);
            std::copy_n(ph, n, ph + n);
            // The first half takes c_m on the right, the second half d_m.
            mul_rows(x, z, ph, 0, n, w, c_.words(m), 0);
            mul_rows(x, z, ph, n, 2 * n, w, d_.words(m), d_power(ops[k]));
        }
        // Packed 32 to a word, entry t at bits 2(t % 32) of word t / 32.
        const std::span<uint64_t> words = powers.bits_mut().words_mut();
        for (uint64_t i = 0; i < words.size(); ++i) {
            uint64_t word = 0;
            for (uint64_t t = 32 * i, e = std::min(total, t + 32); t < e; ++t)
                word |= uint64_t{ph[t] & 3u} << (2 * (t % 32));
            words[i] = word;
        }
        if (list.size() != total) internal_failure("load_product: the work area does not hold 2^L terms");
    }

    // out += scalar * (loaded product). The real version adds the real part
    // only: terms with a factor of +i or -i add nothing. Refuses an output on
    // another register, or whose coefficients are not one per string, before
    // adding anything.
    template <FieldVec C>
    std::expected<void, ContributeError> contribute(const LincombMutView<C>& out,
                                                    const typename C::Scalar& scalar) const {
        if (auto r = qubit::check_same(out.cmpnts.qubits(), qubits()); !r) return std::unexpected(r.error());
        if (auto r = out.check_in_step(); !r) return std::unexpected(r.error());
        contribute_unchecked(out, scalar);
        return {};
    }
    std::expected<void, ContributeError> contribute_real(const LincombMutView<RealVec>& out, double scalar) const {
        return contribute(out, scalar);
    }
    std::expected<void, ContributeError> contribute_complex(const LincombMutView<ComplexVec>& out,
                                                            Complex scalar) const {
        return contribute(out, scalar);
    }

    template <FieldVec C>
    void contribute_unchecked(const LincombMutView<C>& out, const typename C::Scalar& scalar) const {
        const uint64_t n = work_.size();
        if (n == 0) return;
        // n = 2^L with L < 64: exact as a double.
        const double divisor = static_cast<double>(n);
        const ComplexSignVec& powers = work_.coeffs;
        if constexpr (std::same_as<C, RealVec>) {
            const double a = scalar / divisor;
            scaled_iadd_each(out, work_.cmpnts, n, [&](uint64_t t) -> std::optional<double> {
                switch (powers.get(t).value()) {
                    case 0: return 1.0 * a;
                    case 2: return -1.0 * a;
                    default: return std::nullopt;
                }
            });
        } else {
            // i^k with signed zeros, so that every coefficient is (a R - b I, a I + b R).
            static constexpr double re[4] = {1.0, 0.0, -1.0, -0.0}, im[4] = {0.0, 1.0, -0.0, -1.0};
            const double a = scalar.real() / divisor, b = scalar.imag() / divisor;
            scaled_iadd_each(out, work_.cmpnts, n, [&](uint64_t t) {
                const uint8_t k = powers.get(t).value();
                return std::optional(Complex(a * re[k] - b * im[k], a * im[k] + b * re[k]));
            });
        }
    }

private:
    explicit Operators(Qubits qubits) : c_(qubits), d_(qubits), work_{CmpntList(std::move(qubits)), {}} {
        c_.resize(n_modes());
        d_.resize(n_modes());
    }

    static std::optional<ModeOrderingError> check_ordering(uint64_t n, const std::vector<uint64_t>* ordering) {
        if (!ordering) return std::nullopt;
        if (ordering->size() < n) return ModeOrderingError{ShortModeOrdering{ordering->size(), n}};
        for (uint64_t x : *ordering)
            if (x >= n) return ModeOrderingError{OutOfBounds{x, n, OutOfBoundsKind::Mode}};
        return std::nullopt;
    }

    // The bytes of one term of the work area: x and z words, a byte of phase
    // and (rounded up) a byte of power.
    uint64_t term_bytes() const { return saturating_add(saturating_mul(work_.cmpnts.words_per_row(), 16), 2); }

    static void copy_row(CmpntList& dst, uint64_t i, const CmpntList& src, uint64_t j) {
        std::ranges::copy(src.words(j).x, dst.words_mut(i).x.begin());
        std::ranges::copy(src.words(j).z, dst.words_mut(i).z.begin());
    }

    // Terms t in [from, to) of w words per plane times `row` on the right,
    // each power raised by the product's phase and by `extra`.
    static void mul_rows(uint64_t* x, uint64_t* z, uint8_t* powers, uint64_t from, uint64_t to, uint64_t w,
                         qubit::pauli::PauliWords row, uint8_t extra) {
        const uint64_t* const rx = row.x.data();
        const uint64_t* const rz = row.z.data();
        for (uint64_t t = from; t < to; ++t) {
            uint64_t* const tx = x + t * w;
            uint64_t* const tz = z + t * w;
            uint32_t sum = extra;
            for (uint64_t i = 0; i < w; ++i) {
                sum += qubit::pauli::mul_op_op_phase_u64(tx[i], tz[i], rx[i], rz[i]);
                tx[i] ^= rx[i];
                tz[i] ^= rz[i];
            }
            powers[t] = static_cast<uint8_t>(powers[t] + sum);
        }
    }

    // The power of i that a ladder operator puts on its d term: -i creates, +i annihilates.
    static uint8_t d_power(const LadderOp& op) { return op.is_creation ? 3 : 1; }

    CmpntList c_;
    CmpntList d_;
    Terms<CmpntList, ComplexSignVec> work_;
    std::vector<uint8_t> phases_;  // scratch of load_product_unchecked
};

}  // namespace operators

// What a Python mapper object holds: its engine, built by the subclass's kind.
struct Mapper {
    operators::Operators ops;
};

}  // namespace vemo::fermion::mappings
