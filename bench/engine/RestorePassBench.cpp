// One restore pass over 1,000 live windows of 50 applications, against the fake window system.
#include "engine/InMemoryDefaultsDatabase.h"
#include "engine/LayoutController.h"
#include "tests/support/FakeDisplayProvider.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/ManualScheduler.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace plimsett {
namespace {

using testing::FakeDisplayProvider;
using testing::FakeWindowSystem;

constexpr int applications = 50;
constexpr int windowsPerApplication = 20;

struct Desk {
    std::shared_ptr<FakeWindowSystem> windows = std::make_shared<FakeWindowSystem>();
    std::shared_ptr<FakeDisplayProvider> displays = std::make_shared<FakeDisplayProvider>();
    std::shared_ptr<testing::ManualScheduler> scheduler =
        std::make_shared<testing::ManualScheduler>();
    std::shared_ptr<LayoutController> controller;
    SavedLayout home;    // every window where it is now
    SavedLayout shifted; // every other window 40 points to the right and down
};

std::string title(int app, int window) {
    // A few duplicate titles and some that are not ASCII, as real desktops have.
    if (window % 7 == 6) {
        return "Untitled";
    }
    if (window % 5 == 4) {
        return "Caf\xC3\xA9 menu " + std::to_string(window);
    }
    return "Document " + std::to_string(app) + "-" + std::to_string(window);
}

Desk makeDesk() {
    Desk desk;
    desk.displays->setDisplays(
        {FakeDisplayProvider::display("built-in", Rect{0, 0, 1512, 982}, "", true),
         FakeDisplayProvider::display("studio", Rect{1512, -458, 2560, 1440})});
    for (int a = 0; a < applications; ++a) {
        const auto app =
            desk.windows->addApp("com.example.app" + std::to_string(a), "App " + std::to_string(a));
        for (int w = 0; w < windowsPerApplication; ++w) {
            const double x = 1600 + (a * 37 + w * 11) % 1800;
            const double y = -400 + (a * 13 + w * 29) % 700;
            desk.windows->addWindow(app, title(a, w), Rect{x, y, 600, 400});
        }
    }
    const DisplaySet set = desk.displays->displaySet();
    desk.home = SavedLayout{set.id, set.name("Built-in"), set.displays, {}, {}};
    desk.shifted = desk.home;
    int i = 0;
    for (const LiveWindow& live : desk.windows->windows()) {
        SavedWindow saved = live.savedWindow();
        desk.home.windows.push_back(saved);
        if (i++ % 2 == 0) {
            saved.frame.x += 40;
            saved.frame.y += 40;
        }
        desk.shifted.windows.push_back(saved);
    }
    auto defaults = std::make_shared<InMemoryDefaultsDatabase>();
    auto store = std::make_shared<LayoutStore>(std::filesystem::temp_directory_path() /
                                               "plimsett-bench-none" / "layouts.json");
    desk.controller = LayoutController::make(desk.windows, desk.displays, store,
                                             std::make_shared<Preferences>(defaults),
                                             desk.scheduler, desk.scheduler->clock(), "Built-in");
    return desk;
}

// Alternates between two layouts that differ in half the windows, so that every pass finds 500
// windows out of place and 500 in place.
void BM_RestorePass(benchmark::State& state) {
    Desk desk = makeDesk();
    const std::vector<DisplayInfo> displays = desk.displays->displays();
    bool toShifted = true;
    RestoreResult last;
    for (auto _ : state) {
        desk.controller->restore(toShifted ? desk.shifted : desk.home, displays,
                                 [&last](std::optional<RestoreResult> result) {
                                     last = result.value_or(RestoreResult{});
                                 });
        benchmark::DoNotOptimize(last);
        toShifted = !toShifted;
        desk.windows->clearMoves();
    }
    if (last != RestoreResult{500, 500, 0, 0}) {
        state.SkipWithError("the pass did not move half of the windows");
    }
    state.counters["windows"] = applications * windowsPerApplication;
    state.counters["moved"] = static_cast<double>(last.moved);
}
BENCHMARK(BM_RestorePass)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace plimsett
