#include "ui/PortConnection.h"

#include "config/ProgramSettings.h"
#include "device/SessionPort.h"
#include "setup/FileError.h"

#include <utility>

PortConnection::PortConnection(ProgramSettings& settings, SessionPort& port, ProblemSink report)
    : settings(settings)
    , port(port)
    , report(std::move(report)) {}

bool PortConnection::openStoredPort() {
    const std::optional<std::uint8_t> stored = settings.readCommPort();
    if (!stored)
        return false;
    if (!openPort(*stored))
        fallBack();
    return true;
}

void PortConnection::rememberCurrentPort() {
    previousPort = currentPort_;
    previousDevice = port.devicePath();
    choosing = true;
}

void PortConnection::applyChoice(std::uint8_t chosen, const std::map<int, std::string>& devices) {
    choosing = false;
    try {
        if (!devices.empty())
            settings.storeCommDevices(devices);
        settings.storeCommPort(chosen);
    } catch (const FileError& error) {
        report(Problem::SettingsNotWritable, error.standardText());
        // The port dialog may have let go of the port for its search.
        if (!port.isOpen())
            fallBack();
        return;
    }
    if (!openPort(chosen))
        fallBack();
}

void PortConnection::reopenIfLost() {
    if (choosing || !port.lineGone() || port.devicePath().empty())
        return;
    port.open(port.devicePath());
}

bool PortConnection::openPort(std::uint8_t chosen) {
    currentPort_ = chosen;
    if (port.open(settings.portDevice(chosen)))
        return true;
    report(Problem::PortNotAvailable, port.lastOpenError());
    return false;
}

void PortConnection::fallBack() {
    // COM n may be stored as 0 and yet a device was open: what counts is the device.
    if (previousDevice.empty())
        return;
    currentPort_ = previousPort;
    port.open(previousDevice);
}
