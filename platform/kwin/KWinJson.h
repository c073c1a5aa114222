#pragma once

#include "engine/Rect.h"

#include <QJsonObject>
#include <QJsonValue>

#include <optional>

namespace plimsett {

// Rectangles as the KWin script writes and reads them: {"x", "y", "width", "height"}.
struct KWinJson {
    // Nothing when a member is missing, not a number, or not finite.
    static std::optional<Rect> rect(const QJsonValue& value);
    static QJsonObject object(const Rect& rect);
};

} // namespace plimsett
