// Plimsett's helper inside KWin. It lists the normal windows and the outputs for the program,
// gives windows the frames the program asks for, and tells the program when windows, outputs or
// work areas change. Its records are those of every Plimsett helper (platform/wayland/README.md).
// KWin cannot call into a script, so the script asks the program for work: it calls poll() on
// the program's object and handles what the answer holds, then polls again.
//
// The build puts PlimsettCore (platform/wayland/helper/core.js: the checks, confirmation and
// throttling every helper shares) in front of this text, and the program writes two lines in
// front of both naming its bus connection (plimsettService) and its object (plimsettPath). What
// is here is KWin's side: its windows and outputs, QTimer, and the calls to the program.

var plimsettInterface = "org.plimsett.KWinChannel";

// KWin 5 hands some texts over as byte arrays.
function text(value) {
    if (value === undefined || value === null) {
        return "";
    }
    if (value instanceof ArrayBuffer) {
        var bytes = new Uint8Array(value);
        var s = "";
        for (var i = 0; i < bytes.length; ++i) {
            s += String.fromCharCode(bytes[i]);
        }
        try {
            return decodeURIComponent(escape(s));
        } catch (e) {
            return s;
        }
    }
    return String(value);
}

function windowID(w) {
    return text(w.internalId);
}

// KWin numbers its maximise modes 1 vertical, 2 horizontal; the core's bits are the other way.
function maximizeBitsFromMode(mode) {
    return ((mode & 2) !== 0 ? PlimsettCore.MAXIMIZE_HORIZONTAL : 0) |
           ((mode & 1) !== 0 ? PlimsettCore.MAXIMIZE_VERTICAL : 0);
}

// What differs between KWin 6 and KWin 5.27, chosen once: the window list and its signals, how a
// window's maximise state is read, and the outputs (objects on KWin 6, numbers on KWin 5).
var kwin = typeof workspace.windowList === "function" ? {
    windows: function () { return workspace.windowList(); },
    windowAdded: workspace.windowAdded,
    windowRemoved: workspace.windowRemoved,
    maximizeChanged: undefined,
    maximizeOf: function (w) { return maximizeBitsFromMode(w.maximizeMode); },
    unmaximized: function () {},
    // KWin 6: a window's desktops are objects of workspace.desktops.
    workspaceOf: function (w) {
        var desktops = workspace.desktops;
        var index = w.desktops && w.desktops.length === 1 ? desktops.indexOf(w.desktops[0]) : -1;
        return PlimsettCore.workspaceOf(w.onAllDesktops === true, index);
    },
    setWorkspace: function (w, index) {
        var desktops = workspace.desktops;
        w.desktops = [desktops[Math.min(index, desktops.length - 1)]];
    },
    currentWorkspace: function () { return workspace.desktops.indexOf(workspace.currentDesktop); },
    activeWindow: function () { return workspace.activeWindow; },
    activate: function (w) { workspace.activeWindow = w; },
    windowActivated: workspace.windowActivated,
    outputs: function () {
        var result = [];
        var screens = workspace.screens;
        for (var i = 0; i < screens.length; ++i) {
            var o = screens[i];
            result.push({
                connector: text(o.name),
                vendor: text(o.manufacturer),
                product: text(o.model),
                serial: text(o.serialNumber),
                displayName: "",
                builtIn: false,
                geometry: PlimsettCore.rect(o.geometry),
                workArea: PlimsettCore.rect(workspace.clientArea(KWin.PlacementArea, o,
                                                                 workspace.currentDesktop))
            });
        }
        return result;
    }
} : kwin5();

