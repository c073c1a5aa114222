#pragma once

#include "engine/DisplayEvent.h"
#include "engine/DisplaySet.h"
#include "engine/LayoutStore.h"
#include "engine/Preferences.h"
#include "engine/SavedLayout.h"

#include <memory>
#include <optional>
#include <set>

namespace plimsett {

// What the user's preferences say a restore puts back: whether the displays settling after
// `events` call for one, and which saved layout fits a display set.
class RestoreChoice {
public:
    RestoreChoice(std::shared_ptr<LayoutStore> store, std::shared_ptr<Preferences> preferences);

    // With automatic restores on: after the display set changed or the displays were
    // reconfigured, and after a wake when restoring after wake is on too.
    bool restoresAfter(bool identifierChanged, const std::set<DisplayEvent>& events) const;
    // The layout saved for `set`; else, when the preference allows it, the newest layout of the
    // same displays in another arrangement, carried over to this one.
    std::optional<SavedLayout> layoutFor(const DisplaySet& set) const;
    // Whether a layout is saved for exactly this arrangement of displays. The identifier holds
    // the arrangement, so a desktop still moving a display into place (kscreen puts a new output
    // at a default place first) reads as another set.
    bool isSavedArrangement(const DisplaySet& set) const;

private:
    const std::shared_ptr<LayoutStore> store_;
    const std::shared_ptr<Preferences> preferences_;
};

} // namespace plimsett
