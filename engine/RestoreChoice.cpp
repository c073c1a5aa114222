#include "engine/RestoreChoice.h"

#include "engine/RearrangedLayout.h"

namespace plimsett {

RestoreChoice::RestoreChoice(std::shared_ptr<LayoutStore> store,
                             std::shared_ptr<Preferences> preferences)
    : store_(std::move(store)), preferences_(std::move(preferences)) {}

bool RestoreChoice::restoresAfter(bool identifierChanged,
                                  const std::set<DisplayEvent>& events) const {
    if (!preferences_->autoRestoreOnDisplayChange()) {
        return false;
    }
    if (identifierChanged || events.contains(DisplayEvent::reconfigured)) {
        return true;
    }
    return events.contains(DisplayEvent::wake) && preferences_->restoreAfterWake();
}

std::optional<SavedLayout> RestoreChoice::layoutFor(const DisplaySet& set) const {
    if (std::optional<SavedLayout> own = store_->layout(set.id)) {
        return own;
    }
    if (!preferences_->restoreOtherArrangements()) {
        return std::nullopt;
    }
    return RearrangedLayout::find(*store_, set);
}

bool RestoreChoice::isSavedArrangement(const DisplaySet& set) const {
    return !set.displays.empty() && store_->layout(set.id).has_value();
}

} // namespace plimsett
