#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

class ProgramSettings;
class SerialLink;

// How the window puts the instrument's port on the link: the stored port at start-up, a chosen
// port after the port dialog, and the port used before when a chosen one will not open.
class PortConnection {
public:
    enum class Problem {
        PortNotAvailable,    // the port would not open; detail holds the system's reason
        SettingsNotWritable, // zenset.sys could not be opened to store the choice
    };
    using ProblemSink = std::function<void(Problem problem, const std::string& detail)>;

    PortConnection(ProgramSettings& settings, SerialLink& link, ProblemSink report);

    // Opens the stored port; false when none is stored (a first run).
    bool openStoredPort();
    // Remembers the port now in use, to fall back to should the next choice not open.
    void rememberCurrentPort();
    // Stores the devices given to COM numbers and port as the choice, and opens it, falling
    // back to the remembered port when it will not open. Throws FileError when zenset.sys fails
    // midway through a rewrite.
    void applyChoice(std::uint8_t port, const std::map<int, std::string>& devices = {});

private:
    void openOrFallBack(std::uint8_t port);

    ProgramSettings& settings;
    SerialLink& link;
    ProblemSink report;
    std::uint8_t previousPort = 0;
};
