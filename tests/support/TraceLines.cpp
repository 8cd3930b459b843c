#include "support/TraceLines.h"

#include <regex>
#include <sstream>

std::vector<std::string> traceLines(const std::string& text) {
    static const std::regex stamp(R"(^\d\d:\d\d:\d\d\.\d\d\d )");
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(std::regex_replace(line, stamp, ""));
    return lines;
}
