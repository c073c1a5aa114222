// Plimsett's helper inside KWin. It lists the normal windows and the outputs for the program,
// gives windows the frames the program asks for, and tells the program when outputs or work
// areas change. Its records are those of every Plimsett helper (platform/wayland/README.md). KWin cannot call into a script, so the script asks the program for work: it calls
// poll() on the program's object and handles what the answer holds, then polls again.
//
// The program writes this file with two lines in front naming its bus connection
// (plimsettService) and its object (plimsettPath). One script serves KWin 5.27 and 6: where the
// two differ (clientList / windowList, screen numbers / output objects) it uses what exists.

var plimsettInterface = "org.plimsett.KWinChannel";
var hasWindowList = typeof workspace.windowList === "function";
var hasOutputObjects = workspace.screens !== undefined && typeof workspace.screens === "object";
var running = true;
var pollGeneration = 0;
// How long a move waits for the windows to show their new frames before it answers.
var confirmDeadlineMs = 600;
var confirmIntervalMs = 5;
var tolerance = 2;
// What one request may hold. Anything beyond is refused before any work is done: the script runs
// inside KWin, where a stall or an error is the user's whole session.
var maxMoves = 2000;
var maxCoordinate = 1000000;

function call(method) {
    var args = [plimsettService, plimsettPath, plimsettInterface, method];
    for (var i = 1; i < arguments.length; ++i) {
        args.push(arguments[i]);
    }
    callDBus.apply(null, args);
}

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

function rect(r) {
    return {x: r.x, y: r.y, width: r.width, height: r.height};
}

function allWindows() {
    return hasWindowList ? workspace.windowList() : workspace.clientList();
}

function windowID(w) {
    return text(w.internalId);
}

function isListed(w) {
    if (!w || w.deleted === true || w.managed === false) {
        return false;
    }
    return w.normalWindow === true && w.specialWindow !== true && !w.transient;
}

// KWin 5 has no maximise state on its windows, only the signal when it changes; for a window
// maximised before the script came, the frame filling the maximise area tells.
var trackedMaximize = {};
if (workspace.clientMaximizeSet !== undefined) {
    workspace.clientMaximizeSet.connect(function (w, horizontally, vertically) {
        trackedMaximize[windowID(w)] = (vertically ? 1 : 0) | (horizontally ? 2 : 0);
    });
}

// 1 vertical, 2 horizontal, 3 both, as KWin numbers its maximise modes.
function maximizeMode(w) {
    if (typeof w.maximizeMode === "number") {
        return w.maximizeMode;
    }
    var known = trackedMaximize[windowID(w)];
    if (known !== undefined) {
        return known;
    }
    var f = w.frameGeometry;
    var area = workspace.clientArea(KWin.MaximizeArea, w);
    return (f.y === area.y && f.height === area.height ? 1 : 0) |
           (f.x === area.x && f.width === area.width ? 2 : 0);
}

function describeWindow(w) {
    var mode = maximizeMode(w);
    return {
        id: windowID(w),
        pid: typeof w.pid === "number" ? w.pid : 0,
        appClass: text(w.resourceClass),
        instanceName: text(w.resourceName),
        appId: text(w.desktopFileName),
        // KWin names no applications; the program reads the desktop entries.
        appName: "",
        title: text(w.caption),
        frame: rect(w.frameGeometry),
        minimized: w.minimized === true,
        fullScreen: w.fullScreen === true,
        maximizedHorizontally: (mode & 2) !== 0,
        maximizedVertically: (mode & 1) !== 0
    };
}

function listWindows() {
    var result = [];
    var windows = allWindows();
    for (var i = 0; i < windows.length; ++i) {
        if (isListed(windows[i])) {
            result.push(describeWindow(windows[i]));
        }
    }
    return result;
}

function currentDesktop() {
    return workspace.currentDesktop;
}

// KWin 5 numbers its screens and tells their names only in its support information, where every
// output has a block with its name and, when it is on, its geometry ("Geometry: 0,0,1280x800").
var screenNameCache = {key: null, names: {}};
function geometryKey(r) {
    return r.x + "," + r.y + "," + r.width + "x" + r.height;
}
function screenNames(geometries) {
    var key = JSON.stringify(geometries);
    if (screenNameCache.key !== key) {
        var names = {};
        var blocks = text(workspace.supportInformation()).split(/\nScreen \d+:/);
        for (var i = 1; i < blocks.length; ++i) {
            var name = /\nName: ([^\n]*)/.exec(blocks[i]);
            var geometry = /\nGeometry: ([^\n]*)/.exec(blocks[i]);
            if (name !== null && geometry !== null) {
                names[geometry[1].trim()] = name[1].trim();
            }
        }
        screenNameCache = {key: key, names: names};
    }
    return screenNameCache.names;
}

