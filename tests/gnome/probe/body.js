// For Plimsett's tests only, on the test bench's GNOME Shell (43, and 48 in the Debian 13 root):
// a view of the windows that does not go through Plimsett's extension (titles and frames, from the
// window actors), and the bench's levers: monitors unplugged and plugged back through Mutter's
// DisplayConfig (temporary configurations, as a cable pulled and put back), and a bar that
// reserves screen space; a monitor's scale; a window placed by hand; the screen locked and unlocked; and Plimsett's top-bar menu opened, read and chosen from as a person
// does it, with a screenshot by the Shell's own Shell.Screenshot. The test bench puts the imports
// of the running Shell around this text (legacy.js for 43, module.js for 45 and later); what
// differs between them is only how Gio, GLib, St, Shell and Main are imported.

const PROBE_INTERFACE = `
<node>
  <interface name="tamblin_engineering.Plimsett.TestProbe">
    <method name="Frames"><arg type="s" direction="out"/></method>
    <method name="FirstFrame"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
    <method name="Unplug"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="PlugBack"><arg type="b" direction="out"/></method>
    <method name="SetScale"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="SetBottomBar"><arg type="b" direction="in"/></method>
    <method name="IndicatorShown"><arg type="b" direction="out"/></method>
    <method name="OpenTopBarMenu"><arg type="b" direction="out"/></method>
    <method name="TopBarMenu"><arg type="s" direction="out"/></method>
    <method name="ActivateTopBarItem"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="Screenshot"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="Place"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="ToWorkspace"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="ActivateWorkspace"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="ActiveWorkspace"><arg type="s" direction="out"/></method>
    <method name="Focus"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="Focused"><arg type="s" direction="out"/></method>
    <method name="Lock"><arg type="b" direction="out"/></method>
    <method name="Unlock"><arg type="b" direction="out"/></method>
  </interface>
</node>`;

function displayConfig(method, parameters, callback) {
    Gio.DBus.session.call('org.gnome.Mutter.DisplayConfig', '/org/gnome/Mutter/DisplayConfig',
        'org.gnome.Mutter.DisplayConfig', method, parameters, null, Gio.DBusCallFlags.NONE, 5000,
        null, (connection, result) => {
            try {
                callback(connection.call_finish(result));
            } catch (e) {
                logError(e, `probe: ${method}`);
                callback(null);
            }
        });
}

// The logical monitors of GetCurrentState as ApplyMonitorsConfig takes them, each monitor in its
// current mode.
function currentLayout(state) {
    const [serial, monitors, logicalMonitors] = state.recursiveUnpack();
    const currentMode = connector => {
        const monitor = monitors.find(([identity]) => identity[0] === connector);
        const mode = monitor[1].find(m => m[6]['is-current']);
        return mode[0];
    };
    return {
        serial,
        logical: logicalMonitors.map(([x, y, scale, transform, primary, specs]) =>
            [x, y, scale, transform, primary, specs.map(([c]) => [c, currentMode(c), {}])]),
    };
}

function apply(serial, logical, invocation) {
    const variant = new GLib.Variant('(uua(iiduba(ssa{sv}))a{sv})', [serial, 1, logical, {}]);
    displayConfig('ApplyMonitorsConfig', variant,
        reply => invocation.return_value(new GLib.Variant('(b)', [reply !== null])));
}

// The windows the Shell shows, from their actors, without those whose window has gone: an actor
// outlives its window for the closing animation, and a window that is gone must not be touched
// (Mutter crashes on it) nor counted (a new window may have its title).
function windowActors() {
    const managed = new Set(global.display.list_all_windows());
    return global.get_window_actors().filter(actor => managed.has(actor.get_meta_window()));
}

function windowTitled(title) {
    const actor = windowActors().find(a => a.get_meta_window().get_title() === title);
    return actor ? actor.get_meta_window() : null;
}

// The indicator that Plimsett's extension puts into the top bar, or null.
function plimsettIndicator() {
    return Main.panel.statusArea['plimsett-menu'] ?? null;
}

