#pragma once

#include "engine/DisplaySet.h"
#include "engine/LayoutStore.h"
#include "engine/SavedLayout.h"

#include <optional>

namespace plimsett {

// A layout saved for the same displays in another arrangement, carried over to the arrangement
// connected now: the external display moved to the other side of the laptop, or a display at
// another resolution. Layouts are keyed by the exact geometry, so without this nothing would be
// restored until the new arrangement had a layout of its own.
class RearrangedLayout {
public:
    // The newest layout of `store` whose displays are exactly those of `set` (the same uuids,
    // each as often), carried over to `set`; nothing when there is none, or when `set` has a
    // layout of its own (which always wins).
    static std::optional<SavedLayout> find(const LayoutStore& store, const DisplaySet& set);

    // `layout`'s windows moved onto `set`: each onto the display with the same uuid, at the same
    // place relative to that display's visible frame, scaled by the change of its size. Windows
    // that were on no display of the layout keep their frame; the restore fits every frame.
    static SavedLayout carriedOver(const SavedLayout& layout, const DisplaySet& set);

    // The same displays, compared by uuid with repetitions, in any arrangement.
    static bool sameDisplays(const std::vector<DisplayInfo>& a, const std::vector<DisplayInfo>& b);
};

} // namespace plimsett
