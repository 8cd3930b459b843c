#include "CCalvaneApp.h"

#include "CCalvaneDlg.h"

#include <QIcon>

CCalvaneApp::CCalvaneApp(int& argc, char** argv)
    : QApplication(argc, argv) {
    setWindowIcon(QIcon(":/mirafen.png"));
}

CCalvaneApp* CCalvaneApp::instance() {
    return qobject_cast<CCalvaneApp*>(QCoreApplication::instance());
}

int CCalvaneApp::run() {
    CCalvaneDlg window;
    mainWindow_ = &window;
    window.exec();
    mainWindow_ = nullptr;
    return 0;
}

void CCalvaneApp::lock() {
    if (locks++ == 0)
        setQuitOnLastWindowClosed(false);
}

void CCalvaneApp::unlock() {
    if (locks > 0 && --locks == 0)
        setQuitOnLastWindowClosed(true);
}
