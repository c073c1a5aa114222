#pragma once

#include "engine/WindowHandle.h"

#include <QString>

namespace plimsett {

// A window of the compositor, by the id that the helper gives it for the session.
class WaylandWindowHandle : public WindowHandle {
public:
    explicit WaylandWindowHandle(QString id) : id_(std::move(id)) {}
    const QString& id() const { return id_; }
    std::string key() const override { return id_.toStdString(); }

private:
    QString id_;
};

} // namespace plimsett
