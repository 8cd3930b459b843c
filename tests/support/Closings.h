#pragma once

#include <functional>
#include <vector>

class QWidget;

// One way for the user to close a window.
struct Closing {
    const char* name;
    std::function<void(QWidget&)> close;
};

// Pressing a push button by its object name.
Closing pressButton(const char* objectName);
// Escape and the close box: the ways out that use no button of the window.
std::vector<Closing> closingsWithoutButtons();
