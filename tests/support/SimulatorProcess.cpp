#include "support/SimulatorProcess.h"

#include "support/ArgumentVector.h"

#include <array>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr auto kStartLimit = std::chrono::seconds(5);

std::string readLine(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    std::string line;
    char c = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd watched{fd, POLLIN, 0};
        if (poll(&watched, 1, 100) <= 0)
            continue;
        if (read(fd, &c, 1) != 1 || c == '\n')
            return line;
        line += c;
    }
    return line;
}

} // namespace

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& arguments,
                                   const std::string& errorPath) {
    std::array<int, 2> pipeEnds{};
    if (pipe(pipeEnds.data()) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    if (!errorPath.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::vector<std::string> words{ZENTIQ_SIM_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = argumentVector(words);

    if (posix_spawn(&pid, ZENTIQ_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    output = pipeEnds[0];
    if (pid > 0)
        firstLine_ = readLine(output);
}

SimulatorProcess::~SimulatorProcess() {
    if (pid > 0)
        stop(SIGKILL);
    if (output >= 0)
        close(output);
}

int SimulatorProcess::stop(int signal) {
    if (pid > 0)
        kill(pid, signal);
    return wait();
}

int SimulatorProcess::wait() {
    if (pid <= 0)
        return -1;
    int status = 0;
    const pid_t ended = waitpid(pid, &status, 0);
    pid = -1;
    if (ended < 0 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
