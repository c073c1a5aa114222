#include "platform/x11/DesktopEntryNames.h"

#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::TemporaryDirectory;

class X11DesktopEntryNames : public ::testing::Test {
protected:
    X11DesktopEntryNames() {
        std::filesystem::create_directories(home_);
        std::filesystem::create_directories(system_);
    }

    void write(const std::filesystem::path& file, const std::string& content) {
        std::filesystem::create_directories(file.parent_path());
        TemporaryDirectory::writeFile(file, content);
    }

    DesktopEntryNames names(const std::string& language = {}) {
        DesktopEntryNames result({home_, system_}, language);
        result.refresh();
        return result;
    }

    TemporaryDirectory temp_;
    const std::filesystem::path home_ = temp_ / "home/applications";
    const std::filesystem::path system_ = temp_ / "usr/applications";
};

TEST_F(X11DesktopEntryNames, MatchesByStartupClassThenFileName) {
    write(system_ / "code.desktop",
          "[Desktop Entry]\nType=Application\nName=Visual Studio Code\nStartupWMClass=Code\n");
    write(system_ / "gedit.desktop", "[Desktop Entry]\nType=Application\nName=Text Editor\n");
    write(system_ / "org.gnome.Nautilus.desktop",
          "[Desktop Entry]\nType=Application\nName=Files\n");
    write(system_ / "xterm.desktop", "[Desktop Entry]\nType=Application\nName=XTerm\n");
    auto n = names();
    EXPECT_EQ(n.nameFor("Code", "code"), "Visual Studio Code");
    // The file name, ignoring case; the class first, then the instance.
    EXPECT_EQ(n.nameFor("Gedit", "gedit"), "Text Editor");
    EXPECT_EQ(n.nameFor("UXTerm", "xterm"), "XTerm");
    // Reverse-DNS names: whole, or by their last part.
    EXPECT_EQ(n.nameFor("org.gnome.Nautilus", "org.gnome.Nautilus"), "Files");
    EXPECT_EQ(n.nameFor("Nautilus", "nautilus"), "Files");
    EXPECT_EQ(n.nameFor("Unknown", "unknown"), std::nullopt);
    EXPECT_EQ(n.nameFor("", ""), std::nullopt);
}

TEST_F(X11DesktopEntryNames, TranslatedNameInTheMessagesLanguage) {
    write(system_ / "files.desktop", "[Desktop Entry]\nType=Application\nName=Files\n"
                                     "Name[de]=Dateien\nName[pt_BR]=Arquivos\n");
    EXPECT_EQ(names("de_DE.UTF-8").nameFor("files", ""), "Dateien");
    EXPECT_EQ(names("pt_BR.UTF-8").nameFor("files", ""), "Arquivos");
    EXPECT_EQ(names("fr_FR.UTF-8").nameFor("files", ""), "Files");
    EXPECT_EQ(names("C").nameFor("files", ""), "Files");
}

TEST_F(X11DesktopEntryNames, OnlyTheApplicationEntryItselfCounts) {
    write(system_ / "one.desktop",
          "# comment\n[Desktop Entry]\nType=Application\nName = Spaced \\s Name\n"
          "[Desktop Action new]\nName=New Window\nStartupWMClass=Other\n");
    write(system_ / "gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    write(system_ / "link.desktop", "[Desktop Entry]\nType=Link\nName=A Link\n");
    write(system_ / "notes.txt", "[Desktop Entry]\nType=Application\nName=Notes\n");
    auto n = names();
    EXPECT_EQ(n.nameFor("one", ""), "Spaced   Name");
    EXPECT_EQ(n.nameFor("Other", ""), std::nullopt);
    EXPECT_EQ(n.nameFor("gone", ""), std::nullopt);
    EXPECT_EQ(n.nameFor("link", ""), std::nullopt);
    EXPECT_EQ(n.nameFor("notes", ""), std::nullopt);
}

TEST_F(X11DesktopEntryNames, TheUsersEntryHidesTheSystemOne) {
    write(system_ / "editor.desktop", "[Desktop Entry]\nType=Application\nName=System Editor\n");
    write(home_ / "editor.desktop", "[Desktop Entry]\nType=Application\nName=My Editor\n");
    // Entries in subfolders are named with '-' for '/'.
    write(system_ / "kde/konsole.desktop", "[Desktop Entry]\nType=Application\nName=Konsole\n");
    auto n = names();
    EXPECT_EQ(n.nameFor("editor", ""), "My Editor");
    EXPECT_EQ(n.nameFor("kde-konsole", ""), "Konsole");
}

TEST_F(X11DesktopEntryNames, RefreshFindsNewlyInstalledEntries) {
    auto n = names();
    EXPECT_EQ(n.nameFor("newapp", ""), std::nullopt);
    write(system_ / "newapp.desktop", "[Desktop Entry]\nType=Application\nName=New App\n");
    n.refresh();
    EXPECT_EQ(n.nameFor("newapp", ""), "New App");
}

} // namespace
} // namespace plimsett
