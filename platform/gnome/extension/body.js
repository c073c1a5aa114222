// What Plimsett's C++ backend needs of the Shell, on the session bus, and nothing more: the
// normal windows, their moves, the monitors and their changes. Plus a top-bar menu that mirrors
// the program's tray menu, since stock GNOME has no tray. Its records are those of every
// Plimsett helper (platform/wayland/README.md). This text is shared by both forms of the
// extension; the build puts the imports of each Shell version around it, PlimsettCore
// (platform/wayland/helper/core.js: the checks, confirmation and throttling every helper shares)
// in front of it and the top-bar menu (menu.js) after it. What is here is the Shell's side:
// Mutter's windows and monitors, GLib's timers, and the bus.
//
// It serves Plimsett alone: only the connection that owns Plimsett's own bus name may call it,
// as the Shell's own privileged interfaces answer only their allowed senders, and the top-bar
// menu is shown only for that owner when it is the program that installed the extension.
//
// It stays on at the lock screen (metadata.json's session-modes): a laptop is usually locked
// when it leaves its dock and when it comes back, and a Plimsett blind at that moment would see
// neither change. There it keeps serving windows, monitors and their events, and shows nothing:
// the top-bar menu is hidden while the screen is locked.

const BUS_NAME = 'tamblin_engineering.Plimsett.Shell';
const OBJECT_PATH = '/tamblin_engineering/Plimsett/Shell';
const INTERFACE_VERSION = 1;

const APP_BUS_NAME = 'tamblin_engineering.Plimsett';

const SHELL_ERROR_PREFIX = 'tamblin_engineering.Plimsett.Shell1.Error';
const ACCESS_DENIED = 'org.freedesktop.DBus.Error.AccessDenied';
const SHELL_INTERFACE_NAME = 'tamblin_engineering.Plimsett.Shell1';
const SHELL_INTERFACE = `
<node>
  <interface name="${SHELL_INTERFACE_NAME}">
    <method name="GetVersion">
      <arg type="u" direction="out" name="version"/>
    </method>
    <method name="ListWindows">
      <arg type="s" direction="out" name="windows"/>
    </method>
    <method name="MoveWindows">
      <arg type="s" direction="in" name="moves"/>
      <arg type="s" direction="out" name="results"/>
    </method>
    <method name="ExpectWindows">
      <arg type="s" direction="in" name="openings"/>
      <arg type="s" direction="out" name="skipped"/>
    </method>
    <method name="ListMonitors">
      <arg type="s" direction="out" name="monitors"/>
    </method>
    <signal name="MonitorsChanged"/>
    <signal name="WorkAreasChanged"/>
    <signal name="WindowsChanged">
      <arg type="s" name="events"/>
    </signal>
  </interface>
</node>`;

// Meta.MaximizeFlags has the core's bits: 1 horizontal, 2 vertical.
const {MAXIMIZE_HORIZONTAL, MAXIMIZE_VERTICAL, rect: rectObject} = PlimsettCore;

// Meta's maximisation state as flags (1 horizontal, 2 vertical), across the Shell versions that
// changed how it is read.
function maximizeFlagsOf(window) {
    if (typeof window.get_maximize_flags === 'function')
        return window.get_maximize_flags();
    if (typeof window.get_maximized === 'function')
        return window.get_maximized();
    return (window.maximized_horizontally ? MAXIMIZE_HORIZONTAL : 0) |
        (window.maximized_vertically ? MAXIMIZE_VERTICAL : 0);
}

function unmaximize(window) {
    if (window.unmaximize.length === 0)
        window.unmaximize();
    else
        window.unmaximize(Meta.MaximizeFlags.BOTH);
}

function maximize(window, flags) {
    if (typeof window.set_maximize_flags === 'function')
        window.set_maximize_flags(flags);
    else
        window.maximize(flags);
}

// Runs `callback` once, just before the stage is next redrawn.
function beforeRedraw(callback) {
    const run = () => {
        callback();
        return GLib.SOURCE_REMOVE;
    };
    if (global.compositor && typeof global.compositor.get_laters === 'function')
        global.compositor.get_laters().add(Meta.LaterType.BEFORE_REDRAW, run);
    else
        Meta.later_add(Meta.LaterType.BEFORE_REDRAW, run);
}

function monitorManager() {
    if (global.backend && typeof global.backend.get_monitor_manager === 'function')
        return global.backend.get_monitor_manager();
    return Meta.MonitorManager.get();
}

