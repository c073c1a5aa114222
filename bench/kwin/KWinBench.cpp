// The KWin backend through its script, on a virtual KWin started here (kwin_wayland, two
// 1280 x 800 outputs): one listing of 200 windows of 20 client processes, and restore passes of
// 50 windows that all have to move, with every window moved and resized or only moved.
//
// A pass is timed two ways. moveAll() waits for the script's answer, so it blocks its thread
// for the whole round trip. The program's passes go through moveAllAsync(), as the layout
// controller runs them: a listing, then the moves handed over ("handover_ms"); the main thread is
// blocked only for those two (the benchmark's time) and gets the answer later ("answered_ms",
// from the start of the pass to the answer, while the main thread runs its event loop). These
// passes start on a quiet desktop, as the program's do.
//
//   build/bench/kwin/kwin_bench [--benchmark_min_time=2s]
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "tests/kwin/support/KWinTestSession.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <utility>

namespace {

using namespace plimsett;
using namespace plimsett::testing;

constexpr int processCount = 20;
constexpr int windowsPerProcess = 10;
constexpr std::size_t passSize = 50;

WaylandWindowSystem* windowSystem = nullptr;

void listing(benchmark::State& state) {
    std::size_t count = 0;
    for (auto _ : state) {
        count = windowSystem->windows().size();
    }
    state.counters["windows"] = static_cast<double>(count);
}

// The first 50 windows, once on one output and once on the other.
std::pair<std::vector<WindowMove>, std::vector<WindowMove>> twoPlaces(bool resize) {
    const std::vector<LiveWindow> windows = windowSystem->windows();
    std::vector<WindowMove> there, back;
    for (std::size_t i = 0; i < passSize && i < windows.size(); ++i) {
        const double step = static_cast<double>(i % 25) * 20;
        there.push_back({windows[i], Rect{40 + step, 40 + step, 400, 300}});
        back.push_back({windows[i], Rect{1320 + step, 60 + step, resize ? 460.0 : 400.0,
                                         resize ? 340.0 : 300.0}});
    }
    return {there, back};
}

// Every iteration sends the 50 windows to the other of two places, so that each one moves.
void pass(benchmark::State& state, bool resize) {
    const auto [there, back] = twoPlaces(resize);
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

// The pass as the program runs it: the main thread lists the windows and hands over the moves,
// then goes on with its event loop until the answer comes.
void passAsTheProgramRunsIt(benchmark::State& state, bool resize) {
    using Clock = std::chrono::steady_clock;
    const auto [there, back] = twoPlaces(resize);
    bool forth = true;
    std::size_t placed = 0;
    double handOverSeconds = 0;
    double answeredSeconds = 0;
    const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    for (auto _ : state) {
        bool answered = false;
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(windowSystem->windows());
        const Clock::time_point listed = Clock::now();
        windowSystem->moveAllAsync(forth ? there : back, [&](std::vector<bool> answers) {
            placed = static_cast<std::size_t>(std::count(answers.begin(), answers.end(), true));
            answered = true;
        });
        const Clock::time_point handedOver = Clock::now();
        state.SetIterationTime(seconds(handedOver - start));
        handOverSeconds += seconds(handedOver - listed);
        while (!answered) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        answeredSeconds += seconds(Clock::now() - start);
        forth = !forth;
        // The program's passes come seconds apart: the clients finish redrawing before the next.
        const Clock::time_point quiet = Clock::now() + std::chrono::milliseconds(300);
        while (Clock::now() < quiet) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }
    const double iterations = std::max<double>(1, static_cast<double>(state.iterations()));
    state.counters["windows"] = static_cast<double>(there.size());
    state.counters["placed"] = static_cast<double>(placed);
    state.counters["handover_ms"] = 1000 * handOverSeconds / iterations;
    state.counters["answered_ms"] = 1000 * answeredSeconds / iterations;
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
    WaylandWindowSystem system(channel);
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
    benchmark::RegisterBenchmark("program's pass of 50 windows, moved and resized: main thread",
                                 [](benchmark::State& s) { passAsTheProgramRunsIt(s, true); })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("program's pass of 50 windows, moved only: main thread",
                                 [](benchmark::State& s) { passAsTheProgramRunsIt(s, false); })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
