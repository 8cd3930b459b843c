#pragma once

#include <QDialog>

class CCalvaneDlg : public QDialog {
    Q_OBJECT

public:
    explicit CCalvaneDlg(QWidget* parent = nullptr);
};
