#include "engine/LayoutFileCodec.h"

#include "engine/InternetDate.h"
#include "engine/LayoutFileDecoder.h"
#include "engine/Text.h"

#include <charconv>
#include <cmath>

namespace plimsett {
namespace {

// The file is written by hand rather than through a JSON document: building a document of every
// window first costs several times as much as the writing itself. Objects have one member per
// line with their keys in sorted order; rectangles stay on one line.
class Writer {
public:
    explicit Writer(std::size_t expectedBytes) { out_.reserve(expectedBytes); }

    std::string take() { return std::move(out_); }

    void openObject() {
        out_ += '{';
        ++depth_;
        first_ = true;
    }
    void closeObject() { close('}'); }

    // A member of the current object: its key, then its value.
    void member(std::string_view name, std::string_view text) {
        key(name);
        string(text);
    }
    // Keeps a string literal from being taken for a bool.
    void member(std::string_view name, const char* text) { member(name, std::string_view(text)); }
    void member(std::string_view name, bool value) {
        key(name);
        boolean(value);
    }
    void member(std::string_view name, std::int64_t value) {
        key(name);
        integer(value);
    }
    void member(std::string_view name, const Rect& r) {
        key(name);
        rect(r);
    }
    // A member holding an array, one element for each item, written by writeItem.
    template <typename Items, typename WriteItem>
    void arrayMember(std::string_view name, const Items& items, WriteItem writeItem) {
        key(name);
        openArray();
        for (const auto& item : items) {
            element();
            writeItem(item);
        }
        closeArray();
    }

private:
    void openArray() {
        out_ += '[';
        ++depth_;
        first_ = true;
    }
    void closeArray() { close(']'); }
    // Starts an element of the current array.
    void element() { nextLine(); }
    // Starts a member of the current object.
    void key(std::string_view name) {
        nextLine();
        out_ += '"';
        out_ += name;
        out_ += "\": ";
    }

    void string(std::string_view text) {
        if (isValidUtf8(text)) {
            escaped(text);
        } else {
            // Text that is not valid UTF-8 would make the file unreadable; it is repaired.
            escaped(repairedUtf8(text));
        }
    }
    void boolean(bool value) { out_ += value ? "true" : "false"; }
    void integer(std::int64_t value) {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        out_.append(buffer, end);
    }
    // The shortest text that reads back as the same double, always with a fraction or an
    // exponent so that it reads back as a floating-point number (and -0.0 keeps its sign).
    // Non-finite numbers have no JSON form and are written as 0.
    void number(double value) {
        if (!std::isfinite(value)) {
            out_ += "0.0";
            return;
        }
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
        out_ += text;
        if (text.find_first_of(".e") == std::string_view::npos) {
            out_ += ".0";
        }
    }
    void rect(const Rect& r) {
        out_ += "[[";
        number(r.x);
        out_ += ", ";
        number(r.y);
        out_ += "], [";
        number(r.width);
        out_ += ", ";
        number(r.height);
        out_ += "]]";
    }
    void nextLine() {
        if (!first_) {
            out_ += ',';
        }
        first_ = false;
        out_ += '\n';
        out_.append(static_cast<std::size_t>(depth_) * 2, ' ');
    }
    void close(char bracket) {
        --depth_;
        if (!first_) {
            out_ += '\n';
            out_.append(static_cast<std::size_t>(depth_) * 2, ' ');
        }
        out_ += bracket;
        first_ = false;
    }
    void escaped(std::string_view text) {
        static constexpr char hex[] = "0123456789abcdef";
        out_ += '"';
        std::size_t plain = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x20 && c != '"' && c != '\\') {
                continue;
            }
            out_.append(text.data() + plain, i - plain);
            plain = i + 1;
            switch (c) {
            case '"':
                out_ += "\\\"";
                break;
            case '\\':
                out_ += "\\\\";
                break;
            case '\b':
                out_ += "\\b";
                break;
            case '\f':
                out_ += "\\f";
                break;
            case '\n':
                out_ += "\\n";
                break;
            case '\r':
                out_ += "\\r";
                break;
            case '\t':
                out_ += "\\t";
                break;
            default:
                out_ += "\\u00";
                out_ += hex[c >> 4];
                out_ += hex[c & 0xF];
            }
        }
        out_.append(text.data() + plain, text.size() - plain);
        out_ += '"';
    }

    std::string out_;
    int depth_ = 0;
    bool first_ = true;
};

void writeDisplay(Writer& w, const DisplayInfo& d) {
    w.openObject();
    w.member("frame", d.frame);
    w.member("isBuiltIn", d.isBuiltIn);
    w.member("name", d.name);
    w.member("uuid", d.uuid);
    w.member("visibleFrame", d.visibleFrame);
    w.closeObject();
}

std::string_view maximizedName(const SavedWindow& window) {
    if (window.isMaximizedHorizontally && window.isMaximizedVertically) {
        return "both";
    }
    return window.isMaximizedHorizontally ? "horizontally" : "vertically";
}

void writeWindow(Writer& w, const SavedWindow& window) {
    w.openObject();
    w.member("appName", window.appName);
    w.member("bundleID", window.bundleID);
    w.member("frame", window.frame);
    w.member("index", window.index);
    w.member("isFullScreen", window.isFullScreen);
    w.member("isMinimized", window.isMinimized);
    // Only maximised windows carry the key, so every other record reads as before.
    if (window.isMaximized()) {
        w.member("maximized", maximizedName(window));
    }
    w.member("title", window.title);
    // Like the maximised state, an addition that other readers pass over.
    if (window.workspace) {
        if (window.workspace->isEvery()) {
            w.member("workspace", std::string_view("all"));
        } else {
            w.member("workspace", window.workspace->index);
        }
    }
    w.closeObject();
}

void writeLayout(Writer& w, const SavedLayout& l) {
    w.openObject();
    w.member("displaySetID", l.displaySetID);
    w.member("displaySetName", l.displaySetName);
    w.arrayMember("displays", l.displays, [&](const DisplayInfo& d) { writeDisplay(w, d); });
    w.member("savedAt", InternetDate::format(l.savedAt));
    w.arrayMember("windows", l.windows, [&](const SavedWindow& window) { writeWindow(w, window); });
    w.closeObject();
}

} // namespace

std::string LayoutFileCodec::encode(const std::vector<SavedLayout>& layouts) {
    std::vector<const SavedLayout*> pointers;
    pointers.reserve(layouts.size());
    for (const SavedLayout& l : layouts) {
        pointers.push_back(&l);
    }
    return encodeReferences(pointers);
}

std::string LayoutFileCodec::encodeReferences(const std::vector<const SavedLayout*>& layouts) {
    std::size_t expected = 64;
    for (const SavedLayout* l : layouts) {
        expected += 256 + 320 * l->displays.size() + 320 * l->windows.size();
    }
    Writer w(expected);
    w.openObject();
    w.arrayMember("layouts", layouts, [&](const SavedLayout* l) { writeLayout(w, *l); });
    w.member("version", std::int64_t{formatVersion});
    w.closeObject();
    std::string text = w.take();
    text += '\n';
    return text;
}

std::optional<std::vector<SavedLayout>> LayoutFileCodec::decode(std::string_view text) {
    return LayoutFileDecoder::decode(text);
}

std::optional<std::vector<SavedLayout>> LayoutFileCodec::decode(const std::string& text) {
    return LayoutFileDecoder::decode(text);
}

} // namespace plimsett
