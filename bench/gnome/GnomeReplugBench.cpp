// Replug to every window back, on GNOME Shell: the real program on the tests' headless Shell (two
// virtual monitors), eight windows of two applications, four on each monitor. It saves the layout,
// then REPLUGS times (default 10) takes the right monitor away, waits until Plimsett has settled on
// the left one alone and its second pass is over, moves every window elsewhere on the left one (as
// a user would; else the Shell puts the windows it moved back by itself), plugs the right monitor
// back and measures the time from the
// plug to every window on its saved frame (read through the tests' probe every 10 ms). It prints
// each time, the median and the largest, and exits 1 when a replug does not bring every window
// back within 15 seconds.
//
//   build/bench/gnome/gnome_replug_bench [REPLUGS]
#include "tests/gnome/support/GnomeShellSession.h"
#include "tests/x11/support/ChildProcess.h"
#include "tests/x11/support/Polling.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>

namespace {

using namespace plimsett;
using namespace plimsett::testing;
using Clock = std::chrono::steady_clock;

QJsonObject status() {
    const auto [code, out] =
        ChildProcess::run(PLIMSETT_PROGRAM, {"status", "--json"}, {}, std::chrono::seconds(30));
    return code == 0 ? QJsonDocument::fromJson(QByteArray::fromStdString(out)).object()
                     : QJsonObject();
}

bool stableOn(int displays) {
    const QJsonObject s = status();
    return s.value("phase").toString() == "stable" &&
           s.value("displaySet").toObject().value("displays").toArray().size() == displays;
}

bool allAt(GnomeShellSession& session, const std::map<std::string, Rect>& wanted) {
    std::map<std::string, Rect> now;
    for (const auto& frame : session.frames()) {
        now[frame.title] = frame.frame;
    }
    for (const auto& [title, frame] : wanted) {
        const auto found = now.find(title);
        if (found == now.end() || !found->second.isWithin(frame, frameTolerance)) {
            return false;
        }
    }
    return true;
}

int bench(int replugs) {
    GnomeShellSession& session = GnomeShellSession::shared();
    WaylandClient notes("org.example.Notes");
    WaylandClient mail("org.example.Mail");
    std::map<std::string, Rect> saved;
    for (int i = 0; i < 8; ++i) {
        const std::string title = "Window" + std::to_string(i);
        (i % 2 == 0 ? notes : mail).open(title, 400 + 10 * i, 300);
        const bool right = i % 2 == 1;
        saved[title] = Rect{(right ? 1960.0 : 40.0) + 70 * (i / 2), 80.0 + 60 * (i / 2),
                            400.0 + 10 * i, 300};
    }
    waitUntil([&] {
        if (allAt(session, saved)) {
            return true;
        }
        for (const auto& [title, frame] : saved) {
            session.place(title, frame);
        }
        return false;
    });
    ChildProcess::Options options;
    options.environment = {{"QT_QPA_PLATFORM", "wayland"}};
    options.logFile = (session.directory() / "plimsett.log").string();
    ChildProcess program(PLIMSETT_PROGRAM, {}, options);
    if (!waitUntil([] { return status().value("access").toBool(); }, std::chrono::seconds(30)) ||
        ChildProcess::run(PLIMSETT_PROGRAM, {"save"}, {}, std::chrono::seconds(30)).first != 0) {
        std::fprintf(stderr, "the program did not start or save\n");
        return 1;
    }
    std::vector<double> times;
    for (int round = 1; round <= replugs; ++round) {
        session.unplugSecondMonitor();
        waitUntil([] { return stableOn(1); }, std::chrono::seconds(20));
        // The user tidies the remaining monitor, as the Shell would otherwise put the windows of
        // the monitor that returns back on it by itself.
        std::map<std::string, Rect> tidied;
        int slot = 0;
        for (const auto& [title, frame] : saved) {
            tidied[title] = Rect{30.0 + 40 * slot, 60.0 + 30 * slot, frame.width, frame.height};
            ++slot;
        }
        waitUntil([&] {
            if (allAt(session, tidied)) {
                return true;
            }
            for (const auto& [title, frame] : tidied) {
                session.place(title, frame);
            }
            return false;
        });
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const auto start = Clock::now();
        session.plugBack();
        bool back = false;
        while (Clock::now() - start < std::chrono::seconds(15)) {
            if (allAt(session, saved)) {
                back = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!back) {
            std::printf("replug %d: not every window came back within 15 s\n", round);
            ChildProcess::run(PLIMSETT_PROGRAM, {"quit"}, {}, std::chrono::seconds(10));
            return 1;
        }
        std::printf("replug %d: every window back after %.3f s\n", round, seconds);
        std::fflush(stdout);
        times.push_back(seconds);
        waitUntil([] { return stableOn(2); }, std::chrono::seconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
    ChildProcess::run(PLIMSETT_PROGRAM, {"quit"}, {}, std::chrono::seconds(10));
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("GNOME Shell %d, 8 windows, %zu replugs: median %.3f s, largest %.3f s\n",
                GnomeShellSession::shellMajorVersion(), n, median, times.back());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int replugs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    int status = 1;
    try {
        status = bench(replugs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    GnomeShellSession::shutDown();
    return status;
}
