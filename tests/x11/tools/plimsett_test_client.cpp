// A small X client for the backend tests: it owns windows with a chosen class, title, type,
// geometry, struts and states, driven by one command per line on standard input. Every command
// answers with one line on standard output ("ok ..." or "error ..."), after the X server has
// processed the requests, so the caller can wait for the answer instead of sleeping.
//
//   window key=value...   create and map a window; answers "ok <window id>"
//       class=C instance=I title=HEX (UTF-8 _NET_WM_NAME, hex so that any bytes can be sent)
//       wmname=HEX (WM_NAME as Latin-1 STRING) type=normal|dialog|dock|utility|none
//       x= y= w= h= (client size; position of the frame's top-left corner, NorthWest gravity)
//       transient=<id> states=fullscreen,maximized,above iconic=1 pid=N|none
//       strut=l,r,t,b strut-partial=12 values min=WxH
//   configure <id> x y w h    the client moves and resizes itself
//   iconify <id>              asks the window manager to minimise the window (WM_CHANGE_STATE)
//   destroy <id>              destroys the window
//   edid <output> <hex|none>  sets (or deletes) the EDID property of a RandR output
//   sync                      a round trip
//   quit                      exits; so does the end of standard input
#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

xcb_connection_t* connection = nullptr;
xcb_screen_t* screen = nullptr;

xcb_atom_t atom(const std::string& name) {
    static std::map<std::string, xcb_atom_t> cache;
    if (auto found = cache.find(name); found != cache.end()) {
        return found->second;
    }
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    cache[name] = result;
    return result;
}

std::optional<std::string> fromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = hex.substr(i, 2);
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (end != pair.c_str() + 2) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

std::vector<uint32_t> numbers(const std::string& list) {
    std::vector<uint32_t> result;
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ',')) {
        result.push_back(static_cast<uint32_t>(std::stoul(item)));
    }
    return result;
}

// A round trip: everything sent before has been processed by the server when it returns.
bool sync() {
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return xcb_connection_has_error(connection) == 0;
}

void setProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint8_t format,
                 uint32_t count, const void* data) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, format, count,
                        data);
}

std::string createWindow(const std::map<std::string, std::string>& options) {
    auto option = [&](const std::string& key, const std::string& fallback) {
        const auto found = options.find(key);
        return found == options.end() ? fallback : found->second;
    };
    const int x = std::stoi(option("x", "0"));
    const int y = std::stoi(option("y", "0"));
    const int w = std::stoi(option("w", "300"));
    const int h = std::stoi(option("h", "200"));
    // Toolkits such as Xt give their top-level windows a border; window managers handle it
    // in their own ways.
    const int border = std::stoi(option("border", "0"));

    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t values[] = {screen->white_pixel};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root,
                      static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<uint16_t>(w),
                      static_cast<uint16_t>(h), static_cast<uint16_t>(border),
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      values);

    const std::string className = option("class", "PlimsettTest");
    const std::string instance = option("instance", "plimsett-test");
    if (className != "none") {
        std::string wmClass = instance;
        wmClass.push_back('\0');
        wmClass += className;
        wmClass.push_back('\0');
        setProperty(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                    static_cast<uint32_t>(wmClass.size()), wmClass.data());
    }
    if (const auto title = fromHex(option("title", ""))) {
        if (!title->empty()) {
            setProperty(window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        static_cast<uint32_t>(title->size()), title->data());
        }
    }
    if (const auto wmName = fromHex(option("wmname", ""))) {
        if (!wmName->empty()) {
            setProperty(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(wmName->size()), wmName->data());
        }
    }
    const std::string type = option("type", "normal");
    if (type != "none") {
        std::string upper;
        for (char c : type) {
            upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        }
        const xcb_atom_t typeAtom = atom("_NET_WM_WINDOW_TYPE_" + upper);
        setProperty(window, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &typeAtom);
    }
    const std::string pid = option("pid", std::to_string(getpid()));
    if (pid != "none") {
        const uint32_t value = static_cast<uint32_t>(std::stoul(pid));
        setProperty(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &value);
    }
    if (options.contains("transient")) {
        const xcb_window_t parent = static_cast<xcb_window_t>(std::stoul(option("transient", "0")));
        setProperty(window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &parent);
    }
    if (options.contains("strut")) {
        const std::vector<uint32_t> strut = numbers(option("strut", ""));
        setProperty(window, atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32,
                    static_cast<uint32_t>(strut.size()), strut.data());
    }
    if (options.contains("strut-partial")) {
        const std::vector<uint32_t> strut = numbers(option("strut-partial", ""));
        setProperty(window, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32,
                    static_cast<uint32_t>(strut.size()), strut.data());
    }
    if (options.contains("states")) {
        std::vector<xcb_atom_t> states;
        for (const std::string& name : [&] {
                 std::vector<std::string> names;
                 std::stringstream stream(option("states", ""));
                 std::string item;
                 while (std::getline(stream, item, ',')) {
                     names.push_back(item);
                 }
                 return names;
             }()) {
            if (name == "maximized") {
                states.push_back(atom("_NET_WM_STATE_MAXIMIZED_VERT"));
                states.push_back(atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
            } else {
                std::string upper;
                for (char c : name) {
                    upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
                }
                states.push_back(atom("_NET_WM_STATE_" + upper));
            }
        }
        setProperty(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                    static_cast<uint32_t>(states.size()), states.data());
    }

    // The position is the user's choice, so the window manager keeps it instead of placing the
    // window itself.
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, x, y);
    xcb_icccm_size_hints_set_size(&hints, 1, w, h);
    if (options.contains("min")) {
        const std::string min = option("min", "1x1");
        const auto cross = min.find('x');
        xcb_icccm_size_hints_set_min_size(&hints, std::stoi(min.substr(0, cross)),
                                          std::stoi(min.substr(cross + 1)));
    }
    xcb_icccm_set_wm_normal_hints(connection, window, &hints);

    xcb_icccm_wm_hints_t wmHints{};
    xcb_icccm_wm_hints_set_input(&wmHints, 1);
    if (option("iconic", "0") == "1") {
        xcb_icccm_wm_hints_set_iconic(&wmHints);
    } else {
        xcb_icccm_wm_hints_set_normal(&wmHints);
    }
    xcb_icccm_set_wm_hints(connection, window, &wmHints);

    xcb_map_window(connection, window);
    if (!sync()) {
        return "error connection lost";
    }
    return "ok " + std::to_string(window);
}

