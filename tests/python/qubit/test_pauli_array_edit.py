"""QubitPauliArray.cmpnt_set_from_spring against a model of single-qubit
products with their powers of i."""

import random

import pytest
from reference import string_power

PHASES = ["+1", "+i", "-1", "-i"]


@pytest.mark.parametrize("n", [2, 70, 130])
def test_set_from_spring_multiplies_in_text_order(v, n):
    rng = random.Random(n)
    texts = [" ".join(f"{rng.choice('IXYZ')}{rng.randrange(n)}" for _ in range(rng.randrange(8))) for _ in range(30)]
    springs = v.PauliSprings(", ".join(texts) + ", I0")  # the trailing item keeps a last empty text
    a = v.QubitPauliArray(v.Qubits.from_count(n), v.PauliSprings(f"Z{n - 1}"))
    for s, text in enumerate(texts):
        model, k = ["I"] * n, 0
        for tok in text.split():
            model[int(tok[1:])], dk = string_power(model[int(tok[1:])], tok[0])
            k += dk
        assert str(a.cmpnt_set_from_spring(-1, springs, s)) == PHASES[k % 4]
        assert tuple(map(str, a.cmpnt_get_list(0))) == tuple(model)
