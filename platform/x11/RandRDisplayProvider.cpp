#include "platform/x11/RandRDisplayProvider.h"

#include "platform/x11/RandRDisplayList.h"
#include "platform/x11/XcbReply.h"

#include <xcb/randr.h>

#include <map>

namespace plimsett {
namespace {

// EDIDs are 128 bytes per block; four blocks cover every monitor in use.
constexpr std::uint32_t edidLength = 512 / 4;

template <typename Reply, typename Cookie, typename Fetch>
XcbReply<Reply> collect(xcb_connection_t* c, Cookie cookie, Fetch fetch) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<Reply> reply(fetch(c, cookie, &error));
    std::free(error);
    return reply;
}

std::vector<std::uint32_t> values32(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 32 || reply->type != XCB_ATOM_CARDINAL) {
        return {};
    }
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply) / 4);
}

} // namespace

RandRDisplayProvider::RandRDisplayProvider(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {}

DisplaySet RandRDisplayProvider::currentDisplaySet() {
    if (!connection_ || connection_->isBroken() || !connection_->hasRandR()) {
        return DisplaySet();
    }
    connection_->discardEvents();
    xcb_connection_t* c = connection_->xcb();
    xcb_ewmh_connection_t& ewmh = connection_->ewmh();
    const xcb_window_t root = connection_->root();

    // First round trip: the outputs and CRTCs, the primary output, the screen's size (the setup
    // data's size is the one at connection time) and the managed windows.
    const auto resourcesCookie = xcb_randr_get_screen_resources_current(c, root);
    const auto primaryCookie = xcb_randr_get_output_primary(c, root);
    const auto rootCookie = xcb_get_geometry(c, root);
    const auto clientsCookie =
        xcb_get_property(c, 0, root, ewmh._NET_CLIENT_LIST, XCB_ATOM_WINDOW, 0, 65536);
    const auto resources = collect<xcb_randr_get_screen_resources_current_reply_t>(
        c, resourcesCookie, xcb_randr_get_screen_resources_current_reply);
    const auto primary = collect<xcb_randr_get_output_primary_reply_t>(
        c, primaryCookie, xcb_randr_get_output_primary_reply);
    const auto rootGeometry =
        collect<xcb_get_geometry_reply_t>(c, rootCookie, xcb_get_geometry_reply);
    const auto clientsReply =
        collect<xcb_get_property_reply_t>(c, clientsCookie, xcb_get_property_reply);
    if (!resources || !rootGeometry) {
        return DisplaySet();
    }
    std::vector<xcb_window_t> clients;
    if (clientsReply && clientsReply->format == 32 && clientsReply->type == XCB_ATOM_WINDOW) {
        const auto* data =
            static_cast<const xcb_window_t*>(xcb_get_property_value(clientsReply.get()));
        clients.assign(data, data + xcb_get_property_value_length(clientsReply.get()) / 4);
    }

    // Second round trip: every output, CRTC, EDID and strut.
    const xcb_timestamp_t timestamp = resources->config_timestamp;
    const xcb_randr_output_t* outputIDs =
        xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int outputCount = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    const xcb_randr_crtc_t* crtcIDs = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    const int crtcCount = xcb_randr_get_screen_resources_current_crtcs_length(resources.get());

    std::vector<xcb_randr_get_output_info_cookie_t> outputCookies;
    std::vector<xcb_randr_get_output_property_cookie_t> edidCookies;
    for (int i = 0; i < outputCount; ++i) {
        outputCookies.push_back(xcb_randr_get_output_info(c, outputIDs[i], timestamp));
        edidCookies.push_back(
            xcb_randr_get_output_property(c, outputIDs[i], connection_->edidAtom(),
                                          XCB_GET_PROPERTY_TYPE_ANY, 0, edidLength, 0, 0));
    }
    std::vector<xcb_randr_get_crtc_info_cookie_t> crtcCookies;
    for (int i = 0; i < crtcCount; ++i) {
        crtcCookies.push_back(xcb_randr_get_crtc_info(c, crtcIDs[i], timestamp));
    }
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> strutCookies;
    for (const xcb_window_t window : clients) {
        strutCookies.emplace_back(
            xcb_get_property(c, 0, window, ewmh._NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 0, 12),
            xcb_get_property(c, 0, window, ewmh._NET_WM_STRUT, XCB_ATOM_CARDINAL, 0, 4));
    }

    std::map<xcb_randr_crtc_t, Rect> crtcFrames;
    for (int i = 0; i < crtcCount; ++i) {
        const auto crtc = collect<xcb_randr_get_crtc_info_reply_t>(c, crtcCookies[i],
                                                                   xcb_randr_get_crtc_info_reply);
        if (crtc && crtc->status == XCB_RANDR_SET_CONFIG_SUCCESS && crtc->mode != XCB_NONE &&
            crtc->width > 0 && crtc->height > 0) {
            crtcFrames[crtcIDs[i]] =
                Rect{static_cast<double>(crtc->x), static_cast<double>(crtc->y),
                     static_cast<double>(crtc->width), static_cast<double>(crtc->height)};
        }
    }
    std::vector<RandRDisplayList::Output> outputs;
    for (int i = 0; i < outputCount; ++i) {
        const auto info = collect<xcb_randr_get_output_info_reply_t>(
            c, outputCookies[i], xcb_randr_get_output_info_reply);
        const auto edid = collect<xcb_randr_get_output_property_reply_t>(
            c, edidCookies[i], xcb_randr_get_output_property_reply);
        if (!info || info->status != XCB_RANDR_SET_CONFIG_SUCCESS) {
            continue;
        }
        RandRDisplayList::Output output;
        output.name.assign(
            reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
            static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info.get())));
        output.isPrimary = primary && primary->output == outputIDs[i];
        if (const auto frame = crtcFrames.find(info->crtc); frame != crtcFrames.end()) {
            output.frame = frame->second;
        }
        if (edid && edid->format == 8) {
            const std::uint8_t* data = xcb_randr_get_output_property_data(edid.get());
            output.edid.assign(data, data + xcb_randr_get_output_property_data_length(edid.get()));
        }
        outputs.push_back(std::move(output));
    }
    std::vector<DockStrut> struts;
    for (const auto& [partialCookie, strutCookie] : strutCookies) {
        const auto partial =
            collect<xcb_get_property_reply_t>(c, partialCookie, xcb_get_property_reply);
        const auto strut =
            collect<xcb_get_property_reply_t>(c, strutCookie, xcb_get_property_reply);
        // The partial form wins when a window sets both.
        if (auto s = DockStrut::fromPartial(values32(partial.get()))) {
            struts.push_back(*s);
        } else if (auto s = DockStrut::fromStrut(values32(strut.get()))) {
            struts.push_back(*s);
        }
    }
    return DisplaySet(
        RandRDisplayList::displays(outputs, struts, rootGeometry->width, rootGeometry->height));
}

} // namespace plimsett
