// Everything a binding file needs.
#pragma once

#include "python/frame/bind.hpp"
