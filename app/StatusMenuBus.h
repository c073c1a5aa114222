#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>

namespace plimsett {

class StatusMenuController;

// The tray menu on the session bus, for desktops without a tray: GNOME's top bar shows it through
// Plimsett's Shell extension. GetItems() gives the menu as the tray would show it now (a JSON list
// of {title, enabled, checkable, checked} and {separator}); Activate() carries out the item at
// `index` when its title is still `title`, so that a menu that changed in between does nothing
// unexpected. Owns tamblin_engineering.Plimsett while it exists (on GNOME the backend has taken
// it already). Only GNOME Shell's own connection may call it: no other process reads the menu or
// chooses from it.
class StatusMenuBus : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "tamblin_engineering.Plimsett.Menu1")

public:
    static constexpr const char* busName = "tamblin_engineering.Plimsett";
    static constexpr const char* objectPath = "/tamblin_engineering/Plimsett/Menu";

    explicit StatusMenuBus(StatusMenuController& menu, QObject* parent = nullptr);
    ~StatusMenuBus() override;

    bool isRegistered() const { return registered_; }

public slots:
    QString GetItems();
    bool Activate(uint index, const QString& title);

private:
    // False, with an AccessDenied answer sent, when the caller is not GNOME Shell.
    bool callerIsTheShell();

    StatusMenuController& menu_;
    bool registered_ = false;
    // The name was taken here, not before by the backend.
    bool claimedName_ = false;
};

} // namespace plimsett
