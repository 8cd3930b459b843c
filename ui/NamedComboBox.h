#pragma once

#include <QComboBox>

// A drop-down list that a screen reader names by its accessible name, as every other control
// is named. Qt gives a list's entry as its name on Linux, so the list would be read as
// "32 Lead Extended Module"; here the entry is its value.
class NamedComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget* parent = nullptr);
};
