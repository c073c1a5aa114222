#include "platform/x11/X11DisplayEventMonitor.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/XcbReply.h"

#include <QSocketNotifier>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace plimsett {

X11DisplayEventMonitor::X11DisplayEventMonitor(std::weak_ptr<LayoutController> controller,
                                               std::optional<std::string> displayName)
    : controller_(controller), displayName_(std::move(displayName)),
      throttle_([this](const WindowEvent& event) { deliver(event); }),
      sleepMonitor_(std::make_unique<LogindSleepMonitor>(std::move(controller))) {}

X11DisplayEventMonitor::~X11DisplayEventMonitor() {
    stop();
}

void X11DisplayEventMonitor::start() {
    if (registered_) {
        return;
    }
    registered_ = true;
    startX();
    sleepMonitor_->start();
}

void X11DisplayEventMonitor::stop() {
    if (!registered_) {
        return;
    }
    registered_ = false;
    stopX();
    sleepMonitor_->stop();
}

// MARK: X events

void X11DisplayEventMonitor::startX() {
    if (!displayName_) {
        return;
    }
    int screenNumber = 0;
    connection_ =
        xcb_connect(displayName_->empty() ? nullptr : displayName_->c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem <= 0 || screens.data == nullptr) {
        stopX();
        return;
    }
    const xcb_window_t root = screens.data->root;

    const auto intern = [&](const char* name) {
        return xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    };
    const auto atomCookie = intern("_NET_WORKAREA");
    const auto clientListCookie = intern("_NET_CLIENT_LIST");
    const auto stateCookie = intern("_NET_WM_STATE");
    const auto desktopCookie = intern("_NET_WM_DESKTOP");
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection_, &xcb_randr_id);
    std::optional<xcb_randr_query_version_cookie_t> versionCookie;
    if (randr != nullptr && randr->present != 0) {
        randrEventBase_ = randr->first_event;
        // The server sends the CRTC and output notifications only to clients that said they
        // know RandR 1.2 or later.
        versionCookie = xcb_randr_query_version(connection_, 1, 5);
    }
    xcb_generic_error_t* error = nullptr;
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection_, atomCookie, &error));
    std::free(error);
    workAreaAtom_ = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    const XcbReply<xcb_intern_atom_reply_t> clientList(
        xcb_intern_atom_reply(connection_, clientListCookie, nullptr));
    clientListAtom_ = clientList ? clientList->atom : xcb_atom_t{XCB_ATOM_NONE};
    const XcbReply<xcb_intern_atom_reply_t> state(
        xcb_intern_atom_reply(connection_, stateCookie, nullptr));
    stateAtom_ = state ? state->atom : xcb_atom_t{XCB_ATOM_NONE};
    const XcbReply<xcb_intern_atom_reply_t> desktop(
        xcb_intern_atom_reply(connection_, desktopCookie, nullptr));
    desktopAtom_ = desktop ? desktop->atom : xcb_atom_t{XCB_ATOM_NONE};
    if (versionCookie) {
        error = nullptr;
        const XcbReply<xcb_randr_query_version_reply_t> version(
            xcb_randr_query_version_reply(connection_, *versionCookie, &error));
        std::free(error);
        if (version) {
            xcb_randr_select_input(connection_, root,
                                   XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        } else {
            randrEventBase_ = 0;
        }
    }
    // Only this connection's own mask on the root window changes. The root's children are the
    // window managers' frames (or the clients themselves, without one).
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root, XCB_CW_EVENT_MASK, &mask);
    root_ = root;
    clients_.clear();
    clientOfTopLevel_.clear();
    topLevelOfClient_.clear();
    // The clients there now were there before: they did not appear.
    readClientList(/*report=*/false);
    // A round trip, so that every change after start() returns is reported.
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));

    notifier_ =
        new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readXEvents(); });
    // The round trip may have read events into the connection's queue already.
    readXEvents();
}

