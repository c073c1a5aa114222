#include "engine/InternetDate.h"
#include "engine/LayoutFileCodec.h"
#include "engine/LayoutStore.h"
#include "tests/support/TemporaryDirectory.h"

#include <benchmark/benchmark.h>

namespace plimsett {
namespace {

using testing::TemporaryDirectory;

constexpr int layoutCount = 64;
constexpr int windowsPerLayout = 200;

// 64 display sets of one to three displays, each with 200 windows of 20 applications.
std::vector<SavedLayout> manyLayouts() {
    std::vector<SavedLayout> layouts;
    const Date base = *InternetDate::parse("2025-03-01T09:15:30Z");
    for (int l = 0; l < layoutCount; ++l) {
        SavedLayout layout;
        layout.displaySetID = "set-" + std::to_string(l);
        layout.displaySetName = "Built-in + Office Monitor " + std::to_string(l);
        for (int d = 0; d <= l % 3; ++d) {
            const double x = 1512.0 * d;
            layout.displays.push_back({"37D8832A-2D66-02CA-B9F7-8F30A301B230-" + std::to_string(d),
                                       "Display " + std::to_string(d),
                                       d == 0,
                                       {x, -457.6 * d, 1512, 982},
                                       {x, -457.6 * d + 38, 1512, 944}});
        }
        layout.savedAt = base - std::chrono::minutes(l);
        for (int w = 0; w < windowsPerLayout; ++w) {
            const int app = w % 20;
            layout.windows.push_back({"com.example.application" + std::to_string(app),
                                      "Application " + std::to_string(app),
                                      "Document " + std::to_string(w) + " — Project Überblick",
                                      w / 20,
                                      {12.5 + w, 40.25 + 2 * w, 800.0 + l, 600.75},
                                      w % 7 == 0,
                                      w % 50 == 0});
        }
        layouts.push_back(std::move(layout));
    }
    return layouts;
}

// A store holding the layouts, written once.
struct FilledStore {
    TemporaryDirectory temp;
    LayoutStore store{temp / "tamblin-engineering.Plimsett.direct" / "layouts.json"};

    FilledStore() {
        for (const SavedLayout& layout : manyLayouts()) {
            store.save(layout, false);
        }
    }
    double fileBytes() const {
        return static_cast<double>(std::filesystem::file_size(store.fileURL()));
    }
};

void persist(benchmark::State& state) {
    FilledStore filled;
    for (auto _ : state) {
        if (!filled.store.persist()) {
            state.SkipWithError("persist failed");
            break;
        }
    }
    state.counters["file_bytes"] = filled.fileBytes();
}
BENCHMARK(persist)->Unit(benchmark::kMillisecond)->UseRealTime();

void load(benchmark::State& state) {
    FilledStore filled;
    for (auto _ : state) {
        auto layouts = LayoutStore::load(filled.store.fileURL());
        if (!layouts || layouts->size() != layoutCount) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(layouts);
    }
    state.counters["file_bytes"] = filled.fileBytes();
}
BENCHMARK(load)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts of the two above without the file system.
void encode(benchmark::State& state) {
    const std::vector<SavedLayout> layouts = manyLayouts();
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayoutFileCodec::encode(layouts));
    }
}
BENCHMARK(encode)->Unit(benchmark::kMillisecond);

void decode(benchmark::State& state) {
    const std::string text = LayoutFileCodec::encode(manyLayouts());
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayoutFileCodec::decode(text));
    }
}
BENCHMARK(decode)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace plimsett
