#pragma once

#include "cli/Invocation.h"

#include <optional>
#include <string_view>

// The help of one command, or of the program when there is none.
std::string_view helpText(std::optional<Command> command);