// Every output with its geometry and placement area (its work area): output objects on KWin 6,
// screen numbers on KWin 5 (which tells no manufacturer, model or serial there).
function listOutputs() {
    var result = [];
    if (hasOutputObjects) {
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
                geometry: rect(o.geometry),
                workArea: rect(workspace.clientArea(KWin.PlacementArea, o, currentDesktop()))
            });
        }
        return result;
    }
    var geometries = [];
    for (var n = 0; n < workspace.numScreens; ++n) {
        geometries.push(rect(workspace.clientArea(KWin.ScreenArea, n, currentDesktop())));
    }
    var names = screenNames(geometries);
    for (var s = 0; s < geometries.length; ++s) {
        var found = names[geometryKey(geometries[s])];
        result.push({
            connector: found !== undefined ? found : "Screen " + s,
            vendor: "",
            product: "",
            serial: "",
            displayName: "",
            builtIn: false,
            geometry: geometries[s],
            workArea: rect(workspace.clientArea(KWin.PlacementArea, s, currentDesktop()))
        });
    }
    return result;
}

function windowsByID() {
    var map = {};
    var windows = allWindows();
    for (var i = 0; i < windows.length; ++i) {
        if (isListed(windows[i])) {
            map[windowID(windows[i])] = windows[i];
        }
    }
    return map;
}

function within(a, b) {
    return Math.abs(a.x - b.x) < tolerance && Math.abs(a.y - b.y) < tolerance &&
           Math.abs(a.width - b.width) < tolerance && Math.abs(a.height - b.height) < tolerance;
}

function centreInside(a, b) {
    var cx = a.x + a.width / 2;
    var cy = a.y + a.height / 2;
    return cx >= b.x && cx <= b.x + b.width && cy >= b.y && cy <= b.y + b.height;
}

function placed(w, move) {
    if (move.maximizeHorizontally || move.maximizeVertically) {
        var mode = maximizeMode(w);
        return (!move.maximizeHorizontally || (mode & 2) !== 0) &&
               (!move.maximizeVertically || (mode & 1) !== 0) &&
               centreInside(w.frameGeometry, move.frame);
    }
    return within(w.frameGeometry, move.frame);
}

// Why a requested frame cannot be used, or "" when it can: four numbers, the position within
// reach of any real output, the size positive.
function frameProblem(f) {
    if (f === null || typeof f !== "object" || Array.isArray(f)) {
        return "the frame is not an object with x, y, width and height";
    }
    var keys = ["x", "y", "width", "height"];
    for (var i = 0; i < keys.length; ++i) {
        var value = f[keys[i]];
        if (typeof value !== "number" || !isFinite(value)) {
            return "the frame's " + keys[i] + " is not a finite number";
        }
        var low = i >= 2 ? 1 : -maxCoordinate;
        if (value < low || value > maxCoordinate) {
            return "the frame's " + keys[i] + " (" + value + ") is outside " + low + ".." +
                   maxCoordinate;
        }
    }
    return "";
}

function moveProblem(m) {
    var problem = frameProblem(m.frame);
    if (problem === "" && m.maximizeHorizontally !== undefined &&
        typeof m.maximizeHorizontally !== "boolean") {
        problem = "maximizeHorizontally is not true or false";
    }
    if (problem === "" && m.maximizeVertically !== undefined &&
        typeof m.maximizeVertically !== "boolean") {
        problem = "maximizeVertically is not true or false";
    }
    return problem;
}

// Why a batch of moves is refused as a whole, or "" when it is taken.
function movesProblem(moves) {
    if (!Array.isArray(moves)) {
        return "the moves are not a list";
    }
    if (moves.length > maxMoves) {
        return moves.length + " moves in one request; at most " + maxMoves + " are taken";
    }
    for (var i = 0; i < moves.length; ++i) {
        var m = moves[i];
        if (m === null || typeof m !== "object" || Array.isArray(m)) {
            return "move " + i + " is not an object";
        }
        if (typeof m.id !== "string" || m.id.length === 0 || m.id.length > 64) {
            return "move " + i + " has no window id (a text)";
        }
    }
    return "";
}

