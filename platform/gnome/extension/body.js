// What Plimsett's C++ backend needs of the Shell, on the session bus, and nothing more: the
// normal windows, their moves, the monitors and their changes. Plus a top-bar menu that mirrors
// the program's tray menu, since stock GNOME has no tray. Its records are those of every
// Plimsett helper (platform/wayland/README.md). This text is shared by both forms of the
// extension; the build puts the imports of each Shell version around it.
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
const APP_MENU_PATH = '/tamblin_engineering/Plimsett/Menu';
const APP_MENU_INTERFACE = 'tamblin_engineering.Plimsett.Menu1';

const SHELL_ERROR_PREFIX = 'tamblin_engineering.Plimsett.Shell1.Error';
const ACCESS_DENIED = 'org.freedesktop.DBus.Error.AccessDenied';

// A batch of moves is answered once every window has its frame, or after this long (clients
// take a new size in their own time).
const MOVE_CONFIRMATION_MS = 1500;
const MOVE_POLL_MS = 15;
const MOVE_RETRY_POLLS = 10;
// A frame counts only once it has held this long: on Mutter 48 a window shows the requested
// frame at once, and a client's late answer to an earlier configure (an un-maximise) can still
// put its old frame back some 50 ms later.
const MOVE_STABLE_MS = 150;
// The edge tolerance under which a window counts as in place.
const FRAME_TOLERANCE = 2;
// What a request from the bus may hold. Anything beyond is refused before any work is done:
// this code runs inside the compositor, where a stall or an exception is the user's whole
// session.
const MAX_REQUEST_CHARS = 1 << 20;
const MAX_MOVES = 2000;
const MAX_COORDINATE = 1000000;
const MAX_MENU_ITEMS = 64;
const MAX_TEXT = 4096;
// A window's changes are told at most this often (a drag is one report a quarter second).
const WINDOW_REPORT_MS = 250;

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

const MAXIMIZE_HORIZONTAL = 1;
const MAXIMIZE_VERTICAL = 2;

function rectObject(r) {
    return {x: r.x, y: r.y, width: r.width, height: r.height};
}

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

function withinTolerance(a, b) {
    return Math.abs(a.x - b.x) < FRAME_TOLERANCE && Math.abs(a.y - b.y) < FRAME_TOLERANCE &&
        Math.abs(a.width - b.width) < FRAME_TOLERANCE &&
        Math.abs(a.height - b.height) < FRAME_TOLERANCE;
}

function centreInside(frame, target) {
    const cx = frame.x + frame.width / 2;
    const cy = frame.y + frame.height / 2;
    return cx >= target.x && cx <= target.x + target.width && cy >= target.y &&
        cy <= target.y + target.height;
}

// Why a requested frame cannot be used, or null when it can: four numbers, the position within
// reach of any real monitor, the size positive.
function frameProblem(frame) {
    if (frame === null || typeof frame !== 'object' || Array.isArray(frame))
        return 'the frame is not an object with x, y, width and height';
    for (const key of ['x', 'y', 'width', 'height']) {
        const value = frame[key];
        if (typeof value !== 'number' || !Number.isFinite(value))
            return `the frame's ${key} is not a finite number`;
        const low = key === 'width' || key === 'height' ? 1 : -MAX_COORDINATE;
        if (value < low || value > MAX_COORDINATE)
            return `the frame's ${key} (${value}) is outside ${low}..${MAX_COORDINATE}`;
    }
    return null;
}

// Why a move or an opening cannot be used, or null: its frame, then its maximise flags.
function moveProblem(request) {
    const problem = frameProblem(request.frame);
    if (problem)
        return problem;
    const flag = ['maximizeHorizontally', 'maximizeVertically']
        .find(key => key in request && typeof request[key] !== 'boolean');
    return flag ? `${flag} is not true or false` : null;
}

// The list in a request's JSON text, or the reason it is refused as a whole. Its records are
// checked one by one by the caller: a bad one is skipped with its reason, not the whole list.
function parseList(json, what) {
    if (typeof json !== 'string' || json.length > MAX_REQUEST_CHARS)
        return {error: `the ${what}s are not a text of at most ${MAX_REQUEST_CHARS} characters`};
    let list;
    try {
        list = JSON.parse(json);
    } catch (e) {
        return {error: `the ${what}s are not JSON: ${e.message}`};
    }
    if (!Array.isArray(list))
        return {error: `the ${what}s are not a list`};
    if (list.length > MAX_MOVES)
        return {error: `${list.length} ${what}s in one call; at most ${MAX_MOVES} are taken`};
    return {list};
}