function kwin5() {
    // No maximise state on KWin 5's windows, only the signal when it changes; for a window
    // maximised before the script came, the frame filling the maximise area tells.
    var trackedMaximize = {};
    connectIfThere(workspace.clientMaximizeSet, function (w, horizontally, vertically) {
        trackedMaximize[windowID(w)] = (horizontally ? PlimsettCore.MAXIMIZE_HORIZONTAL : 0) |
                                       (vertically ? PlimsettCore.MAXIMIZE_VERTICAL : 0);
    });
    // KWin 5 numbers its screens and tells their names only in its support information, where
    // every output has a block with its name and, when it is on, its geometry
    // ("Geometry: 0,0,1280x800").
    var screenNames = {key: null, names: {}};
    function namesOf(geometries) {
        var key = JSON.stringify(geometries);
        if (screenNames.key !== key) {
            var names = {};
            var blocks = text(workspace.supportInformation()).split(/\nScreen \d+:/);
            for (var i = 1; i < blocks.length; ++i) {
                var name = /\nName: ([^\n]*)/.exec(blocks[i]);
                var geometry = /\nGeometry: ([^\n]*)/.exec(blocks[i]);
                if (name !== null && geometry !== null) {
                    names[geometry[1].trim()] = name[1].trim();
                }
            }
            screenNames = {key: key, names: names};
        }
        return screenNames.names;
    }
    return {
        windows: function () { return workspace.clientList(); },
        // KWin 5: a window's desktop is a number from 1 (-1 on all), and so is their count.
        workspaceOf: function (w) {
            return PlimsettCore.workspaceOf(w.onAllDesktops === true,
                                            typeof w.desktop === "number" ? w.desktop - 1 : -1);
        },
        setWorkspace: function (w, index) {
            w.desktop = Math.min(index, workspace.desktops - 1) + 1;
        },
        currentWorkspace: function () { return workspace.currentDesktop - 1; },
        activeWindow: function () { return workspace.activeClient; },
        activate: function (w) { workspace.activeClient = w; },
        windowActivated: workspace.clientActivated,
        windowAdded: workspace.clientAdded,
        windowRemoved: workspace.clientRemoved,
        // KWin 5 tells a change of the maximised state on the workspace only.
        maximizeChanged: workspace.clientMaximizeSet,
        maximizeOf: function (w) {
            if (typeof w.maximizeMode === "number") {
                return maximizeBitsFromMode(w.maximizeMode);
            }
            var known = trackedMaximize[windowID(w)];
            if (known !== undefined) {
                return known;
            }
            var f = w.frameGeometry;
            var area = workspace.clientArea(KWin.MaximizeArea, w);
            return (f.x === area.x && f.width === area.width ? PlimsettCore.MAXIMIZE_HORIZONTAL : 0) |
                   (f.y === area.y && f.height === area.height ? PlimsettCore.MAXIMIZE_VERTICAL : 0);
        },
        unmaximized: function (w) { trackedMaximize[windowID(w)] = 0; },
        // No manufacturer, model or serial on KWin 5.
        outputs: function () {
            var geometries = [];
            for (var n = 0; n < workspace.numScreens; ++n) {
                geometries.push(PlimsettCore.rect(
                    workspace.clientArea(KWin.ScreenArea, n, workspace.currentDesktop)));
            }
            var names = namesOf(geometries);
            var result = [];
            for (var s = 0; s < geometries.length; ++s) {
                var g = geometries[s];
                var found = names[g.x + "," + g.y + "," + g.width + "x" + g.height];
                result.push({
                    connector: found !== undefined ? found : "Screen " + s,
                    vendor: "",
                    product: "",
                    serial: "",
                    displayName: "",
                    builtIn: false,
                    geometry: g,
                    workArea: PlimsettCore.rect(
                        workspace.clientArea(KWin.PlacementArea, s, workspace.currentDesktop))
                });
            }
            return result;
        }
    };
}

// PlimsettCore's timers, on QTimer.
var timers = {
    now: function () { return Date.now(); },
    create: function (callback) {
        var timer = new QTimer();
        timer.singleShot = true;
        timer.timeout.connect(callback);
        return {
            start: function (ms) {
                timer.interval = ms;
                timer.start();
            },
            stop: function () { timer.stop(); },
            active: function () { return timer.active; }
        };
    }
};

function connectIfThere(signal, handler) {
    if (signal !== undefined && signal !== null && typeof signal.connect === "function") {
        signal.connect(handler);
    }
}

function isListed(w) {
    if (!w || w.deleted === true || w.managed === false) {
        return false;
    }
    return w.normalWindow === true && w.specialWindow !== true && !w.transient;
}

