#pragma once

#include "engine/SavedLayout.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plimsett {

// Reads the layout file with simdjson's On-Demand parser, straight into the records.
//
// What is accepted: text that is JSON throughout (UTF-8, no trailing content; a leading byte-order
// mark is skipped and a NUL byte ends the text, as other readers of the file do), whose root object
// has an integer "version" and a "layouts" array of well-formed layouts. Keys may come in any order
// and unknown keys are ignored, but their values must still be valid JSON. When a key appears
// twice in one object the last occurrence counts and the earlier ones are treated as unknown keys:
// only their syntax matters. Integers may be written as integral floating-point numbers; integers
// beyond 64 bits are read as the nearest double, so they fit a rectangle but not an "index".
class LayoutFileDecoder {
public:
    static std::optional<std::vector<SavedLayout>> decode(std::string_view text);
    // The same, without copying the text when the string has room after it for the padding that
    // the parser reads past the end (a file read into a growing string usually has).
    static std::optional<std::vector<SavedLayout>> decode(const std::string& text);
};

} // namespace plimsett