// The answer for one move: whether the window exists and, if so, where it is now.
function moveAnswer(move, w) {
    var answer = {id: move.id, exists: w !== undefined};
    var problem = moveProblem(move);
    if (problem !== "") {
        answer.error = problem;
    }
    if (w !== undefined) {
        var mode = maximizeMode(w);
        answer.frame = rect(w.frameGeometry);
        answer.maximizedHorizontally = (mode & 2) !== 0;
        answer.maximizedVertically = (mode & 1) !== 0;
    }
    return answer;
}

// Gives every window of the pass its frame at once, then answers as soon as all show their new
// frames, or at the deadline with where they are by then.
function moveWindows(id, moves) {
    var windows = windowsByID();
    var targets = [];
    var placedYet = [];
    for (var i = 0; i < moves.length; ++i) {
        var m = moves[i];
        var w = windows[m.id];
        placedYet.push(false);
        if (w === undefined) {
            targets.push(null);
            continue;
        }
        targets.push(w);
        if (moveProblem(m) !== "") {
            continue;
        }
        var f = {x: Math.round(m.frame.x), y: Math.round(m.frame.y),
                 width: Math.round(m.frame.width), height: Math.round(m.frame.height)};
        if (maximizeMode(w) !== 0) {
            w.setMaximize(false, false);
            trackedMaximize[m.id] = 0;
        }
        w.frameGeometry = f;
        if (m.maximizeHorizontally || m.maximizeVertically) {
            w.setMaximize(m.maximizeVertically === true, m.maximizeHorizontally === true);
        }
    }
    var started = Date.now();
    var check = function () {
        var done = true;
        // Looked up again each time: a window that closed meanwhile is done with.
        var now = windowsByID();
        for (var j = 0; j < moves.length; ++j) {
            if (targets[j] !== null && !placedYet[j] && moveProblem(moves[j]) === "") {
                var still = now[moves[j].id];
                placedYet[j] = still === undefined || placed(still, moves[j]);
                done = done && placedYet[j];
            }
        }
        return done || Date.now() - started >= confirmDeadlineMs;
    };
    var answer = function () {
        // Looked up again: a window may have closed meanwhile.
        var now = windowsByID();
        var answers = [];
        for (var k = 0; k < moves.length; ++k) {
            answers.push(moveAnswer(moves[k], now[moves[k].id]));
        }
        call("reply", JSON.stringify({id: id, result: answers}));
    };
    if (check()) {
        answer();
        return;
    }
    var timer = new QTimer();
    timer.interval = confirmIntervalMs;
    timer.singleShot = false;
    timer.timeout.connect(function () {
        try {
            if (check()) {
                timer.stop();
                answer();
            }
        } catch (e) {
            timer.stop();
            call("reply", JSON.stringify({id: id, error: "the moves failed: " + e}));
        }
    });
    timer.start();
}

// Where windows that open should go, as the program last said: {appClass, title, frame,
// maximizeHorizontally, maximizeVertically}.
var openings = [];
var maxText = 4096;

function openingsProblem(list) {
    if (!Array.isArray(list) || list.length > maxMoves) {
        return "the openings are not a list of at most " + maxMoves;
    }
    for (var i = 0; i < list.length; ++i) {
        var o = list[i];
        if (o === null || typeof o !== "object" || typeof o.appClass !== "string" ||
            typeof o.title !== "string" || o.appClass.length > maxText ||
            o.title.length > maxText) {
            return "opening " + i + " has no application and title (texts)";
        }
        var problem = moveProblem(o);
        if (problem !== "") {
            return "opening " + i + ": " + problem;
        }
    }
    return "";
}

