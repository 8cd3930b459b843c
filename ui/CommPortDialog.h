#pragma once

#include "device/SerialPortDiscovery.h"

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// "Comm Port Setting": picks COM 1 to 16 and shows what device each stands for, with the serial
// ports this computer has, from which the checked COM n can be given another device. Every way
// of closing it counts as a choice: the caller stores changedDevices() and applies chosenPort()
// after exec() whatever it returned.
class CommPortDialog : public QDialog {
    Q_OBJECT
public:
    using DeviceNamer = std::function<std::string(int comNumber)>;
    using PortLister = std::function<std::vector<DiscoveredPort>()>;

    // How often the list of ports is read again, so an adapter plugged in shows by itself.
    static constexpr int kRefreshMs = 1000;

    CommPortDialog(QWidget* parent, std::uint8_t currentPort, DeviceNamer deviceOf,
                   PortLister listPorts);

    std::uint8_t chosenPort() const;
    // The COM numbers given another device here, with the paths to store for them.
    const std::map<int, std::string>& changedDevices() const { return changed; }

    // Gives the checked COM n the device at path.
    void bindCheckedPort(const std::string& path);

private:
    QLayout* buildDeviceRows();
    void refreshPorts();
    void showCheckedDevice();
    void portPicked(QListWidgetItem* item);
    std::string deviceOfPort(int comNumber) const;

    DeviceNamer deviceOf;
    PortLister listPorts;
    QButtonGroup* ports;
    QLabel* checkedDevice = nullptr;
    QListWidget* portList = nullptr;
    QLineEdit* pathEdit = nullptr;
    QTimer refreshTimer;
    std::vector<DiscoveredPort> shownPorts;
    std::map<int, std::string> changed;
};
