#include "tests/x11/support/FakeLogind.h"

#include <stdexcept>

namespace plimsett::testing {

FakeLogind::FakeLogind(const std::string& address, bool impostor) {
    ChildProcess::Options options;
    options.pipeStdin = true;
    options.pipeStdout = true;
    std::vector<std::string> arguments{address};
    if (impostor) {
        arguments.push_back("--impostor");
    }
    process_ = std::make_unique<ChildProcess>(PLIMSETT_FAKE_LOGIND, arguments, options);
    const auto ready = process_->readLine(std::chrono::seconds(20));
    if (!ready || ready->rfind("ready", 0) != 0) {
        throw std::runtime_error("the fake logind did not start: " + ready.value_or("(nothing)"));
    }
}

std::string FakeLogind::command(const std::string& line) {
    if (!process_->writeLine(line)) {
        throw std::runtime_error("the fake logind is gone");
    }
    const auto answer = process_->readLine(std::chrono::seconds(20));
    if (!answer || answer->rfind("ok", 0) != 0) {
        throw std::runtime_error("'" + line + "' failed: " + answer.value_or("(no answer)"));
    }
    return answer->size() > 3 ? answer->substr(3) : std::string();
}

void FakeLogind::sleep() {
    command("sleep");
}

void FakeLogind::wake() {
    command("wake");
}

int FakeLogind::heldInhibitors() {
    return std::stoi(command("inhibitors"));
}

} // namespace plimsett::testing
