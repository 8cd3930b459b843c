#include "ui/CommPortDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

namespace {

struct PortChoice {
    std::uint8_t port;
    const char* text;
};

constexpr int kPortCount = 16;
constexpr std::array<PortChoice, kPortCount> kPortChoices{{
    {1, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &1")},
    {2, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &2")},
    {3, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &3")},
    {4, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &4")},
    {5, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &5")},
    {6, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &6")},
    {7, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &7")},
    {8, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &8")},
    {9, QT_TRANSLATE_NOOP("CommPortDialog", "COMM &9")},
    {10, QT_TRANSLATE_NOOP("CommPortDialog", "COMM 1&0")},
    {11, QT_TRANSLATE_NOOP("CommPortDialog", "COMM 11")},
    {12, QT_TRANSLATE_NOOP("CommPortDialog", "COMM 12")},
    {13, QT_TRANSLATE_NOOP("CommPortDialog", "COMM 13")},
    {14, QT_TRANSLATE_NOOP("CommPortDialog", "COMM 14")},
    {15, QT_TRANSLATE_NOOP("CommPortDialog", "COMM 15")},
    {16, QT_TRANSLATE_NOOP("CommPortDialog", "COMM 16")},
}};
constexpr int kRowsPerColumn = 8;

// Numbers outside 2..16 (none opened yet, or a stray stored value) stand for COM 1.
int shownPort(std::uint8_t port) {
    return port >= 2 && port <= kPortCount ? port : 1;
}

} // namespace

CommPortDialog::CommPortDialog(QWidget* parent, std::uint8_t currentPort,
                               const std::function<std::string(int)>& deviceOf)
    : QDialog(parent)
    , ports(new QButtonGroup(this)) {
    setWindowTitle(tr("Comm Port Setting"));
    setModal(true);

    auto* box = new QGroupBox(tr("Comm Port"), this);
    auto* grid = new QGridLayout(box);
    for (std::size_t i = 0; i < kPortChoices.size(); ++i) {
        const PortChoice& choice = kPortChoices[i];
        auto* radio = new QRadioButton(tr(choice.text), box);
        radio->setObjectName(QString("commPort%1").arg(choice.port));
        radio->setToolTip(QString::fromStdString(deviceOf(choice.port)));
        ports->addButton(radio, choice.port);
        grid->addWidget(radio, static_cast<int>(i) % kRowsPerColumn,
                        static_cast<int>(i) / kRowsPerColumn);
    }
    ports->button(shownPort(currentPort))->setChecked(true);

    auto* ok = new QPushButton(tr("&OK"), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CommPortDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

std::uint8_t CommPortDialog::chosenPort() const {
    return static_cast<std::uint8_t>(ports->checkedId());
}
