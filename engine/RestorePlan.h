#pragma once

#include "engine/DisplayInfo.h"
#include "engine/LiveWindow.h"
#include "engine/Rect.h"
#include "engine/RestoreResult.h"
#include "engine/SavedWindow.h"
#include "engine/WindowMove.h"
#include "engine/WindowPairing.h"

#include <optional>
#include <vector>

namespace plimsett {

// What one restore pass does with the live windows. They are paired with the saved ones, and each
// pair becomes a move to the saved frame fitted onto the displays there are now, maximised again
// when it was, unless the window is in place already. Pairs with a minimised or full-screen window
// on either side, and frames that fit no display, are skipped. With stranded windows rescued,
// every window that no display shows, and that is neither minimised nor full screen, is moved onto
// the nearest display as well.
class RestorePlan {
public:
    // Moves nothing and counts nothing.
    RestorePlan() = default;
    RestorePlan(const WindowPairing& windows, const std::vector<DisplayInfo>& displays,
                bool rescueStranded);
    // Pairs every one of `live` and `saved`, leaving no application out.
    RestorePlan(const std::vector<LiveWindow>& live, const std::vector<SavedWindow>& saved,
                const std::vector<DisplayInfo>& displays, bool rescueStranded);

    // Fits `frame` onto the first of `screens` that contains it, else the one it overlaps most,
    // else the nearest; nothing when no screen has a positive size or the frame is not finite.
    static std::optional<Rect> fittedFrame(const Rect& frame, const std::vector<Rect>& screens);

    // Every move of the pass, to be sent together.
    const std::vector<WindowMove>& moves() const { return moves_; }
    // The pairs that need no answer: those already in place and those skipped.
    const RestoreResult& counts() const { return counts_; }
    // The counts once the window system has answered: `answers` holds one per move, in order,
    // and a move without a true answer failed.
    RestoreResult answered(const std::vector<bool>& answers) const;

private:
    std::vector<WindowMove> moves_;
    RestoreResult counts_;
};

} // namespace plimsett
