#include "engine/LayoutFileCodec.h"

#include "engine/InternetDate.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace plimsett {
namespace {

using namespace std::chrono;
using Json = nlohmann::json;

Date at(const char* text) {
    return *InternetDate::parse(text);
}

SavedLayout sampleLayout() {
    SavedLayout layout;
    layout.displaySetID = "bc12b68aa5c596bf";
    layout.displaySetName = "Built-in + Bürobildschirm";
    layout.displays = {
        {"abc-1", "Color LCD", true, {0, 0, 1512, 982}, {0, 38, 1512, 944}},
        {"def-2", "Bürobildschirm", false, {1512, -457.6, 2560, 1440}, {1512, -432.6, 2560, 1415}}};
    layout.savedAt = at("2025-03-01T09:15:30Z");
    layout.windows = {
        {"com.example.editor",
         "Editor",
         "notes.txt — Editor",
         0,
         {10.5, 20.25, 800, 600},
         false,
         false},
        {"com.example.editor", "Editor", "", 1, {-300, -0.125, 1e-3, 1e6}, true, false},
        {"com.example.video", "Video", "日本語 🎬", 0, {1512, -457.6, 2560, 1440}, false, true}};
    return layout;
}

// A file as another program might write it: keys in another order, unknown keys, integers in
// rectangles, compact layout, a future version.
constexpr const char* foreignFile = R"({
  "comment": "written elsewhere",
  "layouts": [{
    "windows": [{"title": "Inbox", "isFullScreen": false, "index": 2, "extra": [1, 2],
                 "frame": [[100, 200], [640, 480]], "isMinimized": true, "appName": "Mail",
                 "bundleID": "com.example.mail"}],
    "savedAt": "2024-11-05T23:00:01Z",
    "displays": [{"visibleFrame": [[0, 25], [1920, 1055]], "frame": [[0, 0], [1920, 1080]],
                  "isBuiltIn": false, "name": "Wall", "uuid": "W-1", "serial": "x"}],
    "displaySetName": "Wall",
    "displaySetID": "0123456789abcdef",
    "pinned": true
  }],
  "version": 2
})";

TEST(LayoutFileCodec, RoundTripsLayoutsWithWholeSecondDates) {
    SavedLayout second = sampleLayout();
    second.displaySetID = "394057d02cd21416";
    second.displays.resize(1);
    second.windows.clear();
    second.savedAt = at("1999-12-31T23:59:59Z");
    const std::vector<SavedLayout> layouts{sampleLayout(), second};

    const std::string text = LayoutFileCodec::encode(layouts);
    EXPECT_EQ(LayoutFileCodec::decode(text), layouts);
    EXPECT_EQ(LayoutFileCodec::encode(*LayoutFileCodec::decode(text)), text);
    EXPECT_EQ(LayoutFileCodec::decode(LayoutFileCodec::encode({})), std::vector<SavedLayout>{});
}

TEST(LayoutFileCodec, OnlyMaximisedWindowsCarryTheirMaximisedState) {
    SavedLayout layout = sampleLayout();
    layout.windows[0].isMaximizedHorizontally = true;
    layout.windows[0].isMaximizedVertically = true;
    layout.windows[1].isMaximizedVertically = true;
    const std::string text = LayoutFileCodec::encode({layout});
    EXPECT_EQ(LayoutFileCodec::decode(text), std::vector<SavedLayout>{layout});

    const Json windows = Json::parse(text)["layouts"][0]["windows"];
    EXPECT_EQ(windows[0]["maximized"], "both");
    EXPECT_EQ(windows[1]["maximized"], "vertically");
    EXPECT_FALSE(windows[2].contains("maximized"));

    // A value written by a later version that this one does not know reads as not maximised.
    Json changed = Json::parse(text);
    changed["layouts"][0]["windows"][0]["maximized"] = "diagonally";
    const auto read = LayoutFileCodec::decode(changed.dump());
    ASSERT_TRUE(read);
    EXPECT_FALSE((*read)[0].windows[0].isMaximized());
}