// A window that has just appeared takes the frame of the one opening of its application and
// title, before KWin shows it, unless another open window has them too (then the program's
// matcher decides).
function placeOpening(w) {
    var appClass = text(w.resourceClass);
    var title = text(w.caption);
    var found = -1;
    for (var i = 0; i < openings.length; ++i) {
        if (openings[i].appClass === appClass && openings[i].title === title) {
            if (found >= 0) {
                return;
            }
            found = i;
        }
    }
    if (found < 0) {
        return;
    }
    var windows = allWindows();
    for (var j = 0; j < windows.length; ++j) {
        if (windows[j] !== w && isListed(windows[j]) && text(windows[j].resourceClass) === appClass &&
            text(windows[j].caption) === title) {
            return;
        }
    }
    var o = openings.splice(found, 1)[0];
    w.frameGeometry = {x: Math.round(o.frame.x), y: Math.round(o.frame.y),
                       width: Math.round(o.frame.width), height: Math.round(o.frame.height)};
    if (o.maximizeHorizontally === true || o.maximizeVertically === true) {
        w.setMaximize(o.maximizeVertically === true, o.maximizeHorizontally === true);
    }
}

function refuse(id, problem) {
    call("reply", JSON.stringify({id: id, error: problem}));
}

function handleRequest(r) {
    if (r === null || typeof r !== "object" || typeof r.id !== "number") {
        return;
    }
    if (r.op === "windows") {
        call("reply", JSON.stringify({id: r.id, result: listWindows()}));
    } else if (r.op === "monitors") {
        call("reply", JSON.stringify({id: r.id, result: listOutputs()}));
    } else if (r.op === "expect") {
        var wrong = openingsProblem(r.openings);
        if (wrong !== "") {
            refuse(r.id, wrong);
        } else {
            openings = r.openings;
            call("reply", JSON.stringify({id: r.id, result: true}));
        }
    } else if (r.op === "move") {
        var problem = movesProblem(r.moves);
        if (problem !== "") {
            refuse(r.id, problem);
        } else {
            moveWindows(r.id, r.moves);
        }
    } else {
        refuse(r.id, "no such request: " + String(r.op).slice(0, 40));
    }
}

function poll() {
    var generation = ++pollGeneration;
    call("poll", function (answer) {
        if (generation !== pollGeneration || !running) {
            return;
        }
        var body;
        try {
            body = JSON.parse(answer);
        } catch (e) {
            body = {};
        }
        lastPoll = Date.now();
        if (body !== null && typeof body === "object" && body.quit === true) {
            running = false;
            return;
        }
        var requests = body !== null && Array.isArray(body.requests) ? body.requests : [];
        for (var i = 0; i < requests.length; ++i) {
            try {
                handleRequest(requests[i]);
            } catch (e) {
                if (requests[i] !== null && typeof requests[i] === "object") {
                    refuse(requests[i].id, "the request failed: " + e);
                }
            }
        }
        poll();
    });
}

// A poll whose answer was lost (the program gone for a while) would end the loop: start another
// when the program has been silent for longer than it ever is.
var lastPoll = Date.now();
var watchdog = new QTimer();
watchdog.interval = 15000;
watchdog.singleShot = false;
watchdog.timeout.connect(function () {
    if (running && Date.now() - lastPoll > 30000) {
        lastPoll = Date.now();
        // What the program said of windows to come holds only while it answers.
        openings = [];
        poll();
    }
});
watchdog.start();

// Outputs and work areas: told when what the program would read has changed.
var lastOutputs = "";
var lastAreas = "";
function outputsSignature() {
    var outputs = listOutputs();
    var shape = [];
    var areas = [];
    for (var i = 0; i < outputs.length; ++i) {
        shape.push([outputs[i].connector, outputs[i].geometry]);
        areas.push(outputs[i].workArea);
    }
    return [JSON.stringify(shape), JSON.stringify(areas)];
}
function checkOutputs() {
    if (!running) {
        return;
    }
    var signature = outputsSignature();
    if (signature[0] !== lastOutputs) {
        lastOutputs = signature[0];
        lastAreas = signature[1];
        call("changed", "monitors");
    } else if (signature[1] !== lastAreas) {
        lastAreas = signature[1];
        call("changed", "workAreas");
    }
}
var deferredCheck = new QTimer();
deferredCheck.interval = 50;
deferredCheck.singleShot = true;
deferredCheck.timeout.connect(checkOutputs);
function outputsMayHaveChanged() {
    checkOutputs();
    // KWin may finish rearranging after the signal; look once more shortly after.
    deferredCheck.start();
}
function connectIfThere(signal) {
    if (signal !== undefined && typeof signal.connect === "function") {
        signal.connect(outputsMayHaveChanged);
    }
}
connectIfThere(workspace.screensChanged);
connectIfThere(workspace.numberScreensChanged);
connectIfThere(workspace.screenResized);
connectIfThere(workspace.virtualScreenGeometryChanged);
connectIfThere(workspace.virtualScreenSizeChanged);
connectIfThere(workspace.currentDesktopChanged);
// Panels and docks change the work areas as they come, go and move.
function watchWindow(w) {
    if (w && w.specialWindow === true && w.frameGeometryChanged !== undefined) {
        w.frameGeometryChanged.connect(outputsMayHaveChanged);
    }
    outputsMayHaveChanged();
}
connectIfThere(hasWindowList ? workspace.windowRemoved : workspace.clientRemoved);
(hasWindowList ? workspace.windowAdded : workspace.clientAdded).connect(watchWindow);

