#pragma once

#include "platform/PlatformBackend.h"
#include "platform/wayland/HelperChannel.h"
#include "platform/wayland/WaylandDisplayProvider.h"

#include <memory>
#include <string>

namespace plimsett {

// The backend of a Wayland desktop over its helper's channel; `problem` is what keeps the
// channel from working, if anything.
PlatformBackend makeWaylandPlatformBackend(std::shared_ptr<HelperChannel> channel,
                                           WaylandDisplayProvider::Identity identity,
                                           std::string problem);

} // namespace plimsett
