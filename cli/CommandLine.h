#pragma once

#include "cli/ExitStatus.h"

#include <ostream>
#include <span>
#include <string_view>

// Runs the command that arguments (those after the program's name) ask for and returns the
// exit status. A progress line goes to err during transfers only when errIsTerminal.
int runCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err, bool errIsTerminal);
