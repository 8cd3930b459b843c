#include "cli/CommandLine.h"

#include <iostream>
#include <string_view>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return runCommandLine(arguments, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
