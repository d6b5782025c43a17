"""Pauli operators on basis-state combinations: matrix elements, application and
projections into subspaces, against dense vectors and matrices built from
Kronecker products; the register and coefficient-length boundaries."""

import random

import numpy as np
import pytest
from dense_reference import (
    op_matrix,
    paulis,
    random_coeffs,
    random_states,
    random_strings,
    state_vector,
    states,
    values,
    vec,
)

Q = None


@pytest.fixture(autouse=True)
def _q(v):
    global Q
    Q = v.QubitPauliArray


def dense_out(out, coeffs, n):
    rows = [tuple(map(int, out.cmpnt_get_list(i))) for i in range(len(out))]
    assert len(set(rows)) == len(rows) and 0 not in coeffs
    return state_vector([[int(b) for b in r] for r in rows], coeffs, n)


def random_case(rng, n, complex_, n_terms=8):
    strings = random_strings(rng, n, n_terms)
    strings += strings[:2]
    return strings, random_coeffs(rng, len(strings), complex_)


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("n", [0, 1, 3, 5])
def test_mat_elem_is_vdot_of_bra_with_operator_on_ket(v, n, complex_):
    rng = random.Random(10 * n + complex_)
    for _ in range(5):
        strings, oc = random_case(rng, n, complex_)
        bra, ket = random_states(rng, n, 6), random_states(rng, n, 4)
        bc, kc = random_coeffs(rng, 6, complex_), random_coeffs(rng, 5, complex_)  # one ket coefficient spare
        bra = bra[:5]  # one bra coefficient more than states: ignored
        f = Q.mat_elem_complex if complex_ else Q.mat_elem_real
        got = f(paulis(v, n, strings), vec(v, oc, complex_), states(v, n, bra), vec(v, bc, complex_),
                states(v, n, ket), vec(v, kc, complex_))
        want = np.vdot(state_vector(bra, bc, n), op_matrix(strings, oc, n) @ state_vector(ket, kc[:4], n))
        assert got == pytest.approx(want if complex_ else want.real, abs=1e-12)


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("n", [0, 2, 4, 70])
def test_apply_adds_operator_times_state_to_output(v, n, complex_):
    rng = random.Random(n + complex_)
    m = min(n, 5)  # positions beyond 5 stay I and |0>; the dense model covers the first ones
    strings, oc = random_case(rng, m, complex_)
    st, sc = random_states(rng, m, 5), random_coeffs(rng, 5, complex_)
    pad = lambda rows: [r + (0,) * (n - m) for r in rows]
    # The output starts with distinct states of its own, kept unique by its map.
    before = sorted(set(random_states(rng, m, 3)))
    out, out_map = states(v, n, pad(before)), v.Map()
    out.refresh_map(out_map)
    start = random_coeffs(rng, len(out), True)
    out_c = vec(v, start, True)
    a = paulis(v, n, [s + ("I",) * (n - m) for s in strings])
    f = Q.apply_to_state_complex if complex_ else Q.apply_to_state_real
    f(a, vec(v, oc, complex_), states(v, n, pad(st)), vec(v, sc, complex_), out, out_map, out_c)
    rows = [tuple(map(int, out.cmpnt_get_list(i))) for i in range(len(out))]
    assert all(not any(r[m:]) for r in rows)
    got = dense_out(states(v, m, [r[:m] for r in rows]), values(out_c), m)
    want = state_vector(before, start, m) + op_matrix(strings, oc, m) @ state_vector(st, sc, m)
    np.testing.assert_allclose(got, want, atol=1e-12)


def test_apply_cancels_exactly_and_refuses_mismatches(v):
    x0 = paulis(v, 1, [("X",), ("X",)])
    out, out_map, out_c = states(v, 1, []), v.Map(), v.ComplexVec()
    Q.apply_to_state_real(x0, vec(v, [1.0, -1.0], False), states(v, 1, [(0,)]), vec(v, [1.0], False),
                          out, out_map, out_c)
    assert len(out) == 0 and len(out_c) == 0 and len(out_map) == 0
    args = (vec(v, [1.0], False), states(v, 1, [(0,)]), vec(v, [1.0], False))
    with pytest.raises(ValueError, match="different qubit spaces"):
        Q.apply_to_state_real(x0, *args, states(v, 2, []), v.Map(), v.ComplexVec())
    with pytest.raises(ValueError, match="Coefficient vector of length 1 does not match"):
        Q.apply_to_state_real(x0, *args, out, out_map, vec(v, [1.0], True))
    assert len(out) == 0
    s = states(v, 1, [(0,)])
    with pytest.raises(RuntimeError):
        Q.apply_to_state_real(x0, args[0], s, args[2], s, v.Map(), v.ComplexVec())


