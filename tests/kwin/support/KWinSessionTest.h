#pragma once

#include "tests/kwin/support/KWinInspector.h"
#include "tests/kwin/support/KWinTestSession.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace plimsett::testing {

// The fixture of the tests on a KWin of their own: each test gets a fresh session and an
// inspector of its windows, and is skipped where kwin_wayland is not installed.
class KWinSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(PLIMSETT_KWIN_WAYLAND).empty()) {
            GTEST_SKIP() << "kwin_wayland is needed (scripts/setup installs it)";
        }
        session = std::make_unique<KWinTestSession>();
        inspector = std::make_unique<KWinInspector>(session->bus(), session->directory());
    }

    std::unique_ptr<KWinTestSession> session;
    std::unique_ptr<KWinInspector> inspector;
};

} // namespace plimsett::testing
