// The helpers' shared core (platform/wayland/helper/core.js) under Node, loaded as the
// compositors load it: as plain text in a context of its own, with fake timers and windows.
//
//   node --test tests/wayland/helper/core.test.js
"use strict";
const test = require("node:test");
const assert = require("node:assert");
const fs = require("node:fs");
const path = require("node:path");
const vm = require("node:vm");

const source = fs.readFileSync(
    path.join(__dirname, "..", "..", "..", "platform", "wayland", "helper", "core.js"), "utf8");

function loadCore() {
    const context = vm.createContext({});
    vm.runInContext(source, context);
    return vm.runInContext("PlimsettCore", context);
}
const core = loadCore();

// Records made in the core's context, compared as plain data.
function plain(value) {
    return JSON.parse(JSON.stringify(value));
}

// Timers on a clock that moves only when the test says.
function fakeTimers() {
    const timers = {
        clock: 1000,
        waiting: new Set(),
        now: () => timers.clock,
        create(callback) {
            const timer = {
                due: null,
                start(ms) {
                    timer.due = timers.clock + ms;
                    timers.waiting.add(timer);
                },
                stop() {
                    timer.due = null;
                    timers.waiting.delete(timer);
                },
                active: () => timer.due !== null,
                callback,
            };
            return timer;
        },
        // Runs every timer that falls due up to the clock + ms, in order of time.
        advance(ms) {
            const end = timers.clock + ms;
            for (;;) {
                let next = null;
                for (const t of timers.waiting) {
                    if (t.due <= end && (next === null || t.due < next.due)) {
                        next = t;
                    }
                }
                if (next === null) {
                    break;
                }
                timers.clock = next.due;
                next.stop();
                next.callback();
            }
            timers.clock = end;
        },
    };
    return timers;
}

const frame = (x, y, width, height) => ({x, y, width, height});

test("requests are refused as a whole only for their list; bad records are skipped one by one", () => {
    assert.match(core.parseMoves("{").error, /not JSON/);
    assert.match(core.parseMoves('{"id": "1"}').error, /not a list/);
    assert.match(core.parseMoves("[" + " ".repeat(1 << 20) + "]").error, /at most 1048576/);
    const many = JSON.stringify(Array.from({length: 2001}, () => ({})));
    assert.match(core.parseMoves(many).error, /2001 moves in one call; at most 2000/);
    assert.strictEqual(core.checkMoves(Array.from({length: 2000}, () => 1)).moves.length, 2000);

    const good = {frame: frame(-1000000, 0, 1, 1000000)};
    const {moves} = core.checkMoves([
        1,
        {frame: good.frame},
        {id: "w".repeat(65), frame: good.frame},
        Object.assign({id: "w".repeat(64)}, good),
        Object.assign({id: "w".repeat(64)}, good),
        {id: "b", frame: frame(0, 1000001, 10, 10)},
        {id: "c", frame: frame(0, 0, 0, 10)},
        {id: "d", frame: frame(0, NaN, 10, 10)},
        {id: "e", frame: null},
        {id: "f", frame: good.frame, maximizeVertically: "yes"},
        {id: "g", frame: good.frame, workspace: 1.5},
        {id: "h", frame: good.frame, workspace: "all"},
    ]);
    assert.deepStrictEqual(plain(moves.map((m) => [m.malformed, m.problem])), [
        [true, "move 0 is not an object"],
        [true, "move 1 has no window id (a text)"],
        [true, "move 2 has no window id (a text)"],
        [false, null],
        [false, "window " + "w".repeat(64) + " is moved twice in one call"],
        [false, "the frame's y (1000001) is outside -1000000..1000000"],
        [false, "the frame's width (0) is outside 1..1000000"],
        [false, "the frame's y is not a finite number"],
        [false, "the frame is not an object with x, y, width and height"],
        [false, "maximizeVertically is not true or false"],
        [false, "the workspace is neither \"all\" nor a whole number 0..1023"],
        [false, null],
    ]);

    const openings = core.parseOpenings(JSON.stringify([
        {appClass: "a", title: "t", frame: frame(0, 0, 10, 10), maximizeHorizontally: true},
        {appClass: "a", title: "x".repeat(4097), frame: frame(0, 0, 10, 10)},
        {appClass: "a", frame: frame(0, 0, 10, 10)},
        {appClass: "a", title: "t", frame: frame(0, 0, -1, 10)},
        "opening",
    ]));
    assert.deepStrictEqual(plain(openings.openings.map((o) => o.title)), ["t"]);
    assert.deepStrictEqual(plain(openings.skipped.map((s) => s.index)), [1, 2, 3, 4]);
    assert.match(openings.skipped[0].error, /^opening 1: .*longer than 4096/);
    assert.match(core.checkOpenings({}).error, /the openings are not a list/);
});

