#include "tests/x11/support/XInspector.h"

#include <xcb/randr.h>
#include <xcb/res.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace plimsett::testing {

XInspector::XInspector(const std::string& displayName) {
    int screenNumber = 0;
    connection_ = xcb_connect(displayName.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        throw std::runtime_error("cannot connect to " + displayName);
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    root_ = screens.data->root;
}

XInspector::~XInspector() {
    xcb_disconnect(connection_);
}

xcb_atom_t XInspector::atom(const std::string& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : 0;
    std::free(reply);
    return result;
}

std::vector<std::uint32_t> XInspector::property32(xcb_window_t window, const std::string& name) {
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        &error);
    std::free(error);
    std::vector<std::uint32_t> values;
    if (reply != nullptr && reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

std::vector<xcb_window_t> XInspector::clientList() {
    return property32(root_, "_NET_CLIENT_LIST");
}

bool XInspector::hasWindowManager() {
    const auto check = property32(root_, "_NET_SUPPORTING_WM_CHECK");
    return !check.empty() && property32(check[0], "_NET_SUPPORTING_WM_CHECK") == check;
}

bool XInspector::exists(xcb_window_t window) {
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* reply =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), &error);
    std::free(error);
    const bool found = reply != nullptr;
    std::free(reply);
    return found;
}

std::optional<Rect> XInspector::outerFrame(xcb_window_t window) {
    xcb_generic_error_t* error = nullptr;
    xcb_translate_coordinates_reply_t* position = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), &error);
    std::free(error);
    error = nullptr;
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), &error);
    std::free(error);
    std::optional<Rect> frame;
    if (position != nullptr && geometry != nullptr) {
        auto extents = property32(window, "_NET_FRAME_EXTENTS");
        extents.resize(4, 0);
        const double b = geometry->border_width;
        frame = Rect{position->dst_x - b - extents[0], position->dst_y - b - extents[2],
                     geometry->width + 2 * b + extents[0] + extents[1],
                     geometry->height + 2 * b + extents[2] + extents[3]};
    }
    std::free(position);
    std::free(geometry);
    return frame;
}

bool XInspector::isManaged(xcb_window_t window) {
    const auto clients = clientList();
    return std::find(clients.begin(), clients.end(), window) != clients.end() &&
           property32(window, "_NET_FRAME_EXTENTS").size() == 4;
}

std::optional<Rect> XInspector::outputGeometry(const std::string& name) {
    xcb_randr_get_screen_resources_current_reply_t* resources =
        xcb_randr_get_screen_resources_current_reply(
            connection_, xcb_randr_get_screen_resources_current(connection_, root_), nullptr);
    if (resources == nullptr) {
        return std::nullopt;
    }
    std::optional<Rect> geometry;
    const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(resources);
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources);
    for (int i = 0; i < count && !geometry; ++i) {
        xcb_randr_get_output_info_reply_t* info = xcb_randr_get_output_info_reply(
            connection_,
            xcb_randr_get_output_info(connection_, outputs[i], resources->config_timestamp),
            nullptr);
        if (info != nullptr && info->crtc != XCB_NONE &&
            std::string(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info)),
                        static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info))) ==
                name) {
            xcb_randr_get_crtc_info_reply_t* crtc = xcb_randr_get_crtc_info_reply(
                connection_,
                xcb_randr_get_crtc_info(connection_, info->crtc, resources->config_timestamp),
                nullptr);
            if (crtc != nullptr && crtc->mode != XCB_NONE) {
                geometry =
                    Rect{static_cast<double>(crtc->x), static_cast<double>(crtc->y),
                         static_cast<double>(crtc->width), static_cast<double>(crtc->height)};
            }
            std::free(crtc);
        }
        std::free(info);
    }
    std::free(resources);
    return geometry;
}

int XInspector::clientCount() {
    xcb_res_query_clients_reply_t* reply =
        xcb_res_query_clients_reply(connection_, xcb_res_query_clients(connection_), nullptr);
    const int count = reply != nullptr ? static_cast<int>(reply->num_clients) : -1;
    std::free(reply);
    return count;
}

Rect XInspector::rootGeometry() {
    xcb_get_geometry_reply_t* reply =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, root_), nullptr);
    Rect r;
    if (reply != nullptr) {
        r = Rect{0, 0, static_cast<double>(reply->width), static_cast<double>(reply->height)};
    }
    std::free(reply);
    return r;
}

} // namespace plimsett::testing
