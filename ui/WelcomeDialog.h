#pragma once

#include <QDialog>

// "Welcome!": introduces the program on a first run, before the port is chosen.
class WelcomeDialog : public QDialog {
    Q_OBJECT
public:
    explicit WelcomeDialog(QWidget* parent);
};