// The windows a user would call application windows: normal, managed, not dialogs, not the
// Shell's own.
function isApplicationWindow(window) {
    if (window.get_window_type() !== Meta.WindowType.NORMAL)
        return false;
    if (window.is_override_redirect() || window.is_skip_taskbar())
        return false;
    if (window.get_transient_for() !== null)
        return false;
    const pid = window.get_pid();
    return pid !== SHELL_PID;
}

const SHELL_PID = new Gio.Credentials().get_unix_pid();

// With workspaces on the primary monitor only, Mutter itself keeps the windows on the other
// monitors on every workspace: that is not a workspace of the window's own, so it is neither told
// nor ever set (such a window is never pinned to one).
function workspaceIsMutters(window) {
    return Meta.prefs_get_workspaces_only_on_primary() && !window.is_on_primary_monitor();
}

// A window's workspace for the wire: its number from 0, "all", or null.
function workspaceOf(window) {
    if (workspaceIsMutters(window))
        return null;
    const workspace = window.get_workspace();
    return PlimsettCore.workspaceOf(window.is_on_all_workspaces(),
        workspace ? workspace.index() : null);
}

// The most workspaces the Shell is asked to make: GNOME's own limit for their number.
const MOST_WORKSPACES = 36;

// Puts a window on a workspace (a number, or "all") without switching the one shown. Dynamic
// workspaces make the one asked for, up to MOST_WORKSPACES; a fixed count (or that limit) takes
// the last one when there are fewer.
function moveToWorkspace(window, workspace) {
    if (workspace === null || workspace === undefined || workspaceIsMutters(window))
        return;
    if (workspace === 'all') {
        if (!window.is_on_all_workspaces())
            window.stick();
        return;
    }
    if (window.is_on_all_workspaces())
        window.unstick();
    const manager = global.workspace_manager;
    let index = workspace;
    if (Meta.prefs_get_dynamic_workspaces()) {
        while (manager.get_n_workspaces() <= index && manager.get_n_workspaces() < MOST_WORKSPACES)
            manager.append_new_workspace(false, global.get_current_time());
    }
    index = Math.min(index, manager.get_n_workspaces() - 1);
    window.change_workspace_by_index(index, false);
}

// A window takes the focus as it is first shown. Sent on to a workspace that is not the one shown,
// it would leave the focus to whichever window Mutter picks: the window that had it before gets it
// back, when it is still there and shown.
function giveFocusBack(window, focusBefore) {
    const active = global.workspace_manager.get_active_workspace();
    if (window.located_on_workspace(active) || focusBefore === null || focusBefore === window ||
        global.display.focus_window === focusBefore)
        return;
    // Never a window that has gone: Mutter must not be handed one.
    if (!global.display.list_all_windows().includes(focusBefore) || focusBefore.minimized ||
        !focusBefore.located_on_workspace(active))
        return;
    focusBefore.focus(global.get_current_time());
}

function describeWindow(window) {
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    const known = app !== null && !app.is_window_backed();
    const appId = (known ? app.get_id() ?? '' : '').replace(/\.desktop$/, '');
    return {
        id: String(window.get_id()),
        pid: window.get_pid(),
        appClass: window.get_wm_class() ?? '',
        instanceName: window.get_wm_class_instance() ?? '',
        appId: appId !== '' ? appId : window.get_sandboxed_app_id() ?? '',
        appName: known ? app.get_name() ?? '' : '',
        title: window.get_title() ?? '',
        frame: rectObject(window.get_frame_rect()),
        minimized: window.minimized === true,
        fullScreen: window.is_fullscreen() === true,
        maximizedHorizontally: (maximizeFlagsOf(window) & MAXIMIZE_HORIZONTAL) !== 0,
        maximizedVertically: (maximizeFlagsOf(window) & MAXIMIZE_VERTICAL) !== 0,
        workspace: workspaceOf(window),
    };
}

function applicationWindows() {
    return global.display.list_all_windows()
        .filter(isApplicationWindow)
        .sort((a, b) => a.get_stable_sequence() - b.get_stable_sequence());
}

// The windows the Shell manages now, by id; looked up once per check, never once per move.
// Only application windows: a request never reaches a dialog, a menu or the Shell's own.
function windowsById() {
    return new Map(applicationWindows().map(w => [String(w.get_id()), w]));
}