test("a window's changes are throttled per window and sent together", () => {
    const timers = fakeTimers();
    const sent = [];
    const reports = new core.ReportThrottle(timers, (batch) => sent.push(plain(batch)));
    reports.follow("old");
    reports.appeared("new");
    reports.changed("old");          // first change of a window that was there: at once
    reports.changed("new");          // just appeared: waits for the interval
    reports.changed("stranger");     // never told of: not reported
    timers.advance(0);
    assert.deepStrictEqual(sent, [[{id: "new", change: "appeared"}, {id: "old", change: "changed"}]]);

    // A drag: many changes in the interval, told once at its end, for each window.
    for (let i = 0; i < 10; ++i) {
        timers.advance(20);
        reports.changed("old");
        reports.changed("new");
    }
    assert.strictEqual(sent.length, 1);
    timers.advance(250);
    assert.deepStrictEqual(sent.slice(1).flat(),
                           [{id: "new", change: "changed"}, {id: "old", change: "changed"}]);

    // A window that goes is told at once and forgotten, with the change it still owed.
    reports.changed("new");
    reports.gone("new");
    reports.gone("new");
    timers.advance(1000);
    assert.deepStrictEqual(sent.slice(2).flat(), [{id: "new", change: "gone"}]);
    assert.strictEqual(reports.knows("new"), false);
});

test("a change carries the frame it had, never one made for monitors not yet announced", () => {
    const timers = fakeTimers();
    const sent = [];
    const frames = {w: frame(100, 100, 400, 300)};
    let monitors = "A+B";
    const reports = new core.ReportThrottle(timers, (batch) => sent.push(plain(batch)), {
        frameOf: (id) => frames[id] || null,
        monitorsKey: () => monitors,
    });
    reports.follow("w");
    reports.changed("w");
    timers.advance(0);
    assert.deepStrictEqual(sent.flat(), [{id: "w", change: "changed", frame: frame(100, 100, 400, 300)}]);

    // The user moves it once more inside the interval, then a monitor goes: the compositor piles
    // the window before it announces the monitors. Flushed before the announcement, the held
    // change carries the user's frame, not the piled one.
    timers.advance(50);
    frames.w = frame(900, 100, 400, 300);
    reports.changed("w");
    monitors = "A";
    frames.w = frame(10, 10, 400, 300);
    reports.changed("w");
    reports.flush();
    assert.deepStrictEqual(sent.slice(1).flat(), [{id: "w", change: "changed", frame: frame(900, 100, 400, 300)}]);

    // Once announced, frames are sent again.
    reports.monitorsAnnounced();
    timers.advance(300);
    frames.w = frame(20, 20, 400, 300);
    reports.changed("w");
    timers.advance(0);
    assert.deepStrictEqual(sent.slice(2).flat(), [{id: "w", change: "changed", frame: frame(20, 20, 400, 300)}]);
});

test("a new window takes the one opening of its application and title", () => {
    const openings = new core.Openings();
    const nobodyElse = () => false;
    openings.replace([
        {appClass: "mail", title: "Inbox", frame: frame(10.4, 20.6, 300, 200),
         maximizeVertically: true, workspace: 2},
        {appClass: "term", title: "shell", frame: frame(0, 0, 100, 100)},
        {appClass: "term", title: "shell", frame: frame(50, 0, 100, 100)},
        {appClass: "edit", title: "notes", frame: frame(0, 0, 100, 100)},
    ]);
    assert.strictEqual(openings.take("term", "shell", nobodyElse), null, "two openings match");
    assert.strictEqual(openings.take("edit", "notes", () => true), null, "an open window matches");
    assert.strictEqual(openings.take("mail", "Draft", nobodyElse), null);
    assert.deepStrictEqual(plain(openings.take("mail", "Inbox", nobodyElse)),
                           {frame: frame(10, 21, 300, 200), maximize: core.MAXIMIZE_VERTICAL,
                            workspace: 2});
    assert.strictEqual(openings.take("mail", "Inbox", nobodyElse), null, "used up");
    assert.notStrictEqual(openings.take("edit", "notes", nobodyElse), null, "kept when refused");
});