function isRecord(value) {
    return value !== null && typeof value === 'object' && !Array.isArray(value);
}

// The moves of a MoveWindows call, each with the reason it cannot be done or null; or the reason
// the call is refused as a whole. A window is moved at most once per call.
function parseMoves(json) {
    const parsed = parseList(json, 'move');
    if (parsed.error)
        return parsed;
    const seen = new Set();
    const moves = parsed.list.map((request, index) => {
        if (!isRecord(request))
            return {request: {}, problem: `move ${index} is not an object`};
        if (typeof request.id !== 'string' || request.id.length === 0 || request.id.length > 32)
            return {request, problem: `move ${index} has no window id (a text)`};
        if (seen.has(request.id))
            return {request, problem: `window ${request.id} is moved twice in one call`};
        seen.add(request.id);
        return {request, problem: moveProblem(request)};
    });
    return {moves};
}

// The openings of an ExpectWindows call (where windows that open should go), and the reasons
// of those skipped; or the reason the call is refused as a whole.
function parseOpenings(json) {
    const parsed = parseList(json, 'opening');
    if (parsed.error)
        return parsed;
    const openings = [];
    const skipped = [];
    for (const [index, o] of parsed.list.entries()) {
        let problem = null;
        if (!isRecord(o))
            problem = 'it is not an object';
        else if (typeof o.appClass !== 'string' || typeof o.title !== 'string')
            problem = 'it has no application and title (texts)';
        else if (o.appClass.length > MAX_TEXT || o.title.length > MAX_TEXT)
            problem = `its application or title is longer than ${MAX_TEXT} characters`;
        else
            problem = moveProblem(o);
        if (problem)
            skipped.push({index, error: `opening ${index}: ${problem}`});
        else
            openings.push(o);
    }
    return {openings, skipped};
}

// One requested move, checked by the caller's rule: a window to maximise again is done when it
// is maximised that way with its centre in the target, any other one when its frame is the target
// and has stayed so for MOVE_STABLE_MS.
class PendingMove {
    constructor(request, windows, problem = moveProblem(request)) {
        this.id = typeof request.id === 'string' ? request.id : '';
        this.problem = problem;
        const frame = this.problem ? {x: 0, y: 0, width: 0, height: 0} : request.frame;
        this.target = {
            x: Math.round(frame.x),
            y: Math.round(frame.y),
            width: Math.round(frame.width),
            height: Math.round(frame.height),
        };
        this.maximize = (request.maximizeHorizontally === true ? MAXIMIZE_HORIZONTAL : 0) |
            (request.maximizeVertically === true ? MAXIMIZE_VERTICAL : 0);
        this.window = windows.get(this.id) ?? null;
        this.valid = this.problem === null;
        this._inPlaceSince = null;
    }

    start() {
        const window = this.window;
        if (window === null || !this.valid)
            return;
        if (maximizeFlagsOf(window) !== 0)
            unmaximize(window);
        const {x, y, width, height} = this.target;
        window.move_resize_frame(false, x, y, width, height);
        if (this.maximize !== 0)
            maximize(window, this.maximize);
    }

    // Asks again for a plain frame that has not come: a client may still answer the configure of
    // an un-maximise with its old size after the move was asked for.
    retry(windows) {
        if (this.maximize === 0 && !this.isDone(windows)) {
            const {x, y, width, height} = this.target;
            this.window.move_resize_frame(false, x, y, width, height);
        }
    }

    exists(windows) {
        return this.window !== null && windows.get(this.id) === this.window;
    }

    isDone(windows) {
        if (!this.valid || !this.exists(windows))
            return true;
        const frame = this.window.get_frame_rect();
        const inPlace = this.maximize !== 0
            ? (maximizeFlagsOf(this.window) & this.maximize) === this.maximize &&
                centreInside(frame, this.target)
            : withinTolerance(frame, this.target);
        const now = GLib.get_monotonic_time() / 1000;
        if (!inPlace) {
            this._inPlaceSince = null;
            return false;
        }
        this._inPlaceSince ??= now;
        return now - this._inPlaceSince >= MOVE_STABLE_MS;
    }

