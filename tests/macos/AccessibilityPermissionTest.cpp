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
