#include "tests/x11/support/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace plimsett::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string resolve(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return program;
    }
    const char* path = std::getenv("PATH");
    std::string directories = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= directories.size()) {
        const std::size_t end = std::min(directories.find(':', start), directories.size());
        const std::string candidate = directories.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return program;
}

int exitStatus(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const Options& options) {
    // Everything the child needs is prepared before fork(): after it, only async-signal-safe
    // calls are made.
    const std::string path = resolve(program);
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    std::map<std::string, std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const auto equals = entry.find('=');
        if (equals != std::string::npos) {
            environment[entry.substr(0, equals)] = entry.substr(equals + 1);
        }
    }
    for (const auto& [key, value] : options.environment) {
        environment[key] = value;
    }
    std::vector<std::string> envStrings;
    for (const auto& [key, value] : environment) {
        envStrings.push_back(key + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& e : envStrings) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    int inPipe[2] = {-1, -1};
    int outPipe[2] = {-1, -1};
    int extraPipe[2] = {-1, -1};
    if ((options.pipeStdin && pipe2(inPipe, O_CLOEXEC) != 0) ||
        (options.pipeStdout && pipe2(outPipe, O_CLOEXEC) != 0) ||
        (options.extraPipeFd && pipe2(extraPipe, O_CLOEXEC) != 0)) {
        throw std::runtime_error("pipe failed");
    }
    const int log = open(options.logFile.empty() ? "/dev/null" : options.logFile.c_str(),
                         O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int extraTarget = options.extraPipeFd.value_or(-1);
    const pid_t parent = getpid();
    stopGroup_ = options.stopGroup;

    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        setpgid(0, 0);
        // Move the sources out of the way of the target numbers first.
        const int in = fcntl(options.pipeStdin ? inPipe[0] : devNull, F_DUPFD, 100);
        const int out = fcntl(options.pipeStdout ? outPipe[1] : log, F_DUPFD, 100);
        const int err = fcntl(log, F_DUPFD, 100);
        const int extra = extraTarget >= 0 ? fcntl(extraPipe[1], F_DUPFD, 100) : -1;
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (extraTarget >= 0) {
            dup2(extra, extraTarget);
            close_range(3, static_cast<unsigned>(extraTarget - 1), 0);
            close_range(static_cast<unsigned>(extraTarget + 1), ~0U, 0);
        } else {
            close_range(3, ~0U, 0);
        }
        signal(SIGPIPE, SIG_DFL);
        execve(path.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    if (log >= 0) {
        close(log);
    }
    if (devNull >= 0) {
        close(devNull);
    }
    if (options.pipeStdin) {
        close(inPipe[0]);
        stdin_ = inPipe[1];
    }
    if (options.pipeStdout) {
        close(outPipe[1]);
        stdout_ = outPipe[0];
    }
    if (options.extraPipeFd) {
        close(extraPipe[1]);
        extra_ = extraPipe[0];
    }
}

ChildProcess::~ChildProcess() {
    stop();
    for (int fd : {stdin_, stdout_, extra_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool ChildProcess::isRunning() {
    if (status_ || pid_ <= 0) {
        return false;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = exitStatus(status);
        return false;
    }
    return true;
}

bool ChildProcess::writeLine(const std::string& line) {
    if (stdin_ < 0) {
        return false;
    }
    const std::string data = line + "\n";
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(stdin_, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

void ChildProcess::closeStdin() {
    if (stdin_ >= 0) {
        close(stdin_);
        stdin_ = -1;
    }
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout,
                                                  bool extraPipe) {
    return extraPipe ? readLineFrom(extra_, extraBuffer_, timeout)
                     : readLineFrom(stdout_, stdoutBuffer_, timeout);
}

std::optional<std::string> ChildProcess::readLineFrom(int fd, std::string& buffer,
                                                      std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const auto newline = buffer.find('\n'); newline != std::string::npos) {
            std::string line = buffer.substr(0, newline);
            buffer.erase(0, newline + 1);
            return line;
        }
        if (fd < 0) {
            return std::nullopt;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        char chunk[4096];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return std::nullopt;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (isRunning()) {
        if (Clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

int ChildProcess::stop(std::chrono::milliseconds grace) {
    // The child leads a process group of its own (see the constructor). The group is signalled
    // once only: its number may be taken again after that.
    const pid_t target = stopGroup_ ? -pid_ : pid_;
    if (isRunning()) {
        kill(target, SIGTERM);
        if (!wait(grace)) {
            kill(target, SIGKILL);
            int status = 0;
            if (waitpid(pid_, &status, 0) == pid_) {
                status_ = exitStatus(status);
            }
        }
    }
    if (stopGroup_ && pid_ > 0) {
        // What the child started and left behind.
        kill(target, SIGKILL);
        stopGroup_ = false;
    }
    return status_.value_or(-1);
}

std::pair<int, std::string> ChildProcess::run(const std::string& program,
                                              const std::vector<std::string>& arguments,
                                              const std::map<std::string, std::string>& environment,
                                              std::chrono::milliseconds timeout) {
    Options options;
    options.environment = environment;
    options.pipeStdout = true;
    ChildProcess child(program, arguments, options);
    const auto deadline = Clock::now() + timeout;
    std::string output;
    while (Clock::now() < deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{child.stdout_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(std::max<long long>(1, left.count()))) <= 0) {
            continue;
        }
        char chunk[4096];
        const ssize_t n = ::read(child.stdout_, chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        output.append(chunk, static_cast<std::size_t>(n));
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const std::optional<int> status = child.wait(std::max(left, std::chrono::milliseconds(0)));
    return {status ? *status : child.stop(), output};
}

} // namespace plimsett::testing
