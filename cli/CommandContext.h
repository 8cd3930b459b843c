#pragma once

#include "cli/Invocation.h"
#include "config/ProgramSettings.h"

#include <ostream>

// What every command works with.
struct CommandContext {
    const Invocation& invocation;
    std::ostream& out;
    std::ostream& err;
    bool progressShown; // standard error is a terminal and --quiet is off
    ProgramSettings settings;
};
