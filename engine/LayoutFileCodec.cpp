#include "engine/LayoutFileCodec.h"

#include "engine/InternetDate.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

namespace plimsett {
namespace {

using Json = nlohmann::json;

// Thrown inside the decoder only; decode() turns it into an empty result.
struct Malformed {};

double finiteOrZero(double value) {
    return std::isfinite(value) ? value : 0.0;
}

Json encodeRect(const Rect& r) {
    return Json::array({Json::array({finiteOrZero(r.x), finiteOrZero(r.y)}),
                        Json::array({finiteOrZero(r.width), finiteOrZero(r.height)})});
}

Json encodeDisplay(const DisplayInfo& d) {
    return Json{{"uuid", d.uuid},
                {"name", d.name},
                {"isBuiltIn", d.isBuiltIn},
                {"frame", encodeRect(d.frame)},
                {"visibleFrame", encodeRect(d.visibleFrame)}};
}

Json encodeWindow(const SavedWindow& w) {
    return Json{{"bundleID", w.bundleID},
                {"appName", w.appName},
                {"title", w.title},
                {"index", w.index},
                {"frame", encodeRect(w.frame)},
                {"isMinimized", w.isMinimized},
                {"isFullScreen", w.isFullScreen}};
}

Json encodeLayout(const SavedLayout& l) {
    Json displays = Json::array();
    for (const DisplayInfo& d : l.displays) {
        displays.push_back(encodeDisplay(d));
    }
    Json windows = Json::array();
    for (const SavedWindow& w : l.windows) {
        windows.push_back(encodeWindow(w));
    }
    return Json{{"displaySetID", l.displaySetID},
                {"displaySetName", l.displaySetName},
                {"displays", std::move(displays)},
                {"savedAt", InternetDate::format(l.savedAt)},
                {"windows", std::move(windows)}};
}

const Json& member(const Json& object, const char* key) {
    if (!object.is_object()) {
        throw Malformed{};
    }
    const auto it = object.find(key);
    if (it == object.end()) {
        throw Malformed{};
    }
    return *it;
}

std::string stringAt(const Json& object, const char* key) {
    const Json& value = member(object, key);
    if (!value.is_string()) {
        throw Malformed{};
    }
    return value.get<std::string>();
}

bool boolAt(const Json& object, const char* key) {
    const Json& value = member(object, key);
    if (!value.is_boolean()) {
        throw Malformed{};
    }
    return value.get<bool>();
}

// Integers may also be written as integral floating-point numbers (2.0), as other JSON writers do.
std::int64_t integer(const Json& value) {
    if (value.is_number_unsigned()) {
        const auto v = value.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            throw Malformed{};
        }
        return static_cast<std::int64_t>(v);
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        const double v = value.get<double>();
        if (std::isfinite(v) && std::trunc(v) == v && v >= -9223372036854775808.0 &&
            v < 9223372036854775808.0) {
            return static_cast<std::int64_t>(v);
        }
    }
    throw Malformed{};
}

double number(const Json& value) {
    if (!value.is_number()) {
        throw Malformed{};
    }
    const double v = value.get<double>();
    if (!std::isfinite(v)) {
        throw Malformed{};
    }
    return v;
}

const Json& pairAt(const Json& array, std::size_t i) {
    if (!array.is_array() || array.size() != 2) {
        throw Malformed{};
    }
    return array[i];
}

Rect rectAt(const Json& object, const char* key) {
    const Json& value = member(object, key);
    const Json& origin = pairAt(value, 0);
    const Json& size = pairAt(value, 1);
    return Rect{number(pairAt(origin, 0)), number(pairAt(origin, 1)), number(pairAt(size, 0)),
                number(pairAt(size, 1))};
}

const Json& arrayAt(const Json& object, const char* key) {
    const Json& value = member(object, key);
    if (!value.is_array()) {
        throw Malformed{};
    }
    return value;
}

DisplayInfo decodeDisplay(const Json& j) {
    return DisplayInfo{stringAt(j, "uuid"), stringAt(j, "name"), boolAt(j, "isBuiltIn"),
                       rectAt(j, "frame"), rectAt(j, "visibleFrame")};
}

SavedWindow decodeWindow(const Json& j) {
    return SavedWindow{stringAt(j, "bundleID"),  stringAt(j, "appName"),
                       stringAt(j, "title"),     integer(member(j, "index")),
                       rectAt(j, "frame"),       boolAt(j, "isMinimized"),
                       boolAt(j, "isFullScreen")};
}

SavedLayout decodeLayout(const Json& j) {
    SavedLayout layout;
    layout.displaySetID = stringAt(j, "displaySetID");
    layout.displaySetName = stringAt(j, "displaySetName");
    for (const Json& d : arrayAt(j, "displays")) {
        layout.displays.push_back(decodeDisplay(d));
    }
    const std::optional<Date> savedAt = InternetDate::parse(stringAt(j, "savedAt"));
    if (!savedAt) {
        throw Malformed{};
    }
    layout.savedAt = *savedAt;
    for (const Json& w : arrayAt(j, "windows")) {
        layout.windows.push_back(decodeWindow(w));
    }
    return layout;
}

} // namespace

std::string LayoutFileCodec::encode(const std::vector<SavedLayout>& layouts) {
    Json list = Json::array();
    for (const SavedLayout& l : layouts) {
        list.push_back(encodeLayout(l));
    }
    const Json file{{"version", formatVersion}, {"layouts", std::move(list)}};
    return file.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::optional<std::vector<SavedLayout>> LayoutFileCodec::decode(std::string_view text) {
    const Json file = Json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (file.is_discarded()) {
        return std::nullopt;
    }
    try {
        integer(member(file, "version"));
        std::vector<SavedLayout> layouts;
        for (const Json& l : arrayAt(file, "layouts")) {
            layouts.push_back(decodeLayout(l));
        }
        return layouts;
    } catch (const Malformed&) {
        return std::nullopt;
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

} // namespace plimsett
