"""What QubitPauliArray and QubitStateArray share (shape, copies, clones, slices,
maps, registers), run on both classes against a pure-Python model: a list of
components, each a tuple of one symbol per position ("IXYZ" or 0/1)."""

import random

import pytest

SPACE_ERROR = "Qubits-based objects are based on different qubit spaces."


class Kind:
    def __init__(self, v, name):
        self.v, self.name = v, name
        self.cls = v.QubitPauliArray if name == "pauli" else v.QubitStateArray
        self.symbols = "IXYZ" if name == "pauli" else (0, 1)

    def make(self, qubits, comps):  # through cmpnt_set_from_list, checked against cmpnt_get_list
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

    # Single positions: cmpnt_set_pauli / cmpnt_set_bit and their kin.
    def arg(self, s):
        return getattr(self.v.PauliMatrix, s) if self.name == "pauli" else bool(s)

    def set(self, a, i, q, s):
        (a.cmpnt_set_pauli if self.name == "pauli" else a.cmpnt_set_bit)(i, q, self.arg(s))

    def get(self, a, i, q):
        return str(a.cmpnt_get_pauli(i, q)) if self.name == "pauli" else int(a.cmpnt_get_bit(i, q))

    def on(self, a, i):  # the positions that do not hold the first symbol
        if self.name == "pauli":
            return {q: str(p) for q, p in a.cmpnt_get_dict(i).items()}
        return {q: 1 for q in a.cmpnt_get_set(i)}

    def set_on(self, a, i, on):
        if self.name == "pauli":
            return a.cmpnt_set_from_dict(i, {q: self.arg(s) for q, s in on.items()})
        return a.cmpnt_set_from_set(i, set(on))


@pytest.fixture(params=["pauli", "state"])
def kind(v, request):
    return Kind(v, request.param)


# Positions past 64 and 128 put strings on several words.
@pytest.mark.parametrize("n", [0, 3, 70, 130])
def test_random_edits_against_model(v, kind, n):
    rng = random.Random(n)
    q, zero = v.Qubits.from_count(n), (kind.symbols[0],) * n
    model = kind.random(rng, n, 5)
    a = kind.make(q, model)
    for step in range(60):
        i, j, m = rng.randrange(-len(model), len(model)), rng.randrange(len(model)), rng.randrange(9)
        src, idx = kind.random(rng, n, 3), [rng.randrange(-len(model), len(model)) for _ in range(rng.randrange(4))]
        op = rng.randrange(6)
        if op == 0:
            a.resize(m)
            model = model[:m] + [zero] * (m - len(model))
        elif op == 5:
            a = a.cmpnts_clone(idx)
            model = [model[k] for k in idx]
        else:
            [a.append_clear, lambda: a.cmpnt_clear(i), lambda: a.cmpnt_copy_internal(i, j),
             lambda: a.cmpnt_copy_external(i, kind.make(q, src), -1)][op - 1]()
            if op == 1:
                model.append(zero)
            else:
                model[i] = [zero, model[j], src[-1]][op - 2]
        if not model:  # keep something to index
            a.append_clear()
            model.append(zero)
        assert kind.read(a) == model
        assert [a.cmpnt_to_string(k) for k in range(len(a))] == [kind.text(c) for c in model]
        assert a.cmpnts_clone(None) == a == kind.make(q, model)


