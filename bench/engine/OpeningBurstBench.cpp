// 200 windows of 20 applications open again in one burst (a session restored, say) while a layout
// that holds them is saved: how many listings and batches of moves the controller asks of the
// window system, and how long it takes until all of them are placed, against the fake window
// system.
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

constexpr int applications = 20;
constexpr int windowsPerApplication = 10;

void BM_OpeningBurst(benchmark::State& state) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "plimsett-bench-openings";
    std::filesystem::remove_all(folder);
    std::size_t listings = 0;
    std::size_t moveBatches = 0;
    std::size_t placed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto windows = std::make_shared<FakeWindowSystem>();
        auto displays = std::make_shared<FakeDisplayProvider>();
        displays->setDisplays({FakeDisplayProvider::display("built-in", Rect{0, 0, 2560, 1440},
                                                            "", true)});
        auto scheduler = std::make_shared<testing::ManualScheduler>();
        auto store = std::make_shared<LayoutStore>(folder / "layouts.json");
        auto preferences =
            std::make_shared<Preferences>(std::make_shared<InMemoryDefaultsDatabase>());
        auto controller = LayoutController::make(windows, displays, store, preferences, scheduler,
                                                 scheduler->clock(), "Built-in");
        std::vector<FakeWindowSystem::AppId> apps;
        std::vector<FakeWindowSystem::WindowId> opened;
        for (int a = 0; a < applications; ++a) {
            apps.push_back(windows->addApp("com.example.app" + std::to_string(a)));
            for (int w = 0; w < windowsPerApplication; ++w) {
                opened.push_back(windows->addWindow(
                    apps.back(), "Document " + std::to_string(w),
                    Rect{40.0 + 90 * w, 30.0 + 60 * a, 800, 600}));
            }
        }
        controller->start();
        controller->snapshotNow();
        for (const auto window : opened) {
            windows->close(window);
        }
        // They come back where the desktop puts new windows.
        std::vector<std::string> keys;
        for (int a = 0; a < applications; ++a) {
            for (int w = 0; w < windowsPerApplication; ++w) {
                const auto window = windows->addWindow(apps[a], "Document " + std::to_string(w),
                                                       Rect{300, 200, 800, 600});
                keys.push_back(windows->live(window).handle->key());
            }
        }
        const std::size_t listingsBefore = windows->windowsCallCount();
        const std::size_t movesBefore = windows->moveAllCallCount();
        state.ResumeTiming();

        for (const std::string& key : keys) {
            controller->windowEvent({WindowEvent::Kind::appeared, key});
        }
        scheduler->advance(0);

        state.PauseTiming();
        listings = windows->windowsCallCount() - listingsBefore;
        moveBatches = windows->moveAllCallCount() - movesBefore;
        placed = windows->movedCount();
        controller->stop();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
    state.counters["windows"] = applications * windowsPerApplication;
    state.counters["listings"] = static_cast<double>(listings);
    state.counters["moveBatches"] = static_cast<double>(moveBatches);
    state.counters["placed"] = static_cast<double>(placed);
}
BENCHMARK(BM_OpeningBurst)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace plimsett
