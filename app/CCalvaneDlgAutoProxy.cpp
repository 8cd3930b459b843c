#include "CCalvaneDlgAutoProxy.h"

#include "CCalvaneApp.h"
#include "CCalvaneDlg.h"

CCalvaneDlgAutoProxy::CCalvaneDlgAutoProxy(QObject* parent)
    : QObject(parent) {
    CCalvaneApp* app = CCalvaneApp::instance();
    if (app == nullptr)
        return;
    app->lock();
    dialog_ = app->mainWindow();
    if (dialog_)
        dialog_->setAutoProxy(this);
}

CCalvaneDlgAutoProxy::~CCalvaneDlgAutoProxy() {
    if (dialog_ && dialog_->autoProxy() == this)
        dialog_->setAutoProxy(nullptr);
    if (CCalvaneApp* app = CCalvaneApp::instance())
        app->unlock();
}
