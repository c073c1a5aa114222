#pragma once

#include "engine/SavedLayout.h"

#include <QLocale>
#include <QObject>
#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QIcon;

namespace plimsett {

class AppModel;

// The tray icon and its menu: the program's only permanent presence on the desktop. The menu is
// rebuilt from the model every time it is about to open, so it needs no change notification.
class StatusMenuController : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<Date()>;

    // Creates the menu, and the tray icon with it, and shows the icon. Where no tray is running
    // yet, the icon appears as soon as one starts. Where the desktop shows the menu itself
    // (GNOME's top bar) there is no tray icon: trayIcon() is null.
    explicit StatusMenuController(AppModel& model, Clock now = nullptr, QObject* parent = nullptr);
    ~StatusMenuController() override;

    // Empties `menu` and fills it with the items of the current state, reading the access state,
    // the current display set, its saved layout and the settings afresh.
    void fill(QMenu& menu);

    // "Saved <relative time> · <count> windows", with "just now" for anything under a minute
    // old (and for a time in the future).
    static QString savedText(const SavedLayout& layout, Date now, const QLocale& locale);
    // This product's icon: the desktop theme's "plimsett" icon, else the one built in.
    static QIcon appIcon();

    // The operations behind the menu items.
    void saveNow();
    void restoreNow();
    void toggleAutoRestore();
    void showExcludeApps();
    void showOnboarding();
    void showPreferences();
    void checkForUpdates();
    void quit();

    // Null where the desktop shows the menu itself.
    QSystemTrayIcon* trayIcon() const { return trayIcon_.get(); }
    QMenu* menu() const { return menu_.get(); }

private:
    AppModel& model_;
    Clock now_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
};

} // namespace plimsett
