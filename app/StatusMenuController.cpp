#include "app/StatusMenuController.h"

#include "app/AppModel.h"
#include "app/windows/RelativeTimeFormatter.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <chrono>

namespace plimsett {
namespace {

QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback) {
    const QString themeName = QString::fromLatin1(name);
    if (QIcon::hasThemeIcon(themeName)) {
        return QIcon::fromTheme(themeName);
    }
    return QApplication::style()->standardIcon(fallback);
}

QAction* addItem(QMenu& menu, const QString& title, bool enabled) {
    QAction* action = menu.addAction(title);
    action->setEnabled(enabled);
    return action;
}

} // namespace

StatusMenuController::StatusMenuController(AppModel& model, Clock now, QObject* parent)
    : QObject(parent), model_(model),
      now_(now ? std::move(now) : [] { return std::chrono::system_clock::now(); }),
      menu_(std::make_unique<QMenu>()) {
    menu_->setObjectName(QStringLiteral("statusMenu"));
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] { fill(*menu_); });
    // The menu opens with the first item already built, also where the tray shows it without
    // announcing it first.
    fill(*menu_);
    // Not even made where the desktop shows the menu: on GNOME, Qt would look for a tray that
    // is not there (and warn that its platform has no tray signal).
    if (model_.desktopShowsMenu()) {
        return;
    }
    trayIcon_ = std::make_unique<QSystemTrayIcon>();
    trayIcon_->setIcon(appIcon());
    trayIcon_->setToolTip(tr("Plimsett"));
    trayIcon_->setContextMenu(menu_.get());
    // A plain click opens the menu too, as a menu-bar item would.
    connect(trayIcon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    menu_->popup(QCursor::pos());
                }
            });
    trayIcon_->show();
}

StatusMenuController::~StatusMenuController() {
    if (trayIcon_) {
        trayIcon_->hide();
        trayIcon_->setContextMenu(nullptr);
    }
}

QIcon StatusMenuController::appIcon() {
    QIcon bundled;
    for (int size : {16, 22, 24, 32, 48, 64, 128}) {
        bundled.addFile(QStringLiteral(":/plimsett/icons/plimsett-%1.png").arg(size),
                        QSize(size, size));
    }
    return QIcon::fromTheme(QStringLiteral("plimsett"), bundled);
}

QString StatusMenuController::savedText(const SavedLayout& layout, Date now,
                                        const QLocale& locale) {
    const double age = std::chrono::duration<double>(now - layout.savedAt).count();
    const QString when =
        age < 60 ? tr("just now") : RelativeTimeFormatter(locale).format(layout.savedAt, now);
    return tr("Saved %1 · %2 windows")
        .arg(when, QString::number(static_cast<qulonglong>(layout.windows.size())));
}

void StatusMenuController::fill(QMenu& menu) {
    menu.clear();
    const bool trusted = model_.isTrusted();
    const LayoutController& controller = *model_.controller();
    const std::optional<SavedLayout> layout = controller.currentLayout();
    const DisplaySet& set = controller.currentSet();

    const QString setName = set.displays.empty()
                                ? tr("No displays")
                                : QString::fromStdString(set.name(controller.builtInName()));
    QAction* head = addItem(menu, setName, false);
    head->setIcon(themeIcon("video-display", QStyle::SP_ComputerIcon));

    addItem(menu,
            layout ? savedText(*layout, now_(), QLocale())
                   : tr("No layout saved for these displays yet"),
            false);
    if (!trusted) {
#ifdef Q_OS_MACOS
        QAction* allow = addItem(menu, tr("Allow Accessibility Access…"), true);
#else
        // What access is differs by desktop (a window manager, a Shell extension, a KWin
        // script); the first-run window that the item opens says which.
        QAction* allow = addItem(menu, tr("Set Up Window Access…"), true);
#endif
        allow->setIcon(themeIcon("dialog-warning", QStyle::SP_MessageBoxWarning));
        connect(allow, &QAction::triggered, this, &StatusMenuController::showOnboarding);
    }
    menu.addSeparator();

    QAction* save = addItem(menu, tr("Save Layout Now"), trusted);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &StatusMenuController::saveNow);
    QAction* restore = addItem(menu, tr("Restore Layout"), trusted && layout.has_value());
    restore->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(restore, &QAction::triggered, this, &StatusMenuController::restoreNow);
    menu.addSeparator();

    QAction* autoRestore = addItem(menu, tr("Auto-restore when displays change"), true);
    autoRestore->setCheckable(true);
    autoRestore->setChecked(model_.autoRestoreOnDisplayChange());
    connect(autoRestore, &QAction::triggered, this, &StatusMenuController::toggleAutoRestore);
    QAction* exclude = addItem(menu, tr("Exclude Apps…"), true);
    connect(exclude, &QAction::triggered, this, &StatusMenuController::showExcludeApps);
    menu.addSeparator();

    QAction* settings = addItem(menu, tr("Settings…"), true);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, &StatusMenuController::showPreferences);
    // Only a build with an updater offers it; elsewhere the system's packages bring new versions.
    if (model_.updater()->hasFramework()) {
        QAction* updates = addItem(menu, tr("Check for Updates…"), true);
        connect(updates, &QAction::triggered, this, &StatusMenuController::checkForUpdates);
    }
    menu.addSeparator();

    QAction* quitItem = addItem(menu, tr("Quit Plimsett"), true);
    quitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitItem, &QAction::triggered, this, &StatusMenuController::quit);
}

void StatusMenuController::saveNow() {
    // Access may have gone since the menu was built; the model then opens the onboarding window.
    model_.saveNow();
}

void StatusMenuController::restoreNow() {
    model_.restoreNow();
}

void StatusMenuController::toggleAutoRestore() {
    model_.setAutoRestoreOnDisplayChange(!model_.autoRestoreOnDisplayChange());
}

void StatusMenuController::showExcludeApps() {
    model_.showExcludeApps();
}

void StatusMenuController::showOnboarding() {
    model_.showOnboarding();
}

void StatusMenuController::showPreferences() {
    model_.showPreferences();
}

void StatusMenuController::checkForUpdates() {
    model_.updater()->checkForUpdates();
}

void StatusMenuController::quit() {
    QCoreApplication::quit();
}

} // namespace plimsett
