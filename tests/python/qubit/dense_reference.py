"""Dense reference model of Pauli operators and basis states, built from 2x2
matrices and Kronecker products, independent of the library."""

import numpy as np

SINGLE = {
    "I": np.eye(2, dtype=complex),
    "X": np.array([[0, 1], [1, 0]], dtype=complex),
    "Y": np.array([[0, -1j], [1j, 0]], dtype=complex),
    "Z": np.array([[1, 0], [0, -1]], dtype=complex),
}


def string_matrix(s, big_endian=False):
    """Position 0 is bit 0 of the index (the last Kronecker factor), or the
    most significant bit with big_endian."""
    m = np.eye(1, dtype=complex)
    for p in (s if big_endian else reversed(s)):
        m = np.kron(m, SINGLE[p])
    return m


def op_matrix(strings, coeffs, n, big_endian=False):
    m = np.zeros((2**n, 2**n), dtype=complex)
    for s, c in zip(strings, coeffs):
        m += c * string_matrix(s, big_endian)
    return m


def text_of(strings, n):
    """The Pauli text of a list of strings; the identity is written I0, or as a
    blank piece on 0 qubits (a final blank piece needs a comma after it)."""
    pieces = [" ".join(f"{p}{q}" for q, p in enumerate(s) if p != "I") or ("I0" if n else "") for s in strings]
    return ", ".join(pieces) + (", " if pieces and not pieces[-1] else "")


def random_strings(rng, n, count):
    return [tuple(rng.choice("IXYZ") for _ in range(n)) for _ in range(count)]


def index_of(bits, big_endian=False):
    n = len(bits)
    return sum(1 << (n - 1 - q if big_endian else q) for q, b in enumerate(bits) if b)


def state_vector(states, coeffs, n):
    """Amplitudes summed per state (little-endian index)."""
    v = np.zeros(2**n, dtype=complex)
    for s, c in zip(states, coeffs):
        v[index_of(s)] += c
    return v


# ---------------------------------------------------------------- library objects


def paulis(v, n, strings):
    return v.QubitPauliArray(v.Qubits.from_count(n), v.PauliSprings(text_of(strings, n)) if strings else None)


def vec(v, xs, complex_):
    """A ComplexVec or RealVec of the values."""
    return (v.ComplexVec if complex_ else v.RealVec).from_array(np.array(xs, dtype=complex if complex_ else float))




def random_states(rng, n, count):
    return [tuple(rng.randrange(2) for _ in range(n)) for _ in range(count)]


def states(v, n, rows):
    text = ", ".join("[" + ", ".join(map(str, r)) + "]" for r in rows)
    return v.QubitStateArray(v.Qubits.from_count(n), v.BinarySprings(text) if rows else None)


def random_coeffs(rng, count, complex_):
    return [complex(rng.uniform(-1, 1), rng.uniform(-1, 1)) if complex_ else rng.uniform(-1, 1) for _ in range(count)]
