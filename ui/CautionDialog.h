#pragma once

#include <QDialog>

// "CAUTION": reminds at every start that no patient may be attached while programming.
class CautionDialog : public QDialog {
    Q_OBJECT
public:
    explicit CautionDialog(QWidget* parent);
};
