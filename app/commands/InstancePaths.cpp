#include "app/commands/InstancePaths.h"

#include <QByteArray>
#include <QDir>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace plimsett {

bool InstancePaths::isPrivateDirectory(const QString& path) {
    struct stat info {};
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &info) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

std::optional<QString> InstancePaths::directory(QString* error) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateDirectory(runtime)) {
        return QDir::cleanPath(runtime);
    }
    // No usable runtime folder: one of our own in the temporary area. Another user may have made
    // it first to catch our socket; then we refuse rather than use it.
    const QString fallback =
        QDir::cleanPath(QDir::tempPath() + QStringLiteral("/plimsett-%1").arg(::getuid()));
    const QByteArray native = QFile::encodeName(fallback);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (error) {
            *error = QStringLiteral("cannot create %1: %2")
                         .arg(fallback, QString::fromLocal8Bit(std::strerror(errno)));
        }
        return std::nullopt;
    }
    if (!isPrivateDirectory(fallback)) {
        if (error) {
            *error = QStringLiteral("%1 is not a private folder of this user").arg(fallback);
        }
        return std::nullopt;
    }
    return fallback;
}

} // namespace plimsett
