#pragma once

#include <QDialog>

// "About Mirafen for Zentiq": the program's version and the maker's web address.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};
