#include "support/SerialServerProcess.h"

#include "support/ArgumentVector.h"

#include <array>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Only a broken test waits this long for the server.
constexpr int kServerStartMilliseconds = 20000;

// A TCP port on the loopback address that nothing listens on now.
int freePort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

std::string connection(const std::string& name, const std::string& accepter,
                       const std::string& device) {
    // Without chardelay the server passes each reply on at once instead of holding it for two
    // characters' time.
    return "connection: &" + name + "\n  accepter: " + accepter + "\n  connector: serialdev," +
           device + ",9600n81,local\n  options:\n    chardelay: false\n";
}

} // namespace

SerialServerProcess::SerialServerProcess(const std::filesystem::path& folder,
                                         const std::string& telnetDevice,
                                         const std::string& rawDevice)
    : configPath(folder / "ser2net.yaml")
    , pidPath(folder / "ser2net.pid")
    , telnetPort(freePort())
    , rawPort(freePort()) {
    std::ofstream(configPath)
        << "%YAML 1.1\n---\n"
        << connection("telnet", "telnet(rfc2217),tcp,127.0.0.1," + std::to_string(telnetPort),
                      telnetDevice)
        << connection("raw", "tcp,127.0.0.1," + std::to_string(rawPort), rawDevice);
    start();
}

SerialServerProcess::~SerialServerProcess() {
    stop(SIGKILL);
}

std::string SerialServerProcess::rfc2217Name() const {
    return "rfc2217://127.0.0.1:" + std::to_string(telnetPort);
}

std::string SerialServerProcess::tcpName() const {
    return "tcp://127.0.0.1:" + std::to_string(rawPort);
}

void SerialServerProcess::start() {
    stop();
    std::filesystem::remove(pidPath);
    // The server writes its process id once its accepters listen.
    const int events = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    inotify_add_watch(events, pidPath.parent_path().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);

    // -u: the system's lock folder is not the test's to fill.
    std::vector<std::string> words{"ser2net",       "-n", "-u", "-c", configPath.string(), "-P",
                                   pidPath.string()};
    std::vector<char*> argv = argumentVector(words);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // It complains of a missing service announcer on its standard error.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid, "ser2net", &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_GT(pid, 0) << "ser2net could not be started (scripts/install-deps installs it)";

    while (pid > 0 && !std::filesystem::exists(pidPath)) {
        pollfd waiting{events, POLLIN, 0};
        if (::poll(&waiting, 1, kServerStartMilliseconds) != 1) {
            ADD_FAILURE() << "ser2net did not start listening";
            break;
        }
        std::array<char, 4096> drained{};
        while (::read(events, drained.data(), drained.size()) > 0) {
        }
    }
    ::close(events);
}

void SerialServerProcess::stop(int signal) {
    if (pid <= 0)
        return;
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
}
