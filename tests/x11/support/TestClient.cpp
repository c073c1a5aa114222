#include "tests/x11/support/TestClient.h"

#include "tests/x11/support/Polling.h"
#include "tests/x11/support/XTestSession.h"

#include <stdexcept>

namespace plimsett::testing {
namespace {

ChildProcess::Options clientOptions(XTestSession& session) {
    ChildProcess::Options options;
    options.environment = session.environment();
    options.pipeStdin = true;
    options.pipeStdout = true;
    options.logFile = (session.directory() / "client.log").string();
    return options;
}

} // namespace

TestClient::TestClient(XTestSession& session)
    : session_(session), process_(PLIMSETT_TEST_CLIENT, {}, clientOptions(session)) {
    const auto ready = process_.readLine(std::chrono::seconds(10));
    if (!ready || ready->rfind("ready", 0) != 0) {
        throw std::runtime_error("the test client did not start: " + ready.value_or("(nothing)"));
    }
}

std::string TestClient::hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string result;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        result.push_back(digits[byte >> 4]);
        result.push_back(digits[byte & 0xF]);
    }
    return result;
}

std::string TestClient::command(const std::string& line) {
    if (!process_.writeLine(line)) {
        throw std::runtime_error("the test client is gone");
    }
    const auto answer = process_.readLine(std::chrono::seconds(10));
    if (!answer || answer->rfind("ok", 0) != 0) {
        throw std::runtime_error("'" + line + "' failed: " + answer.value_or("(no answer)"));
    }
    return answer->size() > 3 ? answer->substr(3) : std::string();
}

xcb_window_t TestClient::createWindow(std::map<std::string, std::string> options,
                                      bool waitManaged) {
    std::string line = "window";
    for (auto& [key, value] : options) {
        line += " " + key + "=" + ((key == "title" || key == "wmname") ? hex(value) : value);
    }
    const auto window = static_cast<xcb_window_t>(std::stoul(command(line)));
    if (waitManaged && !waitUntil([&] { return session_.inspector().isManaged(window); })) {
        throw std::runtime_error("the window manager did not manage window " +
                                 std::to_string(window));
    }
    return window;
}

void TestClient::destroy(xcb_window_t window) {
    command("destroy " + std::to_string(window));
}

} // namespace plimsett::testing
