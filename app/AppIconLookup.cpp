#include "app/AppIconLookup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStyle>
#include <QTextStream>

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

AppIconLookup::AppIconLookup(QStringList directories) : directories_(std::move(directories)) {
    read();
}

AppIconLookup AppIconLookup::forEnvironment() {
    return AppIconLookup(QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation));
}

std::vector<QDateTime> AppIconLookup::stamps() const {
    std::vector<QDateTime> out;
    for (const QString& directory : directories_) {
        const QFileInfo info(directory);
        out.push_back(info.exists() ? info.lastModified() : QDateTime());
    }
    return out;
}

void AppIconLookup::refresh() {
    if (stamps() != readStamps_) {
        read();
    }
}

void AppIconLookup::read() {
    readStamps_ = stamps();
    byID_.clear();
    idByStartupClass_.clear();
    idByLowerID_.clear();
    idByLowerLastComponent_.clear();
    resolved_.clear();
    for (const QString& directory : directories_) {
        readDirectory(directory, directory, QString());
    }
    for (const auto& [id, entry] : byID_) {
        if (entry.hidden) {
            continue;
        }
        if (!entry.startupWMClass.isEmpty()) {
            idByStartupClass_.try_emplace(entry.startupWMClass, id);
        }
        idByLowerID_.try_emplace(id.toLower(), id);
        const qsizetype dot = id.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0) {
            idByLowerLastComponent_.try_emplace(id.mid(dot + 1).toLower(), id);
        }
    }
}

void AppIconLookup::readDirectory(const QString& root, const QString& directory,
                                  const QString& prefix) {
    const QDir dir(directory);
    const QFileInfoList items =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& item : items) {
        if (item.isDir()) {
            // Entries in subdirectories have IDs joined with dashes: kde/foo.desktop is kde-foo.
            readDirectory(root, item.filePath(), prefix + item.fileName() + QLatin1Char('-'));
            continue;
        }
        if (item.suffix() != QLatin1String("desktop")) {
            continue;
        }
        const QString id = prefix + item.completeBaseName();
        if (byID_.count(id) != 0) {
            continue;
        }
        QFile file(item.filePath());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            continue;
        }
        QTextStream in(&file);
        Entry entry;
        bool inMainGroup = false;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inMainGroup = line == QLatin1String("[Desktop Entry]");
                continue;
            }
            if (!inMainGroup || line.startsWith(QLatin1Char('#'))) {
                continue;
            }
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals <= 0) {
                continue;
            }
            const QString key = line.left(equals).trimmed();
            const QString value = line.mid(equals + 1).trimmed();
            if (key == QLatin1String("Icon")) {
                entry.icon = value;
            } else if (key == QLatin1String("StartupWMClass")) {
                entry.startupWMClass = value;
            } else if (key == QLatin1String("Hidden")) {
                entry.hidden = value == QLatin1String("true");
            }
        }
        byID_.emplace(id, entry);
    }
}

const AppIconLookup::Entry* AppIconLookup::find(const QString& identifier) const {
    if (identifier.isEmpty()) {
        return nullptr;
    }
    for (const auto* index : {&idByStartupClass_, &idByLowerID_, &idByLowerLastComponent_}) {
        const QString key = index == &idByStartupClass_ ? identifier : identifier.toLower();
        if (const auto it = index->find(key); it != index->end()) {
            return &byID_.at(it->second);
        }
    }
    return nullptr;
}

QString AppIconLookup::iconNameFor(const std::string& identifier) const {
    const Entry* entry = find(QString::fromStdString(identifier));
    return entry ? entry->icon : QString();
}

QIcon AppIconLookup::iconFor(const std::string& identifier) {
    if (const auto it = resolved_.find(identifier); it != resolved_.end()) {
        return it->second;
    }
    QIcon icon;
    if (const Entry* entry = find(QString::fromStdString(identifier))) {
        if (QFileInfo(entry->icon).isAbsolute()) {
            if (QFileInfo::exists(entry->icon)) {
                icon = QIcon(entry->icon);
            }
        } else if (!entry->icon.isEmpty()) {
            icon = QIcon::fromTheme(entry->icon);
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
