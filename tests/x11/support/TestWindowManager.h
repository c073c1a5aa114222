#pragma once

#include "tests/x11/support/ChildProcess.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plimsett::testing {

// One window manager on a test session, started the way its desktop session starts it: its own
// program with a new user's defaults (the session's private HOME), and a session bus of its own
// when it keeps its settings or services there. Stopping it also ends whatever it started.
class TestWindowManager {
public:
    // The window managers the bench can run, by program name.
    static const std::vector<std::string>& names();
    // Whether the program is installed.
    static bool isInstalled(const std::string& name);

    // Starts `name` with `environment` (the session's) and its log in `directory`; returns once it
    // has announced itself. Throws when the name is not one of names().
    TestWindowManager(const std::string& name,
                      const std::map<std::string, std::string>& environment,
                      const std::filesystem::path& directory);
    ~TestWindowManager();
    TestWindowManager(const TestWindowManager&) = delete;
    TestWindowManager& operator=(const TestWindowManager&) = delete;

    const std::string& name() const { return name_; }
    const std::filesystem::path& logFile() const { return logFile_; }
    bool isRunning() { return process_->isRunning(); }
    // Stops it (and what it started); the exit status.
    int stop();

private:
    std::string name_;
    std::filesystem::path logFile_;
    std::unique_ptr<ChildProcess> sessionBus_;
    std::unique_ptr<ChildProcess> process_;
};

} // namespace plimsett::testing
