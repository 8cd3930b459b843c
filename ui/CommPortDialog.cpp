#include "ui/CommPortDialog.h"

#include "config/ComPorts.h"

#include <QButtonGroup>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <utility>

namespace {

struct PortChoice {
    std::uint8_t port;
    const char* text;
};

constexpr std::array<PortChoice, kComPortCount> kPortChoices{{
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

} // namespace

CommPortDialog::CommPortDialog(QWidget* parent, std::uint8_t currentPort, Services services)
    : QDialog(parent)
    , services(std::move(services))
    , ports(new QButtonGroup(this)) {
    setWindowTitle(tr("Comm Port Setting"));
    setModal(true);

    auto* box = new QGroupBox(tr("Comm Port"), this);
    auto* grid = new QGridLayout(box);
    for (std::size_t i = 0; i < kPortChoices.size(); ++i) {
        const PortChoice& choice = kPortChoices[i];
        auto* radio = new QRadioButton(tr(choice.text), box);
        radio->setObjectName(QString("commPort%1").arg(choice.port));
        ports->addButton(radio, choice.port);
        grid->addWidget(radio, static_cast<int>(i) % kRowsPerColumn,
                        static_cast<int>(i) / kRowsPerColumn);
    }
    ports->button(comNumberOf(currentPort))->setChecked(true);
    connect(ports, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            showCheckedDevice();
    });

    auto* devices = new QGroupBox(tr("Device"), this);
    devices->setLayout(buildDeviceRows());

    auto* ok = new QPushButton(tr("&OK"), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CommPortDialog::accept);

    auto* choices = new QHBoxLayout;
    choices->addWidget(box);
    choices->addWidget(devices, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(buildSearchRow());
    layout->addWidget(ok, 0, Qt::AlignHCenter);

    refreshPorts();
    connect(&refreshTimer, &QTimer::timeout, this, &CommPortDialog::refreshPorts);
    refreshTimer.start(kRefreshMs);
}

QLayout* CommPortDialog::buildDeviceRows() {
    checkedDevice = new QLabel(this);
    checkedDevice->setObjectName("checkedDevice");
    checkedDevice->setWordWrap(true);
    checkedDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    portList = new QListWidget(this);
    portList->setObjectName("discoveredPorts");
    portList->setAccessibleName(tr("Serial ports on this computer"));
    portList->setMinimumWidth(360);
    connect(portList, &QListWidget::itemActivated, this, &CommPortDialog::portPicked);
    connect(portList, &QListWidget::itemClicked, this, &CommPortDialog::portPicked);

    pathEdit = new QLineEdit(this);
    pathEdit->setObjectName("devicePathEdit");
    pathEdit->setPlaceholderText(tr("/dev/ttyUSB0"));
    auto* use = new QPushButton(tr("&Use"), this);
    use->setObjectName("useDeviceButton");
    use->setAutoDefault(false);
    const auto useTypedPath = [this] {
        const QString path = pathEdit->text().trimmed();
        if (!path.isEmpty())
            bindCheckedPort(QFile::encodeName(path).toStdString());
    };
    connect(use, &QPushButton::clicked, this, useTypedPath);
    // Enter also closes the dialog through its default button, with the typed path taken.
    connect(pathEdit, &QLineEdit::returnPressed, this, useTypedPath);

    auto* typed = new QHBoxLayout;
    typed->addWidget(new QLabel(tr("Other device:"), this));
    typed->addWidget(pathEdit, 1);
    typed->addWidget(use);

    auto* rows = new QVBoxLayout;
    rows->addWidget(checkedDevice);
    rows->addWidget(new QLabel(tr("Serial ports on this computer (click one to use it):"), this));
    rows->addWidget(portList);
    rows->addLayout(typed);
    return rows;
}

QLayout* CommPortDialog::buildSearchRow() {
    findButton = new QPushButton(tr("Find the &Instrument"), this);
    findButton->setObjectName("findInstrumentButton");
    findButton->setAutoDefault(false);
    connect(findButton, &QPushButton::clicked, this, &CommPortDialog::findInstrument);
    searchResult = new QLabel(this);
    searchResult->setObjectName("searchResult");
    searchResult->setWordWrap(true);

    auto* row = new QHBoxLayout;
    row->addWidget(findButton);
    row->addWidget(searchResult, 1);
    return row;
}

void CommPortDialog::done(int result) {
    // However the window closes, the search lets go of every port it opened before the choice
    // is applied, so that the chosen port can be opened.
    searchDrivers.clear();
    finder.reset();
    QDialog::done(result);
}

void CommPortDialog::findInstrument() {
    // The port this program holds is asked first: the instrument is most likely there.
    std::vector<std::string> paths;
    if (services.releasePort)
        if (std::string held = services.releasePort(); !held.empty())
            paths.push_back(std::move(held));
    for (const DiscoveredPort& port : shownPorts)
        if (std::ranges::none_of(paths, [&port](const std::string& path) {
                return isSameDevice(path, port.devicePath);
            }))
            paths.push_back(port.devicePath);
    finder = std::make_unique<InstrumentFinder>(paths, InstrumentFinder::Clock::now());
    findButton->setEnabled(false);
    searchResult->setText(tr("Looking for the instrument..."));
    for (SessionLine* line : finder->lines()) {
        searchDrivers.push_back(std::make_unique<SessionDriver>(*line, nullptr));
        searchDrivers.back()->wake();
    }
    // The end is taken from the dialog's loop: the search's own call is still under way.
    finder->onEnded([this] {
        QMetaObject::invokeMethod(this, &CommPortDialog::searchEnded, Qt::QueuedConnection);
    });
}

void CommPortDialog::searchEnded() {
    if (!finder)
        return;
    showSearchResult();
    searchDrivers.clear();
    finder.reset();
    findButton->setEnabled(true);
}

void CommPortDialog::showSearchResult() {
    const std::optional<InstrumentFinder::Found>& found = finder->found();
    if (!found) {
        QString text = tr("No instrument answered.");
        for (const std::string& reason : finder->passedOver())
            text += "\n" + tr("Not asked: %1").arg(QString::fromLocal8Bit(reason));
        searchResult->setText(text);
        return;
    }
    const int comNumber = checkComNumberOf(found->devicePath);
    // One arg() for all three: a chained arg() would read a "%1" in the instrument's serial
    // number, or in the device path, as a place for the next value.
    searchResult->setText(tr("Zentiq %1 found on %2, COMM %3.")
                              .arg(QString::fromLatin1(found->identity.serialText),
                                   QString::fromLocal8Bit(found->devicePath),
                                   QString::number(comNumber)));
}

int CommPortDialog::checkComNumberOf(const std::string& path) {
    for (QAbstractButton* radio : ports->buttons()) {
        if (isSameDevice(deviceOfPort(ports->id(radio)), path)) {
            radio->setChecked(true);
            return ports->id(radio);
        }
    }
    const DiscoveredPort* port = findPort(shownPorts, path);
    bindCheckedPort(port != nullptr ? storedPortPath(*port) : path);
    return ports->checkedId();
}

std::uint8_t CommPortDialog::chosenPort() const {
    return static_cast<std::uint8_t>(ports->checkedId());
}

std::string CommPortDialog::deviceOfPort(int comNumber) const {
    const auto found = changed.find(comNumber);
    return found != changed.end() ? found->second : services.deviceOf(comNumber);
}

void CommPortDialog::bindCheckedPort(const std::string& path) {
    changed[ports->checkedId()] = path;
    showCheckedDevice();
}

void CommPortDialog::portPicked(QListWidgetItem* item) {
    const auto index = static_cast<std::size_t>(portList->row(item));
    if (index < shownPorts.size())
        bindCheckedPort(storedPortPath(shownPorts[index]));
}

void CommPortDialog::refreshPorts() {
    std::vector<DiscoveredPort> found =
        services.listPorts ? services.listPorts() : std::vector<DiscoveredPort>{};
    if (found == shownPorts && portList->count() > 0)
        return;
    shownPorts = std::move(found);
    portList->clear();
    for (const DiscoveredPort& port : shownPorts)
        portList->addItem(QString::fromLocal8Bit(portLabel(port)));
    if (shownPorts.empty())
        portList->addItem(tr("No serial ports were found."));
    showCheckedDevice();
}

void CommPortDialog::showCheckedDevice() {
    for (QAbstractButton* radio : ports->buttons())
        radio->setToolTip(QString::fromLocal8Bit(deviceOfPort(ports->id(radio))));
    const int comNumber = ports->checkedId();
    const std::string path = deviceOfPort(comNumber);
    QString text =
        tr("COMM %1 stands for %2").arg(QString::number(comNumber), QString::fromLocal8Bit(path));
    if (const DiscoveredPort* port = findPort(shownPorts, path))
        text += QString::fromLocal8Bit(" (" + portLabel(*port) + ")");
    checkedDevice->setText(text);
}

#include "moc_CommPortDialog.cpp"
