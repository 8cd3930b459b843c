#include "PseudoTerminal.h"
#include "SerialLink.h"

#include <gtest/gtest.h>

namespace {} // namespace