TEST(LayoutFileCodec, AWorkspaceIsWrittenOnlyWhenKnownAndAnythingElseLeavesTheWindowWhereItIs) {
    SavedLayout layout = sampleLayout();
    layout.windows[0].workspace = Workspace{2};
    layout.windows[1].workspace = Workspace::every();
    const std::string text = LayoutFileCodec::encode({layout});
    EXPECT_EQ(LayoutFileCodec::decode(text), std::vector<SavedLayout>{layout});

    const Json windows = Json::parse(text)["layouts"][0]["windows"];
    EXPECT_EQ(windows[0]["workspace"], 2);
    EXPECT_EQ(windows[1]["workspace"], "all");
    EXPECT_FALSE(windows[2].contains("workspace"));

    // Values this version cannot use are read as no workspace, and the file still loads.
    for (const Json& value : {Json(-3), Json("second"), Json(1.5), Json(nullptr), Json(1 << 20)}) {
        Json changed = Json::parse(text);
        changed["layouts"][0]["windows"][0]["workspace"] = value;
        const auto read = LayoutFileCodec::decode(changed.dump());
        ASSERT_TRUE(read) << value.dump();
        EXPECT_EQ((*read)[0].windows[0].workspace, std::nullopt) << value.dump();
    }
}

TEST(LayoutFileCodec, DropsTheFractionOfASecond) {
    SavedLayout layout = sampleLayout();
    layout.savedAt += milliseconds(750);
    const auto decoded = LayoutFileCodec::decode(LayoutFileCodec::encode({layout}));
    ASSERT_TRUE(decoded);
    EXPECT_NE(decoded->at(0), layout);
    EXPECT_EQ(decoded->at(0).savedAt, at("2025-03-01T09:15:30Z"));
}

TEST(LayoutFileCodec, WritesThePersistedFormPrettyPrintedWithSortedKeys) {
    const std::string text = LayoutFileCodec::encode({sampleLayout()});
    EXPECT_EQ(text.substr(0, 16), "{\n  \"layouts\": [");
    const Json file = Json::parse(text);
    EXPECT_EQ(file.size(), 2u);
    ASSERT_TRUE(file["version"].is_number_integer());
    EXPECT_EQ(file["version"], 1);

    const Json& layout = file["layouts"][0];
    std::vector<std::string> keys;
    for (const auto& [key, value] : layout.items()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"displaySetID", "displaySetName", "displays",
                                              "savedAt", "windows"}));
    EXPECT_LT(text.find("\"displaySetID\""), text.find("\"displaySetName\""));
    EXPECT_LT(text.find("\"appName\""), text.find("\"bundleID\""));
    EXPECT_EQ(layout["savedAt"], "2025-03-01T09:15:30Z");

    const Json& untitled = layout["windows"][1];
    EXPECT_EQ(untitled["title"], "");
    ASSERT_TRUE(untitled["index"].is_number_integer());
    EXPECT_EQ(untitled["frame"], Json::parse("[[-300, -0.125], [0.001, 1000000.0]]"));
    EXPECT_EQ(layout["displays"][1]["frame"], Json::parse("[[1512.0, -457.6], [2560.0, 1440.0]]"));
    EXPECT_EQ(layout["displays"][0]["isBuiltIn"], true);
}

TEST(LayoutFileCodec, ReadsFilesWrittenByOtherPrograms) {
    const auto decoded = LayoutFileCodec::decode(foreignFile);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 1u);
    const SavedLayout& layout = decoded->front();
    EXPECT_EQ(layout.displaySetID, "0123456789abcdef");
    EXPECT_EQ(layout.displaySetName, "Wall");
    EXPECT_EQ(layout.savedAt, at("2024-11-05T23:00:01Z"));
    EXPECT_EQ(layout.displays,
              (std::vector<DisplayInfo>{
                  {"W-1", "Wall", false, {0, 0, 1920, 1080}, {0, 25, 1920, 1055}}}));
    EXPECT_EQ(layout.windows,
              (std::vector<SavedWindow>{
                  {"com.example.mail", "Mail", "Inbox", 2, {100, 200, 640, 480}, true, false}}));
}

