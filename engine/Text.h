#pragma once

#include <string>
#include <string_view>

namespace plimsett {

// Text helpers shared by the engine and the backends. All strings in the engine are UTF-8.

// True when `text` is well-formed UTF-8 (no stray bytes, overlong forms or surrogates).
bool isValidUtf8(std::string_view text);
// Replaces every ill-formed UTF-8 sequence with U+FFFD, so that encoding never fails later.
std::string repairedUtf8(std::string_view text);
// Unicode upper case (root locale), as used for display identities.
std::string upperCased(std::string_view text);
// Canonical composition (NFC): canonically equivalent strings become byte-equal.
std::string nfc(std::string_view text);

} // namespace plimsett
