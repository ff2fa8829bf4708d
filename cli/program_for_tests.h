// Running sumoran-cli as a program of its own, for the tests that need a real process: a FIFO that
// would block, standard output on /dev/full, a signal in the middle of a batch. Every run has a
// deadline, so that a run that hangs fails its test instead of blocking the suite. Test-only.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace clitest {

struct ProgramRun {
    int exitCode = -1;  // -1 when the program did not exit by itself
    int signal = 0;     // the signal that ended it, 0 when it exited
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct ProgramOptions {
    std::string program = SUMORAN_CLI_PATH;
    std::string stdoutFile;  // standard output goes to this file when set, else into ProgramRun::out
    std::chrono::milliseconds timeout{60000};
    /// Called whenever more of standard output arrived, with the child's pid and all output so far.
    std::function<void(pid_t, const std::string&)> onOutput;
};

/// Runs the program with `args` (no standard input) and returns what it printed and how it ended;
/// kills it with SIGKILL at the deadline.
inline ProgramRun runProgram(const std::vector<std::string>& args, const ProgramOptions& options = {}) {
    ProgramRun run;
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) return run;
    // Everything the child needs is made before the fork: it may only call async-signal-safe functions.
    std::vector<char*> argv = {const_cast<char*>(options.program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int outFile =
        options.stdoutFile.empty() ? -1 : ::open(options.stdoutFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(outFile >= 0 ? outFile : outPipe[1], STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    for (int fd : {devNull, outFile, outPipe[1], errPipe[1]}) {
        if (fd >= 0) ::close(fd);
    }
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0 && !run.timedOut) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) == 0) {
            run.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || fds[k].revents == 0) continue;
            char buffer[65536];
            const ssize_t got = ::read(fds[k].fd, buffer, sizeof buffer);
            if (got <= 0) {
                ::close(fds[k].fd);
                fds[k].fd = -1;
                --open;
                continue;
            }
            texts[k]->append(buffer, static_cast<std::size_t>(got));
            if (k == 0 && options.onOutput) options.onOutput(pid, run.out);
        }
    }
    for (const pollfd& p : fds) {
        if (p.fd >= 0) ::close(p.fd);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    return run;
}

}  // namespace clitest
