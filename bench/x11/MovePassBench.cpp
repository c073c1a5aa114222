// A restore pass on a real X server (Xorg with the dummy driver and openbox, started here; run as
// root): 40 displaced windows put back, and 10 windows that refuse their frame, each moved one
// window after the other (as a window system without a batch form does) and as one pass.
//
//   build/bench/x11/x11_move_bench [--benchmark_min_time=2s]
#include "bench/support/XBenchSession.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

namespace {

using plimsett::LiveWindow;
using plimsett::Rect;
using plimsett::WindowMove;
using plimsett::X11WindowSystem;
using plimsett::bench::XBenchSession;
using plimsett::testing::TestClient;

// Each iteration moves every window to the other of its two places, so each pass is a pass of
// displaced windows.
std::vector<WindowMove> pass(const std::vector<LiveWindow>& windows, bool there) {
    std::vector<WindowMove> moves;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const double x = 10 + 12 * static_cast<double>(i) + (there ? 300 : 0);
        moves.push_back(WindowMove{windows[i], Rect{x, 20 + 8 * static_cast<double>(i), 300, 200}});
    }
    return moves;
}

int movePassBench(XBenchSession& session) {
    TestClient& movable = session.startClient();
    TestClient& stubborn = session.startClient();
    for (int i = 0; i < 40; ++i) {
        movable.createWindow({{"class", "Movable"}, {"title", "Window " + std::to_string(i)}});
    }
    for (int i = 0; i < 10; ++i) {
        stubborn.createWindow({{"class", "Stubborn"},
                               {"title", "Stubborn " + std::to_string(i)},
                               {"w", "600"},
                               {"h", "500"},
                               {"min", "600x500"}});
    }
    X11WindowSystem& system = session.windowSystem();
    std::vector<LiveWindow> movableWindows, stubbornWindows;
    for (const LiveWindow& w : system.windows()) {
        (w.bundleID == "Movable" ? movableWindows : stubbornWindows).push_back(w);
    }
    if (movableWindows.size() != 40 || stubbornWindows.size() != 10) {
        throw std::runtime_error(std::to_string(movableWindows.size()) + " and " +
                                 std::to_string(stubbornWindows.size()) + " windows listed");
    }

    const auto run = [&](const std::vector<LiveWindow>& windows, bool together, bool refused) {
        return [&, together, refused](benchmark::State& state) {
            bool there = true;
            std::int64_t failed = 0;
            for (auto _ : state) {
                const std::vector<WindowMove> moves = pass(windows, there);
                there = !there;
                if (together) {
                    for (const bool ok : system.moveAll(moves)) {
                        failed += ok ? 0 : 1;
                    }
                } else {
                    for (const WindowMove& m : moves) {
                        failed += system.move(m.window, m.frame) ? 0 : 1;
                    }
                }
            }
            state.counters["failed per pass"] =
                static_cast<double>(failed) / static_cast<double>(state.iterations());
            if (!refused && failed != 0) {
                state.SkipWithError("windows that should have moved did not");
            }
        };
    };
    benchmark::RegisterBenchmark("40 displaced windows/one by one",
                                 run(movableWindows, false, false))
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("40 displaced windows/one pass", run(movableWindows, true, false))
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("10 refusing windows/one by one",
                                 run(stubbornWindows, false, true))
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    benchmark::RegisterBenchmark("10 refusing windows/one pass", run(stubbornWindows, true, true))
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return XBenchSession::run(argc, argv, movePassBench);
}
