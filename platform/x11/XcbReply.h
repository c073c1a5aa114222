#pragma once

#include <cstdlib>
#include <memory>

namespace plimsett {

// Owns a reply or error that xcb allocated with malloc.
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};

template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

} // namespace plimsett
