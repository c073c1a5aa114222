#pragma once

#include "engine/InMemoryDefaultsDatabase.h"
#include "engine/LayoutController.h"
#include "tests/support/FakeDisplayProvider.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace plimsett::testing {

// A laptop with a studio display to its right, a scheduler on a virtual clock, a store in a
// fresh folder, and a controller over fakes. Three windows: an editor's report on the laptop,
// its notes and a browser on the studio display.
class LayoutControllerTest : public ::testing::Test {
protected:
    using WindowId = FakeWindowSystem::WindowId;

    static constexpr Rect laptopFrame{0, 0, 1440, 900};
    static constexpr Rect laptopVisible{0, 25, 1440, 875};
    static constexpr Rect studioFrame{1440, 0, 2560, 1440};
    static constexpr Rect studioVisible{1440, 25, 2560, 1415};

    static constexpr Rect reportFrame{100, 100, 600, 400};
    static constexpr Rect notesFrame{1600, 200, 800, 600};
    static constexpr Rect homeFrame{2000, 300, 1000, 700};

    static DisplayInfo laptop() {
        return FakeDisplayProvider::display("laptop-uuid", laptopFrame, laptopVisible, "Color LCD",
                                            true);
    }
    static DisplayInfo studio() {
        return FakeDisplayProvider::display("studio-uuid", studioFrame, studioVisible, "Studio");
    }
    static DisplaySet bothDisplays() { return DisplaySet({laptop(), studio()}); }
    static DisplaySet laptopOnly() { return DisplaySet({laptop()}); }

    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "plimsett-controller-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        scheduler = std::make_shared<ManualScheduler>();
        start = scheduler->now();
        windows = std::make_shared<FakeWindowSystem>();
        displays = std::make_shared<FakeDisplayProvider>(std::vector{laptop(), studio()});
        defaults = std::make_shared<InMemoryDefaultsDatabase>();
        preferences = std::make_shared<Preferences>(defaults);
        store = std::make_shared<LayoutStore>(dir / "layouts.json");
        report = windows->addWindow(editor, "Report", reportFrame);
        notes = windows->addWindow(editor, "Notes", notesFrame);
        home = windows->addWindow(browser, "Home", homeFrame);
    }

    void TearDown() override {
        controller.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // Builds the controller over the displays connected now, counting its onChange calls.
    void makeController() {
        controller = LayoutController::make(windows, displays, store, preferences, scheduler,
                                            scheduler->clock(), "Built-in");
        controller->setOnChange([this] { ++changes; });
    }

    // A pass's counts; the fake window system answers before the call returns.
    std::optional<RestoreResult> restoreNow() {
        std::optional<std::optional<RestoreResult>> answer;
        controller->restoreNow([&](std::optional<RestoreResult> result) { answer = result; });
        EXPECT_TRUE(answer.has_value());
        return answer.value_or(std::nullopt);
    }
    RestoreResult restore(const SavedLayout& layout, const std::vector<DisplayInfo>& onto) {
        std::optional<RestoreResult> answer;
        controller->restore(layout, onto, [&](std::optional<RestoreResult> r) { answer = r; });
        EXPECT_TRUE(answer.has_value());
        return answer.value_or(RestoreResult{});
    }

    void startController() {
        if (!controller) {
            makeController();
        }
        controller->start();
    }

    // What the system does when the studio display goes: its windows land on the laptop.
    void unplugStudio() {
        displays->setDisplays({laptop()});
        windows->setFrame(notes, Rect{40, 60, 800, 600});
        windows->setFrame(home, Rect{300, 80, 1000, 700});
    }
    void plugStudio() { displays->setDisplays({laptop(), studio()}); }

    // Files a layout of the windows as they are now under `set`, straight into the store.
    SavedLayout saveCurrentWindows(const DisplaySet& set) {
        std::vector<SavedWindow> saved;
        for (const LiveWindow& w : windows->windows()) {
            saved.push_back(w.savedWindow());
        }
        return saveLayout(set, std::move(saved));
    }

    // Files a layout of `saved` under `set`, straight into the store.
    SavedLayout saveLayout(const DisplaySet& set, std::vector<SavedWindow> saved) {
        return store->save(SavedLayout{set.id, set.name("Built-in"), set.displays, scheduler->now(),
                                       std::move(saved)},
                           false);
    }

    std::optional<SavedLayout> layoutOf(const DisplaySet& set) const {
        return store->layout(set.id);
    }

    // The virtual time `seconds` after the test began.
    Date at(double seconds) const {
        return start +
               std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
    }

    std::filesystem::path dir;
    Date start;
    std::shared_ptr<ManualScheduler> scheduler;
    std::shared_ptr<FakeWindowSystem> windows;
    std::shared_ptr<FakeDisplayProvider> displays;
    std::shared_ptr<InMemoryDefaultsDatabase> defaults;
    std::shared_ptr<Preferences> preferences;
    std::shared_ptr<LayoutStore> store;
    std::shared_ptr<LayoutController> controller;
    int changes = 0;

    const std::string editor = "com.example.editor";
    const std::string browser = "com.example.browser";
    WindowId report = 0;
    WindowId notes = 0;
    WindowId home = 0;
};

} // namespace plimsett::testing
