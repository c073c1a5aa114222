#include "platform/macos/AXWindowSystem.h"

#include "platform/macos/AXElementHandle.h"
#include "platform/macos/AccessibilityPermission.h"
#include "tests/macos/FakeAccessibilityApi.h"
#include "tests/macos/FakeWorkspaceApi.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using ::testing::ElementsAre;
using testing::FakeAccessibilityApi;
using testing::FakeWorkspaceApi;
using ::testing::IsEmpty;

class AXWindowSystemTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeAccessibilityApi> ax = std::make_shared<FakeAccessibilityApi>();
    std::shared_ptr<FakeWorkspaceApi> workspace = std::make_shared<FakeWorkspaceApi>();
    AXWindowSystem system{ax, workspace};

    // A regular application with one standard window.
    CFRef addApplication(WorkspaceApi::RunningApplication app, const std::string& window) {
        CFRef element = ax->standardWindow(window, {10, 20, 300, 200});
        ax->setWindows(app.processIdentifier, {element});
        workspace->applications.push_back(std::move(app));
        return element;
    }

    static std::vector<std::string> titlesAndIndexes(const std::vector<LiveWindow>& windows) {
        std::vector<std::string> out;
        for (const LiveWindow& w : windows) {
            out.push_back(w.bundleID + "/" + w.title + "#" + std::to_string(w.index));
        }
        return out;
    }

    static LiveWindow windowWithHandle(CFRef element) {
        LiveWindow window;
        window.handle = std::make_shared<AXElementHandle>(std::move(element));
        return window;
    }
};

TEST_F(AXWindowSystemTest, WithoutAccessNothingIsListedOrMovedAndNoApplicationIsAsked) {
    const CFRef window = addApplication(FakeWorkspaceApi::application(20, "com.a", "A"), "w");
    ax->trusted = false;

    EXPECT_FALSE(system.isTrusted());
    EXPECT_THAT(system.windows(), IsEmpty());
    EXPECT_FALSE(system.move(windowWithHandle(window), {0, 0, 100, 100}));
    EXPECT_EQ(workspace->listings, 0);
    EXPECT_THAT(ax->calls, IsEmpty());

    // The trust answer is asked afresh every time, never cached.
    ax->trusted = true;
    EXPECT_TRUE(system.isTrusted());
    EXPECT_EQ(system.windows().size(), 1u);
}

TEST_F(AXWindowSystemTest, OnlyRegularApplicationsOtherThanThisOneWithABundleIDAreAsked) {
    auto accessory = FakeWorkspaceApi::application(11, "com.accessory", "Accessory");
    accessory.activationPolicy = 1;
    auto background = FakeWorkspaceApi::application(12, "com.background", "Background");
    background.activationPolicy = 2;
    auto own = FakeWorkspaceApi::application(workspace->ownPid, "com.own", "Plimsett");
    auto terminated = FakeWorkspaceApi::application(14, "com.terminated", "Gone");
    terminated.isTerminated = true;
    auto anonymous = FakeWorkspaceApi::application(15, "", "Anonymous");
    anonymous.bundleIdentifier.reset();
    for (auto& app : {accessory, background, own, terminated, anonymous,
                      FakeWorkspaceApi::application(16, "com.editor", "Editor")}) {
        addApplication(app, "w" + std::to_string(app.processIdentifier));
    }

    const std::vector<LiveWindow> windows = system.windows();

    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].bundleID, "com.editor");
    // Skipped applications are not even contacted; the one asked gets its timeout first.
    EXPECT_THAT(ax->callsStartingWith("create"), ElementsAre("create 16"));
    EXPECT_THAT(std::vector<std::string>(ax->calls.begin(), ax->calls.begin() + 3),
                ElementsAre("create 16", "timeout app16 0.5", "copy app16 AXWindows"));
}

