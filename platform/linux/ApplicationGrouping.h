#pragma once

#include "engine/LiveWindow.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "platform/linux/WindowRecord.h"

#include <vector>

namespace plimsett {

// The windows of a Linux desktop as the engine sees them. An application is the set of windows
// of one process with one class; applications come in the order of their first window, and each
// one's windows in that order, numbered from 0. The whole application is named as its first
// window tells: the desktop's own name, else the Name of its desktop entry (by the entry id, then
// by class and instance), else the class.
class ApplicationGrouping {
public:
    static std::vector<LiveWindow> liveWindows(const std::vector<WindowRecord>& records,
                                               const DesktopEntryCatalog& entries);
};

} // namespace plimsett
