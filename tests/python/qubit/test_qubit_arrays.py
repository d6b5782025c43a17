"""What QubitPauliArray and QubitStateArray share (shape, copies, clones, slices,
maps, registers), run on both classes against a pure-Python model: a list of
components, each a tuple of one symbol per position ("IXYZ" or 0/1)."""

import random

import pytest

PAULI_TABLE = [
    "to_dict", "from_dict", "with_phases", "relabel", "standardize", "standardized", "same_as", "resize",
    "append_clear", "cmpnt_clear", "cmpnt_set_pauli", "cmpnt_get_pauli", "cmpnt_set_from_list",
    "cmpnt_set_from_dict", "cmpnt_set_from_spring", "cmpnt_get_list", "cmpnt_get_dict", "cmpnt_copy_internal",
    "cmpnt_copy_external", "cmpnt_equal", "cmpnt_mul", "cmpnts_mul_pairwise", "cmpnt_matrices_imul_internal",
    "cmpnt_matrices_imul_external", "cmpnt_imul_internal", "cmpnt_imul_external", "cmpnt_phase_of_mul",
    "cmpnt_commutes_with", "cmpnt_count", "cmpnt_to_string", "cmpnt_to_sparse_matrix", "cmpnts_clone", "cmpnts_eq",
    "compatibility_matrix", "centralizer_and_remainder", "refresh_map", "mapped_insert", "mapped_lookup",
    "mapped_remove", "mapped_equal", "lincomb_mul_real", "lincomb_mul_complex", "save_to_file", "load_from_file",
]
STATE_TABLE = [
    "relabel", "standardize", "same_as", "resize", "append_clear", "cmpnt_clear", "cmpnt_set_bit", "cmpnt_get_bit",
    "cmpnt_set_from_list", "cmpnt_set_from_set", "cmpnt_set_from_spring", "cmpnt_get_list", "cmpnt_get_set",
    "cmpnt_copy_internal", "cmpnt_copy_external", "cmpnt_pauli_string_imul", "cmpnt_equal", "cmpnt_count",
    "cmpnt_to_string", "cmpnts_clone", "cmpnts_eq", "refresh_map", "mapped_insert", "mapped_lookup",
    "mapped_remove", "mapped_equal", "to_dense_real", "to_dense_complex", "from_dense_real", "from_dense_complex",
    "vdot_real", "vdot_complex",
]
SPACE_ERROR = "Qubits-based objects are based on different qubit spaces."


class Kind:
    def __init__(self, v, name):
        self.v, self.name = v, name
        self.cls = v.QubitPauliArray if name == "pauli" else v.QubitStateArray
        self.symbols = "IXYZ" if name == "pauli" else (0, 1)

    def make(self, qubits, comps):
        a = self.cls(qubits)
        a.resize(len(comps))
        for i, c in enumerate(comps):
            a.cmpnt_set_from_list(i, [getattr(self.v.PauliMatrix, s) if self.name == "pauli" else bool(s) for s in c])
        return a

    def read(self, a):
        return [tuple(str(p) if self.name == "pauli" else int(p) for p in a.cmpnt_get_list(i)) for i in range(len(a))]

    def text(self, c):  # the printed form, written independently of the library
        if self.name == "pauli":
            return " ".join(f"{p}{q}" for q, p in enumerate(c) if p != "I")
        return "[" + ", ".join(map(str, c)) + "]"

    def random(self, rng, n, m):
        return [tuple(rng.choice(self.symbols) for _ in range(n)) for _ in range(m)]


@pytest.fixture(params=["pauli", "state"])
def kind(v, request):
    return Kind(v, request.param)


def test_methods_are_registered_in_table_order(v):
    for cls, table in [(v.QubitPauliArray, PAULI_TABLE), (v.QubitStateArray, STATE_TABLE)]:
        present = [m for m in cls.__dict__ if m in table]
        assert present == [m for m in table if m in present]
    assert set(STATE_TABLE[:15]) <= set(v.QubitStateArray.__dict__)


