#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

class QButtonGroup;

// "Comm Port Setting": picks COM 1 to 16. Every way of closing it counts as a choice: the caller
// applies chosenPort() after exec() whatever it returned.
class CommPortDialog : public QDialog {
    Q_OBJECT
public:
    CommPortDialog(QWidget* parent, std::uint8_t currentPort,
                   const std::function<std::string(int)>& deviceOf);

    std::uint8_t chosenPort() const;

private:
    QButtonGroup* ports;
};
