#pragma once

#include "engine/WindowHandle.h"

#include <QString>

namespace plimsett {

// A window as KWin's script names it: KWin's id of the window, stable while the window lives.
class KWinWindowHandle : public WindowHandle {
public:
    explicit KWinWindowHandle(QString id) : id_(std::move(id)) {}
    const QString& id() const { return id_; }

private:
    QString id_;
};

} // namespace plimsett
