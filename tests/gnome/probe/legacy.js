// The probe in the form of GNOME Shell 42 to 44 (imports.*, init()).
'use strict';

const {Gio, GLib, Shell, St} = imports.gi;
const Main = imports.ui.main;

@PROBE_BODY@

// eslint-disable-next-line no-unused-vars
function init() {
    return new ProbeExtension();
}
