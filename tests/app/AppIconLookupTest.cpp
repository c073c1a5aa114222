#include "app/windows/AppIconLookup.h"

#include "tests/support/TemporaryDirectory.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::TemporaryDirectory;

class AppIconLookupTest : public ::testing::Test {
protected:
    QString path(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }
    void write(const std::filesystem::path& file, const QByteArray& text) {
        QDir().mkpath(path(file.parent_path()));
        QFile out(path(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }
    QString picture(const std::string& name) {
        const QString file = path(folder / name);
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        EXPECT_TRUE(image.save(file));
        return file;
    }

    // A desktop entry of an application with the given name and further keys.
    static QByteArray app(const QByteArray& name, const QByteArray& keys) {
        return "[Desktop Entry]\nType=Application\nName=" + name + "\n" + keys;
    }

    TemporaryDirectory folder;
    std::filesystem::path local = folder / "local" / "applications";
    std::filesystem::path system = folder / "system" / "applications";
};

TEST_F(AppIconLookupTest, MatchesByStartupClassThenFileNameThenReverseDnsEnding) {
    const QString mailIcon = picture("mail.png");
    write(system / "mailer.desktop",
          app("Mail", "Icon=" + mailIcon.toUtf8() + "\nStartupWMClass=Thunder\n"));
    write(system / "Gimp.desktop", app("GIMP", "Icon=gimp\n"));
    write(system / "org.example.Notes.desktop", app("Notes", "Icon=notes\n"));
    write(system / "kde" / "konsole.desktop", app("Konsole", "Icon=utilities-terminal\n"));
    // A later group's Icon is not the entry's.
    write(system / "viewer.desktop",
          app("Viewer", "Icon=viewer\n[Desktop Action New]\nIcon=other\n"));
    AppIconLookup lookup(DesktopEntryCatalog({local, system}, {}));

    EXPECT_EQ(lookup.iconNameFor("Thunder"), mailIcon);
    EXPECT_EQ(lookup.iconNameFor("gimp"), "gimp");
    EXPECT_EQ(lookup.iconNameFor("notes"), "notes");
    EXPECT_EQ(lookup.iconNameFor("org.example.Notes"), "notes");
    EXPECT_EQ(lookup.iconNameFor("kde-konsole"), "utilities-terminal");
    EXPECT_EQ(lookup.iconNameFor("viewer"), "viewer");
    EXPECT_EQ(lookup.iconNameFor("unknown"), QString());
    EXPECT_EQ(lookup.iconNameFor(""), QString());

    EXPECT_FALSE(lookup.iconFor("Thunder").isNull());
    // Installed, but its icon is in no theme here: a generic application icon.
    EXPECT_FALSE(lookup.iconFor("org.example.Notes").isNull());
    // Not installed: no icon at all.
    EXPECT_TRUE(lookup.iconFor("unknown").isNull());
}

TEST_F(AppIconLookupTest, TheFirstDirectoryWinsAndAHiddenEntryHidesTheOthers) {
    write(system / "editor.desktop", app("Editor", "Icon=system-editor\n"));
    write(local / "editor.desktop", app("Editor", "Icon=my-editor\n"));
    write(system / "player.desktop", app("Player", "Icon=player\n"));
    write(local / "player.desktop", "[Desktop Entry]\nHidden=true\n");
    AppIconLookup lookup(DesktopEntryCatalog({local, system}, {}));
    EXPECT_EQ(lookup.iconNameFor("editor"), "my-editor");
    EXPECT_EQ(lookup.iconNameFor("player"), QString());
    EXPECT_TRUE(lookup.iconFor("player").isNull());
}

TEST_F(AppIconLookupTest, RefreshPicksUpApplicationsInstalledLater) {
    QDir().mkpath(path(system));
    AppIconLookup lookup(DesktopEntryCatalog({local, system}, {}));
    EXPECT_TRUE(lookup.iconFor("late").isNull());
    write(local / "late.desktop", app("Late", "Icon=" + picture("late.png").toUtf8() + "\n"));
    lookup.refresh();
    EXPECT_FALSE(lookup.iconFor("late").isNull());
}

} // namespace
} // namespace plimsett