function listedWindows() {
    var result = [];
    var windows = kwin.windows();
    for (var i = 0; i < windows.length; ++i) {
        if (isListed(windows[i])) {
            result.push(windows[i]);
        }
    }
    return result;
}

function describeWindow(w) {
    var bits = kwin.maximizeOf(w);
    return {
        id: windowID(w),
        pid: typeof w.pid === "number" ? w.pid : 0,
        appClass: text(w.resourceClass),
        instanceName: text(w.resourceName),
        appId: text(w.desktopFileName),
        // KWin names no applications; the program reads the desktop entries.
        appName: "",
        title: text(w.caption),
        frame: PlimsettCore.rect(w.frameGeometry),
        minimized: w.minimized === true,
        fullScreen: w.fullScreen === true,
        maximizedHorizontally: (bits & PlimsettCore.MAXIMIZE_HORIZONTAL) !== 0,
        maximizedVertically: (bits & PlimsettCore.MAXIMIZE_VERTICAL) !== 0,
        workspace: kwin.workspaceOf(w)
    };
}

// What the moves of PlimsettCore.confirmMoves need of KWin.
var kwinWindows = {
    lookup: function () {
        var byID = {};
        var windows = listedWindows();
        for (var i = 0; i < windows.length; ++i) {
            byID[windowID(windows[i])] = windows[i];
        }
        return function (id) {
            return Object.prototype.hasOwnProperty.call(byID, id) ? byID[id] : null;
        };
    },
    frameOf: function (w) { return w.frameGeometry; },
    maximizeOf: function (w) { return kwin.maximizeOf(w); },
    // A workspace (a number, or "all") changes the window's desktops, never the current one.
    // `opening`: the window has just appeared, and the focus it took goes back if KWin gives it
    // only after this.
    place: function (w, frame, bits, desktop, opening) {
        if (kwin.maximizeOf(w) !== 0) {
            w.setMaximize(false, false);
            kwin.unmaximized(w);
        }
        w.frameGeometry = frame;
        if (bits !== 0) {
            w.setMaximize((bits & PlimsettCore.MAXIMIZE_VERTICAL) !== 0,
                          (bits & PlimsettCore.MAXIMIZE_HORIZONTAL) !== 0);
        }
        desktopMoves.put(w, desktop, frame, bits, opening === true);
    },
    setFrame: function (w, frame) { w.frameGeometry = frame; }
};

// The program's side of the bus: its calls, and the loop of polls that brings its requests.
var program = {
    running: true,
    generation: 0,
    lastPoll: Date.now(),
    call: function (method) {
        var args = [plimsettService, plimsettPath, plimsettInterface, method];
        for (var i = 1; i < arguments.length; ++i) {
            args.push(arguments[i]);
        }
        callDBus.apply(null, args);
    },
    reply: function (id, result) {
        program.call("reply", JSON.stringify({id: id, result: result}));
    },
    refuse: function (id, problem) {
        program.call("reply", JSON.stringify({id: id, error: problem}));
    },
    poll: function () {
        var generation = ++program.generation;
        program.call("poll", function (answer) {
            if (generation !== program.generation || !program.running) {
                return;
            }
            var body;
            try {
                body = JSON.parse(answer);
            } catch (e) {
                body = {};
            }
            program.lastPoll = Date.now();
            if (body !== null && typeof body === "object" && body.quit === true) {
                program.running = false;
                return;
            }
            var requests = body !== null && Array.isArray(body.requests) ? body.requests : [];
            for (var i = 0; i < requests.length; ++i) {
                try {
                    handleRequest(requests[i]);
                } catch (e) {
                    if (requests[i] !== null && typeof requests[i] === "object") {
                        program.refuse(requests[i].id, "the request failed: " + e);
                    }
                }
            }
            program.poll();
        });
    }
};

var openings = new PlimsettCore.Openings();
// The windows followed, by id: a change reads its window's frame without a walk of all windows.
var followed = {};
var reports = new PlimsettCore.ReportThrottle(timers, function (batch) {
    if (program.running) {
        program.call("windows", JSON.stringify(batch));
    }
}, {
    frameOf: function (id) {
        var w = Object.prototype.hasOwnProperty.call(followed, id) ? followed[id] : null;
        return w ? w.frameGeometry : null;
    },
    monitorsKey: function () { return outputWatch.signature()[0]; }
});

