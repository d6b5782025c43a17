"""Reference model of Pauli operators and basis states for the tests, built
independently of the library: strings as sequences of "I", "X", "Y", "Z"
(position 0 first), dense matrices from the 2x2 Pauli matrices and Kronecker
products, and products of linear combinations accumulated term by term."""

import functools

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


@functools.cache
def letter_product(a, b):
    """(c, phase) with a b = phase c, from the dense 2x2 factors."""
    m = SINGLE[a] @ SINGLE[b]
    c = next(p for p in "IXYZ" if abs(np.vdot(SINGLE[p], m)) > 1)
    phase = np.vdot(SINGLE[c], m) / 2
    return c, complex(round(phase.real), round(phase.imag))


def string_product(s, t):
    """(string, factor) of the product of two Pauli strings, position by position."""
    out, phase = [], 1
    for a, b in zip(s, t):
        c, f = letter_product(a, b)
        out.append(c)
        phase *= f
    return tuple(out), phase


def string_power(s, t):
    """(s t as a str, k) with s t = i^k times that string."""
    out, phase = string_product(s, t)
    return "".join(out), [1, 1j, -1, -1j].index(phase)


def model_mul(lhs, lc, rhs, rc):
    """The product accumulated term by term: append when absent, add when
    present, swap-remove a coefficient that becomes exactly zero."""
    strings, coeffs, where = [], [], {}
    for i in range(min(len(lhs), len(lc))):
        for j in range(min(len(rhs), len(rc))):
            s, phase = string_product(lhs[i], rhs[j])
            c = complex(phase * lc[i]) * rc[j]
            if s in where:
                k = where[s]
                coeffs[k] = c + coeffs[k]
            else:
                k = where[s] = len(strings)
                strings.append(s)
                coeffs.append(complex(c))
            if coeffs[k] == 0:
                del where[s]
                last_s, last_c = strings.pop(), coeffs.pop()
                if k != len(strings):
                    strings[k], coeffs[k] = last_s, last_c
                    where[last_s] = k
    return strings, coeffs


def text_of(strings, n):
    """The Pauli text of a list of strings; the identity is written I0, or as a
    blank piece on 0 qubits (a final blank piece needs a comma after it)."""
    pieces = [" ".join(f"{p}{q}" for q, p in enumerate(s) if p != "I") or ("I0" if n else "") for s in strings]
    return ", ".join(pieces) + (", " if pieces and not pieces[-1] else "")


def random_strings(rng, n, count, letters="IXYZ"):
    return [tuple(rng.choice(letters) for _ in range(n)) for _ in range(count)]


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
