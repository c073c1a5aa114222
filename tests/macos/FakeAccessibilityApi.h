#pragma once

#include "engine/Rect.h"
#include "platform/macos/AccessibilityApi.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace plimsett::testing {

// A stand-in for the Accessibility interface: elements with attributes that the test sets up, the
// Core Foundation objects they hold, and a log of every request sent to an element.
class FakeAccessibilityApi : public AccessibilityApi {
public:
    static constexpr Error cannotComplete = -25204;       // kAXErrorCannotComplete
    static constexpr Error attributeUnsupported = -25205; // kAXErrorAttributeUnsupported

    bool trusted = true;
    bool trustedAfterPrompt = false;
    bool pointValuesFail = false;
    bool sizeValuesFail = false;
    int trustQueries = 0;
    int promptQueries = 0;
    // "create 12", "timeout app12 0.5", "copy win AXSubrole", "set win AXSize 800x600", ...
    std::vector<std::string> calls;

    // Objects the fake hands out.
    CFRef element(const std::string& name);
    CFRef string(const std::string& text);
    CFRef boolean(bool value);
    CFRef array(std::vector<CFRef> items);
    CFRef point(double x, double y);
    CFRef size(double width, double height);
    // A Core Foundation object of a type no reader accepts, e.g. a number.
    CFRef other();

    // What `attribute` of `element` reads as.
    void setAttribute(const CFRef& element, const std::string& attribute, CFRef value,
                      Error error = success);
    // How a change of `attribute` of `element` is answered (success by default).
    void answerSet(const CFRef& element, const std::string& attribute, Error error);

    // The element AXUIElementCreateApplication gives for `pid`, made on first use.
    CFRef applicationElement(std::int32_t pid);
    // A window element with subrole AXStandardWindow, a position and a size.
    CFRef standardWindow(const std::string& name, Rect frame);
    // Sets the application's "AXWindows".
    void setWindows(std::int32_t pid, std::vector<CFRef> windows);

    // The calls whose log line starts with `prefix`.
    std::vector<std::string> callsStartingWith(const std::string& prefix) const;

    bool isProcessTrusted() override;
    bool isProcessTrustedWithPrompt() override;
    CFRef createApplicationElement(std::int32_t processIdentifier) override;
    Error setMessagingTimeout(const CFRef& element, float seconds) override;
    Error copyAttributeValue(const CFRef& element, const std::string& attribute,
                             CFRef& value) override;
    Error setAttributeValue(const CFRef& element, const std::string& attribute,
                            const CFRef& value) override;
    CFRef createPointValue(Point point) override;
    CFRef createSizeValue(Size size) override;
    bool getPointValue(const CFRef& value, Point& out) override;
    bool getSizeValue(const CFRef& value, Size& out) override;
    TypeID typeID(const CFRef& object) override;
    TypeID axValueTypeID() override;
    TypeID axUIElementTypeID() override;
    std::optional<std::string> stringValue(const CFRef& object) override;
    std::optional<bool> booleanValue(const CFRef& object) override;
    std::optional<std::vector<CFRef>> arrayItems(const CFRef& object) override;

private:
    enum class Kind { element = 1, value, string, boolean, array, other };
    enum class ValueType { point, size };
    struct Object {
        Kind kind = Kind::other;
        std::string text; // element name or string contents
        bool flag = false;
        ValueType valueType = ValueType::point;
        double first = 0;
        double second = 0;
        std::vector<CFRef> items;
        std::map<std::string, std::pair<Error, CFRef>> attributes;
        std::map<std::string, Error> setAnswers;
    };

    static CFRef make(Object object);
    static Object* object(const CFRef& ref);
    // The object when it is of `kind`, else null.
    static const Object* ofKind(const CFRef& ref, Kind kind);
    // An AXValue holding a point (x, y) or a size (width, height).
    static CFRef makeValue(ValueType type, double first, double second);
    // Copies an AXValue of `type` into `out` (a Point or a Size); false for anything else.
    template <typename Pair> static bool readValue(const CFRef& ref, ValueType type, Pair& out);
    static std::string describe(const CFRef& value);

    std::map<std::int32_t, CFRef> applications_;
};

} // namespace plimsett::testing
