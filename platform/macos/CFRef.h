#pragma once

#include <memory>

namespace plimsett {

// One owned reference to a Core Foundation or Objective-C object (an Accessibility element or
// value, a string, an observer token), released when the last copy lets go. Empty stands for
// NULL. Only the Apple translation units look inside; everything else passes it around.
using CFRef = std::shared_ptr<const void>;

} // namespace plimsett
