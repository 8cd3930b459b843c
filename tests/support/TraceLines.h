#pragma once

#include <string>
#include <vector>

// The lines of a frame trace without their time stamps ("send 55 01 01 10 12"). A line that
// does not start with a time stamp is kept whole, so that it shows in a comparison.
std::vector<std::string> traceLines(const std::string& text);
