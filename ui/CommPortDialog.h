#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

class QButtonGroup;

// "Comm Port Setting": picks COM 1 to 16. Every way of closing it applies the checked port.
class CommPortDialog : public QDialog {
    Q_OBJECT
public:
    CommPortDialog(QWidget* parent, std::uint8_t currentPort,
                   std::function<std::string(int)> deviceOf,
                   std::function<void(std::uint8_t)> applyPort);

    void done(int result) override;

private:
    void portClicked(int controlId);

    QButtonGroup* ports;
    std::function<void(std::uint8_t)> applyPort;
    std::uint8_t selected = 1;
    bool applied = false;
};