TEST_F(AXWindowSystemTest, AnApplicationWhoseWindowListIsUnusableContributesNothing) {
    const std::vector<std::int32_t> pids{21, 22, 23, 24, 25, 26};
    for (std::int32_t pid : pids) {
        addApplication(FakeWorkspaceApi::application(pid, "com.app" + std::to_string(pid), "App"),
                       "w" + std::to_string(pid));
    }
    const auto app = [&](std::int32_t pid) { return ax->applicationElement(pid); };
    ax->setAttribute(app(21), "AXWindows", ax->array({}), FakeAccessibilityApi::cannotComplete);
    ax->setAttribute(app(22), "AXWindows", nullptr);
    ax->setAttribute(app(23), "AXWindows", ax->string("not a list"));
    ax->setAttribute(app(24), "AXWindows",
                     ax->array({ax->standardWindow("w24", {0, 0, 10, 10}), ax->string("x")}));
    ax->setAttribute(app(25), "AXWindows", ax->array({}));

    const std::vector<LiveWindow> windows = system.windows();

    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].bundleID, "com.app26");
}

TEST_F(AXWindowSystemTest, UnusableWindowsAreSkippedAndTakeNoIndex) {
    workspace->applications.push_back(FakeWorkspaceApi::application(30, "com.app", "App"));
    const Rect frame{100, 50, 800, 600};
    auto window = [&](const std::string& name) {
        CFRef w = ax->standardWindow(name, frame);
        ax->setAttribute(w, "AXTitle", ax->string(name));
        return w;
    };
    const CFRef dialog = window("dialog");
    ax->setAttribute(dialog, "AXSubrole", ax->string("AXDialog"));
    const CFRef noSubrole = window("noSubrole");
    ax->setAttribute(noSubrole, "AXSubrole", nullptr, FakeAccessibilityApi::cannotComplete);
    const CFRef subroleNotText = window("subroleNotText");
    ax->setAttribute(subroleNotText, "AXSubrole", ax->boolean(true));
    const CFRef noWidth = window("noWidth");
    ax->setAttribute(noWidth, "AXSize", ax->size(0, 600));
    const CFRef noHeight = window("noHeight");
    ax->setAttribute(noHeight, "AXSize", ax->size(800, 0));
    const CFRef negative = window("negative");
    ax->setAttribute(negative, "AXSize", ax->size(-800, 600));
    const CFRef positionFails = window("positionFails");
    ax->setAttribute(positionFails, "AXPosition", ax->point(0, 0),
                     FakeAccessibilityApi::cannotComplete);
    const CFRef sizeFails = window("sizeFails");
    ax->setAttribute(sizeFails, "AXSize", ax->size(1, 1), FakeAccessibilityApi::cannotComplete);
    const CFRef sizeNotValue = window("sizeNotValue");
    ax->setAttribute(sizeNotValue, "AXSize", ax->string("800x600"));
    const CFRef noPosition = window("noPosition");
    ax->setAttribute(noPosition, "AXPosition", nullptr);
    const CFRef positionOfSizeType = window("positionOfSizeType");
    ax->setAttribute(positionOfSizeType, "AXPosition", ax->size(100, 50));
    const CFRef sizeOfPointType = window("sizeOfPointType");
    ax->setAttribute(sizeOfPointType, "AXSize", ax->point(800, 600));

    ax->setWindows(30, {dialog, window("first"), noSubrole, subroleNotText, noWidth, noHeight,
                        negative, window("second"), positionFails, sizeFails, sizeNotValue,
                        noPosition, positionOfSizeType, sizeOfPointType, window("third")});

    const std::vector<LiveWindow> windows = system.windows();

    EXPECT_THAT(titlesAndIndexes(windows),
                ElementsAre("com.app/first#0", "com.app/second#1", "com.app/third#2"));
    for (const LiveWindow& w : windows) {
        EXPECT_EQ(w.frame, frame);
        EXPECT_EQ(w.appName, "App");
    }
    // What each window costs: a non-standard window only its subrole, a window without a usable
    // frame no title or state.
    EXPECT_THAT(ax->callsStartingWith("copy dialog"), ElementsAre("copy dialog AXSubrole"));
    EXPECT_THAT(
        ax->callsStartingWith("copy noWidth"),
        ElementsAre("copy noWidth AXSubrole", "copy noWidth AXPosition", "copy noWidth AXSize"));
    EXPECT_THAT(ax->callsStartingWith("copy positionFails"),
                ElementsAre("copy positionFails AXSubrole", "copy positionFails AXPosition"));
    EXPECT_THAT(ax->callsStartingWith("copy first"),
                ElementsAre("copy first AXSubrole", "copy first AXPosition", "copy first AXSize",
                            "copy first AXTitle", "copy first AXMinimized",
                            "copy first AXFullScreen"));
}

