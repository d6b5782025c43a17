"""Reference model of the Pauli algebra for the tests: strings as tuples of
"I", "X", "Y", "Z" (position 0 first), dense matrices from the 2x2 Pauli
matrices, and products accumulated term by term."""

import numpy as np

SINGLE = {
    "I": np.eye(2, dtype=complex),
    "X": np.array([[0, 1], [1, 0]], dtype=complex),
    "Y": np.array([[0, -1j], [1j, 0]], dtype=complex),
    "Z": np.array([[1, 0], [0, -1]], dtype=complex),
}


def string_product(s, t):
    """(string, factor) of the product of two Pauli strings, from their dense 2x2 factors."""
    out, phase = [], 1
    for a, b in zip(s, t):
        m = SINGLE[a] @ SINGLE[b]
        c = next(p for p in "IXYZ" if abs(np.vdot(SINGLE[p], m)) > 1)
        out.append(c)
        phase *= np.vdot(SINGLE[c], m) / 2
    return tuple(out), complex(round(phase.real), round(phase.imag))


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


def dense(strings, coeffs, n):
    """Sum of c * kron(P_{n-1}, ..., P_0): position 0 is bit 0 of the index."""
    m = np.zeros((2**n, 2**n), dtype=complex)
    for s, c in zip(strings, coeffs):
        t = np.eye(1, dtype=complex)
        for p in reversed(s):
            t = np.kron(t, SINGLE[p])
        m += c * t
    return m


def text_of(strings):
    """The Pauli text of a list of strings; the identity is written I0."""
    return ", ".join(" ".join(f"{p}{q}" for q, p in enumerate(s) if p != "I") or "I0" for s in strings)
