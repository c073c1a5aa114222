// The probe in the form of GNOME Shell 45 and later (ES modules).
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Shell from 'gi://Shell';
import St from 'gi://St';

import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

@PROBE_BODY@

export default class PlimsettTestProbe extends Extension {
    enable() {
        this._probe = new ProbeExtension();
        this._probe.enable();
    }

    disable() {
        this._probe?.disable();
        this._probe = null;
    }
}
