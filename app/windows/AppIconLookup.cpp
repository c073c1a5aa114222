#include "app/windows/AppIconLookup.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>

namespace plimsett {
namespace {

QIcon genericApplicationIcon() {
    QIcon icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (icon.isNull() && qApp) {
        icon = QApplication::style()->standardIcon(QStyle::SP_DesktopIcon);
    }
    return icon;
}

} // namespace

AppIconLookup::AppIconLookup(DesktopEntryCatalog catalog) : catalog_(std::move(catalog)) {
    catalog_.refresh();
}

AppIconLookup AppIconLookup::forEnvironment() {
    return AppIconLookup(DesktopEntryCatalog::forEnvironment());
}

void AppIconLookup::refresh() {
    if (catalog_.refresh()) {
        resolved_.clear();
    }
}

QString AppIconLookup::iconNameFor(const std::string& identifier) const {
    const auto entry = catalog_.find(identifier);
    return entry ? QString::fromStdString(entry->icon) : QString();
}

QIcon AppIconLookup::iconFor(const std::string& identifier) {
    if (const auto it = resolved_.find(identifier); it != resolved_.end()) {
        return it->second;
    }
    QIcon icon;
    if (const auto entry = catalog_.find(identifier)) {
        const QString name = QString::fromStdString(entry->icon);
        if (QFileInfo(name).isAbsolute()) {
            if (QFileInfo::exists(name)) {
                icon = QIcon(name);
            }
        } else if (!name.isEmpty()) {
            icon = QIcon::fromTheme(name);
        }
        // The application is installed; only its picture is missing.
        if (icon.isNull()) {
            icon = genericApplicationIcon();
        }
    }
    resolved_.emplace(identifier, icon);
    return icon;
}

} // namespace plimsett
