#pragma once

#include <QString>
#include <QUrl>

// The help page of the program at programPath, at the main window's topic: <name>.html next to
// the program, else in the installed share folder; empty when neither exists.
QUrl helpPageUrl(const QString& programPath);

// Opens the running program's help page in the desktop's browser.
void showHelp();
