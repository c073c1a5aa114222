// The KWin backend through its script, on a virtual KWin started here (kwin_wayland, two
// 1280 x 800 outputs): one listing of 200 windows of 20 client processes, and one restore pass of
// 50 windows that all have to move. moveAll() blocks the calling (main) thread for the whole
// pass, so its time is the time the main thread is blocked; it is measured twice, for passes that
// move and resize every window and for passes that only move them.
//
//   build/bench/kwin/kwin_bench [--benchmark_min_time=2s]
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/kwin/KWinWindowSystem.h"
#include "tests/kwin/support/KWinTestSession.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iostream>
#include <memory>

namespace {

using plimsett::KWinScriptChannel;
using plimsett::KWinWindowSystem;
using plimsett::LiveWindow;
using plimsett::Rect;
using plimsett::WindowMove;
using plimsett::testing::ChildProcess;
using plimsett::testing::KWinTestSession;

constexpr int processCount = 20;
constexpr int windowsPerProcess = 10;
constexpr std::size_t passSize = 50;

KWinWindowSystem* windowSystem = nullptr;

void listing(benchmark::State& state) {
    std::size_t count = 0;
    for (auto _ : state) {
        count = windowSystem->windows().size();
    }
    state.counters["windows"] = static_cast<double>(count);
}

// Every iteration sends the 50 windows to the other of two places, so that each one moves.
void pass(benchmark::State& state, bool resize) {
    const std::vector<LiveWindow> windows = windowSystem->windows();
    std::vector<WindowMove> there, back;
    for (std::size_t i = 0; i < passSize && i < windows.size(); ++i) {
        const double step = static_cast<double>(i % 25) * 20;
        there.push_back({windows[i], Rect{40 + step, 40 + step, 400, 300}});
        back.push_back({windows[i], Rect{1320 + step, 60 + step, resize ? 460.0 : 400.0,
                                         resize ? 340.0 : 300.0}});
    }
    bool forth = true;
    std::size_t placed = 0;
    for (auto _ : state) {
        const std::vector<bool> answers = windowSystem->moveAll(forth ? there : back);
        placed = static_cast<std::size_t>(std::count(answers.begin(), answers.end(), true));
        forth = !forth;
    }
    state.counters["windows"] = static_cast<double>(there.size());
    state.counters["placed"] = static_cast<double>(placed);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);

    KWinTestSession session;
    std::vector<std::unique_ptr<ChildProcess>> clients;
    for (int p = 0; p < processCount; ++p) {
        std::vector<std::string> titles;
        for (int w = 0; w < windowsPerProcess; ++w) {
            titles.push_back("Window " + std::to_string(p) + "." + std::to_string(w));
        }
        clients.push_back(
            session.startClient("org.plimsett.Bench" + std::to_string(p), "400x300", titles));
    }
    auto channel = std::make_shared<KWinScriptChannel>(session.bus());
    if (!channel->load()) {
        std::cerr << channel->problem() << "\n";
        return 1;
    }
    KWinWindowSystem system(channel);
    windowSystem = &system;

    benchmark::RegisterBenchmark("listing of 200 windows", listing)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("pass of 50 windows, moved and resized",
                                 [](benchmark::State& s) { pass(s, true); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("pass of 50 windows, moved only",
                                 [](benchmark::State& s) { pass(s, false); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
