#include "app/desktop/AutostartLoginItem.h"

#include "tests/support/TemporaryDirectory.h"

#include <QSettings>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace plimsett {
namespace {

using testing::TemporaryDirectory;

class AutostartLoginItemTest : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    std::filesystem::path user = folder / "config" / "autostart";
    std::filesystem::path system = folder / "xdg" / "autostart";
    AutostartLoginItem item{user, {system}, "/opt/Plimsett Apps/bin/plimsett"};
};

TEST_F(AutostartLoginItemTest, EnablingWritesADesktopEntryThatStartsTheProgram) {
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled());
    const auto entry = user / "plimsett.desktop";
    ASSERT_TRUE(std::filesystem::is_regular_file(entry));
    // A desktop-entry reader sees the program's path as one argument.
    QSettings reader(QString::fromStdString(entry.string()), QSettings::IniFormat);
    reader.beginGroup("Desktop Entry");
    EXPECT_EQ(reader.value("Type").toString(), "Application");
    EXPECT_EQ(reader.value("Name").toString(), "Plimsett");
    const std::string text = TemporaryDirectory::readFile(entry);
    EXPECT_NE(text.find("Exec=\"/opt/Plimsett Apps/bin/plimsett\"\n"), std::string::npos);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(user),
                            std::filesystem::directory_iterator()),
              1);

    ASSERT_TRUE(item.setEnabled(false));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(std::filesystem::exists(entry));
    // Disabling what is not enabled succeeds.
    EXPECT_TRUE(item.setEnabled(false));
}

TEST_F(AutostartLoginItemTest, AFailedWriteReportsFailureAndChangesNothing) {
    std::filesystem::create_directories(folder / "config");
    TemporaryDirectory::writeFile(folder / "blocker", "not a folder");
    AutostartLoginItem blocked(folder / "blocker" / "autostart", {}, "/usr/bin/plimsett");
    EXPECT_FALSE(blocked.setEnabled(true));
    EXPECT_FALSE(blocked.isEnabled());
}

TEST_F(AutostartLoginItemTest, EntriesHiddenByTheUserOrTheDesktopDoNotCount) {
    std::filesystem::create_directories(user);
    TemporaryDirectory::writeFile(
        user / "plimsett.desktop",
        "[Desktop Entry]\nType=Application\nExec=plimsett\nHidden=true\n");
    EXPECT_FALSE(item.isEnabled());
    TemporaryDirectory::writeFile(
        user / "plimsett.desktop",
        "[Desktop Entry]\nExec=plimsett\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(item.isEnabled());
    // A key of another group does not hide the entry.
    TemporaryDirectory::writeFile(
        user / "plimsett.desktop",
        "[Desktop Entry]\nExec=plimsett\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(item.isEnabled());
    // Enabling again replaces a hidden entry.
    TemporaryDirectory::writeFile(user / "plimsett.desktop", "[Desktop Entry]\nHidden=true\n");
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled());
}

TEST_F(AutostartLoginItemTest, ASystemEntryIsHiddenRatherThanLeftRunning) {
    std::filesystem::create_directories(system);
    TemporaryDirectory::writeFile(system / "plimsett.desktop",
                                  "[Desktop Entry]\nType=Application\nExec=plimsett\n");
    EXPECT_TRUE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(false));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_NE(TemporaryDirectory::readFile(user / "plimsett.desktop").find("Hidden=true"),
              std::string::npos);
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled());
}

TEST(AutostartExecTest, QuotesAndEscapesAsDesktopEntriesRequire) {
    EXPECT_EQ(AutostartLoginItem::execArgument("/usr/bin/plimsett"), "/usr/bin/plimsett");
    EXPECT_EQ(AutostartLoginItem::execArgument("/home/a b/plimsett"), "\"/home/a b/plimsett\"");
    // Inside quotes " ` $ \ take a backslash, which the string escaping doubles again.
    EXPECT_EQ(AutostartLoginItem::execArgument("/x/$HOME\"q"), "\"/x/\\\\$HOME\\\\\"q\"");
    EXPECT_EQ(AutostartLoginItem::execArgument("/x/a\\b"), "\"/x/a\\\\\\\\b\"");
    EXPECT_EQ(AutostartLoginItem::execArgument("/x/100%"), "/x/100%%");
}

TEST(AutostartEnvironmentTest, UsesXdgConfigHomeOnlyWhenAbsolute) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", "/home/someone");
    qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(AutostartLoginItem::userDirectoryFromEnvironment(),
              std::filesystem::path("/tmp/cfg/autostart"));
    qputenv("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(AutostartLoginItem::userDirectoryFromEnvironment(),
              std::filesystem::path("/home/someone/.config/autostart"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(AutostartLoginItem::userDirectoryFromEnvironment(),
              std::filesystem::path("/home/someone/.config/autostart"));
    qputenv("HOME", home);
    if (!saved.isNull()) {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}

} // namespace
} // namespace plimsett
