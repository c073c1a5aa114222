#pragma once

#include "platform/macos/ScreenApi.h"

#include <vector>

namespace plimsett::testing {

// A stand-in for AppKit's screen list.
class FakeScreenApi : public ScreenApi {
public:
    std::vector<Screen> list;
    int queries = 0;

    std::vector<Screen> screens() override {
        ++queries;
        return list;
    }
};

} // namespace plimsett::testing
