#pragma once

#include <QDateTime>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

namespace plimsett {

// Finds an application's icon from its identifier (the WM_CLASS class on X11, a reverse-DNS
// name for some applications) through the desktop entries (`applications/*.desktop`) of the XDG
// data directories: the entry whose StartupWMClass is the identifier, else the entry whose file
// name is it (ignoring case), else one whose reverse-DNS file name ends in it. The entry's Icon=
// is a file or a name in the icon theme; an entry whose icon the theme lacks gets a generic
// application icon, and an identifier without an entry gets none.
class AppIconLookup {
public:
    // `directories` are applications directories, the most important first.
    explicit AppIconLookup(QStringList directories);
    // The applications directories of $XDG_DATA_HOME and $XDG_DATA_DIRS.
    static AppIconLookup forEnvironment();

    // Re-reads the entries when a directory was added, removed or changed since the last read.
    void refresh();
    // Null when no entry matches.
    QIcon iconFor(const std::string& identifier);
    // The Icon= value of the matching entry, or empty.
    QString iconNameFor(const std::string& identifier) const;

private:
    struct Entry {
        QString icon;
        QString startupWMClass;
        // Stands for a deleted entry: it matches nothing and hides entries of its ID further down.
        bool hidden = false;
    };

    void read();
    void readDirectory(const QString& root, const QString& directory, const QString& prefix);
    std::vector<QDateTime> stamps() const;
    const Entry* find(const QString& identifier) const;

    QStringList directories_;
    std::vector<QDateTime> readStamps_;
    // Keyed by desktop-file ID without ".desktop"; the first directory that has an ID wins.
    std::map<QString, Entry> byID_;
    std::map<QString, QString> idByStartupClass_;
    std::map<QString, QString> idByLowerID_;
    std::map<QString, QString> idByLowerLastComponent_;
    std::map<std::string, QIcon> resolved_;
};

} // namespace plimsett
