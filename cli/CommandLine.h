#pragma once

#include <ostream>
#include <span>
#include <string_view>

// What mirafen-cli's exit status says.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// diff, as diff(1) and cmp(1) have it: 1 when the setups differ, 2 when they could not be
// compared.
inline constexpr int kExitDiffers = 1;
inline constexpr int kExitTrouble = 2;

// Runs the command that arguments (those after the program's name) ask for and returns the
// exit status. A progress line goes to err during transfers only when errIsTerminal.
int runCommandLine(std::span<const std::string_view> arguments, std::ostream& out,
                   std::ostream& err, bool errIsTerminal);
