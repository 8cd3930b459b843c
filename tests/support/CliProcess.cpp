#include "support/CliProcess.h"

#include "support/ArgumentVector.h"

#include <array>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Reads both pipes to their ends, whichever the program writes first.
void drain(int outFd, int errFd, CliRun& run) {
    std::array<pollfd, 2> pipes{pollfd{outFd, POLLIN, 0}, pollfd{errFd, POLLIN, 0}};
    std::array<std::string*, 2> texts{&run.out, &run.err};
    int open = 2;
    while (open > 0 && poll(pipes.data(), pipes.size(), -1) > 0) {
        for (std::size_t i = 0; i < pipes.size(); ++i) {
            if (pipes[i].fd < 0 || pipes[i].revents == 0)
                continue;
            std::array<char, 4096> chunk{};
            const ssize_t count = read(pipes[i].fd, chunk.data(), chunk.size());
            if (count > 0) {
                texts[i]->append(chunk.data(), static_cast<std::size_t>(count));
            } else {
                close(pipes[i].fd);
                pipes[i].fd = -1;
                --open;
            }
        }
    }
}

} // namespace

CliRun runCli(const std::vector<std::string>& arguments, const std::string& input) {
    CliRun run;
    std::array<int, 2> outPipe{};
    std::array<int, 2> errPipe{};
    if (pipe(outPipe.data()) != 0 || pipe(errPipe.data()) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    for (const int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    if (!input.empty())
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);

    std::vector<std::string> words{MIRAFEN_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = argumentVector(words);

    pid_t pid = -1;
    const bool started =
        posix_spawn(&pid, MIRAFEN_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    drain(outPipe[0], errPipe[0], run);
    int status = 0;
    if (started && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    return run;
}
