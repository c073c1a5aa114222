// Plimsett's menu in GNOME Shell's top bar, used as a person uses it: the probe extension opens
// the indicator's menu and chooses items in it, inside the Shell. What the items did is read from
// the program (its status and layout file) and from the Shell (its windows), never from the
// extension's answer.
//
// PLIMSETT_TOPBAR_SCREENSHOT=FILE.png also takes a picture of the open menu with the Shell's own
// screenshot, cropped to the top bar's right end and the menu with ImageMagick where it is
// installed (a relative FILE is taken from the source tree). A FILE whose name carries a Shell
// version, as docs/topbar-menu-gnome48.png does, is written only by that version of the Shell.
#include "tests/gnome/support/GnomeShellSession.h"
#include "tests/support/ProgramCommands.h"
#include "tests/x11/support/ChildProcess.h"
#include "tests/x11/support/LogTail.h"
#include "tests/x11/support/Polling.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace plimsett {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::GnomeShellSession;
using testing::waitUntil;
using testing::WaylandClient;

class TopBarMenuTest : public ::testing::Test {
protected:
    ~TopBarMenuTest() override {
        if (program && program->isRunning()) {
            plimsett({"quit"});
            program->wait(std::chrono::seconds(10));
        }
    }

    std::pair<int, std::string> plimsett(const std::vector<std::string>& arguments) {
        return ChildProcess::run(PLIMSETT_PROGRAM, arguments, {}, std::chrono::seconds(30));
    }

    QJsonObject status() {
        const auto [code, out] = plimsett({"status", "--json"});
        return code == 0 ? QJsonDocument::fromJson(QByteArray::fromStdString(out)).object()
                         : QJsonObject();
    }

    QJsonObject menu() {
        return QJsonDocument::fromJson(QByteArray::fromStdString(session.topBarMenu())).object();
    }

    std::vector<std::string> titles() {
        std::vector<std::string> out;
        for (const QJsonValue& item : menu().value("items").toArray()) {
            out.push_back(item.toObject().value("title").toString().toStdString());
        }
        return out;
    }

    bool hasItem(const std::string& title) {
        const std::vector<std::string> all = titles();
        return std::find(all.begin(), all.end(), title) != all.end();
    }

    // Opens the menu and waits for the program's items in it (the extension asks for them as
    // the menu opens).
    void openMenu() {
        ASSERT_TRUE(waitUntil([&] { return session.openTopBarMenu(); }));
        ASSERT_TRUE(waitUntil([&] { return hasItem("Save Layout Now"); }))
            << session.topBarMenu();
    }

    // The picture of the open menu, when one is asked for.
    void screenshotIfAsked() {
        const char* asked = std::getenv("PLIMSETT_TOPBAR_SCREENSHOT");
        if (asked == nullptr || *asked == '\0') {
            return;
        }
        fs::path target(asked);
        if (target.is_relative()) {
            target = fs::path(PLIMSETT_SOURCE_DIR) / target;
        }
        const QRegularExpressionMatch version =
            QRegularExpression(QStringLiteral("gnome(\\d+)"))
                .match(QString::fromStdString(target.filename().string()));
        if (version.hasMatch() &&
            version.captured(1).toInt() != GnomeShellSession::shellMajorVersion()) {
            std::cout << "not writing " << target << ": this is GNOME Shell "
                      << GnomeShellSession::shellMajorVersion() << "\n";
            return;
        }
        const fs::path full = session.directory() / "topbar-full.png";
        ASSERT_TRUE(session.screenshot(full)) << testing::tail(
            session.directory() / "gnome-shell.log", 20);
        ASSERT_TRUE(fs::exists(full));
        fs::create_directories(target.parent_path());

        // The right end of the top bar on the primary monitor, and the menu below it.
        const QJsonObject m = menu();
        const auto box = [&](const char* key, const char* field) {
            return static_cast<int>(std::lround(m.value(key).toObject().value(field).toDouble()));
        };
        const int margin = 24;
        const int left = std::max(box("monitor", "x"),
                                  std::min(box("menu", "x"), box("indicator", "x")) - margin);
        const int top = box("monitor", "y");
        const int right = box("monitor", "x") + box("monitor", "width");
        const int bottom = std::min(top + box("monitor", "height"),
                                    box("menu", "y") + box("menu", "height") + margin);
        const std::string geometry = std::to_string(right - left) + "x" +
                                     std::to_string(bottom - top) + "+" + std::to_string(left) +
                                     "+" + std::to_string(top);
        // ImageMagick 7 is `magick`, 6 (Debian 12) is `convert`.
        for (const char* tool : {"magick", "convert"}) {
            const auto [code, out] = ChildProcess::run(
                tool, {full.string(), "-crop", geometry, "+repage", target.string()}, {},
                std::chrono::seconds(60));
            if (code == 0) {
                std::cout << "wrote " << target << " (" << geometry << " of the stage)\n";
                return;
            }
        }
        fs::copy_file(full, target, fs::copy_options::overwrite_existing);
        std::cout << "wrote " << target << " uncropped: ImageMagick is not installed\n";
    }

