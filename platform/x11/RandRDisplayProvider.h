#pragma once

#include "engine/DisplayProvider.h"
#include "platform/x11/X11Connection.h"

#include <memory>

namespace plimsett {

// The displays of an X server: its RandR outputs that show something, identified by their EDID.
// Every call asks the server afresh, in two round trips.
class RandRDisplayProvider : public DisplayProvider {
public:
    // `connection` may be null (no X server): the set is then empty.
    explicit RandRDisplayProvider(std::shared_ptr<X11Connection> connection);

    DisplaySet currentDisplaySet() override;

private:
    std::shared_ptr<X11Connection> connection_;
};

} // namespace plimsett
