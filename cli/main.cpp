#include "cli/CommandLine.h"

#include <clocale>
#include <iostream>
#include <string_view>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    // Texts from setup files and the instrument are shown in the terminal's encoding; numbers
    // keep the C locale's form.
    std::setlocale(LC_CTYPE, "");
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return runCommandLine(arguments, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
