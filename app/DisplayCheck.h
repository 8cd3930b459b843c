#pragma once

#include <span>
#include <string>

// The window needs a display. Where there is none, Qt aborts with advice to reinstall the
// application; the program says instead what is missing and ends with status 1.

// No platform is chosen (QT_QPA_PLATFORM, -platform) and the environment names no display
// (DISPLAY, WAYLAND_DISPLAY): the platform Qt would pick cannot open.
bool displayMissing(std::span<const std::string> arguments);

// The one line that says so, and how to run on a virtual display.
std::string noDisplayText();

// While it lives, a platform that cannot be opened ends the program with noDisplayText()
// instead of Qt's abort: a display named but not reachable, or a chosen platform that needs one.
class DisplayFailureGuard {
public:
    DisplayFailureGuard();
    ~DisplayFailureGuard();
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;
};
