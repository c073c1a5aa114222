#include "engine/Preferences.h"

#include "engine/InMemoryDefaultsDatabase.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

using StringArray = DefaultsDatabase::StringArray;

// What survives a restart: only the persisted values, with the registration domain built anew.
std::shared_ptr<InMemoryDefaultsDatabase> relaunched(const InMemoryDefaultsDatabase& before) {
    auto after = std::make_shared<InMemoryDefaultsDatabase>();
    for (const auto& [key, value] : before.persisted()) {
        after->setRaw(key, value);
    }
    return after;
}

TEST(Preferences, FreshAccountReadsTheRegisteredDefaultsWithoutPersistingThem) {
    auto database = std::make_shared<InMemoryDefaultsDatabase>();
    const Preferences preferences(database);
    EXPECT_TRUE(preferences.autoRestoreOnDisplayChange());
    EXPECT_TRUE(preferences.restoreAfterWake());
    EXPECT_TRUE(preferences.excludedBundleIDs().empty());
    EXPECT_TRUE(database->persisted().empty());
    EXPECT_EQ(database->stringArrayForKey(Preferences::excludedBundleIDsKey), std::nullopt);
}

TEST(Preferences, AnExplicitValueWinsOverTheDefaultAtEveryLaterLaunch) {
    auto database = std::make_shared<InMemoryDefaultsDatabase>();
    {
        Preferences preferences(database);
        preferences.setAutoRestoreOnDisplayChange(false);
        EXPECT_FALSE(preferences.autoRestoreOnDisplayChange());
        EXPECT_TRUE(preferences.restoreAfterWake());
    }
    for (int launch = 0; launch < 2; ++launch) {
        database = relaunched(*database);
        const Preferences preferences(database);
        EXPECT_FALSE(preferences.autoRestoreOnDisplayChange());
        EXPECT_TRUE(preferences.restoreAfterWake());
    }
    EXPECT_EQ(database->persisted().size(), 1u);
}

TEST(Preferences, TogglingTwiceFromAFreshAccountStoresAnExplicitTrue) {
    auto database = std::make_shared<InMemoryDefaultsDatabase>();
    Preferences preferences(database);
    preferences.setAutoRestoreOnDisplayChange(!preferences.autoRestoreOnDisplayChange());
    preferences.setAutoRestoreOnDisplayChange(!preferences.autoRestoreOnDisplayChange());
    const auto& persisted = database->persisted();
    ASSERT_TRUE(persisted.contains(Preferences::autoRestoreKey));
    EXPECT_EQ(persisted.at(Preferences::autoRestoreKey), DefaultsDatabase::Value(true));
    EXPECT_TRUE(Preferences(relaunched(*database)).autoRestoreOnDisplayChange());
}

TEST(Preferences, ExcludedApplicationsAreStoredAsASortedArrayAlsoWhenEmpty) {
    auto database = std::make_shared<InMemoryDefaultsDatabase>();
    Preferences preferences(database);
    const auto stored = [&] {
        return std::get<StringArray>(database->persisted().at(Preferences::excludedBundleIDsKey));
    };

    preferences.setExcludedBundleIDs({"com.b", "com.a", "Com.C"});
    EXPECT_EQ(stored(), (StringArray{"Com.C", "com.a", "com.b"}));
    preferences.setExcludedBundleIDs(preferences.excludedBundleIDs());
    EXPECT_EQ(stored(), (StringArray{"Com.C", "com.a", "com.b"}));
    EXPECT_EQ(Preferences(relaunched(*database)).excludedBundleIDs(),
              (std::set<std::string>{"com.a", "com.b", "Com.C"}));

    preferences.setExcludedBundleIDs({});
    EXPECT_EQ(stored(), StringArray{});
    EXPECT_TRUE(preferences.excludedBundleIDs().empty());
}

TEST(Preferences, AnExcludedListOfAnotherTypeReadsAsEmptyAndIsReplacedAtTheNextWrite) {
    auto database = std::make_shared<InMemoryDefaultsDatabase>();
    database->setRaw(Preferences::excludedBundleIDsKey, true);
    Preferences preferences(database);
    EXPECT_TRUE(preferences.excludedBundleIDs().empty());

    std::set<std::string> excluded = preferences.excludedBundleIDs();
    excluded.insert("com.x");
    preferences.setExcludedBundleIDs(excluded);
    EXPECT_EQ(preferences.excludedBundleIDs(), std::set<std::string>{"com.x"});

    // A Boolean key holding an array reads as false, not as the registered true.
    database->setRaw(Preferences::restoreAfterWakeKey, StringArray{"x"});
    EXPECT_FALSE(preferences.restoreAfterWake());
}

TEST(Preferences, DuplicatesInAStoredArrayCollapse) {
    auto database = std::make_shared<InMemoryDefaultsDatabase>();
    database->setRaw(Preferences::excludedBundleIDsKey, StringArray{"com.a", "com.a", "com.b"});
    const Preferences preferences(database);
    EXPECT_EQ(preferences.excludedBundleIDs(), (std::set<std::string>{"com.a", "com.b"}));
}

} // namespace
} // namespace plimsett
