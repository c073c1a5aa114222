#pragma once

#include <QWidget>
#include <optional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace plimsett {

class AppModel;
class LayoutRow;
class SymbolLabel;

// The settings window's content: restoring switches, the access state, the saved layouts with a
// way to forget each, and updates (the version alone in a build without an updater). Everything but the automatic-update switch is read from the
// model again at every change notification.
class PreferencesView : public QWidget {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 460;
    static constexpr int minimumHeight = 520;
    // Beyond this the form scrolls instead of growing the window.
    static constexpr int maximumHeight = 720;

    // `automaticUpdates` is the automatic-update switch's starting value.
    PreferencesView(AppModel& model, bool automaticUpdates, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // "<short version> (<build number>)", with "?" standing for a part that is missing or empty.
    static QString versionText(const std::optional<QString>& shortVersion,
                               const std::optional<QString>& buildNumber);
    // The version line of this build.
    static QString buildVersionText();

    // Reads everything from the model again.
    void redraw();

    QCheckBox* autoRestoreToggle() const { return autoRestore_; }
    QCheckBox* wakeToggle() const { return wake_; }
    QCheckBox* otherArrangementsToggle() const { return otherArrangements_; }
    QCheckBox* openingWindowsToggle() const { return openingWindows_; }
    QCheckBox* loginToggle() const { return login_; }
    // Null, with the check button, in a build without an updater.
    QCheckBox* automaticUpdatesToggle() const { return automaticUpdates_; }
    QPushButton* excludeAppsButton() const { return excludeApps_; }
    QPushButton* checkForUpdatesButton() const { return checkForUpdates_; }
    // The button that explains how to get access; null while access is on.
    QPushButton* allowAccessButton() const { return allowAccess_; }
    QString accessText() const;
    QString versionValue() const;
    std::vector<LayoutRow*> layoutRows() const;
    // The "nothing saved" text; null while there are layouts.
    QLabel* noLayoutsLabel() const { return noLayouts_; }

private:
    QGroupBox* section(const QString& title, QVBoxLayout*& content);
    void drawAccess();
    void drawLayouts();
    // Puts `fresh` where `old` was in `layout` and lets `old` go once the current event is done
    // (a button inside it may be the one being clicked).
    static void replace(QVBoxLayout* layout, QWidget*& old, QWidget* fresh);

    AppModel& model_;
    QScrollArea* scroll_;
    QWidget* form_;
    QCheckBox* autoRestore_;
    QCheckBox* wake_;
    QCheckBox* otherArrangements_;
    QCheckBox* openingWindows_;
    QCheckBox* login_;
    QPushButton* excludeApps_;
    QVBoxLayout* accessBox_;
    QWidget* access_ = nullptr;
    SymbolLabel* accessLabel_ = nullptr;
    QPushButton* allowAccess_ = nullptr;
    QVBoxLayout* layoutsBox_;
    QWidget* layouts_ = nullptr;
    QLabel* noLayouts_ = nullptr;
    QCheckBox* automaticUpdates_ = nullptr;
    QPushButton* checkForUpdates_ = nullptr;
    QLabel* version_;
};

} // namespace plimsett
