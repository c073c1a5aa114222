// For Plimsett's tests only, on the test bench's GNOME Shell (43, and 48 in the Debian 13 root):
// a view of the windows that does not go through Plimsett's extension (titles and frames, from the
// window actors), and the bench's levers: monitors unplugged and plugged back through Mutter's
// DisplayConfig (temporary configurations, as a cable pulled and put back), and a bar that
// reserves screen space. The test bench puts the imports of the running Shell around this text
// (legacy.js for 43, module.js for 45 and later).

const PROBE_INTERFACE = `
<node>
  <interface name="tamblin_engineering.Plimsett.TestProbe">
    <method name="Frames"><arg type="s" direction="out"/></method>
    <method name="Unplug"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
    <method name="PlugBack"><arg type="b" direction="out"/></method>
    <method name="SetBottomBar"><arg type="b" direction="in"/></method>
    <method name="IndicatorShown"><arg type="b" direction="out"/></method>
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

class Probe {
    Frames() {
        const frames = global.get_window_actors().map(actor => {
            const window = actor.get_meta_window();
            const r = window.get_frame_rect();
            return {title: window.get_title(), x: r.x, y: r.y, width: r.width, height: r.height,
                minimized: window.minimized};
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
        this._exported = Gio.DBusExportedObject.wrapJSObject(PROBE_INTERFACE, new Probe());
        this._exported.export(Gio.DBus.session, '/tamblin_engineering/Plimsett/TestProbe');
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session,
            'tamblin_engineering.Plimsett.TestProbe', Gio.BusNameOwnerFlags.NONE, null, null);
        // The bench works on the desktop, not in the overview the Shell opens at start.
        Main.overview.hide();
    }

    disable() {
        Gio.bus_unown_name(this._nameId);
        this._exported.unexport();
        this._exported = null;
    }
}
