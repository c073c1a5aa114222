#include "engine/LayoutStore.h"

#include "engine/AtomicFile.h"
#include "engine/InternetDate.h"
#include "engine/LayoutFileCodec.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plimsett {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryDirectory;
using namespace std::chrono;

Date at(const char* text) {
    return *InternetDate::parse(text);
}

SavedWindow window(std::string bundleID, std::string title, std::int64_t index = 0) {
    return SavedWindow{
        bundleID, bundleID + " app", std::move(title), index, {10, 20, 300, 200}, false, false};
}

SavedLayout layout(std::string id, const char* savedAt, std::vector<SavedWindow> windows = {}) {
    return SavedLayout{id,
                       "Screen " + id,
                       {{"uuid-" + id, "Screen", false, {0, 0, 1920, 1080}, {0, 0, 1920, 1050}}},
                       at(savedAt),
                       std::move(windows)};
}

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

class LayoutStoreTest : public ::testing::Test {
protected:
    TemporaryDirectory temp;
    fs::path folder = temp / "data" / "tamblin-engineering.Plimsett.direct";
    fs::path file = folder / "layouts.json";
};

TEST_F(LayoutStoreTest, StartsEmptyWithoutFileAndCreatesNothingUntilTheFirstSave) {
    LayoutStore store(file);
    EXPECT_TRUE(store.layouts().empty());
    EXPECT_TRUE(store.sortedLayouts().empty());
    EXPECT_EQ(store.layout("anything"), std::nullopt);
    EXPECT_EQ(LayoutStore::load(file), std::nullopt);
    EXPECT_FALSE(fs::exists(temp / "data"));

    store.save(layout("a", "2025-01-01T00:00:00Z"), true);
    EXPECT_TRUE(fs::is_regular_file(file));
}

TEST_F(LayoutStoreTest, WritesAPrivateFileInAPrivateFolderAndLeavesNoTemporaryFiles) {
    LayoutStore store(file);
    store.save(layout("a", "2025-01-01T00:00:00Z", {window("com.a", "A")}), true);
    store.save(layout("b", "2025-01-02T00:00:00Z"), true);
    store.forget("a");

    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"layouts.json"});
}

TEST_F(LayoutStoreTest, AtStartTemporaryFilesOfInterruptedWritesOlderThanAMinuteAreRemoved) {
    ASSERT_TRUE(AtomicFile::makePrivateDirectory(folder));
    ASSERT_TRUE(AtomicFile::write(file, "{}"));
    const auto leave = [&](const std::string& name, minutes age) {
        std::ofstream(folder / name) << "{";
        fs::last_write_time(folder / name, fs::file_time_type::clock::now() - age);
    };
    leave("layouts.json.a1B2c3", minutes(5)); // left by a crash
    leave("layouts.json.Zz9Yy8", minutes(0)); // a write that may be in progress
    leave("layouts.json.unreadable-20250101T000000Z", minutes(5)); // kept for the user
    leave("layouts.json.toolong7", minutes(5));
    fs::create_symlink(folder / "layouts.json", folder / "layouts.json.LINK00");
    fs::last_write_time(folder / "layouts.json", fs::file_time_type::clock::now() - minutes(5));

    LayoutStore store(file);
    EXPECT_EQ(filesIn(folder),
              (std::vector<std::string>{"layouts.json", "layouts.json.LINK00",
                                        "layouts.json.Zz9Yy8", "layouts.json.toolong7",
                                        "layouts.json.unreadable-20250101T000000Z"}));
}

TEST_F(LayoutStoreTest, FileHoldsTheSortedLayoutsNewestFirstWithVersionOne) {
    LayoutStore store(file);
    store.save(layout("middle", "2025-02-01T00:00:00Z", {window("com.a", "A")}), true);
    store.save(layout("newest", "2025-03-01T00:00:00Z"), false);
    store.save(layout("oldest", "2024-12-31T23:59:59Z"), true);

    const auto sorted = store.sortedLayouts();
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(sorted[0].displaySetID, "newest");
    EXPECT_EQ(sorted[1].displaySetID, "middle");
    EXPECT_EQ(sorted[2].displaySetID, "oldest");

    const std::string bytes = TemporaryDirectory::readFile(file);
    EXPECT_EQ(bytes, LayoutFileCodec::encode(sorted));
    const auto json = nlohmann::json::parse(bytes);
    EXPECT_EQ(json["version"], 1);
    EXPECT_EQ(json["layouts"].size(), 3u);
    EXPECT_EQ(json["layouts"][0]["displaySetID"], "newest");

    store.forget("newest");
    EXPECT_EQ(TemporaryDirectory::readFile(file), LayoutFileCodec::encode(store.sortedLayouts()));
}

