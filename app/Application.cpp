#include "app/Application.h"

#include "ui/MainWindow.h"

#include <QIcon>
#include <cstdlib>
#include <iostream>

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv) {
    setWindowIcon(QIcon(":/mirafen.png"));
}

Application* Application::instance() {
    return qobject_cast<Application*>(QCoreApplication::instance());
}

int Application::run(const std::optional<std::string>& setupFile) {
    // MIRAFEN_TRACE asks for every frame on the instrument's line on standard error.
    MainWindow window(nullptr, {}, {},
                      FrameTrace::fromSetting(std::getenv("MIRAFEN_TRACE"), std::cerr));
    mainWindow_ = &window;
    if (setupFile)
        window.openSetupFile(*setupFile);
    window.exec();
    mainWindow_ = nullptr;
    return 0;
}

void Application::lock() {
    if (locks++ == 0)
        setQuitOnLastWindowClosed(false);
}

void Application::unlock() {
    if (locks > 0 && --locks == 0)
        setQuitOnLastWindowClosed(true);
}

#include "moc_Application.cpp"
