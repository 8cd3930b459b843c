#pragma once

#include "ui/MainWindow.h"

#include <QObject>
#include <QPointer>

// Lets an outside client hold on to the running program: while this object exists, closing the
// main window only hides it and the program goes on. Nothing creates it on its own behalf.
class AutomationProxy : public QObject {
    Q_OBJECT
public:
    explicit AutomationProxy(QObject* parent = nullptr);
    ~AutomationProxy() override;
    AutomationProxy(const AutomationProxy&) = delete;
    AutomationProxy& operator=(const AutomationProxy&) = delete;

    // The main window it holds; null once that window is gone.
    MainWindow* dialog() const { return dialog_; }

private:
    QPointer<MainWindow> dialog_;
};