TEST_F(AXWindowSystemTest, EveryApplicationProcessCountsItsOwnWindows) {
    // Two processes of one application, and another application without a localized name.
    workspace->applications.push_back(FakeWorkspaceApi::application(41, "com.term", "Term"));
    workspace->applications.push_back(FakeWorkspaceApi::application(42, "com.term", "Term"));
    auto nameless = FakeWorkspaceApi::application(43, "com.nameless", "");
    nameless.localizedName.reset();
    workspace->applications.push_back(nameless);
    auto titled = [&](const std::string& name) {
        CFRef w = ax->standardWindow(name, {0, 0, 640, 480});
        ax->setAttribute(w, "AXTitle", ax->string(name));
        return w;
    };
    ax->setWindows(41, {titled("a"), titled("b")});
    ax->setWindows(42, {titled("c")});
    ax->setWindows(43, {titled("d"), titled("e")});

    const std::vector<LiveWindow> windows = system.windows();

    EXPECT_THAT(titlesAndIndexes(windows),
                ElementsAre("com.term/a#0", "com.term/b#1", "com.term/c#0", "com.nameless/d#0",
                            "com.nameless/e#1"));
    EXPECT_EQ(windows[3].appName, "com.nameless");
}

TEST_F(AXWindowSystemTest, TitleAndStatesFallBackWhenUnreadable) {
    workspace->applications.push_back(FakeWorkspaceApi::application(50, "com.notes", "Notes"));
    const CFRef plain = ax->standardWindow("plain", {0, 0, 640, 480});
    ax->setAttribute(plain, "AXTitle", ax->string("x"), FakeAccessibilityApi::cannotComplete);
    ax->setAttribute(plain, "AXMinimized", ax->string("yes"));
    ax->setAttribute(plain, "AXFullScreen", ax->boolean(true),
                     FakeAccessibilityApi::cannotComplete);
    const CFRef titleNotText = ax->standardWindow("titleNotText", {0, 0, 640, 480});
    ax->setAttribute(titleNotText, "AXTitle", ax->other());
    const CFRef minimized = ax->standardWindow("minimized", {-30, 900, 640, 480});
    ax->setAttribute(minimized, "AXTitle", ax->string("Shopping list"));
    ax->setAttribute(minimized, "AXMinimized", ax->boolean(true));
    ax->setAttribute(minimized, "AXFullScreen", ax->boolean(false));
    const CFRef fullScreen = ax->standardWindow("fullScreen", {0, 0, 1920, 1080});
    ax->setAttribute(fullScreen, "AXFullScreen", ax->boolean(true));
    ax->setWindows(50, {plain, titleNotText, minimized, fullScreen});

    const std::vector<LiveWindow> windows = system.windows();

    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[0].title, "");
    EXPECT_FALSE(windows[0].isMinimized);
    EXPECT_FALSE(windows[0].isFullScreen);
    EXPECT_EQ(windows[1].title, "");
    EXPECT_EQ(windows[2].title, "Shopping list");
    EXPECT_TRUE(windows[2].isMinimized);
    EXPECT_FALSE(windows[2].isFullScreen);
    EXPECT_EQ(windows[2].frame, (Rect{-30, 900, 640, 480}));
    EXPECT_FALSE(windows[3].isMinimized);
    EXPECT_TRUE(windows[3].isFullScreen);
    // The handle is the window's own element, which move sends its changes to.
    const auto* handle = dynamic_cast<const AXElementHandle*>(windows[2].handle.get());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->element(), minimized);
}

