#pragma once

#include <QLineEdit>
#include <string>

// The setup's texts are bytes as the instrument and the files hold them; an edit shows each byte
// as its Latin-1 character and gives the bytes back the same way.
inline std::string latin1Text(const QLineEdit* edit) {
    return edit->text().toLatin1().toStdString();
}
