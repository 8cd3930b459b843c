#include "app/AutomationProxy.h"

#include "app/Application.h"
#include "ui/MainWindow.h"

AutomationProxy::AutomationProxy(QObject* parent)
    : QObject(parent) {
    Application* app = Application::instance();
    if (app == nullptr)
        return;
    // Held, the application keeps running when its last window closes, and the main window
    // only hides.
    app->lock();
    dialog_ = app->mainWindow();
}

AutomationProxy::~AutomationProxy() {
    if (Application* app = Application::instance())
        app->unlock();
}

#include "moc_AutomationProxy.cpp"
