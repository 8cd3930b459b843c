#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

class PortError;
class ProgramSettings;
class SessionPort;

// How the window puts the instrument's port on its session: the stored port at start-up, a
// chosen port after the port dialog, and the port used before when a chosen one will not open
// or cannot be stored: the link keeps the port it had. A port that hung up or would not open
// is tried again, so that an adapter plugged back in under the same name is used again.
class PortConnection {
public:
    PortConnection(ProgramSettings& settings, SessionPort& port);

    // A network port that the stored port or a choice names opens while the window goes on;
    // when it then fails to connect, report says why, once. Tries after it stay silent.
    void onLaterFailure(std::function<void(const PortError& error)> report) {
        reportLaterFailure = std::move(report);
    }

    // Opens the stored port; false when none is stored (a first run). Throws PortError when it
    // will not open.
    bool openStoredPort();
    // The port number of the last open, whether or not it succeeded; 0 before any.
    std::uint8_t currentPort() const { return currentPort_; }
    // Remembers the port now in use, to fall back to should the next choice fail, and lets go
    // of it until the choice is applied.
    void rememberCurrentPort();
    // Stores the devices given to COM numbers and port as the choice, and opens it. When the
    // choice cannot be stored (FileError) or its port will not open (PortError), the remembered
    // port is opened again and the failure thrown.
    void applyChoice(std::uint8_t port, const std::map<int, std::string>& devices = {});
    // While the line is gone, opens the device last aimed at again; a port that still will not
    // open is left to the next try without a word.
    void reopenIfLost();

private:
    void openPort(std::uint8_t port);
    void fallBack();
    // Opens devicePath when it will; one that will not is tried again while the line is gone.
    void tryToOpen(const std::string& devicePath);

    ProgramSettings& settings;
    SessionPort& port;
    std::uint8_t currentPort_ = 0;
    std::uint8_t previousPort = 0;
    std::string previousDevice; // as it was opened, whatever zenset.sys says now
    bool choosing = false;      // the port dialog has the ports; nothing is opened meanwhile
    std::function<void(const PortError& error)> reportLaterFailure;
};