// Replaces the first occurrence of `from` in the foreign file.
std::string foreignWith(const std::string& from, const std::string& to) {
    std::string text = foreignFile;
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(LayoutFileCodec, AcceptsAnyIntegerVersion) {
    for (const char* version : {"1", "0", "-7", "9223372036854775807"}) {
        EXPECT_TRUE(LayoutFileCodec::decode(
            foreignWith("\"version\": 2", "\"version\": " + std::string(version))))
            << version;
    }
}

TEST(LayoutFileCodec, RejectsTheWholeFileForAnyMalformedPart) {
    const std::vector<std::pair<std::string, std::string>> breakages{
        {"\"version\": 2", "\"release\": 2"},
        {"\"version\": 2", "\"version\": 1.5"},
        {"\"version\": 2", "\"version\": \"1\""},
        {"\"version\": 2", "\"version\": null"},
        {"\"version\": 2", "\"version\": true"},
        {"\"version\": 2", "\"version\": 1e300"},
        {"\"title\": \"Inbox\", ", ""},
        {"\"title\": \"Inbox\"", "\"title\": null"},
        {"\"isFullScreen\": false, ", ""},
        {"\"isMinimized\": true", "\"isMinimized\": 1"},
        {"\"index\": 2", "\"index\": 2.5"},
        {"\"index\": 2", "\"index\": \"2\""},
        {"\"index\": 2", "\"index\": 9223372036854775808"},
        {"[[100, 200], [640, 480]]", "[[100, 200], [640]]"},
        {"[[100, 200], [640, 480]]", "[[100, 200], [640, 480], [1, 1]]"},
        {"[[100, 200], [640, 480]]", "[100, 200, 640, 480]"},
        {"[[100, 200], [640, 480]]", "[[100, \"200\"], [640, 480]]"},
        {"[[100, 200], [640, 480]]", "{\"x\": 100}"},
        {"[[100, 200], [640, 480]]", "[[1e999, 200], [640, 480]]"},
        {"\"uuid\": \"W-1\"", "\"uuid\": 1"},
        {"\"isBuiltIn\": false, ", ""},
        {"\"visibleFrame\": [[0, 25], [1920, 1055]], ", ""},
        {"\"savedAt\": \"2024-11-05T23:00:01Z\"", "\"savedAt\": \"2024-11-05T23:00:01.250Z\""},
        {"\"savedAt\": \"2024-11-05T23:00:01Z\"", "\"savedAt\": \"2024-11-05T23:00:01\""},
        {"\"savedAt\": \"2024-11-05T23:00:01Z\"", "\"savedAt\": 752540401"},
        {"\"displaySetID\": \"0123456789abcdef\"", "\"id\": \"0123456789abcdef\""},
        {"\"displays\": [", "\"displays\": [7, "},
        {"\"windows\": [", "\"windows\": [{}, "},
        {"\"layouts\": [", "\"layouts\": [null, "},
        {"\"version\": 2\n}", "\"version\": 2\n"},
        {"\"Wall\"", "\"W\xffll\""},
    };
    for (const auto& [from, to] : breakages) {
        EXPECT_EQ(LayoutFileCodec::decode(foreignWith(from, to)), std::nullopt) << to;
    }
    for (const char* text : {"", "null", "[]", "{}", "{\"version\": 1}", "{\"layouts\": []}",
                             "{\"version\": 1, \"layouts\": {}}", "\xef\xbb\xbf{"}) {
        EXPECT_EQ(LayoutFileCodec::decode(text), std::nullopt) << text;
    }
    EXPECT_TRUE(LayoutFileCodec::decode("{\"version\": 1, \"layouts\": []}"));
}

// The window of the foreign file after replacing part of it; fails the test when it is rejected.
SavedWindow foreignWindowWith(const std::string& from, const std::string& to) {
    const auto decoded = LayoutFileCodec::decode(foreignWith(from, to));
    EXPECT_TRUE(decoded) << to;
    return decoded ? decoded->at(0).windows.at(0) : SavedWindow{};
}

TEST(LayoutFileCodec, OfAKeyRepeatedInOneObjectTheLastOneCounts) {
    const std::string title = "\"title\": \"Inbox\"";
    EXPECT_EQ(foreignWindowWith(title, title + ", \"title\": \"Outbox\"").title, "Outbox");
    // Earlier occurrences are read like unknown keys: their type does not matter, only their
    // syntax.
    EXPECT_EQ(foreignWindowWith(title, "\"title\": null, " + title).title, "Inbox");
    EXPECT_EQ(LayoutFileCodec::decode(foreignWith(title, "\"title\": [1,], " + title)),
              std::nullopt);
    EXPECT_EQ(LayoutFileCodec::decode(foreignWith(title, title + ", \"title\": 7")), std::nullopt);
    // Keys are compared unescaped.
    EXPECT_EQ(foreignWindowWith(title, title + ", \"ti\\u0074le\": \"Outbox\"").title, "Outbox");
    // The same for whole arrays: the later "layouts" replaces the earlier one.
    EXPECT_EQ(
        LayoutFileCodec::decode(foreignWith("\"version\": 2", "\"version\": 2, \"layouts\": []")),
        std::vector<SavedLayout>{});
}

TEST(LayoutFileCodec, ReadsNumbersAsOtherJsonReadersDo) {
    const std::string frame = "[[100, 200], [640, 480]]";
    // Integers beyond 64 bits and decimals of many digits are read to the nearest double, and
    // the integer -0 is 0.
    const SavedWindow exotic =
        foreignWindowWith(frame, "[[123456789012345678901234567890, -0], [0.92233720368547758070, "
                                 "-12345.678901234567890123e-0000000000000000000002]]");
    EXPECT_EQ(exotic.frame, (Rect{123456789012345678901234567890.0, 0, 0.92233720368547758070,
                                  -12345.678901234567890123e-2}));
    EXPECT_FALSE(std::signbit(exotic.frame.y));
    EXPECT_EQ(
        foreignWindowWith(frame, "[[1e-400, -0.0], [4.9e-324, 1.7976931348623157e308]]").frame,
        (Rect{0, -0.0, 4.9e-324, 1.7976931348623157e308}));
    EXPECT_TRUE(std::signbit(foreignWindowWith(frame, "[[0, -0.0], [1, 1]]").frame.y));

    // An index must be an integer within 64 bits, however it is written.
    const std::string index = "\"index\": 2";
    EXPECT_EQ(foreignWindowWith(index, "\"index\": -9223372036854775808").index,
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(foreignWindowWith(index, "\"index\": 2.5e1").index, 25);
    EXPECT_EQ(foreignWindowWith(index, "\"index\": -0").index, 0);
    for (const char* rejected : {"18446744073709551616", "1e19", "0.5", "1e400", "-", "02", "2."}) {
        EXPECT_EQ(
            LayoutFileCodec::decode(foreignWith(index, "\"index\": " + std::string(rejected))),
            std::nullopt)
            << rejected;
    }
}

TEST(LayoutFileCodec, ValuesOfUnknownKeysMustStillBeJson) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::vector<std::string> valid{
        "{\"a\": [1e-400, 123456789012345678901234567890, \"\\ud83c\\udfac\"]}", "null", deep};
    const std::vector<std::string> invalid{
        "[1, 2,]", "[1 2]", "{\"a\" 1}", "{\"a\": 1,}", "tru", "nul",    "01",
        "1.",      "1e400", "\"\\x\"",   "\"\\ud800\"", "[[]", "\"\t\"", deep.substr(1)};
    // In the root, a layout, a window and a display.
    const std::vector<std::pair<std::string, std::string>> unknown{
        {"\"comment\": ", "\"written elsewhere\""},
        {"\"pinned\": ", "true"},
        {"\"extra\": ", "[1, 2]"},
        {"\"serial\": ", "\"x\""}};
    for (const auto& [key, current] : unknown) {
        for (const std::string& value : valid) {
            EXPECT_TRUE(LayoutFileCodec::decode(foreignWith(key + current, key + value)))
                << key << value.substr(0, 80);
        }
        for (const std::string& value : invalid) {
            EXPECT_EQ(LayoutFileCodec::decode(foreignWith(key + current, key + value)),
                      std::nullopt)
                << key << value.substr(0, 80);
        }
    }
}

TEST(LayoutFileCodec, SkipsAByteOrderMarkAndEndsAtANulByte) {
    const auto plain = LayoutFileCodec::decode(foreignFile);
    ASSERT_TRUE(plain);
    const std::string file = foreignFile;
    // A file padded with zeros, as a crash may leave it; anything after the first zero is unread.
    for (const std::string& text : {"\xEF\xBB\xBF" + file, file + std::string(64, '\0'),
                                    file + std::string("\0{\"version\"", 12)}) {
        EXPECT_EQ(LayoutFileCodec::decode(text), plain);
        EXPECT_EQ(LayoutFileCodec::decode(std::string_view(text)), plain);
    }
    for (const std::string& text :
         {" \xEF\xBB\xBF" + file, std::string("\0", 1) + file, file.substr(0, 40) + '\0' + file,
          foreignWith("\"Wall\"", std::string("\"W\0ll\"", 6))}) {
        EXPECT_EQ(LayoutFileCodec::decode(text), std::nullopt);
    }
}

TEST(LayoutFileCodec, ReadsAStringWithRoomInPlaceAndOtherwiseACopyAlike) {
    const auto plain = LayoutFileCodec::decode(std::string_view(foreignFile));
    ASSERT_TRUE(plain);
    std::string roomy = foreignFile;
    roomy.reserve(roomy.size() + 4096);
    std::string tight = foreignFile;
    tight.shrink_to_fit();
    EXPECT_EQ(LayoutFileCodec::decode(roomy), plain);
    EXPECT_EQ(LayoutFileCodec::decode(tight), plain);
    // Reading in place leaves the string as it was.
    EXPECT_EQ(roomy, foreignFile);
}

TEST(LayoutFileCodec, RepairsTextThatIsNotUtf8WhenEncoding) {
    SavedLayout layout = sampleLayout();
    layout.windows[0].title = "Report \xff\xfe draft";
    layout.displays[1].name = "Broken \xc3";
    layout.displaySetName = "\xe2\x82";

    const std::string text = LayoutFileCodec::encode({layout});
    const auto decoded = LayoutFileCodec::decode(text);
    ASSERT_TRUE(decoded);
    const SavedLayout& back = decoded->front();
    EXPECT_EQ(back.windows[0].title.substr(0, 7), "Report ");
    EXPECT_NE(back.windows[0].title.find("\xef\xbf\xbd"), std::string::npos);
    EXPECT_EQ(back.windows[0].title.substr(back.windows[0].title.size() - 6), " draft");
    EXPECT_NE(back.displays[1].name.find("\xef\xbf\xbd"), std::string::npos);
    EXPECT_NE(back.displaySetName.find("\xef\xbf\xbd"), std::string::npos);
    // Everything else survives, and the repaired form is stable.
    EXPECT_EQ(back.windows[1], layout.windows[1]);
    EXPECT_EQ(LayoutFileCodec::encode(*decoded), text);
}

TEST(LayoutFileCodec, EscapesEveryCharacterThatJsonRequires) {
    std::string awkward = "quote \" backslash \\ slash / del \x7f";
    for (char c = 0; c < 0x20; ++c) {
        awkward += c;
    }
    SavedLayout layout = sampleLayout();
    layout.windows[0].title = awkward;
    layout.displays[0].uuid = std::string("nul\0inside", 10);
    const std::string text = LayoutFileCodec::encode({layout});
    EXPECT_TRUE(Json::accept(text));
    EXPECT_EQ(LayoutFileCodec::decode(text), std::vector<SavedLayout>{layout});
}

TEST(LayoutFileCodec, NumbersReadBackExactly) {
    SavedLayout layout = sampleLayout();
    const std::vector<Rect> frames{{-0.0, 1e21, 1e-7, 2.5},
                                   {std::numeric_limits<double>::max(),
                                    std::numeric_limits<double>::denorm_min(), 0.1 + 0.2, -1e-300},
                                   {9007199254740993.0, -123456789.125, 1.0 / 3.0, 4e15}};
    layout.windows.clear();
    for (const Rect& frame : frames) {
        layout.windows.push_back(
            {"com.n", "N", "", std::numeric_limits<std::int64_t>::min(), frame, false, false});
    }
    const std::string text = LayoutFileCodec::encode({layout});
    const auto decoded = LayoutFileCodec::decode(text);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->front().windows, layout.windows);
    EXPECT_TRUE(std::signbit(decoded->front().windows[0].frame.x));
    EXPECT_EQ(LayoutFileCodec::encode(*decoded), text);
}

TEST(LayoutFileCodec, WritesNonFiniteCoordinatesAsZero) {
    SavedLayout layout = sampleLayout();
    layout.windows[0].frame = {std::nan(""), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), 5};
    const auto decoded = LayoutFileCodec::decode(LayoutFileCodec::encode({layout}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->front().windows[0].frame, (Rect{0, 0, 0, 5}));
}

} // namespace
} // namespace plimsett
