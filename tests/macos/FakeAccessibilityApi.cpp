#include "tests/macos/FakeAccessibilityApi.h"

#include <sstream>

namespace plimsett::testing {

CFRef FakeAccessibilityApi::make(Object object) {
    return std::make_shared<Object>(std::move(object));
}

FakeAccessibilityApi::Object* FakeAccessibilityApi::object(const CFRef& ref) {
    // Every object a test passes in was made by this fake.
    return const_cast<Object*>(static_cast<const Object*>(ref.get()));
}

const FakeAccessibilityApi::Object* FakeAccessibilityApi::ofKind(const CFRef& ref, Kind kind) {
    const Object* o = object(ref);
    return o != nullptr && o->kind == kind ? o : nullptr;
}

CFRef FakeAccessibilityApi::makeValue(ValueType type, double first, double second) {
    Object o;
    o.kind = Kind::value;
    o.valueType = type;
    o.first = first;
    o.second = second;
    return make(std::move(o));
}

template <typename Pair>
bool FakeAccessibilityApi::readValue(const CFRef& ref, ValueType type, Pair& out) {
    const Object* o = ofKind(ref, Kind::value);
    if (o == nullptr || o->valueType != type) {
        return false;
    }
    out = Pair{o->first, o->second};
    return true;
}

std::string FakeAccessibilityApi::describe(const CFRef& value) {
    const Object* o = object(value);
    if (o == nullptr) {
        return "null";
    }
    std::ostringstream text;
    if (o->kind == Kind::value) {
        text << o->first << (o->valueType == ValueType::point ? "," : "x") << o->second;
    } else {
        text << "object";
    }
    return text.str();
}

CFRef FakeAccessibilityApi::element(const std::string& name) {
    Object o;
    o.kind = Kind::element;
    o.text = name;
    return make(std::move(o));
}

CFRef FakeAccessibilityApi::string(const std::string& text) {
    Object o;
    o.kind = Kind::string;
    o.text = text;
    return make(std::move(o));
}

CFRef FakeAccessibilityApi::boolean(bool value) {
    Object o;
    o.kind = Kind::boolean;
    o.flag = value;
    return make(std::move(o));
}

CFRef FakeAccessibilityApi::array(std::vector<CFRef> items) {
    Object o;
    o.kind = Kind::array;
    o.items = std::move(items);
    return make(std::move(o));
}

CFRef FakeAccessibilityApi::point(double x, double y) {
    return makeValue(ValueType::point, x, y);
}

CFRef FakeAccessibilityApi::size(double width, double height) {
    return makeValue(ValueType::size, width, height);
}

CFRef FakeAccessibilityApi::other() {
    return make(Object{});
}

void FakeAccessibilityApi::setAttribute(const CFRef& element, const std::string& attribute,
                                        CFRef value, Error error) {
    object(element)->attributes[attribute] = {error, std::move(value)};
}

void FakeAccessibilityApi::answerSet(const CFRef& element, const std::string& attribute,
                                     Error error) {
    object(element)->setAnswers[attribute] = error;
}

CFRef FakeAccessibilityApi::applicationElement(std::int32_t pid) {
    CFRef& app = applications_[pid];
    if (!app) {
        app = element("app" + std::to_string(pid));
    }
    return app;
}

CFRef FakeAccessibilityApi::standardWindow(const std::string& name, Rect frame) {
    CFRef window = element(name);
    setAttribute(window, "AXSubrole", string("AXStandardWindow"));
    setAttribute(window, "AXPosition", point(frame.x, frame.y));
    setAttribute(window, "AXSize", size(frame.width, frame.height));
    return window;
}

void FakeAccessibilityApi::setWindows(std::int32_t pid, std::vector<CFRef> windows) {
    setAttribute(applicationElement(pid), "AXWindows", array(std::move(windows)));
}

std::vector<std::string> FakeAccessibilityApi::callsStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& call : calls) {
        if (call.starts_with(prefix)) {
            out.push_back(call);
        }
    }
    return out;
}

bool FakeAccessibilityApi::isProcessTrusted() {
    ++trustQueries;
    return trusted;
}

bool FakeAccessibilityApi::isProcessTrustedWithPrompt() {
    ++promptQueries;
    if (trustedAfterPrompt) {
        trusted = true;
    }
    return trusted;
}

CFRef FakeAccessibilityApi::createApplicationElement(std::int32_t processIdentifier) {
    calls.push_back("create " + std::to_string(processIdentifier));
    return applicationElement(processIdentifier);
}

AccessibilityApi::Error FakeAccessibilityApi::setMessagingTimeout(const CFRef& element,
                                                                  float seconds) {
    std::ostringstream line;
    line << "timeout " << object(element)->text << " " << seconds;
    calls.push_back(line.str());
    return success;
}

AccessibilityApi::Error FakeAccessibilityApi::copyAttributeValue(const CFRef& element,
                                                                 const std::string& attribute,
                                                                 CFRef& value) {
    Object* target = object(element);
    calls.push_back("copy " + target->text + " " + attribute);
    value.reset();
    if (target->kind != Kind::element) {
        return -25201; // kAXErrorIllegalArgument
    }
    const auto found = target->attributes.find(attribute);
    if (found == target->attributes.end()) {
        return -25212; // kAXErrorNoValue
    }
    value = found->second.second;
    return found->second.first;
}

AccessibilityApi::Error FakeAccessibilityApi::setAttributeValue(const CFRef& element,
                                                                const std::string& attribute,
                                                                const CFRef& value) {
    Object* target = object(element);
    calls.push_back("set " + target->text + " " + attribute + " " + describe(value));
    const auto found = target->setAnswers.find(attribute);
    return found == target->setAnswers.end() ? success : found->second;
}

CFRef FakeAccessibilityApi::createPointValue(Point p) {
    return pointValuesFail ? CFRef() : point(p.x, p.y);
}

CFRef FakeAccessibilityApi::createSizeValue(Size s) {
    return sizeValuesFail ? CFRef() : size(s.width, s.height);
}

bool FakeAccessibilityApi::getPointValue(const CFRef& value, Point& out) {
    return readValue(value, ValueType::point, out);
}

bool FakeAccessibilityApi::getSizeValue(const CFRef& value, Size& out) {
    return readValue(value, ValueType::size, out);
}

AccessibilityApi::TypeID FakeAccessibilityApi::typeID(const CFRef& ref) {
    const Object* o = object(ref);
    return o == nullptr ? 0 : static_cast<TypeID>(o->kind);
}

AccessibilityApi::TypeID FakeAccessibilityApi::axValueTypeID() {
    return static_cast<TypeID>(Kind::value);
}

AccessibilityApi::TypeID FakeAccessibilityApi::axUIElementTypeID() {
    return static_cast<TypeID>(Kind::element);
}

std::optional<std::string> FakeAccessibilityApi::stringValue(const CFRef& ref) {
    const Object* o = ofKind(ref, Kind::string);
    if (o == nullptr) {
        return std::nullopt;
    }
    return o->text;
}

std::optional<bool> FakeAccessibilityApi::booleanValue(const CFRef& ref) {
    const Object* o = ofKind(ref, Kind::boolean);
    if (o == nullptr) {
        return std::nullopt;
    }
    return o->flag;
}

std::optional<std::vector<CFRef>> FakeAccessibilityApi::arrayItems(const CFRef& ref) {
    const Object* o = ofKind(ref, Kind::array);
    if (o == nullptr) {
        return std::nullopt;
    }
    return o->items;
}

} // namespace plimsett::testing