@pytest.mark.parametrize("n", [1, 3, 70, 130])
def test_positions_against_model(v, kind, n):
    rng = random.Random(n)
    a = kind.make(v.Qubits.from_count(n), [(kind.symbols[0],) * n] * 2)
    model = [kind.symbols[0]] * n
    for _ in range(3 * n):
        q, s = rng.randrange(-n, n), rng.choice(kind.symbols)
        kind.set(a, -1, q, s)
        model[q] = s
        assert kind.get(a, 1, q) == s
    assert kind.read(a)[1] == tuple(model)
    assert kind.on(a, 1) == {q: s for q, s in enumerate(model) if s != kind.symbols[0]}
    for s in kind.symbols:
        assert a.cmpnt_count(1, kind.arg(s)) == model.count(s)
    kind.set_on(a, 0, kind.on(a, 1))
    assert a.cmpnt_equal(0, a, 1)
    a.cmpnt_set_from_list(0, a.cmpnt_get_list(1)[: n // 2])
    assert kind.read(a)[0] == tuple(model[: n // 2]) + (kind.symbols[0],) * (n - n // 2)
    with pytest.raises(IndexError, match=f"Element index {n} is out-of-bounds for container of length {n}."):
        kind.get(a, 0, n)


@pytest.mark.parametrize("name, call, message", [
    ("pauli", lambda v, a: a.cmpnt_set_from_list(0, [v.PauliMatrix.X] * 4), "Mode index 3 .* with 3 modes"),
    ("pauli", lambda v, a: a.cmpnt_set_from_dict(0, {7: v.PauliMatrix.Y, 1: v.PauliMatrix.Y}), "Mode index 7 "),
    ("pauli", lambda v, a: a.cmpnt_set_from_spring(0, v.PauliSprings("X0 Y3"), 0), "Mode index 3 "),
    ("pauli", lambda v, a: a.cmpnt_set_from_spring(0, v.PauliSprings("Y1"), 1), "String index 1 is out-of-bounds"),
    ("state", lambda v, a: a.cmpnt_set_from_list(0, [True] * 4), "Bit index 3 .* 3 bits per row"),
    ("state", lambda v, a: a.cmpnt_set_from_set(0, {0, 5}), "Bit index 5 .* 3 bits per row"),
    # Every position is checked before the first is written.
    ("state", lambda v, a: a.cmpnt_set_from_spring(0, v.BinarySprings("[1, 0, 0, 1]"), 0), "Bit index 3"),
    ("state", lambda v, a: a.cmpnt_set_from_spring(0, v.BinarySprings("[1]"), 1), "String index 1 is out-of-b"),
] + [(k, lambda v, a: a.cmpnt_set_from_list(1, []), "Element index 1 is out-of-bounds") for k in ("pauli", "state")])
def test_writes_past_the_register_change_nothing(v, name, call, message):
    kind = Kind(v, name)
    model = [(kind.symbols[1], kind.symbols[0], kind.symbols[-1])]
    a = kind.make(v.Qubits.from_count(3), model)
    with pytest.raises(IndexError, match=message):
        call(v, a)
    assert kind.read(a) == model


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


def test_maps_that_do_not_describe_the_list(v, kind):
    a = kind.make(v.Qubits.from_count(3), [(kind.symbols[1],) * 3, (kind.symbols[0],) * 3])
    assert a.mapped_insert(v.Map(), a.cmpnts_clone([0]), 0) == 2  # new indices come from the list's length
    stale = v.Map()
    a.refresh_map(stale)
    a.resize(1)
    with pytest.raises(BaseException, match="beyond its list"):  # refused before the list is read
        a.mapped_lookup(stale, kind.make(v.Qubits.from_count(3), [(kind.symbols[0],) * 3]), 0)
    # A method that writes self cannot read it as `other` or `src`; reading it twice is fine.
    for call in [lambda: a.mapped_insert(stale, a, 0), lambda: a.cmpnt_copy_external(0, a, 0)]:
        with pytest.raises(RuntimeError, match="Already mutably borrowed"):
            call()
    assert a.mapped_equal(v.Map(), a) is False and a.cmpnts_eq(None, a, None)


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


@pytest.mark.parametrize("inds, n_qubit, error", [  # Count, Offset and Inds registers; scattered over seven words
    ([0, 1, 2, 3], 2, None), ([0, 1], 5, None), ([3, 0, 5], 6, None), ([2, 3, 4], 5, None),
    ([3, 0, 5], 5, 5), ([2, 3, 4], 4, 4), ([9, 1], 3, 9), (random.Random(1).sample(range(391), 130), 400, None),
])
def test_standardize_against_model(v, kind, inds, n_qubit, error):
    model = kind.random(random.Random(len(inds)), len(inds), 4)
    a = kind.make(v.Qubits.from_inds(inds), model)
    if error is not None:
        with pytest.raises(IndexError, match=f"Mode index {error} is out-of-bounds .* {n_qubit} modes"):
            a.standardize(n_qubit)
        assert kind.read(a) == model
        return
    want = [[kind.symbols[0]] * n_qubit for _ in model]
    for c, w in zip(model, want):
        for j, s in enumerate(c):
            if inds[j] < n_qubit:
                w[inds[j]] = s
    want = [tuple(w) for w in want]
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
