#include "ui/CommPortDialog.h"

#include "config/ComPorts.h"
#include "device/NetworkAddress.h"
#include "device/PortError.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <optional>
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
// A serial device server's first port, as many number them.
constexpr int kFirstServerPort = 4001;

struct ProtocolChoice {
    NetworkAddress::Protocol protocol;
    const char* text;
};

constexpr std::array<ProtocolChoice, 2> kProtocolChoices{{
    {NetworkAddress::Protocol::Rfc2217,
     QT_TRANSLATE_NOOP("CommPortDialog", "RFC 2217 (Mirafen sets the line)")},
    {NetworkAddress::Protocol::Tcp,
     QT_TRANSLATE_NOOP("CommPortDialog", "Raw TCP (the server's settings stand)")},
}};

// The network port a name gives; none for a device path or a name that is not whole.
std::optional<NetworkAddress> networkAddressOf(const std::string& name) {
    try {
        return NetworkAddress::of(name);
    } catch (const PortError&) {
        return std::nullopt;
    }
}

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
    auto* deviceRows = new QVBoxLayout(devices);
    deviceRows->addLayout(buildDeviceRows());
    deviceRows->addLayout(buildNetworkRows());

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
    rows->addWidget(new QLabel(tr("Ports (click one to use it):"), this));
    rows->addWidget(portList);
    rows->addLayout(typed);
    return rows;
}

QLayout* CommPortDialog::buildNetworkRows() {
    networkProtocol = new QComboBox(this);
    networkProtocol->setObjectName("networkProtocol");
    for (const ProtocolChoice& choice : kProtocolChoices)
        networkProtocol->addItem(tr(choice.text));
    networkHost = new QLineEdit(this);
    networkHost->setObjectName("networkHostEdit");
    networkHost->setPlaceholderText(tr("bench3"));
    networkPort = new QSpinBox(this);
    networkPort->setObjectName("networkPortSpin");
    networkPort->setRange(1, 65535);
    networkPort->setValue(kFirstServerPort);
    auto* use = new QPushButton(tr("Use &Network Port"), this);
    use->setObjectName("useNetworkButton");
    use->setAutoDefault(false);
    connect(use, &QPushButton::clicked, this, &CommPortDialog::useNetworkPort);
    connect(networkHost, &QLineEdit::returnPressed, this, &CommPortDialog::useNetworkPort);

    // The protocol on a line of its own, so that the host has room for a whole name.
    auto* protocolRow = new QHBoxLayout;
    auto* protocolLabel = new QLabel(tr("Network port:"), this);
    protocolLabel->setBuddy(networkProtocol);
    protocolRow->addWidget(protocolLabel);
    protocolRow->addWidget(networkProtocol, 1);
    auto* entry = new QHBoxLayout;
    auto* hostLabel = new QLabel(tr("Host:"), this);
    hostLabel->setBuddy(networkHost);
    auto* portLabel = new QLabel(tr("TCP port:"), this);
    portLabel->setBuddy(networkPort);
    entry->addWidget(hostLabel);
    entry->addWidget(networkHost, 1);
    entry->addWidget(portLabel);
    entry->addWidget(networkPort);
    entry->addWidget(use);
    auto* note = new QLabel(tr("A serial device server's port has no password and its traffic "
                               "is not encrypted: use one on a trusted network or through a "
                               "tunnel."),
                            this);
    note->setObjectName("networkNote");
    note->setWordWrap(true);

    auto* rows = new QVBoxLayout;
    rows->addLayout(protocolRow);
    rows->addLayout(entry);
    rows->addWidget(note);
    return rows;
}

void CommPortDialog::useNetworkPort() {
    std::string host = networkHost->text().trimmed().toStdString();
    if (host.empty())
        return;
    // An IPv6 address may come in its brackets or without.
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    NetworkAddress address{
        kProtocolChoices[static_cast<std::size_t>(networkProtocol->currentIndex())].protocol, host,
        std::to_string(networkPort->value())};
    const std::string name = address.name();
    if (networkAddressOf(name))
        bindCheckedPort(name);
    else
        searchResult->setText(
            tr("%1 is no host name or address.").arg(QString::fromStdString(host)));
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
    const auto add = [&paths](const std::string& path) {
        if (std::ranges::none_of(paths, [&path](const std::string& known) {
                return known == path || isSameDevice(known, path);
            }))
            paths.push_back(path);
    };
    for (const DiscoveredPort& port : shownPorts)
        add(port.devicePath);
    for (const std::string& networkPort : shownNetworkPorts)
        add(networkPort);
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
        const std::string device = deviceOfPort(ports->id(radio));
        if (device == path || isSameDevice(device, path)) {
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
    else if (index - shownPorts.size() < shownNetworkPorts.size())
        bindCheckedPort(shownNetworkPorts[index - shownPorts.size()]);
}

void CommPortDialog::refreshPorts() {
    std::vector<DiscoveredPort> found =
        services.listPorts ? services.listPorts() : std::vector<DiscoveredPort>{};
    std::vector<std::string> network = networkPortsOfComNumbers();
    if (found == shownPorts && network == shownNetworkPorts && portList->count() > 0)
        return;
    shownPorts = std::move(found);
    shownNetworkPorts = std::move(network);
    portList->clear();
    for (const DiscoveredPort& port : shownPorts)
        portList->addItem(QString::fromLocal8Bit(portLabel(port)));
    for (const std::string& name : shownNetworkPorts)
        portList->addItem(tr("%1 (network)").arg(QString::fromStdString(name)));
    if (shownPorts.empty() && shownNetworkPorts.empty())
        portList->addItem(tr("No serial ports were found."));
    showCheckedDevice();
}

std::vector<std::string> CommPortDialog::networkPortsOfComNumbers() const {
    std::vector<std::string> names;
    for (int comNumber = 1; comNumber <= kComPortCount; ++comNumber) {
        const std::string device = deviceOfPort(comNumber);
        if (networkAddressOf(device) && std::ranges::find(names, device) == names.end())
            names.push_back(device);
    }
    return names;
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
