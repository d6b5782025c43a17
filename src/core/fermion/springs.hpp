// The fermion text form: written ladder-operator products such as "F0^ F3^ F1 F2",
// kept in written order (nothing is normal-ordered here).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/cmpnt/bad_parse.hpp"
#include "core/utils/join.hpp"
#include "core/cmpnt/mode_inds.hpp"
#include "core/cmpnt/springs.hpp"
#include "core/container/bit_vec.hpp"
#include "core/fermion/ladder_op.hpp"
#include "core/utils/whitespace.hpp"

namespace vemo::fermion {

// "F", decimal digits, optional "^"; the mode must fit in 16 bits. Leading zeros are allowed.
inline std::optional<LadderOp> parse_ladder_token(std::string_view tok) {
    if (tok.size() < 2 || tok[0] != 'F') return std::nullopt;
    const bool cre = tok.back() == '^';
    const std::string_view digits = tok.substr(1, tok.size() - 1 - cre);
    if (digits.empty()) return std::nullopt;
    uint64_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > UINT16_MAX) return std::nullopt;  // stored in 16 bits: refuse rather than wrap
    }
    return LadderOp{v, cre};
}

inline BadParse bad_ladder_token(std::string_view tok) {
    return quoting_bad_parse(tok, " is not a valid fermionic ladder operator in a sparse string.");
}

inline void append_ladder_op(std::string& out, uint64_t mode, bool is_creation) {
    out += 'F';
    out += std::to_string(mode);
    if (is_creation) out += '^';
}

class Springs : public SpringsBase {
public:
    // The operators of one string, in written order.
    class OpsView {
    public:
        OpsView(const Springs* s, size_t begin, size_t end) : s_(s), begin_(begin), end_(end) {}
        size_t size() const { return end_ - begin_; }
        bool empty() const { return begin_ == end_; }
        LadderOp operator[](size_t j) const { return {s_->inds.indices[begin_ + j], s_->is_creation.get(begin_ + j)}; }

        class iterator {
        public:
            iterator(const OpsView* v, size_t j) : v_(v), j_(j) {}
            LadderOp operator*() const { return (*v_)[j_]; }
            iterator& operator++() {
                ++j_;
                return *this;
            }
            bool operator==(const iterator& o) const { return j_ == o.j_; }

        private:
            const OpsView* v_;
            size_t j_;
        };
        iterator begin() const { return {this, 0}; }
        iterator end() const { return {this, size()}; }

    private:
        const Springs* s_;
        size_t begin_, end_;
    };

    BitVec is_creation;  // one flag per stored operator, parallel to inds.indices

    // Parses one product; a bad token stores nothing and quotes itself.
    std::expected<void, BadParse> push_str(std::string_view piece) {
        for (std::string_view tok : WsTokens(piece))
            if (!parse_ladder_token(tok)) return std::unexpected(bad_ladder_token(tok));
        for (std::string_view tok : WsTokens(piece)) {
            const LadderOp op = *parse_ladder_token(tok);
            inds.push_index(static_cast<uint16_t>(op.mode));
            is_creation.push(op.is_creation);
        }
        end_string();
        return {};
    }

    // Appends one product given as operators (modes must fit in 16 bits).
    void push_ops(std::span<const LadderOp> ops) {
        for (const LadderOp& op : ops) {
            if (op.mode > UINT16_MAX) internal_failure("Springs::push_ops: mode above 65535");
            inds.push_index(static_cast<uint16_t>(op.mode));
            is_creation.push(op.is_creation);
        }
        end_string();
    }

    // Creation flag of stored operator i, counted over all strings.
    bool get_setting(size_t i) const { return is_creation.get(i); }

    // String s; s must be below n_strings().
    OpsView get_ladder_op_iter(size_t s) const {
        auto [b, e] = inds.string_range(s);
        return OpsView(this, b, e);
    }
    std::vector<LadderOp> get_ops(size_t s) const {
        const auto v = get_ladder_op_iter(s);
        std::vector<LadderOp> out;
        out.reserve(v.size());
        for (LadderOp op : v) out.push_back(op);
        return out;
    }
    size_t max_string_len() const {
        size_t m = 0, prev = 0;
        for (uint64_t e : inds.ends) {
            m = std::max<size_t>(m, e - prev);
            prev = e;
        }
        return m;
    }

    // Largest stored mode plus one (65536 for 65535); 0 when nothing is stored.
    uint64_t default_n_mode() const { return inds.default_n_modes(); }

    std::string to_string_ind(size_t s) const {
        std::string out;
        bool first = true;
        for (LadderOp op : get_ladder_op_iter(s)) {
            if (!first) out += ' ';
            first = false;
            append_ladder_op(out, op.mode, op.is_creation);
        }
        return out;
    }
    std::string to_string() const {
        return join_texts(n_strings(), ", ", [&](size_t s) { return to_string_ind(s); });
    }

    bool operator==(const Springs& o) const { return inds == o.inds && is_creation == o.is_creation; }
};

static_assert(ModeSettings<Springs>);

}  // namespace vemo::fermion