    result(windows) {
        const answer = {id: this.id, exists: this.exists(windows)};
        if (this.problem)
            answer.error = this.problem;
        if (!answer.exists)
            return answer;
        const flags = maximizeFlagsOf(this.window);
        answer.frame = rectObject(this.window.get_frame_rect());
        answer.maximizedHorizontally = (flags & MAXIMIZE_HORIZONTAL) !== 0;
        answer.maximizedVertically = (flags & MAXIMIZE_VERTICAL) !== 0;
        return answer;
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
// minimised state) or go, throttled per window: an appearance or a departure at once, a change at
// most every WINDOW_REPORT_MS. Reports that fall together go out as one signal. A window is told
// of once it is first shown, when the Shell has placed it.
class WindowReporter {
    constructor(send, place) {
        this._send = send;
        this._place = place;
        this._windows = new Map();
        this._queue = [];
        this._flushId = 0;
        this._trailingId = 0;
    }

    start() {
        this._createdId = global.display.connect('window-created',
            (_display, window) => this._follow(window, true));
        for (const window of applicationWindows())
            this._follow(window, false);
    }

    stop() {
        global.display.disconnect(this._createdId);
        for (const [window, state] of this._windows)
            state.ids.forEach(id => window.disconnect(id));
        this._windows.clear();
        for (const id of [this._flushId, this._trailingId]) {
            if (id)
                GLib.source_remove(id);
        }
        this._flushId = this._trailingId = 0;
        this._queue = [];
    }

    _follow(window, appears) {
        if (this._windows.has(window))
            return;
        const state = {id: String(window.get_id()), last: 0, changed: false, ids: [],
            shown: !appears};
        this._windows.set(window, state);
        const changed = () => this._changed(window);
        for (const signal of ['position-changed', 'size-changed', 'notify::minimized',
            'notify::maximized-horizontally', 'notify::maximized-vertically'])
            state.ids.push(window.connect(signal, changed));
        state.ids.push(window.connect('shown', () => {
            if (!state.shown && isApplicationWindow(window)) {
                state.shown = true;
                // Before the Shell paints it: on the frame the program expects it to take.
                this._place(window);
                state.last = GLib.get_monotonic_time() / 1000;
                this._queueReport(state.id, 'appeared');
            }
        }));
        state.ids.push(window.connect('unmanaged', () => {
            state.ids.forEach(id => window.disconnect(id));
            this._windows.delete(window);
            if (state.shown)
                this._queueReport(state.id, 'gone');
        }));
    }

    _changed(window) {
        const state = this._windows.get(window);
        if (!state || !state.shown || !isApplicationWindow(window))
            return;
        const now = GLib.get_monotonic_time() / 1000;
        if (now - state.last >= WINDOW_REPORT_MS) {
            state.last = now;
            this._queueReport(state.id, 'changed');
            return;
        }
        state.changed = true;
        if (!this._trailingId) {
            this._trailingId = GLib.timeout_add(GLib.PRIORITY_DEFAULT, WINDOW_REPORT_MS,
                () => this._reportTrailing());
        }
    }

    _reportTrailing() {
        const now = GLib.get_monotonic_time() / 1000;
        let waiting = false;
        for (const state of this._windows.values()) {
            if (!state.changed)
                continue;
            if (now - state.last >= WINDOW_REPORT_MS) {
                state.changed = false;
                state.last = now;
                this._queueReport(state.id, 'changed');
            } else {
                waiting = true;
            }
        }
        if (waiting)
            return GLib.SOURCE_CONTINUE;
        this._trailingId = 0;
        return GLib.SOURCE_REMOVE;
    }

    _queueReport(id, change) {
        this._queue.push({id, change});
        if (!this._flushId) {
            this._flushId = GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
                this._flushId = 0;
                const batch = this._queue;
                this._queue = [];
                this._send(JSON.stringify(batch));
                return GLib.SOURCE_REMOVE;
            });
        }
    }
}