void X11DisplayEventMonitor::stopX() {
    delete notifier_;
    notifier_ = nullptr;
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
    }
    randrEventBase_ = 0;
    clients_.clear();
    clientOfTopLevel_.clear();
    topLevelOfClient_.clear();
    throttle_.clear();
}

void X11DisplayEventMonitor::readClientList(bool report) {
    if (clientListAtom_ == XCB_ATOM_NONE) {
        return;
    }
    std::vector<std::uint32_t> sortedNow =
        X11Connection::cardinals(connection_, root_, clientListAtom_, XCB_ATOM_WINDOW);
    std::sort(sortedNow.begin(), sortedNow.end());
    sortedNow.erase(std::unique(sortedNow.begin(), sortedNow.end()), sortedNow.end());
    std::vector<std::uint32_t> came, went;
    std::set_difference(sortedNow.begin(), sortedNow.end(), clients_.begin(), clients_.end(),
                        std::back_inserter(came));
    std::set_difference(clients_.begin(), clients_.end(), sortedNow.begin(), sortedNow.end(),
                        std::back_inserter(went));
    clients_ = std::move(sortedNow);
    // Their _NET_WM_STATE tells when they are maximised, minimised or made full screen, their
    // _NET_WM_DESKTOP when they go to another workspace.
    const std::uint32_t clientMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    for (const std::uint32_t window : came) {
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &clientMask);
    }
    findTopLevels(came);
    for (const std::uint32_t window : came) {
        if (report) {
            throttle_.report({WindowEvent::Kind::appeared, std::to_string(window)});
        }
    }
    for (const std::uint32_t window : went) {
        if (const auto it = topLevelOfClient_.find(window); it != topLevelOfClient_.end()) {
            clientOfTopLevel_.erase(it->second);
            topLevelOfClient_.erase(it);
        }
        if (report) {
            throttle_.report({WindowEvent::Kind::gone, std::to_string(window)});
        } else {
            throttle_.forget(std::to_string(window));
        }
    }
    xcb_flush(connection_);
}

void X11DisplayEventMonitor::findTopLevels(const std::vector<std::uint32_t>& clients) {
    // Walks up from each client, one round trip per level for all of them together; window
    // managers nest a client at most two or three windows deep.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> walking; // client, window reached
    for (const std::uint32_t client : clients) {
        walking.emplace_back(client, client);
    }
    for (int depth = 0; depth < 8 && !walking.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(walking.size());
        for (const auto& [client, window] : walking) {
            cookies.push_back(xcb_query_tree(connection_, window));
        }
        std::vector<std::pair<std::uint32_t, std::uint32_t>> next;
        for (std::size_t i = 0; i < walking.size(); ++i) {
            xcb_generic_error_t* error = nullptr;
            const XcbReply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(connection_, cookies[i], &error));
            std::free(error);
            const auto [client, window] = walking[i];
            if (!tree) {
                continue; // gone meanwhile
            }
            if (tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) {
                if (const auto old = topLevelOfClient_.find(client);
                    old != topLevelOfClient_.end()) {
                    clientOfTopLevel_.erase(old->second);
                }
                topLevelOfClient_[client] = window;
                clientOfTopLevel_[window] = client;
            } else {
                next.emplace_back(client, tree->parent);
            }
        }
        walking = std::move(next);
    }
}

void X11DisplayEventMonitor::forgetTopLevel(std::uint32_t window) {
    const auto it = clientOfTopLevel_.find(window);
    const std::uint32_t client = it != clientOfTopLevel_.end() ? it->second : window;
    if (it != clientOfTopLevel_.end()) {
        topLevelOfClient_.erase(client);
        clientOfTopLevel_.erase(it);
    }
    throttle_.forget(std::to_string(client));
}

void X11DisplayEventMonitor::deliver(const WindowEvent& event) {
    if (!registered_) {
        return;
    }
    if (const auto controller = controller_.lock()) {
        controller->windowEvent(event);
    }
}

