#pragma once

#include <string>
#include <vector>

// What one run of the built mirafen-cli did.
struct CliRun {
    int status = -1; // the exit status; -1 when a signal ended it
    std::string out;
    std::string err;
};

// Runs mirafen-cli with arguments in this process's working directory and environment, with
// standard output and standard error read through pipes, and standard input read from the file
// input when one is named.
CliRun runCli(const std::vector<std::string>& arguments, const std::string& input = {});
