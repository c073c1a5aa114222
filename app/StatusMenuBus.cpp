#include "app/StatusMenuBus.h"

#include "app/StatusMenuController.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace plimsett {
namespace {

// The title as shown: without the mnemonic markers of a Qt menu.
QString shownTitle(const QAction* action) {
    QString title = action->text();
    title.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    title.remove(QLatin1Char('&'));
    title.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return title;
}

} // namespace

StatusMenuBus::StatusMenuBus(StatusMenuController& menu, QObject* parent)
    : QObject(parent), menu_(menu) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.registerObject(QString::fromLatin1(objectPath), this,
                                                  QDBusConnection::ExportAllSlots)) {
        return;
    }
    const QString name = QString::fromLatin1(busName);
    const QDBusReply<QString> owner = bus.interface()->serviceOwner(name);
    if (owner.isValid() && owner.value() == bus.baseService()) {
        registered_ = true;
        return;
    }
    registered_ = claimedName_ = bus.registerService(name);
}

StatusMenuBus::~StatusMenuBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (claimedName_) {
        bus.unregisterService(QString::fromLatin1(busName));
    }
    if (bus.isConnected()) {
        bus.unregisterObject(QString::fromLatin1(objectPath));
    }
}

bool StatusMenuBus::callerIsTheShell() {
    if (!calledFromDBus()) {
        return true;
    }
    const QDBusReply<QString> shell =
        connection().interface()->serviceOwner(QStringLiteral("org.gnome.Shell"));
    if (shell.isValid() && shell.value() == message().service()) {
        return true;
    }
    sendErrorReply(QDBusError::AccessDenied,
                   QStringLiteral("Plimsett's menu answers GNOME Shell alone"));
    return false;
}

QString StatusMenuBus::GetItems() {
    if (!callerIsTheShell()) {
        return {};
    }
    QMenu menu;
    menu_.fill(menu);
    QJsonArray items;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            items.append(QJsonObject{{QStringLiteral("separator"), true}});
            continue;
        }
        items.append(QJsonObject{{QStringLiteral("title"), shownTitle(action)},
                                 {QStringLiteral("enabled"), action->isEnabled()},
                                 {QStringLiteral("checkable"), action->isCheckable()},
                                 {QStringLiteral("checked"), action->isChecked()}});
    }
    return QString::fromUtf8(QJsonDocument(items).toJson(QJsonDocument::Compact));
}

bool StatusMenuBus::Activate(uint index, const QString& title) {
    if (!callerIsTheShell()) {
        return false;
    }
    auto menu = std::make_shared<QMenu>();
    menu_.fill(*menu);
    const QList<QAction*> actions = menu->actions();
    if (index >= static_cast<uint>(actions.size())) {
        return false;
    }
    QAction* action = actions[static_cast<qsizetype>(index)];
    if (action->isSeparator() || !action->isEnabled() || shownTitle(action) != title) {
        return false;
    }
    // After the reply has gone out: the item may quit the program or open a window.
    QPointer<QAction> target(action);
    QTimer::singleShot(0, this, [menu, target] {
        if (target) {
            target->trigger();
        }
    });
    return true;
}

} // namespace plimsett
