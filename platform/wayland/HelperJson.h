#pragma once

#include "engine/Rect.h"
#include "engine/Workspace.h"

#include <QJsonObject>
#include <QJsonValue>

#include <optional>
#include <string>

namespace plimsett {

// The small pieces of the helpers' records: rectangles {"x", "y", "width", "height"} and member
// reads that tell a missing or mistyped member from an empty one.
struct HelperJson {
    // Nothing when a member is missing, not a number, or not finite.
    static std::optional<Rect> rect(const QJsonValue& value);
    static QJsonObject object(const Rect& rect);
    // The member as UTF-8 (with anything that is not valid UTF-8 repaired); nothing when it is
    // missing or not a string.
    static std::optional<std::string> string(const QJsonObject& object, const char* key);
    static std::optional<bool> flag(const QJsonObject& object, const char* key);
    // A workspace: a whole number from 0 (below 1024), or "all" for every one; nothing for
    // anything else (a missing or null member included).
    static std::optional<Workspace> workspace(const QJsonValue& value);
    static QJsonValue value(const Workspace& workspace);
};

} // namespace plimsett
