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

private:
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
    w.key("frame");
    w.rect(d.frame);
    w.key("isBuiltIn");
    w.boolean(d.isBuiltIn);
    w.key("name");
    w.string(d.name);
    w.key("uuid");
    w.string(d.uuid);
    w.key("visibleFrame");
    w.rect(d.visibleFrame);
    w.closeObject();
}

void writeWindow(Writer& w, const SavedWindow& window) {
    w.openObject();
    w.key("appName");
    w.string(window.appName);
    w.key("bundleID");
    w.string(window.bundleID);
    w.key("frame");
    w.rect(window.frame);
    w.key("index");
    w.integer(window.index);
    w.key("isFullScreen");
    w.boolean(window.isFullScreen);
    w.key("isMinimized");
    w.boolean(window.isMinimized);
    // Only maximised windows carry the key, so every other record reads as before.
    if (window.isMaximized()) {
        w.key("maximized");
        w.string(window.isMaximizedHorizontally && window.isMaximizedVertically ? "both"
                 : window.isMaximizedHorizontally                               ? "horizontally"
                                                                                : "vertically");
    }
    w.key("title");
    w.string(window.title);
    w.closeObject();
}

void writeLayout(Writer& w, const SavedLayout& l) {
    w.openObject();
    w.key("displaySetID");
    w.string(l.displaySetID);
    w.key("displaySetName");
    w.string(l.displaySetName);
    w.key("displays");
    w.openArray();
    for (const DisplayInfo& d : l.displays) {
        w.element();
        writeDisplay(w, d);
    }
    w.closeArray();
    w.key("savedAt");
    w.string(InternetDate::format(l.savedAt));
    w.key("windows");
    w.openArray();
    for (const SavedWindow& window : l.windows) {
        w.element();
        writeWindow(w, window);
    }
    w.closeArray();
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
    w.key("layouts");
    w.openArray();
    for (const SavedLayout* l : layouts) {
        w.element();
        writeLayout(w, *l);
    }
    w.closeArray();
    w.key("version");
    w.integer(formatVersion);
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