void X11DisplayEventMonitor::reportTopLevel(std::uint32_t window, std::optional<Rect> frame) {
    // Reported under the client's id, with the frame, when the window holds a client; else under
    // its own id, as a change that the next listing makes sense of.
    const auto client = clientOfTopLevel_.find(window);
    if (client == clientOfTopLevel_.end()) {
        throttle_.report({WindowEvent::Kind::changed, std::to_string(window)});
        return;
    }
    throttle_.report({WindowEvent::Kind::changed, std::to_string(client->second), frame});
}

void X11DisplayEventMonitor::readXEvents() {
    while (connection_ != nullptr) {
        XcbReply<xcb_generic_event_t> event(xcb_poll_for_event(connection_));
        if (!event) {
            break;
        }
        const unsigned type = event->response_type & 0x7F;
        std::optional<DisplayEvent> displayEvent;
        if (randrEventBase_ != 0 && type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
            displayEvent = DisplayEvent::reconfigured;
        } else if (randrEventBase_ != 0 && type == randrEventBase_ + XCB_RANDR_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_randr_notify_event_t*>(event.get());
            if (notify->subCode == XCB_RANDR_NOTIFY_CRTC_CHANGE ||
                notify->subCode == XCB_RANDR_NOTIFY_OUTPUT_CHANGE) {
                displayEvent = DisplayEvent::reconfigured;
            }
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
            if (workAreaAtom_ != XCB_ATOM_NONE && notify->atom == workAreaAtom_) {
                displayEvent = DisplayEvent::screenParameters;
            } else if (notify->window == root_ && notify->atom == clientListAtom_) {
                readClientList(/*report=*/true);
            } else if (notify->window != root_ &&
                       (notify->atom == stateAtom_ || notify->atom == desktopAtom_)) {
                throttle_.report({WindowEvent::Kind::changed, std::to_string(notify->window)});
            }
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_configure_notify_event_t*>(event.get());
            // Menus, tooltips and other override-redirect windows are never laid out: they are
            // not followed at all, so however many come and go, nothing is kept for them.
            if (notify->window != root_ && notify->event == root_ &&
                notify->override_redirect == 0) {
                reportTopLevel(notify->window,
                               Rect{double(notify->x), double(notify->y),
                                    double(notify->width) + 2.0 * notify->border_width,
                                    double(notify->height) + 2.0 * notify->border_width});
            }
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (notify->window != root_ && notify->event == root_ &&
                notify->override_redirect == 0) {
                reportTopLevel(notify->window, std::nullopt);
            }
        } else if (type == XCB_UNMAP_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_unmap_notify_event_t*>(event.get());
            if (notify->window != root_ && notify->event == root_) {
                // A hidden frame (a window minimised, or one about to close) is a change; what
                // the throttle keeps of it is let go, and a window mapped again starts afresh.
                const auto client = clientOfTopLevel_.find(notify->window);
                if (client != clientOfTopLevel_.end()) {
                    throttle_.report({WindowEvent::Kind::changed, std::to_string(client->second)});
                    throttle_.forget(std::to_string(client->second));
                } else {
                    throttle_.forget(std::to_string(notify->window));
                }
            }
        } else if (type == XCB_DESTROY_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_destroy_notify_event_t*>(event.get());
            if (notify->event == root_) {
                forgetTopLevel(notify->window);
            }
        } else if (type == XCB_REPARENT_NOTIFY) {
            // A client framed anew (a window manager started or replaced) has another top level.
            const auto* notify = reinterpret_cast<const xcb_reparent_notify_event_t*>(event.get());
            if (std::binary_search(clients_.begin(), clients_.end(), notify->window)) {
                findTopLevels({notify->window});
            }
        }
        if (displayEvent && registered_) {
            // What the desktop reported before the change reaches the controller first, so it is
            // laid out on the displays it was made on.
            throttle_.flush();
            if (const auto controller = controller_.lock()) {
                controller->handle(*displayEvent);
            }
        }
    }
    // The server went away: nothing more will come from it.
    if (connection_ != nullptr && xcb_connection_has_error(connection_) != 0) {
        stopX();
    }
}

} // namespace plimsett