// A batch of moves is refused as a whole when one of its records is no move at all; a move that
// cannot be done is answered with its reason.
function moveWindows(id, list) {
    var checked = PlimsettCore.checkMoves(list);
    if (checked.error === undefined) {
        for (var i = 0; i < checked.moves.length; ++i) {
            if (checked.moves[i].malformed) {
                checked = {error: checked.moves[i].problem};
                break;
            }
        }
    }
    if (checked.error !== undefined) {
        program.refuse(id, checked.error);
        return;
    }
    PlimsettCore.confirmMoves(kwinWindows, timers, checked.moves, function (answers) {
        program.reply(id, answers);
    }, function (problem) {
        program.refuse(id, problem);
    });
}

function handleRequest(r) {
    if (r === null || typeof r !== "object" || typeof r.id !== "number") {
        return;
    }
    if (r.op === "windows") {
        program.reply(r.id, listedWindows().map(describeWindow));
    } else if (r.op === "monitors") {
        program.reply(r.id, kwin.outputs());
    } else if (r.op === "expect") {
        var checked = PlimsettCore.checkOpenings(r.openings);
        if (checked.error !== undefined) {
            program.refuse(r.id, checked.error);
        } else {
            openings.replace(checked.openings);
            program.reply(r.id, checked.skipped);
        }
    } else if (r.op === "move") {
        moveWindows(r.id, r.moves);
    } else {
        program.refuse(r.id, "no such request: " + String(r.op).slice(0, 40));
    }
}

// A window's desktop (a number, or "all"). A client draws only while its window is shown: a
// window sent to a desktop that is not shown before it has answered its new frame or maximised
// state would keep its old size until the user went there. Such a window goes once it has taken
// them, or after a second; then the focus it took as it opened is given back.
var desktopMoves = {
    pending: {},
    set: function (w, desktop) {
        if (desktop === "all") {
            w.onAllDesktops = true;
        } else if (typeof desktop === "number") {
            w.onAllDesktops = false;
            kwin.setWorkspace(w, desktop);
        }
    },
    put: function (w, desktop, frame, bits, opening) {
        var id = windowID(w);
        desktopMoves.cancel(id);
        if (desktop === undefined || desktop === null) {
            return;
        }
        var taken = function () {
            return bits !== 0 ? kwin.maximizeOf(w) === bits
                              : PlimsettCore.withinTolerance(PlimsettCore.rect(w.frameGeometry),
                                                            frame);
        };
        var later = desktop !== "all" && desktop !== kwin.currentWorkspace() &&
                    focusKeeper.shown(w) && !taken();
        if (!later) {
            desktopMoves.set(w, desktop);
            focusKeeper.sentAway(w, opening);
            return;
        }
        var move = {
            timer: timers.create(function () { move.finish(); }),
            check: function () {
                if (taken()) {
                    move.finish();
                }
            },
            stop: function () {
                move.timer.stop();
                w.frameGeometryChanged.disconnect(move.check);
                delete desktopMoves.pending[id];
            },
            finish: function () {
                move.stop();
                if (followed[id] !== undefined) {
                    desktopMoves.set(w, desktop);
                    focusKeeper.sentAway(w, opening);
                }
            }
        };
        desktopMoves.pending[id] = move;
        w.frameGeometryChanged.connect(move.check);
        move.timer.start(1000);
    },
    cancel: function (id) {
        var move = desktopMoves.pending[id];
        if (move !== undefined) {
            move.stop();
        }
    }
};

// A window that has just appeared takes its opening's frame before KWin shows it.
function placeOpening(w) {
    var placement = openings.take(text(w.resourceClass), text(w.caption),
                                  function (appClass, title) {
        var windows = listedWindows();
        for (var i = 0; i < windows.length; ++i) {
            if (windowID(windows[i]) !== windowID(w) &&
                text(windows[i].resourceClass) === appClass &&
                text(windows[i].caption) === title) {
                return true;
            }
        }
        return false;
    });
    if (placement !== null) {
        kwinWindows.place(w, placement.frame, placement.maximize, placement.workspace, true);
    }
}