// What the moves of PlimsettCore.confirmMoves, and the openings, need of Mutter. A client draws
// only while its window is shown: a window sent to a workspace that is not shown before it has
// answered its new frame or maximised state can keep its old size until the user goes there. Such
// a window goes to its workspace once it has taken them, or after a second.
class MutterWindows {
    constructor(timers) {
        this._timers = timers;
        this._waiting = new Map();
    }

    lookup() {
        const windows = windowsById();
        return id => windows.get(id) ?? null;
    }

    frameOf(window) {
        return window.get_frame_rect();
    }

    maximizeOf(window) {
        return maximizeFlagsOf(window);
    }

    // `then` runs once the window is on its workspace, if it is still there.
    place(window, frame, flags, workspace, then = () => {}) {
        this._stopWaiting(window);
        if (maximizeFlagsOf(window) !== 0)
            unmaximize(window);
        window.move_resize_frame(false, frame.x, frame.y, frame.width, frame.height);
        if (flags !== 0)
            maximize(window, flags);
        const taken = () => flags !== 0 ? maximizeFlagsOf(window) === flags
            : PlimsettCore.withinTolerance(rectObject(window.get_frame_rect()), frame);
        const manager = global.workspace_manager;
        const later = typeof workspace === 'number' &&
            workspace !== manager.get_active_workspace_index() &&
            window.located_on_workspace(manager.get_active_workspace()) && !taken();
        // After the frame: whether Mutter keeps the window on every workspace itself depends on
        // the monitor it is on.
        const go = () => {
            this._stopWaiting(window);
            if (!global.display.list_all_windows().includes(window))
                return;
            moveToWorkspace(window, workspace);
            then();
        };
        if (!later) {
            go();
            return;
        }
        const timer = this._timers.create(go);
        const check = () => {
            if (taken())
                go();
        };
        const ids = ['size-changed', 'position-changed', 'notify::maximized-horizontally',
            'notify::maximized-vertically'].map(signal => window.connect(signal, check));
        ids.push(window.connect('unmanaged', () => this._stopWaiting(window)));
        this._waiting.set(window, {timer, ids});
        timer.start(1000);
    }

    setFrame(window, frame) {
        window.move_resize_frame(false, frame.x, frame.y, frame.width, frame.height);
    }

    stop() {
        for (const window of [...this._waiting.keys()])
            this._stopWaiting(window);
    }

    _stopWaiting(window) {
        const waiting = this._waiting.get(window);
        if (!waiting)
            return;
        this._waiting.delete(window);
        waiting.timer.stop();
        waiting.ids.forEach(id => window.disconnect(id));
    }
}

// PlimsettCore's timers on GLib's main loop, all of them stopped at once when the extension is.
class GLibTimers {
    constructor() {
        this._waiting = new Set();
    }

    now() {
        return GLib.get_monotonic_time() / 1000;
    }

    create(callback) {
        const timers = this;
        let id = 0;
        const timer = {
            start(ms) {
                timer.stop();
                const fire = () => {
                    id = 0;
                    timers._waiting.delete(timer);
                    callback();
                    return GLib.SOURCE_REMOVE;
                };
                id = ms === 0 ? GLib.idle_add(GLib.PRIORITY_DEFAULT, fire)
                    : GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, fire);
                timers._waiting.add(timer);
            },
            stop() {
                if (id !== 0)
                    GLib.source_remove(id);
                id = 0;
                timers._waiting.delete(timer);
            },
            active: () => id !== 0,
        };
        return timer;
    }

    stopAll() {
        for (const timer of [...this._waiting])
            timer.stop();
    }
}


function jsonReply(invocation, value) {
    invocation.return_value(new GLib.Variant('(s)', [JSON.stringify(value)]));
}

function errorReply(invocation, message, kind = 'InvalidArgs') {
    invocation.return_dbus_error(`${SHELL_ERROR_PREFIX}.${kind}`, message);
}

// The unique name that owns a well-known name now, or null; asked of the bus itself.
function nameOwner(name, callback) {
    Gio.DBus.session.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
        'org.freedesktop.DBus', 'GetNameOwner', new GLib.Variant('(s)', [name]),
        new GLib.VariantType('(s)'), Gio.DBusCallFlags.NONE, 5000, null, (connection, result) => {
            let owner = null;
            try {
                [owner] = connection.call_finish(result).deepUnpack();
            } catch (e) {
                // No owner: the name is free.
            }
            callback(owner);
        });
}

