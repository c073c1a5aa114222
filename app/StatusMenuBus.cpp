#include "app/StatusMenuBus.h"

#include "app/StatusMenuController.h"

#include <QAction>
#include <QDBusConnection>
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
    registered_ = bus.isConnected() &&
                  bus.registerObject(QString::fromLatin1(objectPath), this,
                                     QDBusConnection::ExportAllSlots) &&
                  bus.registerService(QString::fromLatin1(busName));
}

StatusMenuBus::~StatusMenuBus() {
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(QString::fromLatin1(busName));
        bus.unregisterObject(QString::fromLatin1(objectPath));
    }
}

QString StatusMenuBus::GetItems() {
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