// A window that opens is made active. Sent on to a desktop that is not shown, it must not keep
// the focus (the user would type into a window they cannot see): the window that had it before
// gets it back, whether KWin activated the new one before its placement or does so after.
// Windows are kept by id: KWin 5 hands out a new script object for a window each time.
var focusKeeper = {
    current: null,
    previous: null,
    away: null,
    shown: function (w) {
        var at = kwin.workspaceOf(w);
        return at === null || at === "all" || at === kwin.currentWorkspace();
    },
    // Only to a window KWin still has, shown on the current desktop; else no window has it, as
    // none had before.
    giveBack: function (id) {
        var windows = listedWindows();
        for (var i = 0; i < windows.length; ++i) {
            var to = windows[i];
            if (windowID(to) === id && !to.minimized && focusKeeper.shown(to)) {
                kwin.activate(to);
                return;
            }
        }
        kwin.activate(null);
    },
    activated: function (w) {
        var id = w ? windowID(w) : null;
        var away = focusKeeper.away;
        if (away !== null && id === away.window && !focusKeeper.shown(w)) {
            focusKeeper.away = null;
            focusKeeper.giveBack(away.to);
            return;
        }
        // KWin activates no window for a moment when one closes: the last one that had the
        // focus is kept.
        if (id !== null && id !== focusKeeper.current) {
            focusKeeper.previous = focusKeeper.current;
            focusKeeper.current = id;
        }
        if (away !== null && id !== null && id !== away.window) {
            focusKeeper.away = null;
        }
    },
    forget: function (w) {
        var id = windowID(w);
        if (focusKeeper.current === id) {
            focusKeeper.current = null;
        }
        if (focusKeeper.previous === id) {
            focusKeeper.previous = null;
        }
        if (focusKeeper.away !== null &&
            (focusKeeper.away.window === id || focusKeeper.away.to === id)) {
            focusKeeper.away = null;
        }
    },
    sentAway: function (w, opening) {
        if (focusKeeper.shown(w)) {
            return;
        }
        var id = windowID(w);
        var to = focusKeeper.current === id ? focusKeeper.previous : focusKeeper.current;
        var active = kwin.activeWindow();
        if (active && windowID(active) === id) {
            focusKeeper.giveBack(to);
        } else if (opening) {
            focusKeeper.away = {window: id, to: to};
        }
    }
};

// Outputs and work areas: told when what the program would read has changed. KWin may finish
// rearranging after its signal (under load, well after it), so they are looked at again a few
// times over the next seconds; a change missed by every signal is still told then.
var outputWatch = {
    outputs: "",
    areas: "",
    again: [50, 500, 2000, 5000].map(function (ms) {
        return {ms: ms, timer: timers.create(function () { outputWatch.check(); })};
    }),
    // KWin 6's outputs, each watched once for a geometry that changes on its own.
    watched: [],
    signature: function () {
        var outputs = kwin.outputs();
        var shape = [];
        var areas = [];
        for (var i = 0; i < outputs.length; ++i) {
            shape.push([outputs[i].connector, outputs[i].geometry]);
            areas.push(outputs[i].workArea);
        }
        return [JSON.stringify(shape), JSON.stringify(areas)];
    },
    check: function () {
        if (!program.running) {
            return;
        }
        var signature;
        try {
            signature = outputWatch.signature();
        } catch (e) {
            // An output on its way out; the next look finds the outputs settled.
            return;
        }
        if (signature[0] !== outputWatch.outputs) {
            outputWatch.outputs = signature[0];
            outputWatch.areas = signature[1];
            // What the windows did before goes first; KWin's moves for the new outputs, made
            // before this check ran, carry no frame.
            reports.flush();
            program.call("changed", "monitors");
            reports.monitorsAnnounced();
        } else if (signature[1] !== outputWatch.areas) {
            outputWatch.areas = signature[1];
            program.call("changed", "workAreas");
        }
    },
    mayHaveChanged: function () {
        for (var i = 0; i < outputWatch.again.length; ++i) {
            outputWatch.again[i].timer.start(outputWatch.again[i].ms);
        }
        outputWatch.check();
    },
    // Output objects come and go with KWin 6's screensChanged; KWin 5 has none.
    watchOutputs: function () {
        var screens = workspace.screens;
        if (!screens || typeof screens.length !== "number") {
            return;
        }
        for (var i = 0; i < screens.length; ++i) {
            var o = screens[i];
            // Bounded, should the same output ever come back as another object.
            if (o && o.geometryChanged !== undefined && outputWatch.watched.indexOf(o) < 0 &&
                outputWatch.watched.length < 64) {
                outputWatch.watched.push(o);
                o.geometryChanged.connect(outputWatch.mayHaveChanged);
            }
        }
    },
    // Panels and docks change the work areas as they come, go and move.
    watch: function (w) {
        if (w && w.specialWindow === true) {
            connectIfThere(w.frameGeometryChanged, outputWatch.mayHaveChanged);
        }
    }
};

