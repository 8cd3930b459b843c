#pragma once

#include <functional>
#include <string>

// What work returns when run by a user who is neither root nor in any group of ours (nobody),
// in a child process. Needs root; "" and a test failure when the child cannot become nobody.
std::string asOutsider(const std::function<std::string()>& work);
