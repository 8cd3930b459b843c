#include "ui/PortConnection.h"

#include "config/ProgramSettings.h"
#include "device/PortError.h"
#include "device/SessionPort.h"

PortConnection::PortConnection(ProgramSettings& settings, SessionPort& port)
    : settings(settings)
    , port(port) {}

bool PortConnection::openStoredPort() {
    const std::optional<std::uint8_t> stored = settings.readCommPort();
    if (!stored)
        return false;
    try {
        openPort(*stored);
    } catch (const PortError&) {
        fallBack();
        throw;
    }
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
        openPort(chosen);
    } catch (const Failure&) {
        // The port dialog may have let go of the port for its search.
        if (!port.isOpen())
            fallBack();
        throw;
    }
}

void PortConnection::reopenIfLost() {
    if (choosing || !port.lineGone() || port.devicePath().empty())
        return;
    tryToOpen(port.devicePath());
}

void PortConnection::openPort(std::uint8_t chosen) {
    currentPort_ = chosen;
    port.open(settings.portDevice(chosen), {}, {.opened = {}, .failed = reportLaterFailure});
}

void PortConnection::fallBack() {
    // COM n may be stored as 0 and yet a device was open: what counts is the device.
    if (previousDevice.empty())
        return;
    currentPort_ = previousPort;
    tryToOpen(previousDevice);
}

void PortConnection::tryToOpen(const std::string& devicePath) {
    try {
        port.open(devicePath);
    } catch (const PortError&) {
        // Polled again at the next tick, as a port that hung up is.
    }
}
