#pragma once

#include <QObject>
#include <QString>

namespace plimsett {

class StatusMenuController;

// The tray menu on the session bus, for desktops without a tray: GNOME's top bar shows it through
// Plimsett's Shell extension. GetItems() gives the menu as the tray would show it now (a JSON list
// of {title, enabled, checkable, checked} and {separator}); Activate() carries out the item at
// `index` when its title is still `title`, so that a menu that changed in between does nothing
// unexpected. Owns tamblin_engineering.Plimsett while it exists.
class StatusMenuBus : public QObject {
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
    StatusMenuController& menu_;
    bool registered_ = false;
};

} // namespace plimsett
