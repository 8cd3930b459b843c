#pragma once

#include <QString>
#include <QUrl>

class QWidget;

// The help page of the program at programPath, at the main window's topic: <name>.html next to
// the program, else in the installed share folder; empty when neither exists.
QUrl helpPageUrl(const QString& programPath);

// Opens the help page of the program at programPath in the desktop's browser; a warning
// naming the page says when it is missing or nothing could show it.
void openHelpPage(QWidget* parent, const QString& programPath);

// The same for the running program.
void showHelp(QWidget* parent);
