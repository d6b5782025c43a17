"""Pauli operators on basis-state combinations: matrix elements, application and
projections into subspaces (small ones, and large ones computed on several
threads), against dense vectors and matrices built from Kronecker products; the
register and coefficient-length boundaries."""

import random

import numpy as np
import pytest
from reference import index_of, op_matrix, paulis, random_coeffs, random_states, random_strings, state_vector, states, vec

Q = pytest.importorskip("vemo._vemo").QubitPauliArray


def random_op(rng, n, complex_):
    strings = random_strings(rng, n, 8)
    strings += strings[:2]
    return strings, random_coeffs(rng, len(strings), complex_)


def rows_of(a):
    return [tuple(map(int, a.cmpnt_get_list(i))) for i in range(len(a))]


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("n", [0, 1, 3, 5])
def test_mat_elem_is_vdot_of_bra_with_operator_on_ket(v, n, complex_):
    rng = random.Random(10 * n + complex_)
    f = Q.mat_elem_complex if complex_ else Q.mat_elem_real
    for _ in range(5):
        strings, oc = random_op(rng, n, complex_)
        bra, ket = random_states(rng, n, 5), random_states(rng, n, 4)
        # A bra coefficient without a state, a ket state without a coefficient: both ignored.
        bc, kc = random_coeffs(rng, 6, complex_), random_coeffs(rng, 3, complex_)
        got = f(paulis(v, n, strings), vec(v, oc, complex_), states(v, n, bra), vec(v, bc, complex_),
                states(v, n, ket), vec(v, kc, complex_))
        want = np.vdot(state_vector(bra, bc, n), op_matrix(strings, oc, n) @ state_vector(ket, kc, n))
        assert got == pytest.approx(want if complex_ else want.real, abs=1e-12)


@pytest.mark.parametrize("complex_", [False, True])
@pytest.mark.parametrize("n", [0, 2, 4])
def test_apply_adds_operator_times_state_to_output(v, n, complex_):
    rng = random.Random(n + complex_)
    strings, oc = random_op(rng, n, complex_)
    st, sc = random_states(rng, n, 5), random_coeffs(rng, 5, complex_)
    before = sorted(set(random_states(rng, n, 3)))  # distinct, kept unique by the map
    out, out_map = states(v, n, before), v.Map()
    out.refresh_map(out_map)
    start = random_coeffs(rng, len(before), True)
    out_c = vec(v, start, True)
    f = Q.apply_to_state_complex if complex_ else Q.apply_to_state_real
    f(paulis(v, n, strings), vec(v, oc, complex_), states(v, n, st), vec(v, sc, complex_), out, out_map, out_c)
    rows, cs = rows_of(out), [out_c[i] for i in range(len(out_c))]
    assert len(set(rows)) == len(rows) == len(cs) == len(out_map) and 0 not in cs
    want = state_vector(before, start, n) + op_matrix(strings, oc, n) @ state_vector(st, sc, n)
    np.testing.assert_allclose(state_vector(rows, cs, n), want, atol=1e-12)


def test_apply_boundaries(v):
    x0 = paulis(v, 1, [("X",), ("X",)])
    out, out_map, out_c = states(v, 1, []), v.Map(), v.ComplexVec()
    args = (vec(v, [1.0, -1.0], False), states(v, 1, [(0,)]), vec(v, [1.0], False))
    Q.apply_to_state_real(x0, *args, out, out_map, out_c)  # exact cancellation
    assert len(out) == len(out_c) == len(out_map) == 0
    with pytest.raises(ValueError, match="different qubit spaces"):
        Q.apply_to_state_real(x0, *args, states(v, 2, []), v.Map(), v.ComplexVec())
    with pytest.raises(ValueError, match="Coefficient vector of length 1 does not match"):
        Q.apply_to_state_real(x0, *args, out, out_map, vec(v, [1.0], True))
    assert len(out) == 0


def test_mat_elem_boundaries(v):
    def one(n, strings, oc, bra, ket):
        return Q.mat_elem_complex(paulis(v, n, strings), vec(v, oc, True), states(v, n, bra), vec(v, [1], True),
                                  states(v, n, ket), vec(v, [1], True))

    # 64 qubits: one word, position 63 its top bit.
    assert one(64, [("I",) * 63 + ("Y",)], [2.0], [(0,) * 63 + (1,)], [(0,) * 64]) == 2j
    with pytest.raises(IndexError, match="Element index 65 is out-of-bounds for a container with 64 elements."):
        one(65, [("X",) + ("I",) * 64], [1.0], [(0,) * 65], [(1,) + (0,) * 64])
    with pytest.raises(ValueError, match="Coefficient vector of length 1 is shorter than the component list of"):
        one(1, [("X",), ("Z",)], [1.0], [(0,)], [(1,)])
    with pytest.raises(IndexError):
        Q.lincomb_project_into_ortho_subspace_real(paulis(v, 65, []), vec(v, [], False), states(v, 65, []))


