#include "engine/LayoutFileDecoder.h"

#include "engine/InternetDate.h"

#include <simdjson.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <variant>

namespace plimsett {
namespace {

namespace od = simdjson::ondemand;
using Type = od::json_type;

// The text is not JSON. On-Demand checks the syntax of a value only as far as it is read, so every
// value is read to its end, also the values of unknown keys and values of the wrong type; a syntax
// error anywhere rejects the whole file. Thrown inside the decoder only.
struct NotJson {};

// A value of the wrong type, by contrast, only spoils the member that holds it: a later
// occurrence of the same key may still replace it. The readers below return nothing then.

template <typename T> T valueOf(simdjson::simdjson_result<T>&& result) {
    T value;
    if (std::move(result).get(value) != simdjson::SUCCESS) {
        throw NotJson{};
    }
    return value;
}

Type typeOf(od::value& v) {
    return valueOf(v.type());
}

void skipValue(od::value& v, Type type);

// Numbers are read as other JSON readers read them: integers within 64 bits as written, every
// other number as the nearest double, and a number beyond the range of a double is no JSON.
using Number = std::variant<std::int64_t, std::uint64_t, double>;

// simdjson 3.0's On-Demand readers are exact for integers (get_int64(), get_uint64()) and for
// numbers of up to 19 digits (get_double()), but get_double() misreads some longer decimals
// (0.92233720368547758070 as 0.18...) and refuses exponents of more than 19 digits, and
// get_number() reads long decimals as 0. Longer decimals are therefore read on their own by the
// DOM parser, which has neither fault.
bool hasFewDigits(std::string_view token) {
    if (token.size() <= 20) {
        return true;
    }
    std::size_t digits = 0;
    for (const char c : token) {
        if (c == 'e' || c == 'E') {
            break;
        }
        digits += c >= '0' && c <= '9';
    }
    return digits <= 19;
}

double readAlone(std::string_view token) {
    simdjson::dom::parser parser;
    double d = 0;
    if (parser.parse(token.data(), token.size()).get_double().get(d) != simdjson::SUCCESS) {
        throw NotJson{};
    }
    return d;
}

// Nothing when `v` is no number; it has then been skipped.
std::optional<Number> readNumber(od::value& v) {
    // The token runs up to the next structural character, white space included.
    const std::string_view token = v.raw_json_token();
    od::number_type written{};
    if (v.get_number_type().get(written) != simdjson::SUCCESS) {
        const Type type = typeOf(v);
        if (type != Type::number) {
            skipValue(v, type);
            return std::nullopt;
        }
        throw NotJson{};
    }
    if (written == od::number_type::floating_point_number) {
        double d = 0;
        if (hasFewDigits(token) && v.get_double().get(d) == simdjson::SUCCESS) {
            return d;
        }
        return readAlone(token);
    }
    if (written == od::number_type::signed_integer) {
        std::int64_t i = 0;
        if (v.get_int64().get(i) == simdjson::SUCCESS) {
            return i;
        }
    } else {
        std::uint64_t u = 0;
        if (v.get_uint64().get(u) == simdjson::SUCCESS) {
            return u;
        }
    }
    // An integer beyond 64 bits, which get_double() reads right, or a malformed one.
    return valueOf(v.get_double());
}

// Keys and strings without escapes, as this program writes them all, are taken straight from the
// text; the others are unescaped by the parser, which also checks their escapes.

// The key of a member. The parser has already found its closing quote, so the search ends inside
// the text.
std::string_view keyOf(od::field& field) {
    const char* const start = field.key().raw();
    const char* end = start;
    while (*end != '"' && *end != '\\') {
        ++end;
    }
    if (*end == '"') {
        return std::string_view(start, static_cast<std::size_t>(end - start));
    }
    return valueOf(field.unescaped_key());
}

void skipScalar(od::value& v, Type type) {
    switch (type) {
    case Type::string:
        valueOf(v.get_string());
        return;
    case Type::number:
        readNumber(v);
        return;
    case Type::boolean:
        valueOf(v.get_bool());
        return;
    case Type::null:
        if (!valueOf(v.is_null())) {
            throw NotJson{};
        }
        return;
    default:
        break;
    }
    throw NotJson{};
}

// Reads any value to its end, checking its syntax. Nested containers are kept on a stack of their
// own rather than on the call stack, so that no depth of nesting can exhaust it.
void skipValue(od::value& v, Type type) {
    if (type != Type::array && type != Type::object) {
        skipScalar(v, type);
        return;
    }
    struct Level {
        bool isArray = false;
        bool started = false;
        od::array_iterator element, elementsEnd;
        od::object_iterator field, fieldsEnd;
    };
    std::vector<Level> levels;
    const auto open = [&levels](od::value& container, Type containerType) {
        Level level;
        level.isArray = containerType == Type::array;
        if (level.isArray) {
            od::array array = valueOf(container.get_array());
            level.element = valueOf(array.begin());
            level.elementsEnd = valueOf(array.end());
        } else {
            od::object object = valueOf(container.get_object());
            level.field = valueOf(object.begin());
            level.fieldsEnd = valueOf(object.end());
        }
        levels.push_back(level);
    };

    open(v, type);
    while (!levels.empty()) {
        Level& level = levels.back();
        od::value child;
        if (level.isArray) {
            if (level.started) {
                ++level.element;
            }
            level.started = true;
            if (!(level.element != level.elementsEnd)) {
                levels.pop_back();
                continue;
            }
            child = valueOf(*level.element);
        } else {
            if (level.started) {
                ++level.field;
            }
            level.started = true;
            if (!(level.field != level.fieldsEnd)) {
                levels.pop_back();
                continue;
            }
            od::field field = valueOf(*level.field);
            keyOf(field);
            child = field.value();
        }
        const Type childType = typeOf(child);
        if (childType == Type::array || childType == Type::object) {
            open(child, childType);
        } else {
            skipScalar(child, childType);
        }
    }
}

void skip(od::value& v) {
    skipValue(v, typeOf(v));
}

// The value as an array or an object; nothing when it is something else, which is then skipped.
std::optional<od::array> arrayOf(od::value& v) {
    od::array array;
    const simdjson::error_code error = v.get_array().get(array);
    if (error == simdjson::SUCCESS) {
        return array;
    }
    if (error != simdjson::INCORRECT_TYPE) {
        throw NotJson{};
    }
    skip(v);
    return std::nullopt;
}

std::optional<od::object> objectOf(od::value& v) {
    od::object object;
    const simdjson::error_code error = v.get_object().get(object);
    if (error == simdjson::SUCCESS) {
        return object;
    }
    if (error != simdjson::INCORRECT_TYPE) {
        throw NotJson{};
    }
    skip(v);
    return std::nullopt;
}

// The scalar readers try the expected type first; a value of another type is left in place by the
// parser and is then skipped.
std::optional<std::string> readString(od::value& v) {
    const std::string_view token = v.raw_json_token();
    if (!token.starts_with('"')) {
        skip(v);
        return std::nullopt;
    }
    // The token runs up to the next structural character: the closing quote is its last quote.
    const std::size_t close = token.find_last_of('"');
    const std::string_view text = token.substr(1, close - 1);
    if (close > 0 && text.find('\\') == std::string_view::npos) {
        valueOf(v.get_raw_json_string()); // moves past the string
        return std::string(text);
    }
    return std::string(valueOf(v.get_string()));
}

std::optional<bool> readBool(od::value& v) {
    bool value = false;
    if (v.get_bool().get(value) == simdjson::SUCCESS) {
        return value;
    }
    // Also a misspelt true or false, which skipping rejects.
    skip(v);
    return std::nullopt;
}

// Integers may also be written as integral floating-point numbers (2.0), as other JSON writers do.
std::optional<std::int64_t> readInteger(od::value& v) {
    std::int64_t i = 0;
    if (v.get_int64().get(i) == simdjson::SUCCESS) {
        return i;
    }
    const std::optional<Number> n = readNumber(v);
    if (!n) {
        return std::nullopt;
    }
    if (const auto* u = std::get_if<std::uint64_t>(&*n)) {
        if (*u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(*u);
    }
    if (const auto* d = std::get_if<double>(&*n)) {
        if (std::trunc(*d) == *d && *d >= -9223372036854775808.0 && *d < 9223372036854775808.0) {
            return static_cast<std::int64_t>(*d);
        }
        return std::nullopt;
    }
    return std::get<std::int64_t>(*n);
}

std::optional<double> readDouble(od::value& v) {
    const std::string_view token = v.raw_json_token();
    double d = 0;
    if (hasFewDigits(token) && v.get_double().get(d) == simdjson::SUCCESS) {
        // The integer -0 is 0, which reads as +0.0 like every integer; only -0.0 is negative.
        if (d == 0 && token.find_first_of(".eE") == std::string_view::npos) {
            return 0.0;
        }
        return d;
    }
    const std::optional<Number> n = readNumber(v);
    if (!n) {
        return std::nullopt;
    }
    return std::visit([](auto number) { return static_cast<double>(number); }, *n);
}

// Reads an array whose elements all have the same form; nothing when any element is malformed.
template <typename T>
std::optional<std::vector<T>> readArray(od::value& v, std::optional<T> (*readElement)(od::value&)) {
    std::optional<od::array> array = arrayOf(v);
    if (!array) {
        return std::nullopt;
    }
    std::vector<T> elements;
    bool wellFormed = true;
    for (auto result : *array) {
        od::value element = valueOf(std::move(result));
        if (!wellFormed) {
            skip(element);
            continue;
        }
        std::optional<T> read = readElement(element);
        if (read) {
            elements.push_back(std::move(*read));
        } else {
            wellFormed = false;
        }
    }
    if (!wellFormed) {
        return std::nullopt;
    }
    return elements;
}

// An array of exactly N elements of one form.
template <typename T, std::size_t N>
std::optional<std::array<T, N>> readTuple(od::value& v,
                                          std::optional<T> (*readElement)(od::value&)) {
    std::optional<od::array> array = arrayOf(v);
    if (!array) {
        return std::nullopt;
    }
    std::array<std::optional<T>, N> read;
    std::size_t count = 0;
    for (auto result : *array) {
        od::value element = valueOf(std::move(result));
        if (count < N) {
            read[count] = readElement(element);
        } else {
            skip(element);
        }
        ++count;
    }
    std::array<T, N> elements;
    for (std::size_t i = 0; i < N; ++i) {
        if (count != N || !read[i]) {
            return std::nullopt;
        }
        elements[i] = *read[i];
    }
    return elements;
}

std::optional<std::array<double, 2>> readPair(od::value& v) {
    return readTuple<double, 2>(v, readDouble);
}

// [[x, y], [width, height]]
std::optional<Rect> readRect(od::value& v) {
    const auto pairs = readTuple<std::array<double, 2>, 2>(v, readPair);
    if (!pairs) {
        return std::nullopt;
    }
    const auto& [origin, size] = *pairs;
    return Rect{origin[0], origin[1], size[0], size[1]};
}

// Calls `member` with each key, unescaped, and its value.
template <typename Member> void forEachMember(od::object object, Member member) {
    for (auto result : object) {
        od::field field = valueOf(std::move(result));
        member(keyOf(field), field.value());
    }
}

// The same for a value that should be an object; false when it is none.
template <typename Member> bool readObject(od::value& v, Member member) {
    const std::optional<od::object> object = objectOf(v);
    if (!object) {
        return false;
    }
    forEachMember(*object, member);
    return true;
}

std::optional<DisplayInfo> readDisplay(od::value& v) {
    std::optional<std::string> uuid, name;
    std::optional<bool> isBuiltIn;
    std::optional<Rect> frame, visibleFrame;
    const bool isObject = readObject(v, [&](std::string_view key, od::value& value) {
        if (key == "uuid") {
            uuid = readString(value);
        } else if (key == "name") {
            name = readString(value);
        } else if (key == "isBuiltIn") {
            isBuiltIn = readBool(value);
        } else if (key == "frame") {
            frame = readRect(value);
        } else if (key == "visibleFrame") {
            visibleFrame = readRect(value);
        } else {
            skip(value);
        }
    });
    if (!isObject || !uuid || !name || !isBuiltIn || !frame || !visibleFrame) {
        return std::nullopt;
    }
    return DisplayInfo{std::move(*uuid), std::move(*name), *isBuiltIn, *frame, *visibleFrame};
}

// A workspace number from 0 up, or "all"; anything else leaves the window where it is.
std::optional<Workspace> readWorkspace(od::value& value) {
    if (typeOf(value) == Type::string) {
        const std::optional<std::string> text = readString(value);
        return text == "all" ? std::optional(Workspace::every()) : std::nullopt;
    }
    const std::optional<std::int64_t> index = readInteger(value);
    return index && *index >= 0 && *index < 1024 ? std::optional(Workspace{*index}) : std::nullopt;
}

std::optional<SavedWindow> readWindow(od::value& v) {
    std::optional<std::string> bundleID, appName, title;
    std::optional<std::int64_t> index;
    std::optional<Rect> frame;
    std::optional<bool> isMinimized, isFullScreen;
    std::optional<std::string> maximized;
    std::optional<Workspace> workspace;
    const bool isObject = readObject(v, [&](std::string_view key, od::value& value) {
        if (key == "bundleID") {
            bundleID = readString(value);
        } else if (key == "appName") {
            appName = readString(value);
        } else if (key == "title") {
            title = readString(value);
        } else if (key == "index") {
            index = readInteger(value);
        } else if (key == "frame") {
            frame = readRect(value);
        } else if (key == "isMinimized") {
            isMinimized = readBool(value);
        } else if (key == "isFullScreen") {
            isFullScreen = readBool(value);
        } else if (key == "maximized") {
            maximized = readString(value);
        } else if (key == "workspace") {
            workspace = readWorkspace(value);
        } else {
            skip(value);
        }
    });
    if (!isObject || !bundleID || !appName || !title || !index || !frame || !isMinimized ||
        !isFullScreen) {
        return std::nullopt;
    }
    // The maximised state is an addition to the record: a window without it, or with a value
    // that this version does not know, was not maximised.
    const std::string direction = maximized.value_or("");
    return SavedWindow{std::move(*bundleID),
                       std::move(*appName),
                       std::move(*title),
                       *index,
                       *frame,
                       *isMinimized,
                       *isFullScreen,
                       direction == "both" || direction == "horizontally",
                       direction == "both" || direction == "vertically",
                       workspace};
}

std::optional<SavedLayout> readLayout(od::value& v) {
    std::optional<std::string> displaySetID, displaySetName;
    std::optional<std::vector<DisplayInfo>> displays;
    std::optional<Date> savedAt;
    std::optional<std::vector<SavedWindow>> windows;
    const bool isObject = readObject(v, [&](std::string_view key, od::value& value) {
        if (key == "displaySetID") {
            displaySetID = readString(value);
        } else if (key == "displaySetName") {
            displaySetName = readString(value);
        } else if (key == "displays") {
            displays = readArray(value, readDisplay);
        } else if (key == "savedAt") {
            const std::optional<std::string> text = readString(value);
            savedAt = text ? InternetDate::parse(*text) : std::nullopt;
        } else if (key == "windows") {
            windows = readArray(value, readWindow);
        } else {
            skip(value);
        }
    });
    if (!isObject || !displaySetID || !displaySetName || !displays || !savedAt || !windows) {
        return std::nullopt;
    }
    return SavedLayout{std::move(*displaySetID), std::move(*displaySetName), std::move(*displays),
                       *savedAt, std::move(*windows)};
}

std::optional<std::vector<SavedLayout>> readFile(od::document& document) {
    od::object root;
    if (document.get_object().get(root) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    std::optional<std::int64_t> version;
    std::optional<std::vector<SavedLayout>> layouts;
    forEachMember(root, [&](std::string_view key, od::value& value) {
        if (key == "version") {
            version = readInteger(value);
        } else if (key == "layouts") {
            layouts = readArray(value, readLayout);
        } else {
            skip(value);
        }
    });
    // Nothing but white space may follow the root object.
    const char* trailing = nullptr;
    if (document.current_location().get(trailing) != simdjson::OUT_OF_BOUNDS) {
        return std::nullopt;
    }
    // The version is required but not examined: any integer is accepted.
    if (!version) {
        return std::nullopt;
    }
    return layouts;
}

// Reads `text`, which may be read up to `readable` bytes from its start: the parser reads ahead in
// blocks, past the end of the text. When that leaves too little room, the text is copied first.
std::optional<std::vector<SavedLayout>> readText(std::string_view text, std::size_t readable) {
    std::optional<simdjson::padded_string> copy;
    simdjson::padded_string_view padded;
    if (readable >= text.size() + simdjson::SIMDJSON_PADDING) {
        padded = simdjson::padded_string_view(text, readable);
    } else {
        copy.emplace(text);
        padded = *copy;
    }
    od::parser parser;
    od::document document;
    if (parser.iterate(padded).get(document) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    try {
        return readFile(document);
    } catch (const NotJson&) {
        return std::nullopt;
    }
}

std::optional<std::vector<SavedLayout>> decodeText(std::string_view text, std::size_t readable) {
    // Like other readers of the file, skip a UTF-8 byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
        readable -= 3;
    }
    std::optional<std::vector<SavedLayout>> layouts = readText(text, readable);
    // Like them too, end the text at a NUL byte: a file cut short by a crash may be padded with
    // zeros. The parser rejects any text that holds one, so only a failed read needs the search.
    if (!layouts) {
        if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
            layouts = readText(text.substr(0, nul), readable);
        }
    }
    return layouts;
}

} // namespace

std::optional<std::vector<SavedLayout>> LayoutFileDecoder::decode(std::string_view text) {
    return decodeText(text, text.size());
}

std::optional<std::vector<SavedLayout>> LayoutFileDecoder::decode(const std::string& text) {
    // The bytes after the text up to the string's capacity are allocated, and simdjson reads
    // them in place of a copy's padding.
    return decodeText(text, text.capacity());
}

} // namespace plimsett
