// The window matcher alone: 1,000 live windows of 50 applications against their saved layout.
#include "engine/LiveWindow.h"
#include "engine/WindowMatcher.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>

namespace plimsett {
namespace {

struct Windows {
    std::vector<LiveWindow> live;
    std::vector<SavedWindow> saved;
};

// `applications` applications with `perApplication` windows each; titles repeat every
// `distinctTitles` windows. The saved list is shuffled and every tenth window of the live list
// has been renamed, so both passes of the matcher have work.
Windows makeWindows(int applications, int perApplication, int distinctTitles) {
    Windows w;
    for (int a = 0; a < applications; ++a) {
        const std::string bundleID = "com.example.app" + std::to_string(a);
        for (int i = 0; i < perApplication; ++i) {
            std::string title = "Document " + std::to_string(i % distinctTitles);
            const Rect frame{static_cast<double>(i * 10), static_cast<double>(a * 10), 600, 400};
            w.saved.push_back(SavedWindow{bundleID, "App", title, i, frame, false, false});
            if (i % 10 == 9) {
                title += " (edited)";
            }
            w.live.push_back(LiveWindow{nullptr, bundleID, "App", title, i, frame, false, false});
        }
    }
    std::shuffle(w.saved.begin(), w.saved.end(), std::mt19937(42));
    return w;
}

void BM_MatchThousandWindowsOfFiftyApps(benchmark::State& state) {
    const Windows w = makeWindows(50, 20, 20);
    std::size_t pairs = 0;
    for (auto _ : state) {
        const auto result = WindowMatcher::match(w.live, w.saved);
        pairs = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    if (pairs != w.live.size()) {
        state.SkipWithError("not every window was paired");
    }
    state.counters["pairs"] = static_cast<double>(pairs);
}
BENCHMARK(BM_MatchThousandWindowsOfFiftyApps)->Unit(benchmark::kMicrosecond);

// One application with many windows of the same few titles: the title pass is quadratic per
// application.
void BM_MatchOneAppWithManyWindows(benchmark::State& state) {
    const Windows w = makeWindows(1, static_cast<int>(state.range(0)), 3);
    for (auto _ : state) {
        const auto result = WindowMatcher::match(w.live, w.saved);
        benchmark::DoNotOptimize(result.data());
    }
}
BENCHMARK(BM_MatchOneAppWithManyWindows)
    ->Arg(50)
    ->Arg(200)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace plimsett