// Who may call: the connection that owns Plimsett's own bus name. The owner is followed as it
// changes; a caller that is not the owner known here is checked once more with the bus, in case
// the change has not reached the Shell yet.
class CallerCheck {
    constructor(onOwnerChanged = () => {}) {
        this._owner = null;
        this._onOwnerChanged = onOwnerChanged;
        this._watchId = Gio.bus_watch_name_on_connection(Gio.DBus.session, APP_BUS_NAME,
            Gio.BusNameWatcherFlags.NONE, (_c, _name, owner) => this._setOwner(owner),
            () => this._setOwner(null));
    }

    get owner() {
        return this._owner;
    }

    destroy() {
        Gio.bus_unwatch_name(this._watchId);
        this._watchId = 0;
        this._onOwnerChanged = () => {};
    }

    _setOwner(owner) {
        if (owner === this._owner)
            return;
        this._owner = owner;
        this._onOwnerChanged(owner);
    }

    // Calls `allowed` when the invocation's sender owns Plimsett's name, else refuses it.
    check(invocation, allowed) {
        const sender = invocation.get_sender();
        if (sender !== null && sender === this._owner) {
            allowed();
            return;
        }
        nameOwner(APP_BUS_NAME, owner => {
            if (this._watchId === 0) {
                invocation.return_dbus_error(ACCESS_DENIED, 'the extension is stopping');
            } else if (owner !== null && owner === sender) {
                this._setOwner(owner);
                allowed();
            } else {
                invocation.return_dbus_error(ACCESS_DENIED,
                    `only the owner of ${APP_BUS_NAME} may call Plimsett's extension`);
            }
        });
    }
}

// Tells the program of the application windows that appear, change (frame, maximised or
// minimised state) or go, through PlimsettCore's per-window throttle. A window is told of once it
// is first shown, when the Shell has placed it.
class WindowReporter {
    constructor(timers, send, place) {
        this._throttle = new PlimsettCore.ReportThrottle(timers, send, {
            frameOf: id => {
                const window = this._byId.get(id);
                return window ? window.get_frame_rect() : null;
            },
            // Mutter's own monitors, which it updates before it moves the windows of a monitor
            // that went (the layout manager's follow only after).
            monitorsKey: () => {
                const monitors = [];
                for (let i = 0; i < global.display.get_n_monitors(); i++) {
                    const g = global.display.get_monitor_geometry(i);
                    monitors.push(`${g.x},${g.y},${g.width},${g.height}`);
                }
                return monitors.join(';');
            },
        });
        this._place = place;
        this._windows = new Map();
        this._byId = new Map();
    }

    // Before a monitor change is told: what the windows did before it goes first.
    flush() {
        this._throttle.flush();
    }

    monitorsAnnounced() {
        this._throttle.monitorsAnnounced();
    }

    start() {
        this._createdId = global.display.connect('window-created',
            (_display, window) => this._follow(window, true));
        for (const window of applicationWindows())
            this._follow(window, false);
    }

    stop() {
        global.display.disconnect(this._createdId);
        for (const [window, ids] of this._windows)
            ids.forEach(id => window.disconnect(id));
        this._windows.clear();
        this._byId.clear();
        this._throttle.stop();
    }

    _follow(window, appears) {
        if (this._windows.has(window))
            return;
        const id = String(window.get_id());
        const ids = [];
        // Who has the focus before the window is first shown and takes it.
        const focusBefore = appears ? global.display.focus_window : null;
        this._windows.set(window, ids);
        this._byId.set(id, window);
        if (!appears)
            this._throttle.follow(id);
        const changed = () => {
            if (isApplicationWindow(window))
                this._throttle.changed(id);
        };
        for (const signal of ['position-changed', 'size-changed', 'notify::minimized',
            'notify::maximized-horizontally', 'notify::maximized-vertically'])
            ids.push(window.connect(signal, changed));
        ids.push(window.connect('shown', () => {
            if (this._throttle.knows(id) || !isApplicationWindow(window))
                return;
            // Before the Shell paints it, on the frame the program expects it to take: just
            // before the next redraw, not from inside Mutter's showing of it. Mutter 43 crashes
            // when a window moved onto another monitor there is closed a moment later.
            beforeRedraw(() => {
                if (this._windows.has(window) && !this._throttle.knows(id)) {
                    this._place(window, focusBefore);
                    this._throttle.appeared(id);
                }
            });
        }));
        ids.push(window.connect('unmanaged', () => {
            ids.forEach(one => window.disconnect(one));
            this._windows.delete(window);
            this._byId.delete(id);
            this._throttle.gone(id);
        }));
    }
}


