#pragma once

#include "engine/EventMonitor.h"
#include "engine/LayoutController.h"
#include "platform/macos/CFRef.h"
#include "platform/macos/DisplayEventApi.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace plimsett {

// Turns the system's display reconfiguration reports, the screen-parameter notification and the
// sleep and wake notifications into the layout controller's event operations, always on the main
// thread. The only thing decided here is folding the begin reports of one reconfiguration (one
// per display) into a single displaysWillChange().
class DisplayEventMonitor : public EventMonitor,
                            public std::enable_shared_from_this<DisplayEventMonitor> {
public:
    // kCGDisplayBeginConfigurationFlag
    static constexpr std::uint32_t beginConfigurationFlag = 1u << 0;

    static std::shared_ptr<DisplayEventMonitor> make(std::weak_ptr<LayoutController> controller,
                                                     std::shared_ptr<DisplayEventApi> api);
    // Unregisters everything still registered: the system holds a plain pointer to this monitor.
    ~DisplayEventMonitor() override;

    DisplayEventMonitor(const DisplayEventMonitor&) = delete;
    DisplayEventMonitor& operator=(const DisplayEventMonitor&) = delete;

    // Registers the reconfiguration callback and the three observers; does nothing while
    // registered.
    void start() override;
    // Unregisters them; does nothing while not registered.
    void stop() override;

    // The reconfiguration callback, on any thread; `userInfo` is the monitor it was registered
    // with. On the main thread the report is handled before this returns; elsewhere it is handed
    // to the main queue, which keeps the monitor alive until it has run.
    static void reconfigurationCallback(std::uint32_t display, std::uint32_t flags, void* userInfo);

    bool isRegistered() const { return registered_; }
    bool inBatch() const { return inBatch_; }

private:
    DisplayEventMonitor(std::weak_ptr<LayoutController> controller,
                        std::shared_ptr<DisplayEventApi> api);

    void handleReport(std::uint32_t flags);
    void observe(DisplayEventApi::Center center, DisplayEventApi::Notification name,
                 void (*deliver)(LayoutController&));

    const std::weak_ptr<LayoutController> controller_;
    const std::shared_ptr<DisplayEventApi> api_;
    std::vector<std::pair<DisplayEventApi::Center, CFRef>> observers_;
    bool registered_ = false;
    bool inBatch_ = false;
};

} // namespace plimsett
