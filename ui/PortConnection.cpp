#include "ui/PortConnection.h"

#include "config/ProgramSettings.h"
#include "device/SerialLink.h"

#include <utility>

PortConnection::PortConnection(ProgramSettings& settings, SerialLink& link, ProblemSink report)
    : settings(settings)
    , link(link)
    , report(std::move(report)) {}

bool PortConnection::openStoredPort() {
    const std::optional<std::uint8_t> port = settings.readCommPort();
    if (!port)
        return false;
    openOrFallBack(*port);
    return true;
}

void PortConnection::rememberCurrentPort() {
    previousPort = link.portNumber();
}

void PortConnection::applyChoice(std::uint8_t port, const std::map<int, std::string>& devices) {
    if ((!devices.empty() && !settings.storeCommDevices(devices)) ||
        !settings.storeCommPort(port)) {
        report(Problem::SettingsNotWritable, {});
        return;
    }
    openOrFallBack(port);
}

void PortConnection::openOrFallBack(std::uint8_t port) {
    if (link.open(port, SerialLink::kInstrumentBaudRate))
        return;
    report(Problem::PortNotAvailable, link.lastOpenError());
    if (previousPort != 0)
        link.open(previousPort, SerialLink::kInstrumentBaudRate);
}