// Windows whose frames the test sets, and a compositor over them as the helpers give it.
function fakeCompositor(windows) {
    const calls = [];
    return {
        calls,
        lookup: () => (id) => windows[id] || null,
        frameOf: (w) => w.frame,
        maximizeOf: (w) => w.maximize,
        place(w, f, maximize) {
            calls.push(["place", w.id, f, maximize]);
            w.frame = Object.assign({}, f);
            w.maximize = maximize;
        },
        setFrame(w, f) {
            calls.push(["setFrame", w.id, f]);
            w.frame = Object.assign({}, f);
        },
    };
}

function confirm(compositor, timers, moves) {
    const outcome = {answers: null, failure: null, at: null};
    core.confirmMoves(compositor, timers, core.checkMoves(moves).moves, (answers) => {
        outcome.answers = plain(answers);
        outcome.at = timers.now();
    }, (reason) => {
        outcome.failure = reason;
    });
    return outcome;
}

test("a batch of moves is answered once every frame has held, or at the deadline", () => {
    const {holdMs, deadlineMs, pollMs, retryPolls} = core.confirmation;
    const timers = fakeTimers();
    const start = timers.now();
    const windows = {
        a: {id: "a", frame: frame(0, 0, 100, 100), maximize: 0},
        b: {id: "b", frame: frame(0, 0, 100, 100), maximize: 0},
    };
    const compositor = fakeCompositor(windows);
    const target = frame(200, 100, 400, 300);
    const held = confirm(compositor, timers, [
        {id: "a", frame: target},
        {id: "b", frame: frame(0, 0, 1280, 800), maximizeHorizontally: true,
         maximizeVertically: true},
        {id: "gone", frame: target},
        {id: "a", frame: frame(1, 1, 1, 1)},
    ]);
    assert.deepStrictEqual(compositor.calls.map((c) => c[0] + " " + c[1]), ["place a", "place b"]);
    timers.advance(holdMs - pollMs);
    assert.strictEqual(held.answers, null, "answered before the frames held");
    // A client's late answer puts a's old frame back; b, maximised, stays in place. The frame is
    // asked for again at the next retry, and a must hold it anew.
    windows.a.frame = frame(0, 0, 100, 100);
    timers.advance(deadlineMs);
    assert.deepStrictEqual(plain(compositor.calls.slice(2)), [["setFrame", "a", target]]);
    const reheld = start + (retryPolls + 1) * pollMs;
    assert.ok(held.at >= reheld + holdMs && held.at <= reheld + holdMs + pollMs, held.at - start);
    assert.deepStrictEqual(held.answers, [
        {id: "a", exists: true, frame: target, maximizedHorizontally: false,
         maximizedVertically: false},
        {id: "b", exists: true, frame: frame(0, 0, 1280, 800), maximizedHorizontally: true,
         maximizedVertically: true},
        {id: "gone", exists: false},
        {id: "a", exists: true, error: "window a is moved twice in one call",
         frame: target, maximizedHorizontally: false,
         maximizedVertically: false},
    ]);

    assert.ok(core.withinTolerance(frame(1, -1, 401, 299), frame(0, 0, 400, 300)));
    assert.ok(!core.withinTolerance(frame(2, 0, 400, 300), frame(0, 0, 400, 300)));

    // A frame that keeps being put back is asked for again, and the batch ends at the deadline.
    compositor.calls.length = 0;
    const stubborn = confirm(compositor, timers, [{id: "a", frame: target}]);
    const began = timers.now();
    let refused = 0;
    compositor.setFrame = (w) => { ++refused; };
    for (let t = 0; t < deadlineMs + 2 * pollMs && stubborn.answers === null; t += pollMs) {
        windows.a.frame = frame(5, 5, 100, 100);
        timers.advance(pollMs);
    }
    assert.ok(stubborn.at - began >= deadlineMs && stubborn.at - began < deadlineMs + pollMs);
    assert.deepStrictEqual(stubborn.answers[0].frame, frame(5, 5, 100, 100));
    assert.ok(refused >= Math.floor(deadlineMs / pollMs / retryPolls) - 1, String(refused));

    // A compositor that throws ends the batch with the reason.
    compositor.frameOf = () => { throw new Error("window destroyed"); };
    const broken = confirm(compositor, timers, [{id: "a", frame: target}]);
    assert.strictEqual(broken.failure, "the moves failed: window destroyed");
    assert.strictEqual(timers.waiting.size, 0, "nothing left waiting");
});
