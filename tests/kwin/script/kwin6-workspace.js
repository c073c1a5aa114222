// Runs Plimsett's KWin script against a stand-in for KWin 6's scripting objects, the names
// documented for KWin 6.0 (workspace.windowList(), workspace.screens as Output objects,
// clientArea(option, output, desktop), windowAdded/windowRemoved, Window.maximizeMode), none of
// which KWin 5.27 on the test bench has. It answers one poll with a listing, the outputs and a
// pass of moves, and checks the script's replies.
//
//   node kwin6-workspace.js SCRIPT
//
// The build puts the helpers' shared core in front of the script; so does this test, from
// platform/wayland/helper/core.js beside the script's platform/kwin/script/.
"use strict";
const assert = require("assert");
const fs = require("fs");
const path = require("path");
const vm = require("vm");

function signal() {
    const slots = [];
    return {connect: (f) => slots.push(f), emit: (...a) => slots.forEach((f) => f(...a))};
}
function output(name, x, panel) {
    return {name, manufacturer: "Tamblin", model: "TD-" + name, serialNumber: "S" + name,
            geometry: {x, y: 0, width: 1280, height: 800}, panel};
}
function window(id, caption, frame, extra) {
    return Object.assign({
        internalId: "{" + id + "}", caption, resourceClass: "org.example.app",
        resourceName: "app", desktopFileName: "org.example.app", pid: 4242,
        normalWindow: true, specialWindow: false, transient: false, managed: true,
        minimized: false, fullScreen: false, maximizeMode: 0, frameGeometry: frame,
        frameGeometryChanged: signal(),
        setMaximize(vertically, horizontally) {
            this.maximizeMode = (vertically ? 1 : 0) | (horizontally ? 2 : 0);
        }
    }, extra);
}

const desktop = {id: "desktop-1"};
const outputs = [output("DP-1", 0, 0), output("HDMI-A-1", 1280, 40)];
const windows = [
    window(1, "Report", {x: 10, y: 20, width: 400, height: 300}),
    window(2, "Panel", {x: 0, y: 760, width: 1280, height: 40},
           {normalWindow: false, specialWindow: true}),
    window(3, "Notes", {x: 1300, y: 0, width: 1280, height: 760}, {maximizeMode: 3}),
];
const calls = [];
const context = {
    plimsettService: ":1.7", plimsettPath: "/org/plimsett/KWinChannel",
    KWin: {PlacementArea: 0, MaximizeArea: 2, ScreenArea: 5},
    // On Node's timers, which keep nothing waiting at the end: a move is answered once its
    // windows have held their frames a while.
    QTimer: function () {
        let handle = null;
        this.timeout = signal();
        this.interval = 0;
        this.singleShot = false;
        this.active = false;
        this.stop = () => {
            clearTimeout(handle);
            clearInterval(handle);
            this.active = false;
        };
        this.start = () => {
            this.stop();
            this.active = true;
            const fire = () => {
                this.active = !this.singleShot;
                this.timeout.emit();
            };
            handle = (this.singleShot ? setTimeout : setInterval)(fire, this.interval);
            handle.unref();
        };
    },
    callDBus: (...args) => calls.push(args),
    workspace: {
        currentDesktop: desktop,
        screens: outputs,
        windowList: () => windows,
        windowAdded: signal(), windowRemoved: signal(), screensChanged: signal(),
        clientArea(option, where, onDesktop) {
            const o = outputs.includes(where) ? where
                      : outputs.find((s) => where.frameGeometry.x >= s.geometry.x &&
                                            where.frameGeometry.x < s.geometry.x + 1280);
            assert.ok(o, "clientArea asked for something that is neither output nor window");
            if (outputs.includes(where)) {
                assert.strictEqual(onDesktop, desktop, "the current desktop object goes along");
            }
            const g = o.geometry;
            return {x: g.x, y: g.y, width: g.width, height: g.height - o.panel};
        }
    },
};
vm.createContext(context);
const core = path.join(path.dirname(process.argv[2]), "..", "..", "wayland", "helper", "core.js");
vm.runInContext(fs.readFileSync(core, "utf8") + "\n" + fs.readFileSync(process.argv[2], "utf8"),
                context);

const poll = calls.find((c) => c[3] === "poll");
assert.ok(poll, "the script polls the program at start");
poll[4](JSON.stringify({requests: [
    {id: 1, op: "windows"},
    {id: 2, op: "monitors"},
    {id: 3, op: "move", moves: [
        {id: "{1}", frame: {x: 1400, y: 50, width: 500, height: 400}},
        {id: "{3}", frame: {x: 0, y: 0, width: 1280, height: 800},
         maximizeHorizontally: true, maximizeVertically: true},
        {id: "{9}", frame: {x: 0, y: 0, width: 100, height: 100}},
    ]},
]}));

(async () => {
const replies = {};
for (const waited = Date.now(); replies[3] === undefined && Date.now() - waited < 5000;) {
    await new Promise((resolve) => setTimeout(resolve, 20));
    for (const c of calls.filter((c) => c[3] === "reply")) {
        const body = JSON.parse(c[4]);
        replies[body.id] = body.result;
    }
}

assert.deepStrictEqual(replies[1].map((w) => [w.id, w.title, w.maximizedHorizontally]),
                       [["{1}", "Report", false], ["{3}", "Notes", true]]);
assert.deepStrictEqual(replies[2].map((o) => [o.connector, o.vendor, o.serial]),
                       [["DP-1", "Tamblin", "SDP-1"], ["HDMI-A-1", "Tamblin", "SHDMI-A-1"]]);
assert.deepStrictEqual(replies[2][1].workArea, {x: 1280, y: 0, width: 1280, height: 760});
assert.deepStrictEqual(replies[3].map((a) => [a.id, a.exists, a.maximizedHorizontally]),
                       [["{1}", true, false], ["{3}", true, true], ["{9}", false, undefined]]);
assert.deepStrictEqual(replies[3][0].frame, {x: 1400, y: 50, width: 500, height: 400});
assert.deepStrictEqual(JSON.parse(JSON.stringify(windows[0].frameGeometry)),
                       {x: 1400, y: 50, width: 500, height: 400});
assert.strictEqual(windows[2].maximizeMode, 3);

// A panel that moves changes a work area; the program hears of it.
outputs[0].panel = 30;
windows[1].frameGeometryChanged.emit();
assert.ok(calls.some((c) => c[3] === "changed" && c[4] === "workAreas"));
console.log("the script serves KWin 6's names");
})().catch((e) => {
    console.error(e);
    process.exitCode = 1;
});
