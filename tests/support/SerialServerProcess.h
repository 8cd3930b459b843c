#pragma once

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/types.h>

// ser2net run as a child process on the loopback address with a configuration of its own: a
// Telnet accepter with RFC 2217 and a raw TCP accepter, each onto a serial device, on ports free
// when the fixture was made. The ports stay the same across stop() and start(), so that a server
// can go away and come back.
class SerialServerProcess {
public:
    // Writes the configuration into folder and starts the server.
    SerialServerProcess(const std::filesystem::path& folder, const std::string& telnetDevice,
                        const std::string& rawDevice);
    ~SerialServerProcess();
    SerialServerProcess(const SerialServerProcess&) = delete;
    SerialServerProcess& operator=(const SerialServerProcess&) = delete;

    // The ports' names as a user gives them.
    std::string rfc2217Name() const;
    std::string tcpName() const;

    // Starts the server and waits until it listens.
    void start();
    // Sends signal and waits for the server to end.
    void stop(int signal = SIGTERM);

private:
    std::filesystem::path configPath;
    std::filesystem::path pidPath;
    int telnetPort = 0;
    int rawPort = 0;
    pid_t pid = -1;
};
