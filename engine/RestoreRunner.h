#pragma once

#include "engine/EraCounter.h"
#include "engine/Preferences.h"
#include "engine/RestorePass.h"
#include "engine/RestoreResult.h"
#include "engine/SavedLayout.h"
#include "engine/WindowSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace plimsett {

// Runs restore passes over the live windows of the applications the user did not exclude, keeps
// count of the passes whose windows are still moving, and files the counts of the last restore.
// Runs on the main thread; answers hold the runner weakly, so create it with make().
class RestoreRunner : public std::enable_shared_from_this<RestoreRunner> {
public:
    struct LastRestore {
        Date date;
        RestoreResult result;
    };
    using Clock = std::function<Date()>;
    // Told when a pass the window system could look at is over; `late` when that was after run()
    // returned.
    using Over = std::function<void(bool late)>;

    static std::shared_ptr<RestoreRunner> make(std::shared_ptr<WindowSystem> windowSystem,
                                               std::shared_ptr<Preferences> preferences, Clock now,
                                               Over over);

    RestoreRunner(const RestoreRunner&) = delete;
    RestoreRunner& operator=(const RestoreRunner&) = delete;

    // A pass over the live windows of the applications not excluded: the pairs of `layout` (when
    // given) are put on their frames, and with `rescueStranded` every other window that no
    // display shows is fitted onto the nearest one. Once the window system has answered, files
    // the counts (unless the pass had no layout and moved nothing, or could not look at the
    // windows at all) and hands them to `answered`, then to `followUp` unless a new era began
    // meanwhile.
    void run(const SavedLayout* layout, const std::vector<DisplayInfo>& displays,
             bool rescueStranded, RestorePass::Counts answered, RestorePass::Counts followUp = {});
    // A display change, a sleep or a stop: what a pass that began before was to do once answered
    // (a second pass, the snapshot after it) is stale.
    void beginNewEra() { eras_.beginNew(); }
    // Some pass's windows are still moving.
    bool isMoving() const { return passesInFlight_ > 0; }
    const std::optional<LastRestore>& lastRestore() const { return lastRestore_; }
    // Files `counts` as those of a restore that ended now.
    void record(const RestoreResult& counts);

private:
    RestoreRunner(std::shared_ptr<WindowSystem> windowSystem,
                  std::shared_ptr<Preferences> preferences, Clock now, Over over);

    void answered(const RestorePass& pass, const RestoreResult& counts, bool late);

    const std::shared_ptr<WindowSystem> windowSystem_;
    const std::shared_ptr<Preferences> preferences_;
    const Clock now_;
    const Over over_;
    EraCounter eras_;
    int passesInFlight_ = 0;
    std::optional<LastRestore> lastRestore_;
};

} // namespace plimsett