class ShellService {
    constructor() {
        this._timers = new GLibTimers();
        this._mutter = new MutterWindows(this._timers);
        this._openings = new PlimsettCore.Openings();
        this._signals = [];
        this._ownsName = false;
        this._moving = false;
    }

    start() {
        this._callers = new CallerCheck(() => {
            // What one program asked for holds while it runs.
            this._openings.clear();
        });
        this._exported = Gio.DBusExportedObject.wrapJSObject(SHELL_INTERFACE, this);
        this._exported.export(Gio.DBus.session, OBJECT_PATH);
        // Held for as long as the extension runs. While another process holds it the request
        // waits in the bus's queue, and nothing is served: Plimsett talks only to the name's
        // owner, and checks that it is the Shell.
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, () => {
                this._ownsName = true;
            }, () => {
                this._ownsName = false;
            });
        this._signals.push([Main.layoutManager,
            Main.layoutManager.connect('monitors-changed', () => {
                this._reporter?.flush();
                this._emit('MonitorsChanged');
                this._reporter?.monitorsAnnounced();
            })]);
        this._signals.push([global.display,
            global.display.connect('workareas-changed', () => this._emit('WorkAreasChanged'))]);
        this._openings.clear();
        this._reporter = new WindowReporter(this._timers,
            events => this._emit('WindowsChanged', new GLib.Variant('(s)', [JSON.stringify(events)])),
            (window, focusBefore) => this._placeOpening(window, focusBefore));
        this._reporter.start();
    }

    stop() {
        this._reporter?.stop();
        this._reporter = null;
        this._callers?.destroy();
        this._callers = null;
        this._openings.clear();
        for (const [object, id] of this._signals)
            object.disconnect(id);
        this._signals = [];
        // A batch under way is dropped unanswered, as the bus drops the call with the name.
        this._mutter.stop();
        this._timers.stopAll();
        this._moving = false;
        if (this._nameId) {
            Gio.bus_unown_name(this._nameId);
            this._nameId = 0;
        }
        this._ownsName = false;
        if (this._exported) {
            this._exported.unexport();
            this._exported = null;
        }
    }

    // Signals go to Plimsett alone, not to every connection on the bus.
    _emit(name, parameters = null) {
        const owner = this._callers?.owner;
        if (!owner || !this._ownsName)
            return;
        try {
            Gio.DBus.session.emit_signal(owner, OBJECT_PATH, SHELL_INTERFACE_NAME, name,
                parameters);
        } catch (e) {
            // The program left in between; it reads everything anew when it comes back.
        }
    }

    // Runs `serve` for a caller that may call, else answers why not.
    _serve(invocation, serve) {
        if (!this._ownsName) {
            errorReply(invocation, `another process holds ${BUS_NAME}; the extension serves ` +
                'nothing until it has its name', 'NameTaken');
            return;
        }
        this._callers.check(invocation, () => {
            try {
                serve();
            } catch (e) {
                // A window that went in the middle of the call, say: the caller hears why.
                errorReply(invocation, `the request failed: ${e.message}`);
            }
        });
    }

    GetVersionAsync(_params, invocation) {
        this._serve(invocation, () => invocation.return_value(
            new GLib.Variant('(u)', [INTERFACE_VERSION])));
    }

    ListWindowsAsync(_params, invocation) {
        this._serve(invocation, () => jsonReply(invocation, applicationWindows().map(describeWindow)));
    }

    MoveWindowsAsync([movesJson], invocation) {
        this._serve(invocation, () => this._moveWindows(movesJson, invocation));
    }

    _moveWindows(movesJson, invocation) {
        // One batch at a time: each is checked every few milliseconds inside the compositor.
        if (this._moving) {
            errorReply(invocation, 'a batch of moves is still under way; send the next one ' +
                'when it has been answered', 'Busy');
            return;
        }
        const parsed = PlimsettCore.parseMoves(movesJson);
        if (parsed.error) {
            errorReply(invocation, parsed.error);
            return;
        }
        this._moving = true;
        PlimsettCore.confirmMoves(this._mutter, this._timers, parsed.moves, answers => {
            this._moving = false;
            jsonReply(invocation, answers);
        }, reason => {
            this._moving = false;
            errorReply(invocation, reason);
        });
    }

    // Replaces the openings; answers the reasons of those skipped.
    ExpectWindowsAsync([openingsJson], invocation) {
        this._serve(invocation, () => {
            const parsed = PlimsettCore.parseOpenings(openingsJson);
            if (parsed.error) {
                errorReply(invocation, parsed.error);
                return;
            }
            this._openings.replace(parsed.openings);
            jsonReply(invocation, parsed.skipped);
        });
    }

    // A window that has just appeared takes the frame of the one opening of its application and
    // title, unless another open window has them too (then the program's matcher decides).
    _placeOpening(window, focusBefore) {
        try {
            const anotherWindowHas = (appClass, title) => applicationWindows().some(w =>
                w !== window && (w.get_wm_class() ?? '') === appClass &&
                (w.get_title() ?? '') === title);
            const placement = this._openings.take(window.get_wm_class() ?? '',
                window.get_title() ?? '', anotherWindowHas);
            if (placement !== null) {
                this._mutter.place(window, placement.frame, placement.maximize,
                    placement.workspace, () => giveFocusBack(window, focusBefore));
            }
        } catch (e) {
            log(`Plimsett: a window that opened was left where the Shell put it (${e.message})`);
        }
    }

    ListMonitorsAsync(_params, invocation) {
        this._serve(invocation, () => this._listMonitors(invocation));
    }

    _listMonitors(invocation) {
        // Mutter's own display configuration knows the connectors and EDID identities; asked
        // asynchronously, since it is served by this very process.
        Gio.DBus.session.call('org.gnome.Mutter.DisplayConfig', '/org/gnome/Mutter/DisplayConfig',
            'org.gnome.Mutter.DisplayConfig', 'GetCurrentState', null, null,
            Gio.DBusCallFlags.NONE, 5000, null, (connection, result) => {
                let state = null;
                try {
                    state = connection.call_finish(result).recursiveUnpack();
                } catch (e) {
                    log(`Plimsett: no display configuration (${e.message})`);
                }
                let monitors;
                try {
                    monitors = describeMonitors(state);
                } catch (e) {
                    // Monitors changing in the middle of the call: listed without identities.
                    log(`Plimsett: monitors listed without their identities (${e.message})`);
                    monitors = describeMonitors(null);
                }
                jsonReply(invocation, monitors);
            });
    }
}

