#include "app/windows/WindowPresenter.h"

#include <QLabel>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

TEST(WindowPresenterTest, OneWindowPerKeyMadeOnce) {
    WindowPresenter presenter;
    QSignalSpy shown(&presenter, &WindowPresenter::shown);
    int made = 0;
    const auto content = [&made] {
        ++made;
        return new QLabel(QStringLiteral("first"));
    };
    QWidget* window = presenter.show("preferences", "Plimsett Settings", content);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Plimsett Settings"));

    QWidget* again = presenter.show("preferences", "Another title", [&made] {
        ++made;
        return new QLabel(QStringLiteral("second"));
    });
    EXPECT_EQ(again, window);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Plimsett Settings"));
    EXPECT_EQ(window->findChild<QLabel*>()->text(), QStringLiteral("first"));
    EXPECT_EQ(presenter.windowCount(), 1u);
    ASSERT_EQ(shown.count(), 2);
    EXPECT_TRUE(shown.at(0).at(1).toBool());
    EXPECT_FALSE(shown.at(1).at(1).toBool());

    presenter.show("exclude", "Exclude Apps", content);
    EXPECT_EQ(presenter.windowCount(), 2u);
    EXPECT_NE(presenter.window("exclude"), window);
}

TEST(WindowPresenterTest, ClosingHidesAndTheSameWindowComesBack) {
    WindowPresenter presenter;
    QWidget* window = presenter.show("onboarding", "Welcome to Plimsett",
                                     [] { return new QLabel(QStringLiteral("hello")); });
    auto* label = window->findChild<QLabel*>();
    label->setText(QStringLiteral("changed while open"));

    presenter.close("onboarding");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(presenter.window("onboarding"), window);
    // The window's own close button does the same.
    presenter.show("onboarding", "", nullptr);
    window->close();
    EXPECT_FALSE(window->isVisible());

    QWidget* again = presenter.show("onboarding", "", nullptr);
    EXPECT_EQ(again, window);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(again->findChild<QLabel*>()->text(), QStringLiteral("changed while open"));
    presenter.close("no such key");
}

TEST(WindowPresenterTest, WindowsAreTitledAndClosableOnly) {
    WindowPresenter presenter;
    QWidget* window =
        presenter.show("preferences", "Plimsett Settings", [] { return new QLabel("content"); });
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
    // The size follows the content and cannot be changed.
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_GE(window->width(), window->findChild<QLabel*>()->sizeHint().width());
}

} // namespace
} // namespace plimsett