class ShellService {
    constructor() {
        this._pendingTimers = new Set();
        this._signals = [];
        this._ownsName = false;
        this._moving = false;
    }

    start() {
        this._callers = new CallerCheck(() => {
            // What one program asked for holds while it runs.
            this._openings = [];
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
            Main.layoutManager.connect('monitors-changed', () => this._emit('MonitorsChanged'))]);
        this._signals.push([global.display,
            global.display.connect('workareas-changed', () => this._emit('WorkAreasChanged'))]);
        this._openings = [];
        this._reporter = new WindowReporter(
            events => this._emit('WindowsChanged', new GLib.Variant('(s)', [events])),
            window => this._placeOpening(window));
        this._reporter.start();
    }

    stop() {
        this._reporter?.stop();
        this._reporter = null;
        this._callers?.destroy();
        this._callers = null;
        this._openings = [];
        for (const [object, id] of this._signals)
            object.disconnect(id);
        this._signals = [];
        for (const id of this._pendingTimers)
            GLib.source_remove(id);
        this._pendingTimers.clear();
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
        // One batch at a time: each is checked every MOVE_POLL_MS inside the compositor.
        if (this._moving) {
            errorReply(invocation, 'a batch of moves is still under way; send the next one ' +
                'when it has been answered', 'Busy');
            return;
        }
        const parsed = parseMoves(movesJson);
        if (parsed.error) {
            errorReply(invocation, parsed.error);
            return;
        }
        const current = windowsById();
        const moves = parsed.moves.map(({request, problem}) =>
            new PendingMove(request, current, problem));
        for (const move of moves)
            move.start();
        // Every move is looked at on every check, so that each one's steadiness is timed.
        const allDone = windows => moves.map(m => m.isDone(windows)).every(done => done);
        // The clients take their new sizes in their own time; wait for all of them at once.
        const deadline = GLib.get_monotonic_time() + MOVE_CONFIRMATION_MS * 1000;
        let polls = 0;
        allDone(windowsById());
        this._moving = true;
        const id = GLib.timeout_add(GLib.PRIORITY_DEFAULT, MOVE_POLL_MS, () => {
            try {
                const windows = windowsById();
                if (allDone(windows) || GLib.get_monotonic_time() >= deadline) {
                    this._finishMoves(id);
                    jsonReply(invocation, moves.map(m => m.result(windows)));
                    return GLib.SOURCE_REMOVE;
                }
                if (++polls % MOVE_RETRY_POLLS === 0)
                    moves.forEach(m => m.retry(windows));
                return GLib.SOURCE_CONTINUE;
            } catch (e) {
                this._finishMoves(id);
                errorReply(invocation, `the moves failed: ${e.message}`);
                return GLib.SOURCE_REMOVE;
            }
        });
        this._pendingTimers.add(id);
    }

    _finishMoves(id) {
        this._pendingTimers.delete(id);
        this._moving = false;
    }

    // Replaces the openings; answers the reasons of those skipped.
    ExpectWindowsAsync([openingsJson], invocation) {
        this._serve(invocation, () => {
            const parsed = parseOpenings(openingsJson);
            if (parsed.error) {
                errorReply(invocation, parsed.error);
                return;
            }
            this._openings = parsed.openings;
            jsonReply(invocation, parsed.skipped);
        });
    }

