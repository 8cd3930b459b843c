#include "ui/PortConnection.h"

#include "config/ProgramSettings.h"
#include "device/InstrumentSession.h"
#include "setup/FileError.h"

#include <utility>

PortConnection::PortConnection(ProgramSettings& settings, InstrumentSession& session,
                               ProblemSink report)
    : settings(settings)
    , session(session)
    , report(std::move(report)) {}

bool PortConnection::openStoredPort() {
    const std::optional<std::uint8_t> port = settings.readCommPort();
    if (!port)
        return false;
    if (!openPort(*port))
        fallBack();
    return true;
}

void PortConnection::rememberCurrentPort() {
    previousPort = currentPort_;
    previousDevice = session.link().devicePath();
}

void PortConnection::applyChoice(std::uint8_t port, const std::map<int, std::string>& devices) {
    try {
        if (!devices.empty())
            settings.storeCommDevices(devices);
        settings.storeCommPort(port);
    } catch (const FileError& error) {
        report(Problem::SettingsNotWritable, error.standardText());
        // The port dialog may have let go of the port for its search.
        if (!session.link().isOpen())
            fallBack();
        return;
    }
    if (!openPort(port))
        fallBack();
}

bool PortConnection::openPort(std::uint8_t port) {
    currentPort_ = port;
    if (session.open(settings.portDevice(port)))
        return true;
    report(Problem::PortNotAvailable, session.link().lastOpenError());
    return false;
}

void PortConnection::fallBack() {
    if (previousPort == 0)
        return;
    currentPort_ = previousPort;
    session.open(previousDevice);
}