# Positions past 64 and 128 put strings on several words.
@pytest.mark.parametrize("n", [0, 3, 70, 130])
def test_random_edits_against_model(v, kind, n):
    rng = random.Random(n)
    q = v.Qubits.from_count(n)
    model = kind.random(rng, n, 5)
    a = kind.make(q, model)
    for step in range(60):
        op = rng.randrange(7)
        i, j = rng.randrange(-len(model), len(model)), rng.randrange(len(model))
        if op == 0:
            m = rng.randrange(9)
            a.resize(m)
            model = model[:m] + [tuple(kind.symbols[0] for _ in range(n))] * (m - len(model))
        elif op == 1:
            a.append_clear()
            model.append(tuple(kind.symbols[0] for _ in range(n)))
        elif op == 2:
            a.cmpnt_clear(i)
            model[i] = tuple(kind.symbols[0] for _ in range(n))
        elif op == 3:
            a.cmpnt_copy_internal(i, j)
            model[i] = model[j]
        elif op == 4:
            src = kind.random(rng, n, 3)
            a.cmpnt_copy_external(i, kind.make(q, src), -1)
            model[i] = src[-1]
        elif op == 5:
            idx = [rng.randrange(-len(model), len(model)) for _ in range(rng.randrange(4))]
            a = a.cmpnts_clone(idx)
            model = [model[k] for k in idx]
        else:
            model[i] = kind.random(rng, n, 1)[0]
            a.cmpnt_set_from_list(i, list(kind.make(q, [model[i]]).cmpnt_get_list(0)))
        if not model:  # keep something to index
            a.append_clear()
            model.append(tuple(kind.symbols[0] for _ in range(n)))
        assert kind.read(a) == model and len(a) == len(model)
        assert [a.cmpnt_to_string(k) for k in range(len(a))] == [kind.text(c) for c in model]
        assert a.cmpnts_clone(None) == a == kind.make(q, model)


@pytest.mark.parametrize("n", [2, 66])
def test_maps_against_dict_model(v, kind, n):
    rng = random.Random(7 + n)
    q = v.Qubits.from_count(n)
    pool = kind.make(q, kind.random(rng, n, 4) + [tuple(kind.symbols[0] for _ in range(n))])
    a, m = kind.cls(q), v.Map()
    model = []
    for step in range(200):
        k = rng.randrange(-len(pool), len(pool))
        s = kind.read(pool)[k]
        if rng.random() < 0.6:
            want = model.index(s) if s in model else len(model)
            if s not in model:
                model.append(s)
            assert a.mapped_insert(m, pool, k) == want
        else:
            want = model.index(s) if s in model else None
            assert a.mapped_lookup(m, pool, k) == want
            assert a.mapped_remove(m, pool, k) == want
            if want is not None:  # swap-removal: the last component takes the freed place
                last = model.pop()
                if want < len(model):
                    model[want] = last
        assert kind.read(a) == model and len(m) == len(a)
    shuffled = a.cmpnts_clone(list(range(len(a)))[::-1])
    assert a.mapped_equal(m, shuffled) and (len(a) < 2 or a != shuffled)
    assert not a.mapped_equal(m, a.cmpnts_clone(list(range(len(a) - 1))))
    # Repeats: refresh_map registers every index and lookups find the first.
    rep = kind.make(q, [model[0], model[0], model[-1]])
    rep.refresh_map(m)
    assert len(m) == 3 and rep.mapped_lookup(m, rep, 1) == 0
    assert rep.mapped_equal(m, kind.make(q, [model[-1]] * 3))


def test_map_edge_cases(v, kind):
    q = v.Qubits.from_count(3)
    a = kind.make(q, kind.random(random.Random(1), 3, 1) + [tuple(kind.symbols[0] for _ in range(3))])
    m = v.Map()
    a.refresh_map(m)
    assert a.mapped_insert(m, a.cmpnts_clone(None), 1) == 1 and len(a) == 2
    with pytest.raises(RuntimeError, match="Already"):
        a.mapped_insert(m, a, 0)
    # A map that does not describe the list: new indices come from the list's length.
    fresh = v.Map()
    assert a.mapped_insert(fresh, a.cmpnts_clone([0]), 0) == 2
    stale = v.Map()
    a.refresh_map(stale)
    a.resize(1)
    with pytest.raises(BaseException):  # an index beyond the list: refused, never read
        a.mapped_lookup(stale, kind.make(q, [kind.read(a)[0]] * 3 + [tuple(kind.symbols[0] for _ in range(3))]), -1)


