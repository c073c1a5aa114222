#pragma once

#include "engine/SavedLayout.h"

#include <optional>
#include <string>
#include <string_view>

namespace plimsett {

// RFC 3339 date-times as the layout file stores them: UTC, whole seconds, zone "Z".
class InternetDate {
public:
    // "2025-03-01T09:15:30Z"; the fraction of a second is dropped (rounded toward the past).
    static std::string format(Date date);
    // Accepts "YYYY-MM-DDTHH:MM:SSZ" and a numeric offset ("+01:00") in place of "Z".
    // Rejects fractions of a second, a missing zone, and impossible or unrepresentable dates.
    static std::optional<Date> parse(std::string_view text);
};

} // namespace plimsett
