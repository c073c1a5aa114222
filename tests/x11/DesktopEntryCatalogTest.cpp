#include "platform/linux/DesktopEntryCatalog.h"

#include "platform/linux/DesktopEntryGroup.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::TemporaryDirectory;

class DesktopEntryCatalogTest : public ::testing::Test {
protected:
    DesktopEntryCatalogTest() {
        std::filesystem::create_directories(home_);
        std::filesystem::create_directories(system_);
    }

    void write(const std::filesystem::path& file, const std::string& content) {
        std::filesystem::create_directories(file.parent_path());
        TemporaryDirectory::writeFile(file, content);
    }

    DesktopEntryCatalog catalog(const std::string& language = {}) {
        DesktopEntryCatalog result({home_, system_}, language);
        result.refresh();
        return result;
    }

    static std::optional<std::string> nameFor(const DesktopEntryCatalog& catalog,
                                              const std::string& wmClass,
                                              const std::string& wmInstance) {
        const auto entry = catalog.find(wmClass, wmInstance);
        return entry ? std::optional(entry->name) : std::nullopt;
    }

    TemporaryDirectory temp_;
    const std::filesystem::path home_ = temp_ / "home/applications";
    const std::filesystem::path system_ = temp_ / "usr/applications";
};

TEST_F(DesktopEntryCatalogTest, MatchesByStartupClassThenFileName) {
    write(system_ / "code.desktop", "[Desktop Entry]\nType=Application\nName=Visual Studio Code\n"
                                    "Icon=vscode\nStartupWMClass=Code\n");
    write(system_ / "gedit.desktop", "[Desktop Entry]\nType=Application\nName=Text Editor\n");
    write(system_ / "org.gnome.Nautilus.desktop",
          "[Desktop Entry]\nType=Application\nName=Files\n");
    write(system_ / "xterm.desktop", "[Desktop Entry]\nType=Application\nName=XTerm\n");
    auto n = catalog();
    EXPECT_EQ(n.find("Code", "code"),
              (DesktopEntryCatalog::Entry{"code", "Visual Studio Code", "vscode", "Code"}));
    // The file name, ignoring case; the class first, then the instance.
    EXPECT_EQ(nameFor(n, "Gedit", "gedit"), "Text Editor");
    EXPECT_EQ(nameFor(n, "UXTerm", "xterm"), "XTerm");
    // Reverse-DNS names: whole, or by their last part.
    EXPECT_EQ(nameFor(n, "org.gnome.Nautilus", "org.gnome.Nautilus"), "Files");
    EXPECT_EQ(nameFor(n, "Nautilus", "nautilus"), "Files");
    EXPECT_EQ(nameFor(n, "Unknown", "unknown"), std::nullopt);
    EXPECT_EQ(nameFor(n, "", ""), std::nullopt);
}

TEST_F(DesktopEntryCatalogTest, TranslatedNameInTheMessagesLanguage) {
    write(system_ / "files.desktop", "[Desktop Entry]\nType=Application\nName=Files\n"
                                     "Name[de]=Dateien\nName[pt_BR]=Arquivos\n");
    EXPECT_EQ(nameFor(catalog("de_DE.UTF-8"), "files", ""), "Dateien");
    EXPECT_EQ(nameFor(catalog("pt_BR.UTF-8"), "files", ""), "Arquivos");
    EXPECT_EQ(nameFor(catalog("fr_FR.UTF-8"), "files", ""), "Files");
    EXPECT_EQ(nameFor(catalog("C"), "files", ""), "Files");
}

TEST_F(DesktopEntryCatalogTest, OnlyTheApplicationEntryItselfCounts) {
    write(system_ / "one.desktop",
          "# comment\n[Desktop Entry]\nType=Application\nName = Spaced \\s Name\n"
          "Icon=one\n[Desktop Action new]\nName=New Window\nIcon=other\nStartupWMClass=Other\n");
    write(system_ / "gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    write(system_ / "link.desktop", "[Desktop Entry]\nType=Link\nName=A Link\n");
    write(system_ / "nameless.desktop", "[Desktop Entry]\nType=Application\nIcon=nameless\n");
    write(system_ / "notes.txt", "[Desktop Entry]\nType=Application\nName=Notes\n");
    auto n = catalog();
    EXPECT_EQ(nameFor(n, "one", ""), "Spaced   Name");
    EXPECT_EQ(n.find("one")->icon, "one");
    EXPECT_EQ(nameFor(n, "Other", ""), std::nullopt);
    EXPECT_EQ(nameFor(n, "gone", ""), std::nullopt);
    EXPECT_EQ(nameFor(n, "link", ""), std::nullopt);
    EXPECT_EQ(n.find("nameless"), std::nullopt);
    EXPECT_EQ(nameFor(n, "notes", ""), std::nullopt);
}

TEST_F(DesktopEntryCatalogTest, TheUsersEntryHidesTheSystemOne) {
    write(system_ / "editor.desktop", "[Desktop Entry]\nType=Application\nName=System Editor\n");
    write(home_ / "editor.desktop", "[Desktop Entry]\nType=Application\nName=My Editor\n");
    // A deleted entry hides the system one without standing in for it.
    write(system_ / "player.desktop", "[Desktop Entry]\nType=Application\nName=Player\n");
    write(home_ / "player.desktop", "[Desktop Entry]\nHidden=true\n");
    // Entries in subfolders are named with '-' for '/'.
    write(system_ / "kde/konsole.desktop", "[Desktop Entry]\nType=Application\nName=Konsole\n");
    // Of two entries claiming the same class, the more important directory's wins.
    write(system_ / "a-viewer.desktop",
          "[Desktop Entry]\nType=Application\nName=System Viewer\nStartupWMClass=Viewer\n");
    write(home_ / "z-viewer.desktop",
          "[Desktop Entry]\nType=Application\nName=My Viewer\nStartupWMClass=Viewer\n");
    auto n = catalog();
    EXPECT_EQ(nameFor(n, "editor", ""), "My Editor");
    EXPECT_EQ(nameFor(n, "player", ""), std::nullopt);
    EXPECT_EQ(nameFor(n, "kde-konsole", ""), "Konsole");
    EXPECT_EQ(nameFor(n, "Viewer", ""), "My Viewer");
}

TEST_F(DesktopEntryCatalogTest, RefreshFindsNewlyInstalledEntries) {
    auto n = catalog();
    EXPECT_EQ(nameFor(n, "newapp", ""), std::nullopt);
    EXPECT_FALSE(n.refresh());
    write(system_ / "newapp.desktop", "[Desktop Entry]\nType=Application\nName=New App\n");
    EXPECT_TRUE(n.refresh());
    EXPECT_EQ(nameFor(n, "newapp", ""), "New App");
}

TEST(DesktopEntryGroupTest, ReadsTheFirstGroupOnlyWhenItIsTheDesktopEntry) {
    const auto group = DesktopEntryGroup::parse("# comment\r\n\r\n"
                                                "  [Desktop Entry]\r\n"
                                                "Exec = a\\\\b \\t  \r\n"
                                                "Exec=second\n"
                                                "no equals sign\n"
                                                "[Desktop Action x]\nIcon=action\n");
    EXPECT_EQ(group.value("Exec"), "a\\b \t");
    EXPECT_EQ(group.value("Icon"), "");
    EXPECT_EQ(DesktopEntryGroup::parse("[Other]\nA=1\n[Desktop Entry]\nA=2\n").value("A"), "");
    EXPECT_EQ(DesktopEntryGroup::parse("A=1\n").value("A"), "");
}

} // namespace
} // namespace plimsett