function boxOf(actor) {
    const [x, y] = actor.get_transformed_position();
    const [width, height] = actor.get_transformed_size();
    return {x, y, width, height};
}

// PopupBaseMenuItem's sensitivity: a property from Shell 40 on (43 and 48 alike); older Shells
// had getSensitive() only.
function isSensitive(item) {
    return 'sensitive' in item ? item.sensitive : item.getSensitive();
}

class Probe {
    constructor() {
        // Where each window was when the Shell first painted it, by title (the latest window of
        // that title).
        this._firstFrames = new Map();
        // A window's actor is mapped when the Shell first shows it, and painted with the next
        // frame of the stage: its frame then is where it was first seen. (The actor's own
        // first-frame signal is not emitted on a headless Shell.)
        this._mapped = new Set();
        this._mapId = global.window_manager.connect('map', (_wm, actor) =>
            this._mapped.add(actor.get_meta_window()));
        this._paintId = global.stage.connect('after-paint', () => {
            for (const window of this._mapped) {
                const r = window.get_frame_rect();
                this._firstFrames.set(window.get_title(),
                    {x: r.x, y: r.y, width: r.width, height: r.height});
            }
            this._mapped.clear();
        });
    }

    destroy() {
        global.window_manager.disconnect(this._mapId);
        global.stage.disconnect(this._paintId);
    }

    FirstFrame(title) {
        return JSON.stringify(this._firstFrames.get(title) ?? null);
    }

    Frames() {
        const frames = windowActors().map(actor => {
            const window = actor.get_meta_window();
            const r = window.get_frame_rect();
            const workspace = window.get_workspace();
            return {title: window.get_title(), x: r.x, y: r.y, width: r.width, height: r.height,
                minimized: window.minimized,
                workspace: window.is_on_all_workspaces() ? -1 : workspace ? workspace.index() : -2};
        });
        return JSON.stringify(frames);
    }

    UnplugAsync([connector], invocation) {
        displayConfig('GetCurrentState', null, state => {
            if (state === null) {
                invocation.return_value(new GLib.Variant('(b)', [false]));
                return;
            }
            const {serial, logical} = currentLayout(state);
            this._saved ??= logical;
            const kept = logical.filter(l => !l[5].some(([c]) => c === connector));
            if (kept.length === logical.length || kept.length === 0) {
                invocation.return_value(new GLib.Variant('(b)', [false]));
                return;
            }
            if (!kept.some(l => l[4]))
                kept[0][4] = true;
            apply(serial, kept, invocation);
        });
    }

    // Gives one monitor a scale that its mode offers and lays the monitors out side by side
    // again, as the Settings panel does: in the logical layout mode a monitor takes its size
    // divided by its scale.
    SetScaleAsync([connector, scaleText], invocation) {
        const answer = ok => invocation.return_value(new GLib.Variant('(b)', [ok]));
        displayConfig('GetCurrentState', null, state => {
            if (state === null) {
                answer(false);
                return;
            }
            const [serial, monitors, logicalMonitors, properties] = state.recursiveUnpack();
            const modeOf = c => monitors.find(([identity]) => identity[0] === c)?.[1]
                .find(m => m[6]['is-current']);
            const mode = modeOf(connector);
            const scale = mode?.[5].find(s => Math.abs(s - Number(scaleText)) < 0.01);
            if (scale === undefined) {
                answer(false);
                return;
            }
            const logicalLayout = properties['layout-mode'] === 1;
            const logical = logicalMonitors
                .map(([x, y, s, transform, primary, specs]) => ({
                    x, y, transform, primary, connectors: specs.map(([c]) => c),
                    scale: specs.some(([c]) => c === connector) ? scale : s,
                }))
                .sort((a, b) => a.x - b.x);
            let x = 0;
            for (const l of logical) {
                l.x = x;
                const width = modeOf(l.connectors[0])[1];
                x += logicalLayout ? Math.round(width / l.scale) : width;
            }
            apply(serial, logical.map(l => [l.x, 0, l.scale, l.transform, l.primary,
                l.connectors.map(c => [c, modeOf(c)[0], {}])]), invocation);
        });
    }