function describeMonitors(state) {
    const display = global.display;
    const count = display.get_n_monitors();
    const workspace = global.workspace_manager.get_active_workspace();
    const manager = monitorManager();
    const logicalMonitors = state ? state[2] : [];
    const physical = state ? state[1] : [];
    const monitors = [];
    for (let index = 0; index < count; index++) {
        const geometry = display.get_monitor_geometry(index);
        monitors.push({
            connector: '',
            vendor: '',
            product: '',
            serial: '',
            displayName: '',
            builtIn: false,
            geometry: rectObject(geometry),
            workArea: rectObject(workspace.get_work_area_for_monitor(index)),
        });
    }
    // A logical monitor that mirrors several connectors is told by its first one.
    for (const [x, y, , , , specs] of logicalMonitors) {
        for (const [connector] of specs) {
            let index = -1;
            if (manager && typeof manager.get_monitor_for_connector === 'function')
                index = manager.get_monitor_for_connector(connector);
            if (index < 0 || index >= count)
                index = monitors.findIndex(m => m.geometry.x === x && m.geometry.y === y);
            if (index < 0 || monitors[index].connector !== '')
                continue;
            const monitor = monitors[index];
            monitor.connector = connector;
            const described = physical.find(([identity]) => identity[0] === connector);
            if (described) {
                const [[, vendor, product, serial], , properties] = described;
                monitor.vendor = vendor;
                monitor.product = product;
                monitor.serial = serial;
                monitor.displayName = properties['display-name'] ?? '';
                monitor.builtIn = properties['is-builtin'] === true;
            }
        }
    }
    return monitors;
}


class PlimsettExtension {
    // `metadata` is the extension's metadata.json, with the installer's "program".
    constructor(metadata) {
        this._program = metadata?.program ?? null;
    }

    enable() {
        this._service = new ShellService();
        this._service.start();
        this._indicator = new MenuIndicator(this._program);
        this._indicator.start();
    }

    disable() {
        this._indicator?.stop();
        this._indicator = null;
        this._service?.stop();
        this._service = null;
    }
}
