// Feeds arbitrary bytes to the layout-file decoder. Whatever decodes must encode and decode back
// to the same layouts, and the encoding must be stable; date strings must survive their own
// formatting.

#include "engine/InternetDate.h"
#include "engine/LayoutFileCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "layout file round trip broken: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plimsett;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const auto date = InternetDate::parse(text)) {
        if (InternetDate::parse(InternetDate::format(*date)) != date) {
            fail("date");
        }
    }

    const auto layouts = LayoutFileCodec::decode(text);
    if (!layouts) {
        return 0;
    }
    const std::string encoded = LayoutFileCodec::encode(*layouts);
    const auto again = LayoutFileCodec::decode(encoded);
    if (!again) {
        fail("the encoded file does not decode");
    }
    if (*again != *layouts) {
        fail("decoded layouts differ after encoding");
    }
    if (LayoutFileCodec::encode(*again) != encoded) {
        fail("encoding is not stable");
    }
    return 0;
}
