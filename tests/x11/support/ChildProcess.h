#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace plimsett::testing {

// A program started by a test, with pipes to its standard input and output when asked for. The
// child gets SIGTERM when the test process dies, and the destructor stops it (SIGTERM, then
// SIGKILL), so that nothing outlives a failed or crashed test.
class ChildProcess {
public:
    struct Options {
        // Added to (or replacing in) the environment of the test process.
        std::map<std::string, std::string> environment;
        bool pipeStdin = false;
        bool pipeStdout = false;
        // A pipe whose write end the child gets as this descriptor number (for -displayfd and
        // --print-address); read it with readLine(extraPipe).
        std::optional<int> extraPipeFd;
        // Standard output and error go here when not piped (appended); /dev/null when empty.
        std::string logFile;
        // stop() signals the child's whole process group, so that what it started ends with it.
        bool stopGroup = false;
    };

    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool isRunning();
    // Writes one line to the child's standard input.
    bool writeLine(const std::string& line);
    // One line from the child's standard output (or the extra pipe), waiting at most `timeout`.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout, bool extraPipe = false);
    // Closes the child's standard input.
    void closeStdin();
    // SIGTERM, then SIGKILL when it has not ended within `grace`. Returns the exit status.
    int stop(std::chrono::milliseconds grace = std::chrono::seconds(5));
    // Waits for the child to end by itself, at most `timeout`; nothing when it is still running.
    std::optional<int> wait(std::chrono::milliseconds timeout);

    // Runs a program to its end (at most `timeout`, then kills it) and returns its exit status
    // and standard output.
    static std::pair<int, std::string> run(const std::string& program,
                                           const std::vector<std::string>& arguments,
                                           const std::map<std::string, std::string>& environment,
                                           std::chrono::milliseconds timeout);

private:
    std::optional<std::string> readLineFrom(int fd, std::string& buffer,
                                            std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    std::optional<int> status_;
    bool stopGroup_ = false;
    int stdin_ = -1;
    int stdout_ = -1;
    int extra_ = -1;
    std::string stdoutBuffer_;
    std::string extraBuffer_;
};

} // namespace plimsett::testing