TEST_F(LayoutStoreTest, ANewStoreReadsBackWhatWasSavedWithoutFractionsOfASecond) {
    SavedLayout saved = layout("a", "2025-01-01T10:00:00Z", {window("com.a", "A")});
    saved.savedAt += milliseconds(250);
    {
        LayoutStore store(file);
        EXPECT_EQ(store.save(saved, true), saved);
        EXPECT_EQ(store.layout("a"), saved);
    }
    LayoutStore reopened(file);
    const auto back = reopened.layout("a");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->savedAt, at("2025-01-01T10:00:00Z"));
    EXPECT_EQ(back->windows, saved.windows);
    EXPECT_EQ(back->displays, saved.displays);
    EXPECT_EQ(LayoutStore::load(file), reopened.layouts());
}

TEST_F(LayoutStoreTest, MergeKeepsOldWindowsOfApplicationsAbsentFromTheNewSnapshot) {
    LayoutStore store(file);
    store.save(layout("set", "2025-01-01T00:00:00Z",
                      {window("com.a", "A old 0", 0), window("com.b", "B 0", 0),
                       window("com.a", "A old 1", 1), window("com.b", "B 1", 1)}),
               true);

    SavedLayout snapshot = layout("set", "2025-01-02T00:00:00Z", {window("com.a", "A new", 0)});
    snapshot.displaySetName = "Renamed";
    const SavedLayout filed = store.save(snapshot, true);

    EXPECT_EQ(filed.windows,
              (std::vector<SavedWindow>{window("com.a", "A new", 0), window("com.b", "B 0", 0),
                                        window("com.b", "B 1", 1)}));
    EXPECT_EQ(filed.displaySetName, "Renamed");
    EXPECT_EQ(filed.savedAt, snapshot.savedAt);
    EXPECT_EQ(store.layout("set"), filed);
    EXPECT_EQ(LayoutStore::load(file)->at("set"), filed);
}

TEST_F(LayoutStoreTest, WithoutMergeOrWithoutAnOldLayoutTheNewLayoutIsFiledUnchanged) {
    LayoutStore store(file);
    const SavedLayout first = layout("set", "2025-01-01T00:00:00Z", {window("com.b", "B")});
    EXPECT_EQ(store.save(first, true), first);

    const SavedLayout replacement = layout("set", "2025-01-02T00:00:00Z", {window("com.a", "A")});
    EXPECT_EQ(store.save(replacement, false), replacement);
    EXPECT_EQ(store.layout("set"), replacement);
    EXPECT_EQ(store.layouts().size(), 1u);

    // An empty snapshot keeps every old window when merging.
    const SavedLayout empty = layout("set", "2025-01-03T00:00:00Z");
    EXPECT_EQ(store.save(empty, true).windows, replacement.windows);
}

TEST_F(LayoutStoreTest, ForgetRemovesTheLayoutAndRewritesTheFileEvenWhenThereIsNone) {
    LayoutStore store(file);
    store.forget("missing");
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(LayoutStore::load(file), LayoutStore::Layouts{});

    store.save(layout("a", "2025-01-01T00:00:00Z"), true);
    store.save(layout("b", "2025-01-02T00:00:00Z"), true);
    // Make the file differ from the store, so that the rewrite shows.
    TemporaryDirectory::writeFile(file, LayoutFileCodec::encode({}));
    store.forget("missing");
    EXPECT_EQ(store.layouts().size(), 2u);
    EXPECT_EQ(LayoutStore::load(file)->size(), 2u);

    store.forget("a");
    EXPECT_EQ(store.layout("a"), std::nullopt);
    const auto loaded = LayoutStore::load(file);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->size(), 1u);
    EXPECT_TRUE(loaded->contains("b"));
}

