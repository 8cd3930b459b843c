#pragma once

#include "ui/MainWindow.h"

#include <QApplication>
#include <QPointer>
#include <optional>
#include <string>

// The application object: runs the main window modally once; the program ends when it closes.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    // The running application object; null when another application class was created.
    static Application* instance();

    // Constructs the main window, with setupFile loaded when given, runs it until it is
    // closed and destroys it.
    int run(const std::optional<std::string>& setupFile = {});
    // The main window while run() is in progress.
    MainWindow* mainWindow() const { return mainWindow_; }

    // While locked, hiding or closing the last window does not end the program.
    void lock();
    void unlock();

private:
    QPointer<MainWindow> mainWindow_;
    int locks = 0;
};
