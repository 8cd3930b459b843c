#pragma once

#include "CCalvaneDlg.h"

#include <QObject>
#include <QPointer>

// Lets an outside client hold on to the running program: while this object exists, closing the
// main window only hides it and the program goes on. Nothing creates it on its own behalf.
class CCalvaneDlgAutoProxy : public QObject {
    Q_OBJECT
public:
    explicit CCalvaneDlgAutoProxy(QObject* parent = nullptr);
    ~CCalvaneDlgAutoProxy() override;
    CCalvaneDlgAutoProxy(const CCalvaneDlgAutoProxy&) = delete;
    CCalvaneDlgAutoProxy& operator=(const CCalvaneDlgAutoProxy&) = delete;

    // The main window it holds; null once that window is gone.
    CCalvaneDlg* dialog() const { return dialog_; }

private:
    QPointer<CCalvaneDlg> dialog_;
};