    GnomeShellSession& session = GnomeShellSession::shared();
    WaylandClient notes{"org.example.Notes"};
    std::unique_ptr<ChildProcess> program;
};

TEST_F(TopBarMenuTest, ItemsChosenInTheTopBarSaveTheLayoutAndSwitchAutoRestore) {
    notes.open("Shopping", 500, 350);
    notes.open("Letter", 600, 420);
    ChildProcess::Options options;
    options.environment = {{"QT_QPA_PLATFORM", "wayland"}};
    const fs::path log = session.directory() / "plimsett.log";
    options.logFile = log.string();
    program = std::make_unique<ChildProcess>(PLIMSETT_PROGRAM, std::vector<std::string>{}, options);
    ASSERT_TRUE(
        waitUntil([&] { return status().value("access").toBool(); }, std::chrono::seconds(30)))
        << testing::tail(log, 20);
    ASSERT_TRUE(waitUntil([&] { return session.indicatorShown(); }));

    openMenu();
    EXPECT_TRUE(menu().value("open").toBool());
    EXPECT_TRUE(hasItem("Settings…"));
    EXPECT_TRUE(hasItem("Quit Plimsett"));
    // Packages are updated by the system: a Linux build offers no update check.
    EXPECT_FALSE(hasItem("Check for Updates…"));
    screenshotIfAsked();

    // Saved from the menu: the program's layout file gets both windows, and the menu closes.
    const QJsonValue before = status().value("lastSnapshotAt");
    ASSERT_TRUE(session.activateTopBarItem("Save Layout Now"));
    EXPECT_TRUE(waitUntil([&] { return !menu().value("open").toBool(); }));
    ASSERT_TRUE(waitUntil([&] {
        const QJsonObject s = status();
        return s.value("lastSnapshotAt") != before &&
               s.value("layout").toObject().value("windowCount").toInt() == 2;
    }));
    QStringList saved;
    for (const QJsonValue& w :
         testing::savedLayoutWindows(qEnvironmentVariable("XDG_DATA_HOME"), 2)) {
        saved << w.toObject().value("title").toString();
    }
    saved.sort();
    EXPECT_EQ(saved, (QStringList{"Letter", "Shopping"}));

    // The auto-restore switch in the menu switches the program's preference. (A window the
    // program opened on Wayland would load the EGL driver, whose allocations the leak checker
    // cannot name once the driver is unloaded; what opening a window does is the program's
    // own business, tested elsewhere.)
    ASSERT_TRUE(status().value("autoRestoreOnDisplayChange").toBool());
    openMenu();
    ASSERT_TRUE(session.activateTopBarItem("Auto-restore when displays change"));
    EXPECT_TRUE(waitUntil([&] { return !status().value("autoRestoreOnDisplayChange").toBool(); }))
        << testing::tail(log, 20);

    // On GNOME the program speaks of no tray, and Qt looks for none.
    const std::string output = testing::tail(log, 200);
    EXPECT_EQ(output.find("system tray"), std::string::npos) << output;
    EXPECT_EQ(output.find("systemTrayWindowChanged"), std::string::npos) << output;
}

} // namespace
} // namespace plimsett