    PlugBackAsync(_params, invocation) {
        displayConfig('GetCurrentState', null, state => {
            if (state === null || !this._saved) {
                invocation.return_value(new GLib.Variant('(b)', [false]));
                return;
            }
            const {serial} = currentLayout(state);
            const saved = this._saved;
            this._saved = null;
            apply(serial, saved, invocation);
        });
    }

    IndicatorShown() {
        return 'plimsett-menu' in Main.panel.statusArea &&
            Main.panel.statusArea['plimsett-menu'] !== null;
    }

    // Opens the menu as a click on the indicator does; its items arrive from the program a
    // moment later (TopBarMenu shows them).
    OpenTopBarMenu() {
        const indicator = plimsettIndicator();
        if (!indicator)
            return false;
        // PopupAnimation.NONE (0 in 43 and 48): open at once, so that a screenshot shows all of
        // it.
        if (!indicator.menu.isOpen)
            indicator.menu.open(0);
        return indicator.menu.isOpen;
    }

    // The menu as shown: open or not, its items (title, sensitive, separator, a switch's state),
    // where the menu, the indicator and the primary monitor are on the stage.
    TopBarMenu() {
        const indicator = plimsettIndicator();
        if (!indicator)
            return JSON.stringify({shown: false});
        // _getMenuItems() is PopupMenuBase's own list of its items, in 43 and 48 alike.
        const items = indicator.menu._getMenuItems().map(item => {
            const title = item.label?.text ?? '';
            return {
                title,
                separator: title === '' && !item.reactive,
                sensitive: isSensitive(item),
                checked: 'state' in item ? item.state : null,
            };
        });
        return JSON.stringify({
            shown: true,
            open: indicator.menu.isOpen,
            items,
            menu: boxOf(indicator.menu.actor),
            indicator: boxOf(indicator),
            monitor: (({x, y, width, height}) => ({x, y, width, height}))(
                Main.layoutManager.primaryMonitor),
        });
    }

    // Chooses the open menu's item of this title, as a click does: the item's activate signal,
    // which the extension answers, and the menu closes.
    ActivateTopBarItem(title) {
        const indicator = plimsettIndicator();
        if (!indicator || !indicator.menu.isOpen)
            return false;
        const item = indicator.menu._getMenuItems().find(i => i.label?.text === title);
        if (!item || !isSensitive(item))
            return false;
        // A switch item's activate() reads the event (a key press may keep the menu open);
        // without one it is toggled and announced as a click does it.
        if (typeof item.toggle === 'function') {
            item.toggle();
            item.emit('activate', null);
            indicator.menu.close();
        } else {
            item.activate(null);
        }
        return true;
    }

    // The whole stage into a PNG at `path`, through Shell.Screenshot (the same call in 43 and
    // 48: screenshot(include_cursor, stream, callback) and screenshot_finish()).
    ScreenshotAsync([path], invocation) {
        try {
            const stream = Gio.File.new_for_path(path).replace(null, false,
                Gio.FileCreateFlags.REPLACE_DESTINATION, null);
            const screenshot = new Shell.Screenshot();
            screenshot.screenshot(false, stream, (source, result) => {
                let ok = false;
                try {
                    screenshot.screenshot_finish(result);
                    ok = true;
                } catch (e) {
                    logError(e, 'probe: screenshot');
                }
                stream.close(null);
                invocation.return_value(new GLib.Variant('(b)', [ok]));
            });
        } catch (e) {
            logError(e, 'probe: screenshot');
            invocation.return_value(new GLib.Variant('(b)', [false]));
        }
    }

