#pragma once

#include "engine/EraCounter.h"
#include "engine/RestorePlan.h"
#include "engine/RestoreResult.h"
#include "engine/WindowSystem.h"

#include <functional>

namespace plimsett {

// A restore pass that waits for the window system's answers. Its moves go out together and are
// answered on the main thread, before send() returns or later. The pass belongs to the era it
// began in: when a display change, a sleep or a stop has begun another by the time it is
// answered, what was to follow it (a second pass, the periodic snapshot) is stale and does not
// run, while whoever asked for the pass still gets its counts.
class RestorePass {
public:
    using Counts = std::function<void(const RestoreResult&)>;
    // Gets the pass and its counts once every move is answered; `late` when that is after send()
    // returned.
    using Answered = std::function<void(const RestorePass&, const RestoreResult&, bool late)>;

    // `answered` gets the counts in any case, `followUp` only while the pass is not stale. Either
    // may be empty.
    RestorePass(RestorePlan plan, EraCounter::Era era, Counts answered, Counts followUp);

    const RestorePlan& plan() const { return plan_; }
    // False when the plan moves nothing: its counts are known without asking anyone.
    bool hasMoves() const { return !plan_.moves().empty(); }

    // Hands every move to `windowSystem` at once; `answered` gets the counts of the answers.
    void send(WindowSystem& windowSystem, Answered answered) const;
    // Hands `counts` to whoever asked for the pass, then to its follow-up unless `eras` has
    // moved on from the era the pass began in.
    void finish(const RestoreResult& counts, const EraCounter& eras) const;

private:
    RestorePlan plan_;
    EraCounter::Era era_;
    Counts answered_;
    Counts followUp_;
};

} // namespace plimsett