    // A window that has just appeared takes the frame of the one opening of its application and
    // title, unless another open window has them too (then the program's matcher decides).
    _placeOpening(window) {
        try {
            const appClass = window.get_wm_class() ?? '';
            const title = window.get_title() ?? '';
            const same = o => o.appClass === appClass && o.title === title;
            const index = this._openings.findIndex(same);
            if (index < 0 || this._openings.findIndex((o, i) => i > index && same(o)) >= 0)
                return;
            if (applicationWindows().some(w => w !== window &&
                (w.get_wm_class() ?? '') === appClass && (w.get_title() ?? '') === title))
                return;
            const [opening] = this._openings.splice(index, 1);
            new PendingMove({...opening, id: String(window.get_id())}, windowsById()).start();
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

// The program's tray menu in the top bar. The menu's items come from the running program each
// time the menu opens (its texts and states are the program's own), and choosing one asks the
// program to carry it out. The indicator shows only while the program runs, only when the owner
// of the program's bus name is the program that installed this extension (metadata.json's
// "program"), and never on the lock screen.
class MenuIndicator {
    constructor(program) {
        this._program = typeof program === 'string' && program.startsWith('/') ? program : null;
        this._owner = null;
        this._verified = null;
    }

    start() {
        this._callers = new CallerCheck(owner => this._ownerChanged(owner));
        this._sessionId = Main.sessionMode.connect('updated', () => this._update());
    }

    stop() {
        this._callers?.destroy();
        this._callers = null;
        if (this._sessionId) {
            Main.sessionMode.disconnect(this._sessionId);
            this._sessionId = 0;
        }
        this._owner = this._verified = null;
        this._hide();
    }

    _ownerChanged(owner) {
        this._owner = owner;
        this._verified = null;
        this._update();
        if (owner === null || this._program === null)
            return;
        // The owner's process, and the program it runs.
        Gio.DBus.session.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
            'org.freedesktop.DBus', 'GetConnectionUnixProcessID', new GLib.Variant('(s)', [owner]),
            new GLib.VariantType('(u)'), Gio.DBusCallFlags.NONE, 5000, null, (connection, result) => {
                let program = null;
                try {
                    const [pid] = connection.call_finish(result).deepUnpack();
                    program = GLib.file_read_link(`/proc/${pid}/exe`).replace(/ \(deleted\)$/, '');
                } catch (e) {
                    // Gone already, or not ours to read: not the program.
                }
                if (owner !== this._owner)
                    return;
                this._verified = program === this._program ? owner : null;
                this._update();
            });
    }

    _update() {
        if (this._verified !== null && this._verified === this._owner &&
            !Main.sessionMode.isLocked)
            this._show();
        else
            this._hide();
    }

    _show() {
        if (this._button)
            return;
        this._button = new PanelMenu.Button(0.0, 'Plimsett', false);
        this._button.add_child(new St.Icon({
            icon_name: 'video-display-symbolic',
            style_class: 'system-status-icon',
        }));
        this._loading = new PopupMenu.PopupMenuItem('Plimsett', {reactive: false});
        this._button.menu.addMenuItem(this._loading);
        this._button.menu.connect('open-state-changed', (_menu, open) => {
            if (open)
                this._refresh();
        });
        Main.panel.addToStatusArea('plimsett-menu', this._button);
    }

    _hide() {
        this._button?.destroy();
        this._button = null;
    }

    _call(method, parameters, replyType, onReply) {
        // To the connection checked above, not to whoever holds the name by then.
        if (this._verified === null)
            return;
        Gio.DBus.session.call(this._verified, APP_MENU_PATH, APP_MENU_INTERFACE, method, parameters,
            replyType, Gio.DBusCallFlags.NONE, 5000, null, (connection, result) => {
                try {
                    const reply = connection.call_finish(result);
                    onReply?.(reply);
                } catch (e) {
                    log(`Plimsett: the program did not answer ${method} (${e.message})`);
                }
            });
    }

    _refresh() {
        this._call('GetItems', null, new GLib.VariantType('(s)'), reply => {
            const button = this._button;
            if (!button)
                return;
            let items = [];
            try {
                items = JSON.parse(reply.deepUnpack()[0]);
            } catch (e) {
                log(`Plimsett: the menu items are not JSON (${e.message})`);
            }
            if (!Array.isArray(items))
                items = [];
            button.menu.removeAll();
            items.slice(0, MAX_MENU_ITEMS).forEach((item, index) => {
                if (item === null || typeof item !== 'object')
                    return;
                if (item.separator) {
                    button.menu.addMenuItem(new PopupMenu.PopupSeparatorMenuItem());
                    return;
                }
                const title = String(item.title ?? '').slice(0, 200);
                let menuItem;
                if (item.checkable) {
                    menuItem = new PopupMenu.PopupSwitchMenuItem(title, item.checked === true);
                } else {
                    menuItem = new PopupMenu.PopupMenuItem(title);
                }
                menuItem.setSensitive(item.enabled !== false);
                menuItem.connect('activate', () => this._call('Activate',
                    new GLib.Variant('(us)', [index, title]), null, null));
                button.menu.addMenuItem(menuItem);
            });
        });
    }
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
