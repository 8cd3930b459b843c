#pragma once

#include "device/SessionLine.h"

#include <functional>
#include <span>

// Drives lines from poll(2): waits until a port has bytes or room for what is to be sent, or a
// session's next call is due, tells the lines, and returns as soon as done() holds. done() is
// asked after every round, so a loop with nothing pending still looks at it once a second.
void driveLines(std::span<SessionLine* const> lines, const std::function<bool()>& done);