    // Puts the window of that title on a frame (JSON x, y, width and height), as a user's drag
    // does: the bench's own doing, not through Plimsett's extension.
    Place(title, frameJson) {
        const frame = JSON.parse(frameJson);
        const window = windowTitled(title);
        if (!window)
            return false;
        window.move_resize_frame(true, frame.x, frame.y, frame.width, frame.height);
        return true;
    }

    // Puts the window of that title on a workspace ("all", or its number, made when missing), as
    // a user does from the window menu.
    ToWorkspace(title, workspace) {
        const window = windowTitled(title);
        if (!window)
            return false;
        if (workspace === 'all') {
            window.stick();
            return true;
        }
        window.unstick();
        const index = Number(workspace);
        while (global.workspace_manager.get_n_workspaces() <= index)
            global.workspace_manager.append_new_workspace(false, global.get_current_time());
        window.change_workspace_by_index(index, false);
        return true;
    }

    ActivateWorkspace(index) {
        const workspace = global.workspace_manager.get_workspace_by_index(Number(index));
        if (!workspace)
            return false;
        workspace.activate(global.get_current_time());
        return true;
    }

    ActiveWorkspace() {
        return String(global.workspace_manager.get_active_workspace_index());
    }

    Focus(title) {
        const window = windowTitled(title);
        if (!window)
            return false;
        window.activate(global.get_current_time());
        return true;
    }

    Focused() {
        return global.display.focus_window?.get_title() ?? '';
    }

    // Locks and unlocks the screen the way the Shell's lock screen does to the session: the
    // session mode of the lock screen pushed, and popped again. Extensions that do not say they
    // serve the lock screen are switched off meanwhile.
    Lock() {
        if (Main.sessionMode.isLocked)
            return false;
        Main.sessionMode.pushMode('unlock-dialog');
        return Main.sessionMode.isLocked;
    }

    Unlock() {
        if (!Main.sessionMode.isLocked)
            return false;
        Main.sessionMode.popMode('unlock-dialog');
        return !Main.sessionMode.isLocked;
    }

    // A 40-point bar along the bottom of the primary monitor that reserves its space, as a dock
    // does.
    SetBottomBar(shown) {
        if (shown && !this._bar) {
            const monitor = Main.layoutManager.primaryMonitor;
            this._bar = new St.Widget({x: monitor.x, y: monitor.y + monitor.height - 40,
                width: monitor.width, height: 40});
            Main.layoutManager.addChrome(this._bar, {affectsStruts: true});
        } else if (!shown && this._bar) {
            Main.layoutManager.removeChrome(this._bar);
            this._bar.destroy();
            this._bar = null;
        }
    }
}

class ProbeExtension {
    enable() {
        this._probe = new Probe();
        this._exported = Gio.DBusExportedObject.wrapJSObject(PROBE_INTERFACE, this._probe);
        this._exported.export(Gio.DBus.session, '/tamblin_engineering/Plimsett/TestProbe');
        // The bench works on the desktop, not in the overview the Shell opens at start, and the
        // tests wait for the probe's name: it is taken once the overview is gone. The Shell opens
        // the overview when its start-up is complete, after the extensions are enabled, so a
        // hide before then is undone.
        const takeName = () => {
            this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session,
                'tamblin_engineering.Plimsett.TestProbe', Gio.BusNameOwnerFlags.NONE, null, null);
        };
        const leaveOverview = () => {
            if (!Main.overview.visible) {
                takeName();
                return;
            }
            const hidden = Main.overview.connect('hidden', () => {
                Main.overview.disconnect(hidden);
                takeName();
            });
            Main.overview.hide();
        };
        if (Main.layoutManager._startingUp) {
            const complete = Main.layoutManager.connect('startup-complete', () => {
                Main.layoutManager.disconnect(complete);
                leaveOverview();
            });
        } else {
            leaveOverview();
        }
    }

    disable() {
        if (this._nameId)
            Gio.bus_unown_name(this._nameId);
        this._exported.unexport();
        this._exported = null;
        this._probe.destroy();
        this._probe = null;
    }
}
