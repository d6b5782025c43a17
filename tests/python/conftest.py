import pytest


@pytest.fixture(scope="session")
def v():
    import vemo._vemo as v

    return v
