#pragma once

#include "engine/SavedLayout.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plimsett {

// The JSON form of the layout file: {"layouts": [...], "version": 1}, keys sorted, pretty-printed.
class LayoutFileCodec {
public:
    static constexpr int formatVersion = 1;

    // Never fails: text that is not valid UTF-8 is repaired and non-finite numbers are written
    // as 0, so that one bad window cannot stop every later save.
    static std::string encode(const std::vector<SavedLayout>& layouts);
    // The same, for layouts held elsewhere (spares copying a whole store to write it).
    static std::string encodeReferences(const std::vector<const SavedLayout*>& layouts);
    // Nothing when the text is not JSON, a required key is missing, a value has the wrong type or
    // a date is in another form. Unknown keys are ignored; keys may come in any order; of a key
    // repeated in one object the last occurrence counts (LayoutFileDecoder has the details).
    static std::optional<std::vector<SavedLayout>> decode(std::string_view text);
    // The same, reading a string in place instead of copying it where it has room to spare.
    static std::optional<std::vector<SavedLayout>> decode(const std::string& text);
    // Keeps calls with a string literal unambiguous.
    static std::optional<std::vector<SavedLayout>> decode(const char* text) {
        return decode(std::string_view(text));
    }
};

} // namespace plimsett
