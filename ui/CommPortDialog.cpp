#include "CommPortDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace {

struct PortControl {
    std::uint8_t port;
    int controlId;
    const char* text;
};

// The control ids skip 1139 to 1144, so ports map to controls by this table only.
constexpr std::array<PortControl, 16> kPortControls{{
    {1, 1129, "COMM &1"},
    {2, 1130, "COMM &2"},
    {3, 1131, "COMM &3"},
    {4, 1132, "COMM &4"},
    {5, 1133, "COMM &5"},
    {6, 1134, "COMM &6"},
    {7, 1135, "COMM &7"},
    {8, 1136, "COMM &8"},
    {9, 1137, "COMM &9"},
    {10, 1138, "COMM 1&0"},
    {11, 1145, "COMM 11"},
    {12, 1146, "COMM 12"},
    {13, 1147, "COMM 13"},
    {14, 1148, "COMM 14"},
    {15, 1149, "COMM 15"},
    {16, 1150, "COMM 16"},
}};
constexpr int kRowsPerColumn = 8;

const PortControl& controlOfPort(std::uint8_t port) {
    const auto found = std::find_if(kPortControls.begin(), kPortControls.end(),
                                    [port](const PortControl& c) { return c.port == port; });
    return found != kPortControls.end() ? *found : kPortControls.front();
}

} // namespace

CommPortDialog::CommPortDialog(QWidget* parent, std::uint8_t currentPort,
                               std::function<std::string(int)> deviceOf,
                               std::function<void(std::uint8_t)> applyPort)
    : QDialog(parent)
    , ports(new QButtonGroup(this))
    , applyPort(std::move(applyPort)) {
    setWindowTitle("Comm Port Setting");
    setModal(true);

    auto* box = new QGroupBox("Comm Port", this);
    auto* grid = new QGridLayout(box);
    for (std::size_t i = 0; i < kPortControls.size(); ++i) {
        const PortControl& control = kPortControls[i];
        auto* radio = new QRadioButton(control.text, box);
        radio->setObjectName(QString("commPort%1").arg(control.port));
        radio->setToolTip(QString::fromStdString(deviceOf(control.port)));
        ports->addButton(radio, control.controlId);
        grid->addWidget(radio, static_cast<int>(i) % kRowsPerColumn,
                        static_cast<int>(i) / kRowsPerColumn);
    }
    connect(ports, &QButtonGroup::idClicked, this, &CommPortDialog::portClicked);

    // Numbers outside 2..16 (none opened yet, or a stray stored value) stand for COM 1.
    selected = controlOfPort(currentPort).port;
    ports->button(controlOfPort(selected).controlId)->setChecked(true);

    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CommPortDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

void CommPortDialog::portClicked(int controlId) {
    const auto found =
        std::find_if(kPortControls.begin(), kPortControls.end(),
                     [controlId](const PortControl& c) { return c.controlId == controlId; });
    if (found != kPortControls.end())
        selected = found->port;
}

void CommPortDialog::done(int result) {
    QDialog::done(result);
    if (applied)
        return;
    applied = true;
    if (applyPort)
        applyPort(selected);
}
