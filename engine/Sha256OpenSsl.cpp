#include "engine/Sha256.h"

#include <memory>
#include <openssl/evp.h>

namespace plimsett {

Sha256Digest sha256(std::string_view data) {
    Sha256Digest digest{};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                    &EVP_MD_CTX_free);
    unsigned int length = 0;
    // The digest only fails when OpenSSL runs out of memory; the caller then sees zeros, which
    // still yields a stable (if meaningless) identifier instead of a crash.
    if (context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1 &&
        EVP_DigestUpdate(context.get(), data.data(), data.size()) == 1) {
        EVP_DigestFinal_ex(context.get(), digest.data(), &length);
    }
    return digest;
}

} // namespace plimsett
