"""QubitPauliArray.cmpnt_set_from_spring against a model of single-qubit
products with their powers of i; the phase keeps the byte sum of those powers,
as a product of ComplexSign objects does."""

import random

import pytest
from reference import string_power

PHASES = ["+1", "+i", "-1", "-i"]


@pytest.mark.parametrize("n", [2, 70, 130])
def test_set_from_spring_multiplies_in_text_order(v, n):
    rng = random.Random(n)
    lengths = [rng.randrange(8) for _ in range(30)] + [300, 301]  # long ones pass 255 in the byte sum
    texts = [" ".join(f"{rng.choice('IXYZ')}{rng.randrange(n)}" for _ in range(m)) for m in lengths]
    springs = v.PauliSprings(", ".join(texts) + ", I0")  # the trailing item keeps a last empty text
    a = v.QubitPauliArray(v.Qubits.from_count(n), v.PauliSprings(f"Z{n - 1}"))
    for s, text in enumerate(texts):
        model, k = ["I"] * n, 0
        for tok in text.split():
            model[int(tok[1:])], dk = string_power(model[int(tok[1:])], tok[0])
            k += dk
        phase = a.cmpnt_set_from_spring(-1, springs, s)
        assert (str(phase), phase.to_phase()) == (PHASES[k % 4], k % 256)
        assert tuple(map(str, a.cmpnt_get_list(0))) == tuple(model)


@pytest.mark.parametrize("text, byte, printed", [("X0 Y0 Y1 X1", 4, "+1"), ("Y0 X0 Y1 X1", 6, "-1")])
def test_set_from_spring_phase_is_the_unreduced_sum(v, text, byte, printed):
    a = v.QubitPauliArray(v.Qubits.from_count(2))
    a.resize(1)
    phase = a.cmpnt_set_from_spring(0, v.PauliSprings(text + ", I0"), 0)
    assert (phase.to_phase(), str(phase)) == (byte, printed) and phase == v.ComplexSign(byte % 4)
