#include "app/AutomationProxy.h"

#include "app/Application.h"
#include "ui/MainWindow.h"

AutomationProxy::AutomationProxy(QObject* parent)
    : QObject(parent) {
    Application* app = Application::instance();
    if (app == nullptr)
        return;
    app->lock();
    dialog_ = app->mainWindow();
    if (dialog_)
        dialog_->setAutoProxy(this);
}

AutomationProxy::~AutomationProxy() {
    if (dialog_ && dialog_->autoProxy() == this)
        dialog_->setAutoProxy(nullptr);
    if (Application* app = Application::instance())
        app->unlock();
}

#include "moc_AutomationProxy.cpp"
