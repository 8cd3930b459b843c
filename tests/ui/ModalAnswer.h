#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <vector>

class QWidget;

// Answers a modal window while the test sits in a modal run: as soon as the active modal
// window carries the title, act runs on it, once. A window that does not come within the
// limit fails the test, and whatever modal window is open then is rejected, so that no test
// is left waiting.
void answerModal(const QString& title, std::function<void(QWidget&)> act,
                 std::chrono::milliseconds limit = std::chrono::seconds(10));

// Closes the window as its default button does.
void acceptModal(QWidget& window);

// One way for the user to close a window.
struct Closing {
    const char* name;
    std::function<void(QWidget&)> close;
};
// Pressing a push button by its object name.
Closing pressButton(const char* objectName);
// Escape and the close box: the ways out that use no button of the window.
std::vector<Closing> closingsWithoutButtons();
