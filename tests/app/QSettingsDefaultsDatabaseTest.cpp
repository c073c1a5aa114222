#include "app/desktop/QSettingsDefaultsDatabase.h"

#include "engine/Preferences.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

namespace fs = std::filesystem;
using StringArray = DefaultsDatabase::StringArray;
using testing::TemporaryDirectory;

// QSettings shares parsed files within a process. Opening a copy of the file under a new name
// reads it from disk, the way the next launch of the program would.
class QSettingsDefaultsDatabaseTest : public ::testing::Test {
protected:
    TemporaryDirectory temp;
    fs::path file = temp / "Plimsett.conf";
    int launches = 0;

    std::shared_ptr<QSettingsDefaultsDatabase> open() {
        return std::make_shared<QSettingsDefaultsDatabase>(QString::fromStdString(file.string()));
    }
    std::shared_ptr<QSettingsDefaultsDatabase> relaunch() {
        const fs::path copy = temp / ("launch-" + std::to_string(++launches) + ".conf");
        fs::copy_file(file, copy);
        return std::make_shared<QSettingsDefaultsDatabase>(QString::fromStdString(copy.string()));
    }
};

TEST_F(QSettingsDefaultsDatabaseTest, RegisteredDefaultsAreReadButNeverWritten) {
    const auto database = open();
    database->registerDefaults({{"flag", true}, {"list", StringArray{"a", "b"}}});
    EXPECT_TRUE(database->boolForKey("flag"));
    EXPECT_EQ(database->stringArrayForKey("list"), (StringArray{"a", "b"}));
    EXPECT_FALSE(database->boolForKey("unknown"));
    EXPECT_EQ(database->stringArrayForKey("unknown"), std::nullopt);

    database->setBool(true, "other");
    const std::string text = TemporaryDirectory::readFile(file);
    EXPECT_NE(text.find("other"), std::string::npos);
    EXPECT_EQ(text.find("flag"), std::string::npos);
    EXPECT_EQ(text.find("list"), std::string::npos);
    EXPECT_FALSE(relaunch()->boolForKey("flag"));
}

TEST_F(QSettingsDefaultsDatabaseTest, ExplicitValuesPersistAndOverrideTheDefaults) {
    {
        Preferences preferences(open());
        preferences.setAutoRestoreOnDisplayChange(false);
        preferences.setRestoreAfterWake(true);
    }
    const Preferences next(relaunch());
    EXPECT_FALSE(next.autoRestoreOnDisplayChange());
    EXPECT_TRUE(next.restoreAfterWake());
    const std::string text = TemporaryDirectory::readFile(file);
    EXPECT_NE(text.find(Preferences::restoreAfterWakeKey), std::string::npos);
}

TEST_F(QSettingsDefaultsDatabaseTest, StringArraysOfEveryLengthSurviveARelaunch) {
    const std::vector<StringArray> arrays{
        {}, {"com.a"}, {"com.a", "com.b"}, {"with, comma", " spaced ", "", "über", "a\\b\"c"}};
    for (const StringArray& array : arrays) {
        open()->setStringArray(array, "list");
        EXPECT_EQ(open()->stringArrayForKey("list"), array);
        EXPECT_EQ(relaunch()->stringArrayForKey("list"), array);
    }
}

TEST_F(QSettingsDefaultsDatabaseTest, ExcludedApplicationsSurviveARelaunch) {
    {
        Preferences preferences(open());
        preferences.setExcludedBundleIDs({"com.example.one"});
    }
    EXPECT_EQ(Preferences(relaunch()).excludedBundleIDs(),
              std::set<std::string>{"com.example.one"});
    {
        Preferences preferences(open());
        preferences.setExcludedBundleIDs({});
    }
    const auto database = relaunch();
    EXPECT_EQ(database->stringArrayForKey(Preferences::excludedBundleIDsKey), StringArray{});
}

TEST_F(QSettingsDefaultsDatabaseTest, AValueOfAnotherTypeIsNoArrayAndNoBoolean) {
    {
        const auto database = open();
        database->settings().setValue("text", QStringLiteral("com.a"));
        database->settings().setValue("number", 7);
        database->setBool(true, "flag");
        database->setStringArray({"x"}, "array");
        database->settings().sync();
    }
    for (const auto& database : {open(), relaunch()}) {
        database->registerDefaults({{"text", StringArray{"fallback"}}, {"array", true}});
        EXPECT_EQ(database->stringArrayForKey("text"), std::nullopt);
        EXPECT_EQ(database->stringArrayForKey("number"), std::nullopt);
        EXPECT_EQ(database->stringArrayForKey("flag"), std::nullopt);
        EXPECT_FALSE(database->boolForKey("array"));
        EXPECT_FALSE(database->boolForKey("number"));
        EXPECT_TRUE(database->boolForKey("flag"));
    }

    // Writing replaces a value of either kind.
    const auto database = open();
    database->setStringArray({"y"}, "flag");
    database->setBool(false, "array");
    const auto next = relaunch();
    EXPECT_EQ(next->stringArrayForKey("flag"), StringArray{"y"});
    EXPECT_EQ(next->stringArrayForKey("array"), std::nullopt);
    EXPECT_FALSE(next->boolForKey("array"));
}

} // namespace
} // namespace plimsett
