#pragma once

#include <QFileDialog>
#include <optional>
#include <string>

// The file dialog of the setup file commands: setup files first, the prp suffix added, started in
// the given folder. A save is refused while its folder does not exist, so a setup is never
// thought saved into a folder that is not there.
class SetupFileDialog : public QFileDialog {
    Q_OBJECT
public:
    SetupFileDialog(QWidget* parent, AcceptMode mode, const QString& folder);

    // The chosen path; none when the user cancelled.
    static std::optional<std::string> choose(QWidget* parent, AcceptMode mode,
                                             const QString& folder);

    void accept() override;
};