@pytest.mark.parametrize("kind", ["real", "hermitian", "complex"])
def test_ortho_projection_is_restriction_to_subspace(v, kind):
    rng = random.Random(kind)
    n, complex_ = 4, kind != "real"
    f = Q.lincomb_project_into_ortho_subspace_complex if complex_ else Q.lincomb_project_into_ortho_subspace_real
    for _ in range(4):
        strings, oc = random_op(rng, n, complex_)
        oc = [complex(c.real, 0.0) for c in oc] if kind == "hermitian" else oc
        sub = sorted(set(random_states(rng, n, 7)))
        got = f(paulis(v, n, strings), vec(v, oc, complex_), states(v, n, sub))
        V = np.array([state_vector([r], [1], n) for r in sub]).T
        want = V.conj().T @ op_matrix(strings, oc, n) @ V
        assert got.dtype == (np.complex128 if complex_ else np.float64)
        np.testing.assert_allclose(got, want if complex_ else want.real, atol=1e-12)
    with pytest.raises(ValueError, match=r"^The subspace is non-orthogonal \(it contains repeated basis vectors\)$"):
        f(paulis(v, 1, [("X",)]), vec(v, [1.0], complex_), states(v, 1, [(0,), (0,)]))


@pytest.mark.parametrize("complex_", [False, True])
def test_nonortho_projection_is_gram_of_subspace_vectors(v, complex_):
    rng = random.Random(5 + complex_)
    n = 3
    strings, oc = random_op(rng, n, complex_)
    vectors = [sorted(set(random_states(rng, n, 4))) for _ in range(5)]
    # The last state of v_2 has no coefficient and takes no part.
    coeffs = [random_coeffs(rng, len(rows) - (k == 2), complex_) for k, rows in enumerate(vectors)]
    arrays, maps = [states(v, n, rows) for rows in vectors], [v.Map() for _ in vectors]
    for a, m in zip(arrays, maps):
        a.refresh_map(m)
    f = Q.lincomb_project_into_nonortho_subspace_complex if complex_ else Q.lincomb_project_into_nonortho_subspace_real
    # One extra state array: the shortest sequence decides d.
    op = (paulis(v, n, strings), vec(v, oc, complex_))
    h, s = f(*op, arrays + arrays[:1], maps, [vec(v, c, complex_) for c in coeffs])
    V = np.array([state_vector(rows, cs, n) for rows, cs in zip(vectors, coeffs)]).T
    for got, want in ((h, V.conj().T @ op_matrix(strings, oc, n) @ V), (s, V.conj().T @ V)):
        np.testing.assert_allclose(got, want if complex_ else want.real, atol=1e-12)
    assert np.array_equal(s, s.conj().T)
    assert [m.shape for m in f(*op, [], [], [])] == [(0, 0), (0, 0)]



@pytest.mark.parametrize("kind", ["real", "hermitian", "complex"])
def test_large_projections_match_dense(v, kind):
    rng = random.Random(kind)
    n, complex_, suffix = 9, kind != "real", "real" if kind == "real" else "complex"
    strings = random_strings(rng, n, 40)
    oc = random_coeffs(rng, len(strings), complex_)
    oc = [complex(c.real, 0.0) for c in oc] if kind == "hermitian" else oc
    op, a = (paulis(v, n, strings), vec(v, oc, complex_)), op_matrix(strings, oc, n)
    every = [tuple((k >> q) & 1 for q in range(n)) for k in range(2**n)]
    # Above 2^17 matrix elements (d(d+1)/2 of them for real coefficients), where threads start.
    sub, vectors = rng.sample(every, 512), [rng.sample(every, 4) for _ in range(130)]
    coeffs = [random_coeffs(rng, 4, complex_) for _ in vectors]
    arrays, maps = [states(v, n, rows) for rows in vectors], [v.Map() for _ in vectors]
    for s_, m in zip(arrays, maps):
        s_.refresh_map(m)
    ortho = getattr(Q, f"lincomb_project_into_ortho_subspace_{suffix}")(*op, states(v, n, sub))
    h, s = getattr(Q, f"lincomb_project_into_nonortho_subspace_{suffix}")(
        *op, arrays, maps, [vec(v, c, complex_) for c in coeffs])
    idx, V = [index_of(s_) for s_ in sub], np.array([state_vector(r, c, n) for r, c in zip(vectors, coeffs)]).T
    for got, want in ((ortho, a[np.ix_(idx, idx)]), (h, V.conj().T @ a @ V), (s, V.conj().T @ V)):
        np.testing.assert_allclose(got, want if complex_ else want.real, atol=1e-12)
