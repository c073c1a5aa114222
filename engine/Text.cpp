#include "engine/Text.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace plimsett {
namespace {

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string repairedUtf8(std::string_view text) {
    if (isAscii(text)) {
        return std::string(text);
    }
    // ICU substitutes U+FFFD for each maximal ill-formed subsequence while decoding.
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())))
        .toUTF8String(out);
    return out;
}

std::string upperCased(std::string_view text) {
    if (isAscii(text)) {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return out;
    }
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())))
        .toUpper(icu::Locale::getRoot())
        .toUTF8String(out);
    return out;
}

std::string nfc(std::string_view text) {
    if (isAscii(text)) {
        return std::string(text);
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    const icu::UnicodeString source = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    if (U_FAILURE(status) || normalizer == nullptr) {
        return repairedUtf8(text);
    }
    const icu::UnicodeString normal = normalizer->normalize(source, status);
    std::string out;
    (U_FAILURE(status) ? source : normal).toUTF8String(out);
    return out;
}

} // namespace plimsett
