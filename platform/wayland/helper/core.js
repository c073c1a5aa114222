// What every Plimsett helper inside a compositor does the same way, whatever the compositor:
// checking the requests that come over the bus, telling whether a window is where it was sent,
// confirming a batch of moves, choosing which saved opening a new window takes, and throttling
// the reports of a window's changes. The build puts this text in front of each helper (the GNOME
// Shell extension and the KWin script); each helper hands it its compositor's functions.
//
// It runs in KWin 5.27's script engine as well as in GJS, so it keeps to plain ES5 functions and
// objects. Maximise states here are bits, MAXIMIZE_HORIZONTAL | MAXIMIZE_VERTICAL; each helper
// converts its compositor's own numbering. Time is in milliseconds, from the helper's timers.
//
// A timer, as the helpers make them with timers.create(callback): start(ms) runs the callback
// once after ms (0: as soon as the compositor is idle) and restarts a timer already running,
// stop() cancels it, active() tells whether it is waiting. timers.now() is a monotonic clock.
var PlimsettCore = (function () {
    "use strict";

    var MAXIMIZE_HORIZONTAL = 1;
    var MAXIMIZE_VERTICAL = 2;

    // What a request may hold. Anything beyond is refused before any work is done: a helper runs
    // inside the compositor, where a stall or an exception is the user's whole session.
    var limits = {
        requestChars: 1 << 20,
        records: 2000,
        coordinate: 1000000,
        text: 4096,
        windowId: 64,
        // Workspaces are numbered from 0 below this; "all" is every one of them.
        workspaces: 1024
    };

    // The edge tolerance under which a window counts as in place.
    var tolerance = 2;

    // A batch of moves is answered once every window has shown its frame for holdMs without a
    // break, or at deadlineMs with where the windows are by then. The hold is there because a
    // client's late answer to an earlier configure (an un-maximise, say) can put its old frame
    // back some 50 ms after the new one showed (Mutter 48 on Wayland). Every retryPolls checks,
    // a plain frame that is not in place is asked for again.
    var confirmation = {
        holdMs: 150,
        deadlineMs: 1500,
        pollMs: 15,
        retryPolls: 10
    };

    // A window's changes are told at most this often (a drag is one report a quarter second).
    var reportIntervalMs = 250;

    function rect(r) {
        return {x: r.x, y: r.y, width: r.width, height: r.height};
    }

    function isRecord(value) {
        return value !== null && typeof value === "object" && !Array.isArray(value);
    }

    function withinTolerance(a, b) {
        return Math.abs(a.x - b.x) < tolerance && Math.abs(a.y - b.y) < tolerance &&
               Math.abs(a.width - b.width) < tolerance &&
               Math.abs(a.height - b.height) < tolerance;
    }

    function centreInside(frame, target) {
        var cx = frame.x + frame.width / 2;
        var cy = frame.y + frame.height / 2;
        return cx >= target.x && cx <= target.x + target.width && cy >= target.y &&
               cy <= target.y + target.height;
    }

    // Why a requested frame cannot be used, or null when it can: four numbers, the position
    // within reach of any real monitor, the size positive.
    function frameProblem(frame) {
        if (!isRecord(frame)) {
            return "the frame is not an object with x, y, width and height";
        }
        var keys = ["x", "y", "width", "height"];
        for (var i = 0; i < keys.length; ++i) {
            var value = frame[keys[i]];
            if (typeof value !== "number" || !isFinite(value)) {
                return "the frame's " + keys[i] + " is not a finite number";
            }
            var low = i >= 2 ? 1 : -limits.coordinate;
            if (value < low || value > limits.coordinate) {
                return "the frame's " + keys[i] + " (" + value + ") is outside " + low + ".." +
                       limits.coordinate;
            }
        }
        return null;
    }

    // Why a move or an opening cannot be used, or null: its frame, then its maximise flags.
    function placementProblem(request) {
        var problem = frameProblem(request.frame);
        if (problem !== null) {
            return problem;
        }
        var flags = ["maximizeHorizontally", "maximizeVertically"];
        for (var i = 0; i < flags.length; ++i) {
            if (request[flags[i]] !== undefined && typeof request[flags[i]] !== "boolean") {
                return flags[i] + " is not true or false";
            }
        }
        var w = request.workspace;
        if (w !== undefined && w !== null && w !== "all" &&
            !(typeof w === "number" && Math.floor(w) === w && w >= 0 && w < limits.workspaces)) {
            return "the workspace is neither \"all\" nor a whole number 0.." +
                   (limits.workspaces - 1);
        }
        return null;
    }

    // A window's workspace as the wire has it: its number from 0, "all", or null when the
    // compositor has no say (never a number it cannot tell).
    function workspaceOf(onAll, index) {
        if (onAll === true) {
            return "all";
        }
        return typeof index === "number" && index >= 0 ? index : null;
    }

    // Where a usable move or opening puts its window: the frame in whole units, the maximise bits.
    function placementOf(request) {
        return {
            frame: {x: Math.round(request.frame.x), y: Math.round(request.frame.y),
                    width: Math.round(request.frame.width),
                    height: Math.round(request.frame.height)},
            maximize: (request.maximizeHorizontally === true ? MAXIMIZE_HORIZONTAL : 0) |
                      (request.maximizeVertically === true ? MAXIMIZE_VERTICAL : 0),
            // A number, "all", or null: leave the window on the workspace where it is.
            workspace: request.workspace === undefined ? null : request.workspace
        };
    }

    // The list a request carries, or the reason it is refused as a whole. Its records are checked
    // one by one: a bad one is skipped with its reason, not the whole list.
    function checkList(list, what) {
        if (!Array.isArray(list)) {
            return {error: "the " + what + "s are not a list"};
        }
        if (list.length > limits.records) {
            return {error: list.length + " " + what + "s in one call; at most " + limits.records +
                           " are taken"};
        }
        return {list: list};
    }

    // The same, from the JSON text of a request.
    function parseList(json, what) {
        if (typeof json !== "string" || json.length > limits.requestChars) {
            return {error: "the " + what + "s are not a text of at most " + limits.requestChars +
                           " characters"};
        }
        var list;
        try {
            list = JSON.parse(json);
        } catch (e) {
            return {error: "the " + what + "s are not JSON: " + e.message};
        }
        return checkList(list, what);
    }

    // The moves of a request, each {request, id, problem, malformed}: problem is why it cannot be
    // done, or null; malformed, that the record is no move at all (not an object, no window id).
    // A window is moved at most once per request. Or {error} when the list is refused as a whole.
    function checkMoves(list) {
        var checked = checkList(list, "move");
        if (checked.error !== undefined) {
            return checked;
        }
        var seen = Object.create(null);
        var moves = [];
        for (var i = 0; i < checked.list.length; ++i) {
            var request = checked.list[i];
            var move = {request: isRecord(request) ? request : {},
                        id: isRecord(request) && typeof request.id === "string" ? request.id : "",
                        problem: null, malformed: true};
            if (!isRecord(request)) {
                move.problem = "move " + i + " is not an object";
            } else if (typeof request.id !== "string" || request.id.length === 0 ||
                       request.id.length > limits.windowId) {
                move.problem = "move " + i + " has no window id (a text)";
            } else {
                move.malformed = false;
                if (seen[request.id] === true) {
                    move.problem = "window " + request.id + " is moved twice in one call";
                } else {
                    seen[request.id] = true;
                    move.problem = placementProblem(request);
                }
            }
            moves.push(move);
        }
        return {moves: moves};
    }

    // The openings of a request that can be used, and the reasons of those skipped
    // ([{index, error}]); or {error} when the list is refused as a whole.
    function checkOpenings(list) {
        var checked = checkList(list, "opening");
        if (checked.error !== undefined) {
            return checked;
        }
        var openings = [];
        var skipped = [];
        for (var i = 0; i < checked.list.length; ++i) {
            var o = checked.list[i];
            var problem;
            if (!isRecord(o)) {
                problem = "it is not an object";
            } else if (typeof o.appClass !== "string" || typeof o.title !== "string") {
                problem = "it has no application and title (texts)";
            } else if (o.appClass.length > limits.text || o.title.length > limits.text) {
                problem = "its application or title is longer than " + limits.text +
                          " characters";
            } else {
                problem = placementProblem(o);
            }
            if (problem !== null) {
                skipped.push({index: i, error: "opening " + i + ": " + problem});
            } else {
                openings.push(o);
            }
        }
        return {openings: openings, skipped: skipped};
    }

    // Where windows that open should go, as the program last said. A window that has just
    // appeared takes the frame of the one opening of its application and title, unless another
    // open window has them too (then the program's matcher decides); that opening is used up.
    function Openings() {
        this._list = [];
    }

    Openings.prototype.replace = function (openings) {
        this._list = openings.slice();
    };

    Openings.prototype.clear = function () {
        this._list = [];
    };

    // The placement for a window of this application and title, or null. anotherWindowHas(
    // appClass, title) tells whether an open window other than the new one has them.
    Openings.prototype.take = function (appClass, title, anotherWindowHas) {
        var found = -1;
        for (var i = 0; i < this._list.length; ++i) {
            if (this._list[i].appClass === appClass && this._list[i].title === title) {
                if (found >= 0) {
                    return null;
                }
                found = i;
            }
        }
        if (found < 0 || anotherWindowHas(appClass, title)) {
            return null;
        }
        return placementOf(this._list.splice(found, 1)[0]);
    };

    // One move under confirmation.
    function PendingMove(checked) {
        this.id = checked.id;
        this.problem = checked.problem;
        this.placement = checked.problem === null ? placementOf(checked.request) : null;
        this.inPlace = false;
        this.inPlaceSince = null;
    }

    // A window to maximise again is in place when it is maximised those ways with its centre in
    // the target, any other one when its frame is the target.
    PendingMove.prototype.isInPlace = function (compositor, window) {
        var frame = compositor.frameOf(window);
        var maximize = this.placement.maximize;
        if (maximize !== 0) {
            return (compositor.maximizeOf(window) & maximize) === maximize &&
                   centreInside(frame, this.placement.frame);
        }
        return withinTolerance(frame, this.placement.frame);
    };

    // Whether the move is settled: nothing to do, the window gone, or in place for holdMs.
    PendingMove.prototype.isHeld = function (compositor, window, now) {
        if (this.placement === null || window === null) {
            return true;
        }
        this.inPlace = this.isInPlace(compositor, window);
        if (!this.inPlace) {
            this.inPlaceSince = null;
            return false;
        }
        if (this.inPlaceSince === null) {
            this.inPlaceSince = now;
        }
        return now - this.inPlaceSince >= confirmation.holdMs;
    };

    PendingMove.prototype.answer = function (compositor, window) {
        var answer = {id: this.id, exists: window !== null};
        if (this.problem !== null) {
            answer.error = this.problem;
        }
        if (window !== null) {
            var flags = compositor.maximizeOf(window);
            answer.frame = rect(compositor.frameOf(window));
            answer.maximizedHorizontally = (flags & MAXIMIZE_HORIZONTAL) !== 0;
            answer.maximizedVertically = (flags & MAXIMIZE_VERTICAL) !== 0;
        }
        return answer;
    };

    // Carries out checkMoves' moves and confirms them; calls done(answers) with one answer per
    // move, in order, or failed(reason) when the compositor threw. The compositor's functions:
    //   lookup()                 a function from a window id to the window, or null; taken anew
    //                            on every check, so that a window that closed is done with
    //   frameOf(window)          its frame, a rectangle
    //   maximizeOf(window)       its maximise bits
    //   place(window, frame, maximize, workspace)  gives it the frame, puts it on the workspace
    //                            (a number, "all", or null to leave it), then maximises it
    //   setFrame(window, frame)  asks once more for a plain frame
    // Returns {cancel()}, which drops the batch unanswered.
    function confirmMoves(compositor, timers, checkedMoves, done, failed) {
        var moves = [];
        var lookup = compositor.lookup();
        for (var i = 0; i < checkedMoves.length; ++i) {
            var move = new PendingMove(checkedMoves[i]);
            var window = move.placement !== null ? lookup(move.id) : null;
            if (window !== null) {
                compositor.place(window, move.placement.frame, move.placement.maximize,
                                 move.placement.workspace);
            }
            moves.push(move);
        }
        var started = timers.now();
        var polls = 0;
        var timer = null;

        // Every move is looked at on every check, so that each one's hold is timed.
        function allHeld() {
            lookup = compositor.lookup();
            var now = timers.now();
            var held = true;
            for (var j = 0; j < moves.length; ++j) {
                var id = moves[j].id;
                held = moves[j].isHeld(compositor, id !== "" ? lookup(id) : null, now) && held;
            }
            return held;
        }

        function answers() {
            var result = [];
            for (var k = 0; k < moves.length; ++k) {
                var id = moves[k].id;
                result.push(moves[k].answer(compositor, id !== "" ? lookup(id) : null));
            }
            return result;
        }

        // Asks again for the plain frames that are not in place: a client may still answer the
        // configure of an un-maximise with its old size after the move was asked for.
        function retry() {
            for (var k = 0; k < moves.length; ++k) {
                var m = moves[k];
                if (m.placement !== null && m.placement.maximize === 0 && !m.inPlace) {
                    var w = lookup(m.id);
                    if (w !== null) {
                        compositor.setFrame(w, m.placement.frame);
                    }
                }
            }
        }

        function check() {
            try {
                if (allHeld() || timers.now() - started >= confirmation.deadlineMs) {
                    done(answers());
                    return;
                }
                if (++polls % confirmation.retryPolls === 0) {
                    retry();
                }
                timer.start(confirmation.pollMs);
            } catch (e) {
                failed("the moves failed: " + (e && e.message !== undefined ? e.message : e));
            }
        }

        timer = timers.create(check);
        try {
            if (allHeld()) {
                done(answers());
                return {cancel: function () {}};
            }
        } catch (e) {
            failed("the moves failed: " + (e && e.message !== undefined ? e.message : e));
            return {cancel: function () {}};
        }
        timer.start(confirmation.pollMs);
        return {cancel: function () { timer.stop(); }};
    }

    // Tells the program of the windows that appear, change or go, throttled per window: an
    // appearance or a departure at once, a change at most every reportIntervalMs (the last change
    // of a burst is told when the interval is over). Reports that fall together are sent as one
    // list of {id, change}. Only windows it has been told of (follow or appeared) are reported.
    //
    // With `look` ({frameOf(id), monitorsKey()}), a change also carries the window's frame as it
    // was when the change happened. A compositor moves windows off a monitor that went before it
    // announces the new monitors, so a frame read while the monitors differ from the ones last
    // announced (monitorsAnnounced()) is never sent: the program keeps what a window's frame was
    // before a monitor change, and never takes the compositor's piling for the user's doing.
    function ReportThrottle(timers, send, look) {
        this._timers = timers;
        this._send = send;
        this._look = look || null;
        this._monitorsKey = this._readMonitorsKey();
        this._lastReport = Object.create(null);
        this._changedSince = Object.create(null);
        this._frames = Object.create(null);
        this._queue = [];
        var self = this;
        this._flushTimer = timers.create(function () { self._flush(); });
        this._trailingTimer = timers.create(function () { self._reportTrailing(); });
    }

    ReportThrottle.prototype._readMonitorsKey = function () {
        try {
            return this._look ? String(this._look.monitorsKey()) : null;
        } catch (e) {
            return null;
        }
    };

    // Keeps the window's frame now, unless the monitors changed unannounced; a frame kept before
    // such a change stays.
    ReportThrottle.prototype._keepFrame = function (id) {
        if (!this._look) {
            return;
        }
        var key = this._readMonitorsKey();
        if (key === null || key !== this._monitorsKey) {
            return;
        }
        var frame = null;
        try {
            frame = this._look.frameOf(id);
        } catch (e) {
            frame = null;
        }
        if (frame && isFinite(frame.x) && isFinite(frame.y) && frame.width > 0 &&
            frame.height > 0 && isFinite(frame.width) && isFinite(frame.height)) {
            this._frames[id] = rect(frame);
        }
    };

    // A window that was there before: its first change is told at once.
    ReportThrottle.prototype.follow = function (id) {
        if (!(id in this._lastReport)) {
            this._lastReport[id] = null;
        }
    };

    ReportThrottle.prototype.knows = function (id) {
        return id in this._lastReport;
    };

    ReportThrottle.prototype.appeared = function (id) {
        this._lastReport[id] = this._timers.now();
        this._enqueue(id, "appeared");
    };

    ReportThrottle.prototype.changed = function (id) {
        if (!(id in this._lastReport)) {
            return;
        }
        this._keepFrame(id);
        var last = this._lastReport[id];
        var now = this._timers.now();
        if (last === null || now - last >= reportIntervalMs) {
            this._lastReport[id] = now;
            this._enqueue(id, "changed");
            return;
        }
        this._changedSince[id] = true;
        if (!this._trailingTimer.active()) {
            this._trailingTimer.start(reportIntervalMs);
        }
    };

    ReportThrottle.prototype.gone = function (id) {
        if (!(id in this._lastReport)) {
            return;
        }
        delete this._lastReport[id];
        delete this._changedSince[id];
        delete this._frames[id];
        this._enqueue(id, "gone");
    };

    // Sends at once every change held back and everything queued: called before a monitor
    // change is announced, so that what came before it reaches the program first.
    ReportThrottle.prototype.flush = function () {
        var now = this._timers.now();
        for (var id in this._changedSince) {
            this._lastReport[id] = now;
            this._enqueue(id, "changed");
        }
        this._changedSince = Object.create(null);
        this._trailingTimer.stop();
        this._flushTimer.stop();
        this._flush();
    };

    // The monitors now are the ones the program was told of.
    ReportThrottle.prototype.monitorsAnnounced = function () {
        this._monitorsKey = this._readMonitorsKey();
    };

    ReportThrottle.prototype.stop = function () {
        this._flushTimer.stop();
        this._trailingTimer.stop();
        this._queue = [];
        this._lastReport = Object.create(null);
        this._changedSince = Object.create(null);
        this._frames = Object.create(null);
    };

    ReportThrottle.prototype._reportTrailing = function () {
        var now = this._timers.now();
        var waiting = false;
        for (var id in this._changedSince) {
            if (now - this._lastReport[id] >= reportIntervalMs) {
                this._lastReport[id] = now;
                delete this._changedSince[id];
                this._enqueue(id, "changed");
            } else {
                waiting = true;
            }
        }
        if (waiting) {
            this._trailingTimer.start(reportIntervalMs);
        }
    };

    ReportThrottle.prototype._enqueue = function (id, change) {
        var report = {id: id, change: change};
        if (change === "changed" && this._frames[id]) {
            report.frame = this._frames[id];
        }
        delete this._frames[id];
        this._queue.push(report);
        if (!this._flushTimer.active()) {
            this._flushTimer.start(0);
        }
    };

    ReportThrottle.prototype._flush = function () {
        var batch = this._queue;
        this._queue = [];
        if (batch.length > 0) {
            this._send(batch);
        }
    };

    return {
        MAXIMIZE_HORIZONTAL: MAXIMIZE_HORIZONTAL,
        MAXIMIZE_VERTICAL: MAXIMIZE_VERTICAL,
        limits: limits,
        confirmation: confirmation,
        reportIntervalMs: reportIntervalMs,
        rect: rect,
        isRecord: isRecord,
        withinTolerance: withinTolerance,
        centreInside: centreInside,
        checkMoves: checkMoves,
        placementOf: placementOf,
        workspaceOf: workspaceOf,
        parseMoves: function (json) {
            var parsed = parseList(json, "move");
            return parsed.error !== undefined ? parsed : checkMoves(parsed.list);
        },
        checkOpenings: checkOpenings,
        parseOpenings: function (json) {
            var parsed = parseList(json, "opening");
            return parsed.error !== undefined ? parsed : checkOpenings(parsed.list);
        },
        Openings: Openings,
        confirmMoves: confirmMoves,
        ReportThrottle: ReportThrottle
    };
})();