std::string configure(xcb_window_t window, int x, int y, int w, int h) {
    const uint32_t values[] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                               static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
    xcb_configure_window(connection, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    return sync() ? "ok" : "error connection lost";
}

std::string iconify(xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_CHANGE_STATE");
    event.data.data32[0] = XCB_ICCCM_WM_STATE_ICONIC;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    return sync() ? "ok" : "error connection lost";
}

std::string setEdid(const std::string& outputName, const std::string& hex) {
    xcb_randr_get_screen_resources_current_reply_t* resources =
        xcb_randr_get_screen_resources_current_reply(
            connection, xcb_randr_get_screen_resources_current(connection, screen->root), nullptr);
    if (!resources) {
        return "error no RandR";
    }
    const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(resources);
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources);
    std::optional<xcb_randr_output_t> match;
    for (int i = 0; i < count && !match; ++i) {
        xcb_randr_get_output_info_reply_t* info = xcb_randr_get_output_info_reply(
            connection,
            xcb_randr_get_output_info(connection, outputs[i], resources->config_timestamp),
            nullptr);
        if (info) {
            const std::string name(
                reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info)),
                static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info)));
            if (name == outputName) {
                match = outputs[i];
            }
            free(info);
        }
    }
    free(resources);
    if (!match) {
        return "error no output " + outputName;
    }
    if (hex == "none") {
        xcb_randr_delete_output_property(connection, *match, atom("EDID"));
    } else {
        const auto bytes = fromHex(hex);
        if (!bytes) {
            return "error bad hex";
        }
        xcb_randr_change_output_property(connection, *match, atom("EDID"), XCB_ATOM_INTEGER, 8,
                                         XCB_PROP_MODE_REPLACE,
                                         static_cast<uint32_t>(bytes->size()), bytes->data());
    }
    return sync() ? "ok" : "error connection lost";
}

std::string run(const std::string& line) {
    std::stringstream stream(line);
    std::string command;
    stream >> command;
    try {
        if (command == "window") {
            std::map<std::string, std::string> options;
            std::string item;
            while (stream >> item) {
                const auto equals = item.find('=');
                if (equals == std::string::npos) {
                    return "error bad option " + item;
                }
                options[item.substr(0, equals)] = item.substr(equals + 1);
            }
            return createWindow(options);
        }
        if (command == "configure") {
            xcb_window_t window = 0;
            int x = 0, y = 0, w = 0, h = 0;
            stream >> window >> x >> y >> w >> h;
            return configure(window, x, y, w, h);
        }
        if (command == "iconify") {
            xcb_window_t window = 0;
            stream >> window;
            return iconify(window);
        }
        if (command == "destroy") {
            xcb_window_t window = 0;
            stream >> window;
            xcb_destroy_window(connection, window);
            return sync() ? "ok" : "error connection lost";
        }
        if (command == "edid") {
            std::string output, hex;
            stream >> output >> hex;
            return setEdid(output, hex);
        }
        if (command == "sync") {
            return sync() ? "ok" : "error connection lost";
        }
    } catch (const std::exception& error) {
        return std::string("error ") + error.what();
    }
    return "error unknown command " + command;
}

} // namespace

int main() {
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::cout << "error cannot connect" << std::endl;
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    screen = screens.data;
    std::cout << "ready " << getpid() << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "quit") {
            break;
        }
        std::cout << run(line) << std::endl;
        // Errors and events are not wanted; drop them so that they do not pile up.
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            free(event);
        }
    }
    xcb_disconnect(connection);
    return 0;
}