// A listed window's own changes, for the program to follow.
function followWindow(w, appeared) {
    if (!w || w.frameGeometryChanged === undefined) {
        return;
    }
    followed[windowID(w)] = w;
    var changed = function () {
        if (isListed(w)) {
            reports.changed(windowID(w));
        }
    };
    w.frameGeometryChanged.connect(changed);
    connectIfThere(w.minimizedChanged, changed);
    connectIfThere(w.maximizedChanged, changed);
    connectIfThere(w.fullScreenChanged, changed);
    if (!isListed(w)) {
        return;
    }
    if (!appeared) {
        reports.follow(windowID(w));
        return;
    }
    try {
        placeOpening(w);
    } catch (e) {
        // Left where KWin put it; the program places it when it hears of it.
    }
    reports.appeared(windowID(w));
}

function start() {
    var outputSignals = [workspace.screensChanged, workspace.numberScreensChanged,
                         workspace.screenResized, workspace.virtualScreenGeometryChanged,
                         workspace.virtualScreenSizeChanged, workspace.currentDesktopChanged,
                         kwin.windowRemoved];
    for (var s = 0; s < outputSignals.length; ++s) {
        connectIfThere(outputSignals[s], outputWatch.mayHaveChanged);
    }
    outputWatch.watchOutputs();
    connectIfThere(workspace.screensChanged, outputWatch.watchOutputs);
    var active = kwin.activeWindow();
    focusKeeper.current = active ? windowID(active) : null;
    connectIfThere(kwin.windowActivated, focusKeeper.activated);
    kwin.windowAdded.connect(function (w) {
        outputWatch.watch(w);
        outputWatch.mayHaveChanged();
        followWindow(w, true);
    });
    kwin.windowRemoved.connect(function (w) {
        focusKeeper.forget(w);
        desktopMoves.cancel(windowID(w));
        delete followed[windowID(w)];
        reports.gone(windowID(w));
    });
    connectIfThere(kwin.maximizeChanged, function (w) {
        if (isListed(w)) {
            reports.changed(windowID(w));
        }
    });
    var existing = kwin.windows();
    for (var i = 0; i < existing.length; ++i) {
        followWindow(existing[i], false);
        outputWatch.watch(existing[i]);
    }
    var initial = outputWatch.signature();
    outputWatch.outputs = initial[0];
    outputWatch.areas = initial[1];
    reports.monitorsAnnounced();

    // A poll whose answer was lost (the program gone for a while) would end the loop: another
    // starts when the program has been silent for half as long again as it ever is (it answers
    // an idle poll after 10 s).
    var watchdog = new QTimer();
    watchdog.interval = 5000;
    watchdog.singleShot = false;
    watchdog.timeout.connect(function () {
        if (program.running && Date.now() - program.lastPoll > 15000) {
            program.lastPoll = Date.now();
            // What the program said of windows to come holds only while it answers.
            openings.clear();
            program.poll();
        }
    });
    watchdog.start();
    program.poll();
}

start();