TEST_F(AXWindowSystemTest, MoveSetsSizeThenPositionThenSizeAgain) {
    const CFRef window = ax->standardWindow("win", {0, 0, 10, 10});

    EXPECT_TRUE(system.move(windowWithHandle(window), {100, -50.5, 800, 600}));

    EXPECT_THAT(ax->calls, ElementsAre("set win AXSize 800x600", "set win AXPosition 100,-50.5",
                                       "set win AXSize 800x600"));
}

TEST_F(AXWindowSystemTest, MoveFailsWhenTheSizeOrThePositionIsRefusedYetSendsAllThreeChanges) {
    const CFRef window = ax->standardWindow("win", {0, 0, 10, 10});
    const LiveWindow live = windowWithHandle(window);

    ax->answerSet(window, "AXSize", FakeAccessibilityApi::attributeUnsupported);
    EXPECT_FALSE(system.move(live, {1, 2, 3, 4}));
    EXPECT_THAT(ax->calls,
                ElementsAre("set win AXSize 3x4", "set win AXPosition 1,2", "set win AXSize 3x4"));

    ax->calls.clear();
    ax->answerSet(window, "AXSize", FakeAccessibilityApi::success);
    ax->answerSet(window, "AXPosition", FakeAccessibilityApi::cannotComplete);
    EXPECT_FALSE(system.move(live, {1, 2, 3, 4}));
    EXPECT_EQ(ax->calls.size(), 3u);

    // Both accepted again.
    ax->calls.clear();
    ax->answerSet(window, "AXPosition", FakeAccessibilityApi::success);
    EXPECT_TRUE(system.move(live, {1, 2, 3, 4}));
}

TEST_F(AXWindowSystemTest, MoveFailsWhenAValueCannotBeMade) {
    const LiveWindow live = windowWithHandle(ax->standardWindow("win", {0, 0, 10, 10}));

    ax->pointValuesFail = true;
    EXPECT_FALSE(system.move(live, {1, 2, 3, 4}));
    EXPECT_THAT(ax->calls, ElementsAre("set win AXSize 3x4", "set win AXSize 3x4"));

    ax->calls.clear();
    ax->pointValuesFail = false;
    ax->sizeValuesFail = true;
    EXPECT_FALSE(system.move(live, {1, 2, 3, 4}));
    EXPECT_THAT(ax->calls, ElementsAre("set win AXPosition 1,2"));
}

TEST_F(AXWindowSystemTest, MoveOfSomethingThatIsNotAnElementSendsNothing) {
    class OtherHandle : public WindowHandle {};
    LiveWindow foreign;
    foreign.handle = std::make_shared<OtherHandle>();

    EXPECT_FALSE(system.move(foreign, {0, 0, 100, 100}));
    EXPECT_FALSE(system.move(LiveWindow{}, {0, 0, 100, 100}));
    EXPECT_FALSE(system.move(windowWithHandle(ax->string("not an element")), {0, 0, 100, 100}));
    EXPECT_FALSE(system.move(windowWithHandle(nullptr), {0, 0, 100, 100}));
    EXPECT_THAT(ax->calls, IsEmpty());
}

// MARK: The permission over the same calls

TEST(AccessibilityPermission, RequestingAccessPromptsAndOpensTheSettingsOnlyWhileMissing) {
    const auto ax = std::make_shared<FakeAccessibilityApi>();
    const auto workspace = std::make_shared<FakeWorkspaceApi>();
    AccessibilityPermission permission(ax, workspace);

    ax->trusted = true;
    permission.requestAccess();
    EXPECT_EQ(ax->promptQueries, 1);
    EXPECT_THAT(workspace->opened, IsEmpty());

    ax->trusted = false;
    EXPECT_FALSE(permission.isTrusted());
    permission.requestAccess();
    EXPECT_THAT(workspace->opened,
                ElementsAre("x-apple.systempreferences:com.apple.preference.security?"
                            "Privacy_Accessibility"));

    // The prompt itself may grant access; then nothing is opened.
    ax->trustedAfterPrompt = true;
    permission.requestAccess();
    EXPECT_EQ(workspace->opened.size(), 1u);
    EXPECT_TRUE(permission.isTrusted());
}

} // namespace
} // namespace plimsett
