#include "engine/Sha256.h"

#include <CommonCrypto/CommonDigest.h>

namespace plimsett {

Sha256Digest sha256(std::string_view data) {
    Sha256Digest digest{};
    CC_SHA256(data.data(), static_cast<CC_LONG>(data.size()), digest.data());
    return digest;
}

} // namespace plimsett