TEST_F(LayoutStoreTest, LoadKeepsTheFirstOfLayoutsWithTheSameIdentifier) {
    fs::create_directories(folder);
    const SavedLayout first = layout("dup", "2025-01-02T00:00:00Z", {window("com.first", "1")});
    const SavedLayout second = layout("dup", "2025-01-03T00:00:00Z", {window("com.second", "2")});
    TemporaryDirectory::writeFile(file, LayoutFileCodec::encode({first, second}));

    const auto loaded = LayoutStore::load(file);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->size(), 1u);
    EXPECT_EQ(loaded->at("dup"), first);
    EXPECT_EQ(LayoutStore(file).layout("dup"), first);
}

TEST_F(LayoutStoreTest, MalformedOrUnreadableFilesLoadAsNothingAndAreLeftUntouched) {
    fs::create_directories(folder);
    const std::string untitled = R"({"version": 1, "layouts": [{"displaySetID": "a",
        "displaySetName": "A", "displays": [], "savedAt": "2025-01-01T00:00:00Z",
        "windows": [{"bundleID": "com.a", "appName": "A", "index": 0,
                     "frame": [[0, 0], [1, 1]], "isMinimized": false, "isFullScreen": false}]}]})";
    for (const std::string& bytes : {std::string("not json at all"), std::string(),
                                     std::string("{\"layouts\": []}"), untitled}) {
        TemporaryDirectory::writeFile(file, bytes);
        EXPECT_EQ(LayoutStore::load(file), std::nullopt) << bytes;
        LayoutStore store(file);
        EXPECT_TRUE(store.layouts().empty());
        EXPECT_EQ(TemporaryDirectory::readFile(file), bytes);
        EXPECT_EQ(filesIn(folder), std::vector<std::string>{"layouts.json"});
    }
    // A folder in place of the file cannot be read either.
    EXPECT_EQ(LayoutStore::load(folder), std::nullopt);
}

TEST_F(LayoutStoreTest, KeepsAnUnreadableFileBesideTheNewOneAtTheFirstWrite) {
    fs::create_directories(folder);
    const std::string broken = "{\"version\": 1, \"layouts\": [ truncated";
    TemporaryDirectory::writeFile(file, broken);

    LayoutStore store(file);
    EXPECT_EQ(store.preservedFile(), std::nullopt);
    store.save(layout("a", "2025-01-01T00:00:00Z"), true);

    ASSERT_TRUE(store.preservedFile());
    const fs::path preserved = *store.preservedFile();
    EXPECT_EQ(preserved.parent_path(), folder);
    EXPECT_EQ(preserved.filename().string().rfind("layouts.json.unreadable-", 0), 0u);
    EXPECT_EQ(TemporaryDirectory::readFile(preserved), broken);
    EXPECT_EQ(LayoutStore::load(file)->size(), 1u);

    // Only the file found at start-up is set aside; later writes simply replace the store's own.
    store.save(layout("b", "2025-01-02T00:00:00Z"), true);
    store.forget("a");
    EXPECT_EQ(filesIn(folder).size(), 2u);
    EXPECT_EQ(TemporaryDirectory::readFile(preserved), broken);
}

TEST_F(LayoutStoreTest, AReadableFileIsReplacedWithoutACopy) {
    {
        LayoutStore store(file);
        store.save(layout("a", "2025-01-01T00:00:00Z"), true);
    }
    LayoutStore store(file);
    store.save(layout("b", "2025-01-02T00:00:00Z"), true);
    EXPECT_EQ(store.preservedFile(), std::nullopt);
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"layouts.json"});
}

TEST_F(LayoutStoreTest, AFailedWriteReportsFailureAndKeepsTheChangeInMemory) {
    // A folder where the file should be: the rename cannot replace it.
    LayoutStore store(file);
    fs::create_directories(file);
    EXPECT_FALSE(store.persist());
    store.save(layout("a", "2025-01-01T00:00:00Z"), true);
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"layouts.json"});
    EXPECT_TRUE(store.layout("a"));

    // Once the obstacle is gone, the next write brings the file up to date.
    fs::remove(file);
    store.save(layout("b", "2025-01-02T00:00:00Z"), true);
    EXPECT_EQ(LayoutStore::load(file)->size(), 2u);

    // A file where the folder should be.
    TemporaryDirectory::writeFile(temp / "plain", "x");
    LayoutStore blocked(temp / "plain" / "sub" / "layouts.json");
    EXPECT_FALSE(blocked.persist());
    EXPECT_EQ(TemporaryDirectory::readFile(temp / "plain"), "x");
}

