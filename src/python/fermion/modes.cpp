// Python class Modes: a fermion mode space, made only by its static methods.
#include <cstdint>
#include <string>

#include "python/fermion/modes.hpp"

namespace vemo::py {
namespace {

using fermion::Modes;
using fermion::ModesKind;

Modes pairs(ModesKind kind, uint64_t n) {
    auto m = Modes::try_pairs(kind, n);
    if (!m) raise(PyExc_OverflowError, "pair count " + std::to_string(n) + " has more modes than fit in 64 bits");
    return *m;
}

Modes from_count(uint64_t n) { return Modes::count(n); }
Modes from_pair_count_spin_major(uint64_t n) { return pairs(ModesKind::SpinMajorPairs, n); }
Modes from_pair_count_spin_minor(uint64_t n) { return pairs(ModesKind::SpinMinorPairs, n); }
Modes from_fock_space_dim(uint64_t n) {
    if (n == 0) raise(PyExc_ValueError, "Fock space dimension must be non-zero");
    return Modes::from_fock_space_dim(n);
}
uint64_t modes_len(const Modes& m) { return m.len(); }
bool modes_eq(const Modes& a, const Modes& b) { return a == b; }

}  // namespace

VEMO_CLASS(Modes) {
    c.doc("Python wrapper for fermionic mode spaces.");
    c.def_static<&from_count>("from_count(n)\n--\n\nCreate using the first n fermionic modes.");
    c.def_static<&from_pair_count_spin_major>(
        "from_pair_count_spin_major(n)\n--\n\nCreate from a number of spin-orbital pairs in spin-major ordering.");
    c.def_static<&from_pair_count_spin_minor>(
        "from_pair_count_spin_minor(n)\n--\n\nCreate from a number of spin-orbital pairs in spin-minor ordering.");
    c.def_static<&from_fock_space_dim>(
        "from_fock_space_dim(n)\n--\n\nCreate by taking the ceiling of the log2 of the size of the Fock space.");
    c.len<&modes_len>();
    c.eq<&modes_eq>();
}

}  // namespace vemo::py
