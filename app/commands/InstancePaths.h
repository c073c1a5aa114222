#pragma once

#include <QString>
#include <optional>

namespace plimsett {

// Where the running instance of this user keeps its lock and its command socket: the user's
// runtime folder ($XDG_RUNTIME_DIR), else a folder of the temporary area named after the user
// id. Either must be a real folder owned by the user that nobody else may enter.
class InstancePaths {
public:
    // The folder, made when it is missing; nothing when no safe folder could be found or made.
    // `error` then says why.
    static std::optional<QString> directory(QString* error = nullptr);
    static QString socketName() { return QStringLiteral("plimsett.socket"); }
    static QString lockName() { return QStringLiteral("plimsett.lock"); }

    // True when `path` is a folder (not a link to one) owned by this user and closed to others.
    static bool isPrivateDirectory(const QString& path);
};

} // namespace plimsett
