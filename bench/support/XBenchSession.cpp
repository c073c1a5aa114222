#include "bench/support/XBenchSession.h"

#include <benchmark/benchmark.h>

#include <exception>
#include <iostream>
#include <stdexcept>

namespace plimsett::bench {

int XBenchSession::run(int argc, char** argv, const std::function<int(XBenchSession&)>& bench) {
    benchmark::Initialize(&argc, argv);
    int status = 1;
    try {
        XBenchSession session;
        status = bench(session);
    } catch (const std::exception& e) {
        std::cerr << "setup failed: " << e.what() << "\n";
    }
    benchmark::Shutdown();
    return status;
}

testing::TestClient& XBenchSession::startClient() {
    clients_.push_back(std::make_unique<testing::TestClient>(session_));
    return *clients_.back();
}

X11WindowSystem& XBenchSession::windowSystem() {
    if (!windowSystem_) {
        std::string problem;
        const auto connection = X11Connection::open(session_.display(), problem);
        if (!connection) {
            throw std::runtime_error(problem);
        }
        windowSystem_ = std::make_unique<X11WindowSystem>(connection);
    }
    return *windowSystem_;
}

} // namespace plimsett::bench
