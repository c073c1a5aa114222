// What the X11 event monitor keeps of short-lived windows: 100,000 override-redirect windows
// (menus, tooltips) are created, mapped, moved, unmapped and destroyed in batches of 1,000 on the
// bench's X server while the monitor follows the server, and the process's resident memory is
// printed after the first batch and at the end. Ordinary windows that come and go are measured the
// same way (10,000 of them). Exits 1 when the resident memory grew by 1 MiB or more over the
// override-redirect windows.
//
//   build/bench/x11/x11_churn_bench [COUNT]
#include "bench/support/XBenchSession.h"
#include "platform/x11/X11DisplayEventMonitor.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using plimsett::X11DisplayEventMonitor;
using plimsett::bench::XBenchSession;

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

// Creates, maps, moves, unmaps and destroys `count` top-level windows, 1,000 at a time, letting
// the monitor read its events after every batch.
void churn(xcb_connection_t* c, xcb_window_t root, int count, bool overrideRedirect) {
    const int batch = 1000;
    for (int done = 0; done < count; done += batch) {
        std::vector<xcb_window_t> windows;
        for (int i = 0; i < batch && done + i < count; ++i) {
            const xcb_window_t w = xcb_generate_id(c);
            const std::uint32_t values[] = {overrideRedirect ? 1u : 0u};
            xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, 10, 10, 100, 40, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                              XCB_CW_OVERRIDE_REDIRECT, values);
            xcb_map_window(c, w);
            const std::uint32_t position[] = {static_cast<std::uint32_t>(20 + i % 300), 30};
            xcb_configure_window(c, w, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
            windows.push_back(w);
        }
        for (const xcb_window_t w : windows) {
            xcb_unmap_window(c, w);
            xcb_destroy_window(c, w);
        }
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
}

int churnBench(XBenchSession& session, int count) {
    X11DisplayEventMonitor monitor({}, session.display());
    monitor.start();
    xcb_connection_t* c = xcb_connect(session.display().c_str(), nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::fprintf(stderr, "cannot connect to %s\n", session.display().c_str());
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

    churn(c, root, 1000, true);
    const long warm = residentKiB();
    churn(c, root, count, true);
    const long afterOverride = residentKiB();
    churn(c, root, count / 10, false);
    const long afterOrdinary = residentKiB();
    xcb_disconnect(c);
    monitor.stop();

    std::printf("resident memory: %ld KiB after 1,000 override-redirect windows, %ld KiB after "
                "%d more (%+ld KiB), %ld KiB after %d ordinary ones (%+ld KiB)\n",
                warm, afterOverride, count, afterOverride - warm, afterOrdinary, count / 10,
                afterOrdinary - afterOverride);
    return afterOverride - warm < 1024 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int count = 100000;
    if (argc > 1 && argv[argc - 1][0] != '-') {
        count = std::atoi(argv[argc - 1]);
    }
    return XBenchSession::run(argc, argv,
                              [count](XBenchSession& session) { return churnBench(session, count); });
}
