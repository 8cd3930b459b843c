#pragma once

#include <csignal>
#include <string>
#include <sys/types.h>
#include <vector>

// The real zentiq-sim program run as a child process; its first line of output is the path of
// the terminal end it serves.
class SimulatorProcess {
public:
    // The program's standard error goes to the file errorPath, when one is given.
    explicit SimulatorProcess(const std::vector<std::string>& arguments,
                              const std::string& errorPath = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The first line the program printed; empty when it printed none within a few seconds.
    const std::string& firstLine() const { return firstLine_; }
    const std::string& terminalPath() const { return firstLine_; }

    // Sends signal and waits for the program to end; its exit status, or -1 when a signal
    // ended it.
    int stop(int signal = SIGTERM);
    // Waits for the program to end by itself; as stop.
    int wait();

private:
    pid_t pid = -1;
    int output = -1;
    std::string firstLine_;
};