def test_mat_elem_boundaries(v):
    def one(n, strings, oc, bra, ket):
        return Q.mat_elem_complex(paulis(v, n, strings), vec(v, oc, True), states(v, n, bra), vec(v, [1], True),
                                  states(v, n, ket), vec(v, [1], True))

    # 64 qubits: one word, position 63 is its top bit.
    y63 = [("I",) * 63 + ("Y",)]
    assert one(64, y63, [2.0], [(0,) * 63 + (1,)], [(0,) * 64]) == 2j
    with pytest.raises(IndexError, match="Element index 65 is out-of-bounds for a container with 64 elements."):
        one(65, [("X",) + ("I",) * 64], [1.0], [(0,) * 65], [(1,) + (0,) * 64])
    with pytest.raises(ValueError, match="Coefficient vector of length 1 is shorter than the component list of length 2"):
        one(1, [("X",), ("Z",)], [1.0], [(0,)], [(1,)])
    with pytest.raises(IndexError):
        Q.lincomb_project_into_ortho_subspace_real(paulis(v, 65, []), vec(v, [], False), states(v, 65, []))


def dense_basis(rows, n):
    return np.array([state_vector([r], [1], n) for r in rows]).T


@pytest.mark.parametrize("kind", ["real", "hermitian", "complex"])
def test_ortho_projection_is_restriction_to_subspace(v, kind):
    rng = random.Random(kind)
    n = 4
    for _ in range(4):
        strings, oc = random_case(rng, n, kind != "real")
        if kind == "hermitian":
            oc = [complex(c.real, 0.0) for c in oc]
        sub = sorted(set(random_states(rng, n, 7)))
        f = Q.lincomb_project_into_ortho_subspace_real if kind == "real" else Q.lincomb_project_into_ortho_subspace_complex
        got = f(paulis(v, n, strings), vec(v, oc, kind != "real"), states(v, n, sub))
        V = dense_basis(sub, n)
        want = V.conj().T @ op_matrix(strings, oc, n) @ V
        assert got.shape == (len(sub), len(sub)) and got.dtype == (np.float64 if kind == "real" else np.complex128)
        np.testing.assert_allclose(got, want.real if kind == "real" else want, atol=1e-12)
    with pytest.raises(ValueError, match=r"^The subspace is non-orthogonal \(it contains repeated basis vectors\)$"):
        Q.lincomb_project_into_ortho_subspace_real(paulis(v, 1, [("X",)]), vec(v, [1.0], False),
                                                   states(v, 1, [(0,), (0,)]))


@pytest.mark.parametrize("complex_", [False, True])
def test_nonortho_projection_is_gram_of_subspace_vectors(v, complex_):
    rng = random.Random(5 + complex_)
    n = 3
    strings, oc = random_case(rng, n, complex_)
    vectors = []
    for k in range(5):
        rows = sorted(set(random_states(rng, n, 4)))
        cs = random_coeffs(rng, len(rows) - (k == 2), complex_)  # vector 2: its last state takes no part
        vectors.append((rows, cs))
    maps = []
    arrays = [states(v, n, rows) for rows, _ in vectors]
    for a in arrays:
        maps.append(v.Map())
        a.refresh_map(maps[-1])
    f = Q.lincomb_project_into_nonortho_subspace_complex if complex_ else Q.lincomb_project_into_nonortho_subspace_real
    # One extra state array: the shortest sequence decides d.
    h, s = f(paulis(v, n, strings), vec(v, oc, complex_), arrays + [arrays[0]], maps,
             [vec(v, cs, complex_) for _, cs in vectors])
    V = np.array([state_vector(rows, cs, n) for rows, cs in vectors]).T
    want_h, want_s = V.conj().T @ op_matrix(strings, oc, n) @ V, V.conj().T @ V
    np.testing.assert_allclose(h, want_h if complex_ else want_h.real, atol=1e-12)
    np.testing.assert_allclose(s, want_s if complex_ else want_s.real, atol=1e-12)
    assert np.array_equal(s, s.conj().T)
    empty = f(paulis(v, n, strings), vec(v, oc, complex_), [], [], [])
    assert [m.shape for m in empty] == [(0, 0), (0, 0)]
