#pragma once

#include "CCalvaneDlg.h"

#include <QApplication>
#include <QPointer>

// The application object: runs the main window modally once; the program ends when it closes.
class CCalvaneApp : public QApplication {
    Q_OBJECT
public:
    CCalvaneApp(int& argc, char** argv);

    // The running application object; null when another application class was created.
    static CCalvaneApp* instance();

    // Constructs the main window, runs it until it is closed and destroys it.
    int run();
    // The main window while run() is in progress.
    CCalvaneDlg* mainWindow() const { return mainWindow_; }

    // While locked, hiding or closing the last window does not end the program.
    void lock();
    void unlock();

private:
    QPointer<CCalvaneDlg> mainWindow_;
    int locks = 0;
};
