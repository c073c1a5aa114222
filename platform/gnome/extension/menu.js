// Plimsett's tray menu in the top bar, since stock GNOME has no tray. The build puts this text
// after the extension's body (body.js), whose CallerCheck follows the program's bus name.

const APP_MENU_PATH = '/tamblin_engineering/Plimsett/Menu';
const APP_MENU_INTERFACE = 'tamblin_engineering.Plimsett.Menu1';
// At most this many of the program's items are shown.
const MAX_MENU_ITEMS = 64;

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
