#include "app/windows/ExcludedAppsList.h"

#include <QLocale>
#include <chrono>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

SavedLayout layoutWith(std::string id, int ageInDays,
                       std::vector<std::pair<std::string, std::string>> apps) {
    SavedLayout layout;
    layout.displaySetID = std::move(id);
    layout.displaySetName = "Display";
    layout.savedAt = Date{} + std::chrono::hours(24 * (1000 - ageInDays));
    for (auto& [bundleID, name] : apps) {
        SavedWindow window;
        window.bundleID = bundleID;
        window.appName = name;
        layout.windows.push_back(window);
    }
    return layout;
}

RunningApplication app(std::string id, std::optional<std::string> name, bool regular = true) {
    return {std::move(id), std::move(name), regular};
}

struct Shown {
    std::string id;
    QString name;
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.id << "=" << s.name.toStdString();
}

std::vector<Shown> shown(const std::vector<AppEntry>& entries) {
    std::vector<Shown> out;
    for (const AppEntry& e : entries) {
        out.push_back({e.id, e.name});
    }
    return out;
}

const QLocale english(QLocale::English, QLocale::UnitedStates);

TEST(ExcludedAppsListTest, TheOldestLayoutNamesAnAppAndARunningAppOverridesIt) {
    // Newest first, as the store sorts them.
    const std::vector<SavedLayout> layouts = {
        layoutWith("new", 1, {{"org.editor", "Editor 2"}, {"org.viewer", "Viewer"}}),
        layoutWith("old", 30, {{"org.editor", "Editor"}, {"org.mail", "Mail (old)"}}),
    };
    const std::vector<RunningApplication> running = {app("org.mail", "Mail")};
    EXPECT_EQ(shown(ExcludedAppsList::build(layouts, running, std::nullopt, {}, nullptr, english)),
              (std::vector<Shown>{
                  {"org.editor", "Editor"}, {"org.mail", "Mail"}, {"org.viewer", "Viewer"}}));
}

TEST(ExcludedAppsListTest, OnlyOrdinaryRunningAppsWithAnIdentifierOtherThanOursAreListed) {
    const std::vector<RunningApplication> running = {
        {std::nullopt, std::string("Nameless"), true},
        app("org.agent", "Agent", false),
        app("own.app", "Plimsett"),
        app("org.term", std::nullopt),
        app("org.term", std::string("Terminal")),
    };
    EXPECT_EQ(
        shown(ExcludedAppsList::build({}, running, std::string("own.app"), {}, nullptr, english)),
        // A later report of the same application replaces the earlier name.
        (std::vector<Shown>{{"org.term", "Terminal"}}));
    // An application without a name is listed under its identifier.
    EXPECT_EQ(shown(ExcludedAppsList::build({}, {app("org.term", std::nullopt)}, std::nullopt, {},
                                            nullptr, english)),
              (std::vector<Shown>{{"org.term", "org.term"}}));
}

TEST(ExcludedAppsListTest, OurOwnAppComesInOnlyThroughALayoutOrTheExcludedSet) {
    const std::vector<RunningApplication> running = {app("own.app", "Plimsett")};
    EXPECT_TRUE(
        ExcludedAppsList::build({}, running, std::string("own.app"), {}, nullptr, english).empty());
    const std::vector<SavedLayout> layouts = {layoutWith("a", 1, {{"own.app", "Plimsett"}})};
    EXPECT_EQ(shown(ExcludedAppsList::build(layouts, running, std::string("own.app"), {}, nullptr,
                                            english)),
              (std::vector<Shown>{{"own.app", "Plimsett"}}));
}

TEST(ExcludedAppsListTest, AnExcludedIdentifierFoundNowhereElseIsListedUnderItself) {
    const std::vector<SavedLayout> layouts = {layoutWith("a", 1, {{"org.editor", "Editor"}})};
    const std::set<std::string> excluded = {"org.editor", "org.gone"};
    EXPECT_EQ(shown(ExcludedAppsList::build(layouts, {}, std::nullopt, excluded, nullptr, english)),
              (std::vector<Shown>{{"org.editor", "Editor"}, {"org.gone", "org.gone"}}));
}

TEST(ExcludedAppsListTest, NamesSortByTheLocaleIgnoringCase) {
    const std::vector<RunningApplication> running = {
        app("1", "banana"), app("2", "Zebra"),   app("3", "apple"), app("4", "Banana"),
        app("5", "Éclair"), app("6", "eclipse"), app("7", "Dill")};
    const std::vector<AppEntry> entries =
        ExcludedAppsList::build({}, running, std::nullopt, {}, nullptr, english);
    std::vector<QString> names;
    for (const AppEntry& e : entries) {
        names.push_back(e.name);
    }
    // Neither byte order ("Zebra" before "apple") nor accents decide; equal names keep no
    // particular order.
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(names[0], "apple");
    EXPECT_EQ(names[1].toLower(), "banana");
    EXPECT_EQ(names[2].toLower(), "banana");
    EXPECT_EQ(names[3], "Dill");
    EXPECT_EQ(names[4], "Éclair");
    EXPECT_EQ(names[5], "eclipse");
    EXPECT_EQ(names[6], "Zebra");

    // Swedish sorts Å after Z; English with A.
    const std::vector<RunningApplication> nordic = {app("1", "Åsa"), app("2", "Zorn"),
                                                    app("3", "Anna")};
    const auto order = [&](const QLocale& locale) {
        std::vector<QString> out;
        for (const AppEntry& e :
             ExcludedAppsList::build({}, nordic, std::nullopt, {}, nullptr, locale)) {
            out.push_back(e.name);
        }
        return out;
    };
    EXPECT_EQ(order(english), (std::vector<QString>{"Anna", "Åsa", "Zorn"}));
    EXPECT_EQ(order(QLocale(QLocale::Swedish, QLocale::Sweden)),
              (std::vector<QString>{"Anna", "Zorn", "Åsa"}));
}

TEST(ExcludedAppsListTest, IconsComeFromTheLookupAndMayBeAbsent) {
    QPixmap picture(8, 8);
    picture.fill(Qt::red);
    const QIcon icon(picture);
    const auto lookup = [&](const std::string& id) { return id == "org.known" ? icon : QIcon(); };
    const std::vector<AppEntry> entries =
        ExcludedAppsList::build({}, {app("org.known", "Known"), app("org.unknown", "Unknown")},
                                std::nullopt, {}, lookup, english);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_FALSE(entries[0].icon.isNull());
    EXPECT_TRUE(entries[1].icon.isNull());
}

TEST(ExcludedAppsListTest, WindowsBecomeOneRunningAppPerIdentifierInOrder) {
    const auto window = [](std::string id, std::string name) {
        LiveWindow w;
        w.bundleID = std::move(id);
        w.appName = std::move(name);
        return w;
    };
    const std::vector<RunningApplication> apps = ExcludedAppsList::fromWindows(
        {window("b", "Bee"), window("a", ""), window("b", "Bee"), window("", "Loose")});
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[0].bundleID, "b");
    EXPECT_EQ(apps[0].localizedName, "Bee");
    EXPECT_EQ(apps[1].bundleID, "a");
    EXPECT_EQ(apps[1].localizedName, std::nullopt);
    // A window without a class stands for an application that cannot be excluded.
    EXPECT_EQ(apps[2].bundleID, std::nullopt);
}

} // namespace
} // namespace plimsett
