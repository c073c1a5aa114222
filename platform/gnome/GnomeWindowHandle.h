#pragma once

#include "engine/WindowHandle.h"

#include <QString>

namespace plimsett {

// A window of the Shell, by the id that Mutter gives it for the session.
class GnomeWindowHandle : public WindowHandle {
public:
    explicit GnomeWindowHandle(QString id) : id_(std::move(id)) {}
    const QString& id() const { return id_; }

private:
    QString id_;
};

} // namespace plimsett