// The listed windows' own changes, for the program to follow: a window that appears or goes is
// told at once, a change at most every reportIntervalMs per window (a drag is one report a
// quarter second, never one per frame). Reports that fall together go in one call.
var reportIntervalMs = 250;
var lastReport = {};
var changedSince = {};
var queuedReports = [];
var reportFlush = new QTimer();
reportFlush.interval = 0;
reportFlush.singleShot = true;
reportFlush.timeout.connect(function () {
    if (running && queuedReports.length > 0) {
        call("windows", JSON.stringify(queuedReports));
    }
    queuedReports = [];
});
function queueReport(id, change) {
    queuedReports.push({id: id, change: change});
    if (!reportFlush.active) {
        reportFlush.start();
    }
}
var trailing = new QTimer();
trailing.interval = reportIntervalMs;
trailing.singleShot = true;
trailing.timeout.connect(function () {
    var now = Date.now();
    var waiting = false;
    for (var id in changedSince) {
        if (now - lastReport[id] >= reportIntervalMs) {
            lastReport[id] = now;
            queueReport(id, "changed");
            delete changedSince[id];
        } else {
            waiting = true;
        }
    }
    if (waiting) {
        trailing.start();
    }
});
function windowChanged(w) {
    if (!isListed(w)) {
        return;
    }
    var id = windowID(w);
    var now = Date.now();
    if (lastReport[id] === undefined || now - lastReport[id] >= reportIntervalMs) {
        lastReport[id] = now;
        queueReport(id, "changed");
    } else {
        changedSince[id] = true;
        if (!trailing.active) {
            trailing.start();
        }
    }
}
function followWindow(w, appeared) {
    if (!w || w.frameGeometryChanged === undefined) {
        return;
    }
    var changed = function () { windowChanged(w); };
    w.frameGeometryChanged.connect(changed);
    connectIfThereTo(w.minimizedChanged, changed);
    connectIfThereTo(w.maximizedChanged, changed);
    connectIfThereTo(w.fullScreenChanged, changed);
    if (appeared && isListed(w)) {
        try {
            placeOpening(w);
        } catch (e) {
            // Left where KWin put it; the program places it when it hears of it.
        }
        var id = windowID(w);
        lastReport[id] = Date.now();
        queueReport(id, "appeared");
    }
}
function connectIfThereTo(signal, handler) {
    if (signal !== undefined && typeof signal.connect === "function") {
        signal.connect(handler);
    }
}
(hasWindowList ? workspace.windowAdded : workspace.clientAdded).connect(function (w) {
    followWindow(w, true);
});
(hasWindowList ? workspace.windowRemoved : workspace.clientRemoved).connect(function (w) {
    var id = windowID(w);
    if (lastReport[id] !== undefined) {
        delete lastReport[id];
        delete changedSince[id];
        queueReport(id, "gone");
    }
});
// KWin 5 tells a change of the maximised state on the workspace only.
connectIfThereTo(workspace.clientMaximizeSet, function (w) { windowChanged(w); });
var followed = allWindows();
for (var f = 0; f < followed.length; ++f) {
    followWindow(followed[f], false);
    if (isListed(followed[f])) {
        lastReport[windowID(followed[f])] = 0;
    }
}
var existing = allWindows();
for (var e = 0; e < existing.length; ++e) {
    if (existing[e].specialWindow === true && existing[e].frameGeometryChanged !== undefined) {
        existing[e].frameGeometryChanged.connect(outputsMayHaveChanged);
    }
}
var initial = outputsSignature();
lastOutputs = initial[0];
lastAreas = initial[1];

poll();