@pytest.mark.parametrize("indices, other_indices, result", [
    (None, None, False), ([0, 1], [1, 0], True), ([0, 2], [1, 2], True), ([], [], True), ([5], [0, 1], False),
    ([0, 1], [0, 9], False), ([5], [0], IndexError), ([1, 1, -3], [0, 0, 5], IndexError), ([0, 0], [1, 0], False),
])
def test_slice_equality(v, kind, indices, other_indices, result):
    q = v.Qubits.from_count(4)
    s = kind.symbols
    x, y = (s[1],) * 4, (s[0], s[1], s[-1], s[0])
    a, b = kind.make(q, [x, y, x]), kind.make(q, [y, x, x, y])
    if result is IndexError:
        with pytest.raises(IndexError, match="out-of-bounds for container of length"):
            a.cmpnts_eq(indices, b, other_indices)
    else:
        assert a.cmpnts_eq(indices, b, other_indices) is result
    assert a.cmpnt_equal(0, b, 1) and not a.cmpnt_equal(-1, b, -1) and a.cmpnt_equal(2, a, 0)


def test_register_mismatch(v, kind):
    a = kind.make(v.Qubits.from_count(2), [tuple(kind.symbols[0] for _ in range(2))])
    b = kind.make(v.Qubits.from_inds([5, 7]), [tuple(kind.symbols[0] for _ in range(2))])
    m = v.Map()
    for call in [lambda: a.cmpnt_copy_external(9, b, 9), lambda: a.mapped_insert(m, b, 9),
                 lambda: a.mapped_lookup(m, b, 9), lambda: a.mapped_remove(m, b, 9), lambda: a.mapped_equal(m, b)]:
        with pytest.raises(ValueError, match=SPACE_ERROR):
            call()
    assert not a.cmpnt_equal(0, b, 0) and not a.cmpnts_eq(None, b, None) and a != b
    with pytest.raises(IndexError):  # indices come before the register test
        a.cmpnt_equal(0, b, 3)
    assert len(a) == 1 and len(m) == 0


@pytest.mark.parametrize("register, n_qubit, error", [
    (("from_count", 4), 2, None), (("from_count", 2), 5, None), (("from_inds", [3, 0, 5]), 6, None),
    (("from_offset", 2, 3), 5, None), (("from_inds", [3, 0, 5]), 5, 5), (("from_offset", 2, 3), 4, 4),
    (("from_inds", [9, 1]), 3, 9),
])
def test_standardize_against_model(v, kind, register, n_qubit, error):
    q = getattr(v.Qubits, register[0])(*register[1:])
    inds = list(range(len(q))) if register[0] == "from_count" else (
        register[1] if register[0] == "from_inds" else list(range(register[1], register[1] + register[2])))
    model = kind.random(random.Random(len(q)), len(q), 4)
    a = kind.make(q, model)
    if error is not None:
        with pytest.raises(IndexError, match=f"Mode index {error} is out-of-bounds .* {n_qubit} modes"):
            a.standardize(n_qubit)
        assert a == kind.make(q, model)
        return
    want = []
    for c in model:
        out = [kind.symbols[0]] * n_qubit
        for j, s in enumerate(c):
            if inds[j] < n_qubit:
                out[inds[j]] = s
        want.append(tuple(out))
    if kind.name == "pauli":
        assert kind.read(a.standardized(n_qubit)) == want and kind.read(a) == model
    a.standardize(n_qubit)
    assert kind.read(a) == want and a.qubits == v.Qubits.from_count(n_qubit)


def test_relabel(v, kind):
    model = kind.random(random.Random(2), 3, 2)
    a = kind.make(v.Qubits.from_count(3), model)
    a.relabel(v.Qubits.from_inds([5, 7, 9]))
    assert kind.read(a) == model and a.qubits == v.Qubits.from_inds([5, 7, 9])
    with pytest.raises(IndexError, match="Mode counts 2 and 3 differ."):
        a.relabel(v.Qubits.from_count(2))
