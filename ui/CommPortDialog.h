#pragma once

#include "device/InstrumentFinder.h"
#include "device/SerialPortDiscovery.h"
#include "ui/SessionDriver.h"

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;

// "Comm Port Setting": picks COM 1 to 16 and shows what device each stands for, with the serial
// ports this computer has and the network ports COM numbers stand for, from which the checked
// COM n can be given another device, or a serial device server's port entered by host and port.
// Every way of closing it counts as a choice: the caller stores changedDevices() and applies
// chosenPort() after exec() whatever it returned.
class CommPortDialog : public QDialog {
    Q_OBJECT
public:
    using DeviceNamer = std::function<std::string(int comNumber)>;
    using PortLister = std::function<std::vector<DiscoveredPort>()>;

    // What the dialog needs of the program.
    struct Services {
        DeviceNamer deviceOf;
        PortLister listPorts;
        // Lets go of the program's own port, so that a search can ask it too; the device it held,
        // empty for none.
        std::function<std::string()> releasePort;
    };

    // How often the list of ports is read again, so an adapter plugged in shows by itself.
    static constexpr int kRefreshMs = 1000;

    CommPortDialog(QWidget* parent, std::uint8_t currentPort, Services services);

    std::uint8_t chosenPort() const;
    // The COM numbers given another device here, with the paths to store for them.
    const std::map<int, std::string>& changedDevices() const { return changed; }

    // Gives the checked COM n the device at path.
    void bindCheckedPort(const std::string& path);

    // Ends a search still running, then closes.
    void done(int result) override;

private:
    QLayout* buildDeviceRows();
    QLayout* buildNetworkRows();
    // Gives the checked COM n the network port entered, when it is whole.
    void useNetworkPort();
    QLayout* buildSearchRow();
    void findInstrument();
    void searchEnded();
    void showSearchResult();
    // Checks the first COM n that stands for the device at path, or gives it to the checked one.
    int checkComNumberOf(const std::string& path);
    void refreshPorts();
    std::vector<std::string> networkPortsOfComNumbers() const;
    void showCheckedDevice();
    void portPicked(QListWidgetItem* item);
    std::string deviceOfPort(int comNumber) const;

    Services services;
    QButtonGroup* ports;
    QPushButton* findButton = nullptr;
    QLabel* searchResult = nullptr;
    std::unique_ptr<InstrumentFinder> finder;
    // Drive the finder's lines; they go before it.
    std::vector<std::unique_ptr<SessionDriver>> searchDrivers;
    QLabel* checkedDevice = nullptr;
    QListWidget* portList = nullptr;
    QLineEdit* pathEdit = nullptr;
    QTimer refreshTimer;
    QComboBox* networkProtocol = nullptr;
    QLineEdit* networkHost = nullptr;
    QSpinBox* networkPort = nullptr;
    std::vector<DiscoveredPort> shownPorts;
    // The network ports the COM numbers stand for, listed after the serial ports.
    std::vector<std::string> shownNetworkPorts;
    std::map<int, std::string> changed;
};
