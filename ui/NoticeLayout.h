#pragma once

#include <QString>
#include <QStringList>

class QDialog;

// Lays out a small notice: an optional image at the left, the text lines beside it and one
// default button below that closes the dialog.
struct Notice {
    QString title;
    QString imagePath; // none when empty
    QStringList lines;
    bool centred = true;
    QString buttonText;
};

void layOutNotice(QDialog& dialog, const Notice& notice);
