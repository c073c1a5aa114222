#pragma once

#include "engine/AccessPermission.h"
#include "platform/kwin/KWinScriptChannel.h"

#include <memory>

namespace plimsett {

// In a Plasma Wayland session Plimsett may read and move windows while its KWin script is loaded
// and answering. There is no one to ask for access: requestAccess() loads the script again when
// it is not answering (KWin restarted, or scripting was switched on since).
class KWinAccessPermission : public AccessPermission {
public:
    explicit KWinAccessPermission(std::shared_ptr<KWinScriptChannel> channel);

    bool isTrusted() const override;
    void requestAccess() override;

private:
    std::shared_ptr<KWinScriptChannel> channel_;
};

} // namespace plimsett
