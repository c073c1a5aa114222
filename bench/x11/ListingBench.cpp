// One listing of 200 windows of 20 client processes, by X11WindowSystem and by `wmctrl -lGpx`,
// side by side on the same X server (Xorg with the dummy driver and openbox, started here; run as
// root). Prints both times and their ratio at the end.
//
//   build/bench/x11/x11_bench [--benchmark_min_time=2s]
#include "bench/support/XBenchSession.h"
#include "tests/x11/support/ChildProcess.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace {

using plimsett::X11WindowSystem;
using plimsett::bench::XBenchSession;
using plimsett::testing::ChildProcess;
using plimsett::testing::TestClient;

constexpr int processCount = 20;
constexpr int windowsPerProcess = 10;

// Mean real time per iteration of every benchmark run, in seconds.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                seconds[run.benchmark_name()] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

std::pair<int, std::string> wmctrl(const XBenchSession& session,
                                   const std::vector<std::string>& arguments) {
    return ChildProcess::run("wmctrl", arguments, {{"DISPLAY", session.display()}},
                             std::chrono::seconds(30));
}

int listingBench(XBenchSession& session) {
    for (int p = 0; p < processCount; ++p) {
        TestClient& client = session.startClient();
        for (int w = 0; w < windowsPerProcess; ++w) {
            client.createWindow(
                {{"class", "BenchApp" + std::to_string(p % 7)},
                 {"title", "Document " + std::to_string(w) + " of " + std::to_string(p)},
                 {"x", std::to_string(20 * w + 5 * p)},
                 {"y", std::to_string(15 * w + 3 * p)},
                 {"w", "400"},
                 {"h", "300"}});
        }
    }

    X11WindowSystem& system = session.windowSystem();
    const std::size_t listed = system.windows().size();
    const auto [status, output] = wmctrl(session, {"-lGpx"});
    const long lines = std::count(output.begin(), output.end(), '\n');
    if (listed != processCount * windowsPerProcess || status != 0 ||
        lines != processCount * windowsPerProcess) {
        throw std::runtime_error("listed " + std::to_string(listed) + ", wmctrl status " +
                                 std::to_string(status) + " with " + std::to_string(lines) +
                                 " lines");
    }

    const std::string listing = "X11WindowSystem::windows/200 windows of 20 processes";
    const std::string full = "wmctrl -lGpx/200 windows of 20 processes";
    const std::string startOnly = "wmctrl -m/start-up and one query only";
    benchmark::RegisterBenchmark(listing.c_str(), [&](benchmark::State& state) {
        for (auto _ : state) {
            auto windows = system.windows();
            benchmark::DoNotOptimize(windows);
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(full.c_str(), [&](benchmark::State& state) {
        for (auto _ : state) {
            auto result = wmctrl(session, {"-lGpx"});
            benchmark::DoNotOptimize(result);
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(startOnly.c_str(), [&](benchmark::State& state) {
        for (auto _ : state) {
            auto result = wmctrl(session, {"-m"});
            benchmark::DoNotOptimize(result);
        }
    })->Unit(benchmark::kMillisecond);

    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto ours = reporter.seconds.find(listing);
    const auto theirs = reporter.seconds.find(full);
    const auto start = reporter.seconds.find(startOnly);
    if (ours != reporter.seconds.end() && theirs != reporter.seconds.end()) {
        std::printf("\nlisting of 200 windows: X11WindowSystem %.3f ms, wmctrl -lGpx %.3f ms; "
                    "ratio %.3f (target at most 0.333)\n",
                    ours->second * 1e3, theirs->second * 1e3, ours->second / theirs->second);
        if (start != reporter.seconds.end()) {
            std::printf("wmctrl's own start-up (wmctrl -m) %.3f ms; wmctrl -lGpx without it "
                        "%.3f ms, ratio to that %.3f\n",
                        start->second * 1e3, (theirs->second - start->second) * 1e3,
                        ours->second / (theirs->second - start->second));
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return XBenchSession::run(argc, argv, listingBench);
}
