#include "platform/gnome/GnomeAccessPermission.h"

#include "platform/gnome/GnomeExtensionInstaller.h"

#include <QTextStream>

namespace plimsett {

GnomeAccessPermission::GnomeAccessPermission(std::shared_ptr<GnomeShellProxy> shell)
    : shell_(std::move(shell)) {}

bool GnomeAccessPermission::isTrusted() const {
    return shell_->answers();
}

void GnomeAccessPermission::requestAccess() {
    if (shell_->answers()) {
        return;
    }
    // The first-run window says what comes next; the details go where a user starting Plimsett
    // from a terminal sees them.
    const GnomeExtensionInstaller::Result result = GnomeExtensionInstaller::install();
    QTextStream(stderr) << "plimsett: " << result.message << "\n";
}

} // namespace plimsett
