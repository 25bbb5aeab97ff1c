#include "import/child_process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kWaitSliceMilliseconds = 1000;

// Reads what is waiting on fd into text; false once the writer has closed it.
bool drain(int fd, std::string& text)
{
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count > 0) {
            text.append(buffer, static_cast<size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        return count < 0 && errno == EAGAIN;
    }
}

// Both ends close on exec, so the child keeps only the copies it is given.
bool openPipe(int ends[2])
{
    if (pipe2(ends, O_CLOEXEC) != 0)
        return false;
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    return true;
}

} // namespace

ChildOutcome runChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                             const std::function<void()>& whileWaiting)
{
    ChildOutcome outcome;
    int outPipe[2];
    int errPipe[2];
    if (!openPipe(outPipe)) {
        outcome.notRun = {Failure::Run, {}, 0, std::strerror(errno)};
        return outcome;
    }
    if (!openPipe(errPipe)) {
        outcome.notRun = {Failure::Run, {}, 0, std::strerror(errno)};
        close(outPipe[0]);
        close(outPipe[1]);
        return outcome;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawnError = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawnError != 0) {
        outcome.notRun = {Failure::Run, {}, 0, std::strerror(spawnError)};
        close(outPipe[0]);
        close(errPipe[0]);
        return outcome;
    }

    pollfd ends[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* texts[2] = {&outcome.output, &outcome.errorOutput};
    int open = 2;
    while (open > 0) {
        const int ready = poll(ends, 2, kWaitSliceMilliseconds);
        if (ready == 0)
            whileWaiting();
        if (ready < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2 && ready > 0; ++i) {
            if (ends[i].fd < 0 || ends[i].revents == 0)
                continue;
            if (!drain(ends[i].fd, *texts[i])) {
                close(ends[i].fd);
                ends[i].fd = -1; // poll skips it from now on
                --open;
            }
        }
    }
    for (const pollfd& end : ends) {
        if (end.fd >= 0)
            close(end.fd);
    }

    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0)
        outcome.errorOutput += std::strerror(errno); // the end cannot be told: neither success nor a signal
    else if (WIFEXITED(status))
        outcome.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        outcome.signal = WTERMSIG(status);
    return outcome;
}