// Lowers the largest file size this process may write, which makes writes fail even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit lowered = previous_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

TEST_F(LayoutStoreTest, AWriteThatFailsHalfwayLeavesTheOldFileIntact) {
    LayoutStore store(file);
    store.save(layout("a", "2025-01-01T00:00:00Z"), true);
    const std::string before = TemporaryDirectory::readFile(file);

    std::vector<SavedWindow> many;
    for (int i = 0; i < 200; ++i) {
        many.push_back(window("com.many", "Window " + std::to_string(i), i));
    }
    {
        const FileSizeLimit limit(before.size() + 100);
        store.save(layout("b", "2025-01-02T00:00:00Z", many), true);
        EXPECT_FALSE(store.persist());
    }
    EXPECT_EQ(TemporaryDirectory::readFile(file), before);
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"layouts.json"});
    EXPECT_EQ(store.layout("b")->windows.size(), 200u);
    EXPECT_TRUE(store.persist());
    EXPECT_EQ(LayoutStore::load(file)->at("b").windows.size(), 200u);
}

TEST(AtomicFile, MakesMissingFoldersPrivateAndTightensAnExistingOne) {
    TemporaryDirectory temp;
    const fs::path nested = temp / "one" / "two";
    EXPECT_TRUE(AtomicFile::makePrivateDirectory(nested));
    EXPECT_EQ(modeOf(temp / "one"), 0700u);
    EXPECT_EQ(modeOf(nested), 0700u);

    fs::create_directory(temp / "open");
    fs::permissions(temp / "open", fs::perms(0755));
    EXPECT_TRUE(AtomicFile::makePrivateDirectory(temp / "open"));
    EXPECT_EQ(modeOf(temp / "open"), 0700u);

    TemporaryDirectory::writeFile(temp / "file", "");
    EXPECT_FALSE(AtomicFile::makePrivateDirectory(temp / "file"));
    EXPECT_FALSE(AtomicFile::makePrivateDirectory(temp / "file" / "below"));
}

TEST(AtomicFile, ReadTellsAMissingFileFromAnUnreadableOne) {
    TemporaryDirectory temp;
    EXPECT_EQ(AtomicFile::read(temp / "none").status, AtomicFile::ReadStatus::missing);
    EXPECT_EQ(AtomicFile::read(temp.path()).status, AtomicFile::ReadStatus::unreadable);
    const std::string bytes(200000, 'x');
    ASSERT_TRUE(AtomicFile::write(temp / "big", bytes));
    const AtomicFile::ReadResult result = AtomicFile::read(temp / "big");
    EXPECT_EQ(result.status, AtomicFile::ReadStatus::ok);
    EXPECT_EQ(result.bytes, bytes);
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            previous_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

TEST(LayoutStoreLocation, UsesTheXdgDataHomeElseTheHomeFolder) {
    const std::string bundle = "tamblin-engineering.Plimsett.direct";
    {
        const ScopedEnvironment data("XDG_DATA_HOME", "/srv/data");
        const ScopedEnvironment home("HOME", "/home/someone");
        EXPECT_EQ(LayoutStore::defaultFileURL(bundle),
                  fs::path("/srv/data/tamblin-engineering.Plimsett.direct/layouts.json"));
    }
    for (const char* ignored : {"relative/data", "", static_cast<const char*>(nullptr)}) {
        const ScopedEnvironment data("XDG_DATA_HOME", ignored);
        const ScopedEnvironment home("HOME", "/home/someone");
        EXPECT_EQ(LayoutStore::defaultFileURL(bundle),
                  fs::path("/home/someone/.local/share/tamblin-engineering.Plimsett.direct/"
                           "layouts.json"));
    }
    // Without HOME the account's home folder is used, never a folder shared with other users.
    const ScopedEnvironment data("XDG_DATA_HOME", nullptr);
    const ScopedEnvironment home("HOME", nullptr);
    const passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(LayoutStore::defaultFileURL(bundle),
              fs::path(account->pw_dir) / ".local/share" / bundle / "layouts.json");
}

} // namespace
} // namespace plimsett
