// The main of the GNOME Shell tests: one Qt event loop (D-Bus signals) and one headless Shell for
// all of them, stopped at the end.
#include "tests/gnome/support/GnomeShellSession.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    const int status = RUN_ALL_TESTS();
    plimsett::testing::GnomeShellSession::shutDown();
    return status;
}
