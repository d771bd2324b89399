#!/usr/bin/python3
"""The plug-in's window in real windows, driven like a user would.

  plugin_editor_checks.py --host HOST --plugin PLUGIN [--golden PNG] [--wine PREFIX] --workdir DIR CHECK

CHECK is one of
  window    (silence, so the meters stay at rest) the window shows exactly the headless render
            GOLDEN; clicks and drags on Power, Oversample, Bits, the meter mode button,
            TransShape and the Drive knob reach the host as automation (inside begin/end where
            the control sends them) with the exact values; a parameter set by the host redraws
            its controls and nothing else;
  meters    (a full-scale sine, Drive raised) the level meters, their readouts and the
            gain-reduction meter leave their rest pictures;
  store     a right click on a preference button writes the six metering settings to the
            user's store and lights the seven preference controls for about half a second;
            the rocker and the program menu select programs and make the host re-read the
            names; a name typed into the name field renames the program; a double click on
            the default-bank button stores the default bank, a single click does not;
  cycles    the window opened and closed N times (--cycles, 200) while audio runs and the host
            automates Drive from a thread: no crash, no X11 window, client or descriptor left;
  wine      under wine64: the window shows GOLDEN too, a click on Power reaches the host, the
            native edit box renames the program, and a right click on a preference button puts
            the six settings into the registry.
Each check gets a user store of its own (XDG_CONFIG_HOME under DIR; under wine the key is
deleted first). Exit status 0 on success, 1 on failure, 77 when Xvfb, xdotool, wine or a build
is missing.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_driver as d  # noqa: E402

# Window rectangles (left, top, right, bottom; right and bottom excluded).
POWER = (245, 400, 280, 435)
OVERSAMPLE = (81, 40, 114, 59)
BITS = (412, 72, 445, 103)
MODE = (223, 305, 258, 367)
TRANS_SHAPE = (38, 121, 128, 146)
DRIVE_KNOB = (52, 349, 108, 404)
DRIVE_FIELD = (43, 409, 117, 427)
METER_IN = (147, 38, 207, 408)
METER_OUT = (319, 38, 379, 406)
METER_GR = (233, 39, 291, 192)
LCD_IN = (131, 415, 224, 426)
LCD_OUT = (303, 415, 396, 426)
LCD_GR = (217, 199, 310, 210)
POST_METER = (116, 368, 134, 392)
# The seven controls the preference flash lights.
PREFERENCE_CONTROLS = {
    "AttZoom": (269, 265, 302, 284),
    "AttShow 1": (224, 265, 257, 284),
    "AttShow 2": (224, 230, 257, 249),
    "AttShow L": (269, 230, 302, 249),
    "MeterOvs": (269, 307, 302, 326),
    "PostMeter": POST_METER,
    "meter mode": MODE,
}
NAME_FIELD = (194, 447, 318, 461)
PROGRAM_MENU = (320, 448, 333, 460)
ROCKER = (340, 447, 370, 460)
DEFAULT_BANK = (39, 447, 71, 460)
# Somewhere on the screen outside the window, where the pointer hovers over nothing.
AWAY = (700, 600)

# Parameter indices.
OUTPUT, DRIVE, TRANS_SHAPE_P, OVERSAMPLE_P, POWER_P, SCALE, BITS_P = 0, 1, 4, 6, 8, 9, 10
METER_OVS, METER_TYPE, ATT_ZOOM, ATT_SHOW, POST_METER_P = 14, 18, 19, 20, 21
# The stored metering settings: value name, parameter, steps.
METERING = [("Metering_Scale", SCALE, 3), ("Metering_Type", METER_TYPE, 2), ("Metering_Zoom", ATT_ZOOM, 2),
            ("Metering_AttShow", ATT_SHOW, 8), ("Metering_Recon", METER_OVS, 2), ("Metering_Post", POST_METER_P, 2)]
STORE_KEY = r"HKCU\SOFTWARE\Korvan\Korvanstellix"


def f32(x):
    """x rounded to single precision, as the plug-in computes it."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def step_index(v, n):
    return min(int(f32(n * v)), n - 1)


def step_centre(i, n):
    return f32(f32(i / n) + f32(0.5 / n))


def centre(rect):
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


# ---- pictures


def differing(a, b, width):
    """The (x, y) of every pixel whose RGB differs between the row lists a and b."""
    out = []
    for y, (ra, rb) in enumerate(zip(a, b)):
        if ra != rb:
            out += [(x, y) for x in range(width) if ra[x * 4:x * 4 + 3] != rb[x * 4:x * 4 + 3]]
    return out


def inside(point, rect):
    return rect[0] <= point[0] < rect[2] and rect[1] <= point[1] < rect[3]


def bounds(points):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1)


def write_png(path, width, height, rows):
    """Writes RGBA rows (bytes of 4 * width) as an 8-bit RGBA PNG."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + bytes(row) for row in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def mark_differences(path, rows, points):
    """Writes rows with the differing points in magenta, for a person to look at."""
    marked = [bytearray(row) for row in rows]
    for x, y in points:
        marked[y][x * 4:x * 4 + 4] = b"\xff\x00\xff\xff"
    write_png(path, len(rows[0]) // 4, len(rows), marked)


class Check:
    """One host session on the plug-in: the window, its log and its pictures."""

    def __init__(self, args, session, host_args=(), env_changes=None, say=print):
        self.args, self.session, self.say = args, session, say
        self.log = os.path.join(args.workdir, "events.log")
        self.host = session.host(args.host, args.plugin, ["--log", self.log] + list(host_args), env_changes)
        self.size = self.host.ready()
        self.window = d.find_window(session.env)
        self.seen = 0
        self.shots = 0

    # The host

    def settle(self, ms=150):
        """Lets the host run (events, idles, redraws) for ms, then waits for everything sent."""
        self.host.ask(f"wait {ms}")
        self.host.sync()

    def get(self, index):
        return f32(float(self.host.ask(f"get {index}").split()[-1]))

    def set(self, index, value):
        self.host.ask(f"param {index} {value}")

    def program_name(self):
        line = self.host.ask("program-name")
        return line[len("ok program-name "):] if line.startswith("ok program-name ") else ""

    def new_events(self):
        """The events logged since the last call."""
        events = d.read_log(self.log)
        fresh, self.seen = events[self.seen:], len(events)
        return fresh

    def shot(self, name):
        self.shots += 1
        path = os.path.join(self.args.workdir, f"{self.shots:02d}-{name}.png")
        self.host.screenshot(path)
        width, height, rows = d.read_png(path)
        if (width, height) != self.size:
            raise d.DriverError(f"{path} is {width}x{height}, the window {self.size}")
        return rows

    # The user

    def move_away(self):
        d.xdo(self.session.env, "mousemove", "--window", self.window, *AWAY)

    def click(self, x, y, button=1):
        d.click(self.session.env, self.window, x, y, button)

    def drag(self, x, y, dx, dy):
        d.drag(self.session.env, self.window, x, y, dx, dy)

    def quit(self):
        status = self.host.quit()
        if status != 0:
            raise d.DriverError(f"the host exited with status {status}: {self.host.stderr()}")


def expect_equal_pictures(check, rows, golden, name):
    width, height, expected = d.read_png(golden)
    if (width, height) != check.size:
        raise d.DriverError(f"{golden} is {width}x{height}, the window {check.size}")
    points = differing(rows, expected, width)
    if points:
        marked = os.path.join(check.args.workdir, f"{name}-differences.png")
        mark_differences(marked, rows, points)
        raise d.DriverError(f"{name}: {len(points)} pixels differ from {os.path.basename(golden)} inside "
                            f"{bounds(points)}, first at {points[0]} (marked in {marked})")


def expect_changes_only(check, before, after, rects, what):
    """after differs from before inside every rectangle of rects, and nowhere else."""
    points = differing(before, after, check.size[0])
    outside = [p for p in points if not any(inside(p, r) for r in rects.values())]
    if outside:
        raise d.DriverError(f"{what}: {len(outside)} pixels changed outside {sorted(rects)}, inside {bounds(outside)}")
    unchanged = [name for name, r in rects.items() if not any(inside(p, r) for p in points)]
    if unchanged:
        raise d.DriverError(f"{what}: nothing changed in {unchanged}")


# ---- gestures and what the host hears


def automations(events, index):
    # The log prints floats with 9 digits: back to single precision they are exact.
    return [f32(v) for _, kind, i, v in events if kind == "automate" and i == index]


def expect_gesture(check, what, expected, edits):
    """The events since the last look: automation of each index in expected ending on its value
    (exactly), nothing else automated; with edits, begin and end around them."""
    check.settle()
    events = check.new_events()
    problems = d.edit_gestures(events)
    automated = {i for _, kind, i, _ in events if kind == "automate"}
    if problems:
        raise d.DriverError(f"{what}: " + "; ".join(problems))
    if automated != set(expected):
        raise d.DriverError(f"{what}: automated {sorted(automated)}, expected {sorted(expected)}: {events}")
    for index, value in expected.items():
        got = automations(events, index)[-1]
        if got != value:
            raise d.DriverError(f"{what}: parameter {index} ended on {got!r}, expected {value!r}")
        if check.get(index) != value:
            raise d.DriverError(f"{what}: the effect holds {check.get(index)!r} for {index}, expected {value!r}")
    if edits:
        begun = {i for _, kind, i, _ in events if kind == "begin"}
        if not begun >= set(edits):
            raise d.DriverError(f"{what}: no begin/end edit of {sorted(set(edits) - begun)}: {events}")
    check.say(f"{what}: " + ", ".join(f"{i} -> {v:.9g}" for i, v in expected.items()) +
              (" inside begin/end" if edits else ""))


def check_window(args, say):
    with d.Session(args.workdir) as session:
        env = {"XDG_CONFIG_HOME": fresh_store(args)}
        check = Check(args, session, ["--signal", "silence"], env, say)
        check.move_away()
        check.settle(300)
        rows = check.shot("open")
        expect_equal_pictures(check, rows, args.golden, "open")
        say(f"window {check.size[0]}x{check.size[1]} equals {os.path.basename(args.golden)} pixel for pixel")
        check.new_events()

        # Two-state buttons: Power toggles its step, Oversample jumps between 0 and 1.
        power = check.get(POWER_P)
        check.click(*centre(POWER))
        expect_gesture(check, "Power click", {POWER_P: step_centre(1 - step_index(power, 2), 2)}, ())
        oversample = check.get(OVERSAMPLE_P)
        check.click(*centre(OVERSAMPLE))
        expect_gesture(check, "Oversample click", {OVERSAMPLE_P: 0.0 if int(oversample) == 1 else 1.0}, ())

        # Bits at "24": the upper arrow keeps it, a click in the middle strip wraps to "8".
        if step_index(check.get(BITS_P), 5) != 4:
            raise d.DriverError(f"the default program's Bits is {check.get(BITS_P)}, not \"24\"")
        check.click(BITS[0] + 16, BITS[1] + 8)
        check.settle()
        if any(v != step_centre(4, 5) for v in automations(check.new_events(), BITS_P)):
            raise d.DriverError("the upper arrow of Bits at \"24\" changed it")
        check.click(BITS[0] + 16, BITS[1] + 18)
        expect_gesture(check, "Bits middle click", {BITS_P: step_centre(0, 5)}, (BITS_P,))

        # The meter mode button: the upper arrow raises Scale and selects the K-system, the top
        # part selects peak metering.
        scale = step_index(check.get(SCALE), 3)
        check.click(MODE[0] + 17, MODE[1] + 38)
        expect_gesture(check, "meter mode up arrow",
                       {SCALE: step_centre(min(scale + 1, 2), 3), METER_TYPE: step_centre(1, 2)}, ())
        check.click(MODE[0] + 17, MODE[1] + 8)
        expect_gesture(check, "meter mode top", {METER_TYPE: step_centre(0, 2)}, ())

        # TransShape: the right box, a press between boxes (nothing), the left box.
        check.click(113, 131)
        expect_gesture(check, "TransShape right box", {TRANS_SHAPE_P: step_centre(2, 3)}, ())
        check.click(60, 130)
        expect_gesture(check, "TransShape between boxes", {}, ())
        check.click(47, 131)
        expect_gesture(check, "TransShape left box", {TRANS_SHAPE_P: step_centre(0, 3)}, ())

        # The Drive knob dragged 60 pixels up: 400 pixels cover its range.
        drive = check.get(DRIVE)
        check.drag(*centre(DRIVE_KNOB), 0, -60)
        expect_gesture(check, "Drive drag up", {DRIVE: f32(drive + f32(60 / 400))}, (DRIVE,))

        # The host sets Drive and Power: their controls redraw, nothing else does.
        check.move_away()
        check.settle()
        before = check.shot("before-host-changes")
        check.set(DRIVE, 1.0)
        check.set(POWER_P, step_centre(1 - step_index(check.get(POWER_P), 2), 2))
        check.settle()
        after = check.shot("after-host-changes")
        expect_changes_only(check, before, after,
                            {"Drive knob": DRIVE_KNOB, "Drive field": DRIVE_FIELD, "Power": POWER},
                            "host sets Drive and Power")
        if any(kind != "display" for _, kind, _, _ in check.new_events()):
            raise d.DriverError("parameters set by the host came back as automation")
        say("host sets Drive and Power: the knob, the value field and the button redraw, nothing else")
        check.quit()


def check_meters(args, say):
    with d.Session(args.workdir) as session:
        env = {"XDG_CONFIG_HOME": fresh_store(args)}
        check = Check(args, session, ["--signal", "sine", "--level", "0"], env, say)
        check.move_away()
        check.set(DRIVE, 1.0)
        check.settle(600)
        _, _, rest = d.read_png(args.golden)
        loud = check.shot("loud")
        points = differing(rest, loud, check.size[0])
        areas = {"input meter": METER_IN, "output meter": METER_OUT, "gain-reduction meter": METER_GR,
                 "input readout": LCD_IN, "output readout": LCD_OUT, "gain-reduction readout": LCD_GR}
        still = [name for name, r in areas.items() if not any(inside(p, r) for p in points)]
        if still:
            raise d.DriverError(f"with a loud signal these stay at rest: {still}")
        # The gain-reduction bars grow down from the top of the meter.
        top = [p for p in points if inside(p, METER_GR) and p[1] < METER_GR[1] + 40]
        if not top:
            raise d.DriverError("the gain-reduction meter shows no reduction near its top")
        say(f"loud signal, Drive +24 dB: meters and readouts leave their rest pictures "
            f"({len(points)} pixels; {len(top)} at the top of the gain-reduction meter)")
        check.quit()


def store_folder(args):
    return os.path.join(args.workdir, "config", "Korvan", "Korvanstellix")


def fresh_store(args):
    path = os.path.join(args.workdir, "config")
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def metering_expected(check):
    return {name: step_index(check.get(index), steps) for name, index, steps in METERING}


def flash_preferences(check, what):
    """Right-clicks PostMeter: the seven preference controls light and go dark again after
    half a second; PostMeter keeps its value."""
    post = check.get(POST_METER_P)
    d.xdo(check.session.env, "mousemove", "--window", check.window, *centre(POST_METER))
    check.settle()
    before = check.shot(f"{what}-before")
    check.new_events()
    check.click(*centre(POST_METER), button=3)
    check.settle(100)
    lit = check.shot(f"{what}-lit")
    expect_changes_only(check, before, lit, PREFERENCE_CONTROLS, f"{what}: preference flash")
    time.sleep(0.6)
    check.settle()
    dark = check.shot(f"{what}-dark")
    if differing(before, dark, check.size[0]):
        raise d.DriverError(f"{what}: the preference controls are still lit after 600 ms")
    if check.get(POST_METER_P) != post or automations(check.new_events(), POST_METER_P):
        raise d.DriverError(f"{what}: the right click changed PostMeter")


def check_store(args, say):
    with d.Session(args.workdir) as session:
        env = {"XDG_CONFIG_HOME": fresh_store(args)}
        folder = store_folder(args)
        check = Check(args, session, ["--signal", "silence"], env, say)
        check.move_away()
        check.settle()

        # Metering preferences: a non-default view first, so that the stored numbers tell.
        check.set(SCALE, step_centre(2, 3))
        check.set(ATT_SHOW, step_centre(5, 8))
        check.set(ATT_ZOOM, step_centre(1, 2))
        expected = metering_expected(check)
        flash_preferences(check, "preferences")
        stored = {}
        for name in expected:
            path = os.path.join(folder, "PREFS", name)
            if not os.path.exists(path):
                raise d.DriverError(f"the right click wrote no {path}")
            stored[name] = int(open(path).read().strip())
        if stored != expected:
            raise d.DriverError(f"stored {stored}, expected {expected}")
        say("right click on PostMeter: the seven preference controls light for half a second; stored " +
            ", ".join(f"{k}={v}" for k, v in stored.items()))

        # The rocker's right half: the next program, the host told to re-read the names.
        check.new_events()
        check.click(ROCKER[2] - 6, centre(ROCKER)[1])
        check.settle()
        expect_program(check, "Limiter Smooth", "rocker right half")

        # The program menu: a click opens it above the bar in columns of 12 entries, a click on
        # entry 13 (second column, second row) chooses it.
        check.move_away()
        check.settle()
        closed = check.shot("menu-closed")
        check.click(*centre(PROGRAM_MENU))
        check.settle()
        opened = check.shot("menu-open")
        box = [p for p in differing(closed, opened, check.size[0]) if p[1] < NAME_FIELD[1]]
        if not box:
            raise d.DriverError("a click on the program menu opened nothing")
        left, top, right, bottom = bounds(box)
        row, column = (bottom - top - 2) / 12, (right - left - 2) / 3
        check.click(int(left + 1 + 1.5 * column), int(top + 1 + 1.5 * row))
        check.settle()
        expect_program(check, "TV Limiter", "program menu entry 13")

        # Renaming: 30 characters typed; the program keeps 23.
        typed = "Night Drive Master 2024 abcdef"
        check.click(*centre(NAME_FIELD))
        check.settle()
        d.xdo(session.env, "type", "--delay", "5", typed)
        d.xdo(session.env, "key", "Return")
        check.settle()
        name = check.program_name()
        if name != typed[:23]:
            raise d.DriverError(f"typing {typed!r} into the name field named the program {name!r}, "
                                f"expected {typed[:23]!r}")
        say(f"name field: {len(typed)} characters typed, the program is named {name!r}")

        # The default-bank button: a single click does nothing, a double click stores the bank.
        bank = os.path.join(folder, "DefaultBank")
        check.click(*centre(DEFAULT_BANK))
        time.sleep(0.6)  # longer than a double click
        check.settle()
        if os.path.exists(bank):
            raise d.DriverError("a single click on the default-bank button stored the bank")
        d.xdo(session.env, "mousemove", "--window", check.window, *centre(DEFAULT_BANK))
        d.xdo(session.env, "click", "--repeat", 2, "--delay", 80, 1)
        check.settle()
        if not os.path.exists(bank) or os.path.getsize(bank) == 0:
            raise d.DriverError(f"a double click on the default-bank button stored no {bank}")
        say(f"default-bank button: a single click stores nothing, a double click {os.path.getsize(bank)} bytes")
        check.quit()


def expect_program(check, name, what):
    """The program named name is current (the host sees one program, the bank's current one),
    and the host was told to re-read the names."""
    events = check.new_events()
    got = check.program_name()
    if got != name:
        raise d.DriverError(f"{what}: the current program is {got!r}, expected {name!r}")
    if not any(kind == "display" for _, kind, _, _ in events):
        raise d.DriverError(f"{what}: the host was not asked to re-read the names: {events}")
    check.say(f"{what}: {name!r} is current, the host told to re-read the names")


def check_cycles(args, say):
    with d.Session(args.workdir) as session:
        env = {"XDG_CONFIG_HOME": fresh_store(args)}
        status, lines, errors = session.run(
            args.host, args.plugin,
            ["--cycles", args.cycles, "--cycle-idles", 3, "--idle-ms", 15, "--automate", DRIVE, "--signal", "sine"],
            timeout=900, env_changes=env)
        ran, counts = d.parse_cycles(lines)
        automated = next((line.split()[1] for line in lines if line.startswith("automated ")), "?")
        say(f"{ran} cycles with audio and {automated} automated Drive changes; " +
            ", ".join(f"{k} {v[0]}/{v[1]}/{v[2]}" for k, v in counts.items()) +
            " (before/after the first/after the last)")
        if status != 0 or ran != args.cycles:
            raise d.DriverError(f"{ran} of {args.cycles} cycles ran, status {status}: {errors.strip()}")
        grown = [k for k, (_, first, after) in counts.items() if after > first]
        if grown:
            raise d.DriverError("grew over the cycles: " + ", ".join(grown))


# ---- wine


def wine_reg(session, *args):
    return subprocess.run(["wine", "reg"] + list(args), env=session.env, stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, timeout=120)


def registry_numbers(session, key):
    """The REG_DWORD values of key as {name: number}."""
    result = wine_reg(session, "query", key)
    numbers = {}
    for line in result.stdout.replace("\r", "").splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] == "REG_DWORD":
            numbers[parts[0]] = int(parts[2], 16)
    return numbers


def check_wine(args, say):
    with d.Session(args.workdir, args.wine) as session:
        # An empty store: nothing of an earlier run in this prefix.
        wine_reg(session, "delete", STORE_KEY, "/f")
        check = Check(args, session, ["--signal", "silence"], None, say)
        check.move_away()
        check.settle(500)
        rows = check.shot("open")
        expect_equal_pictures(check, rows, args.golden, "open")
        say(f"window {check.size[0]}x{check.size[1]} equals {os.path.basename(args.golden)} pixel for pixel")
        check.new_events()

        power = check.get(POWER_P)
        check.click(*centre(POWER))
        expect_gesture(check, "Power click", {POWER_P: step_centre(1 - step_index(power, 2), 2)}, ())

        typed = "Wine Master"
        check.click(*centre(NAME_FIELD))
        check.settle(300)
        d.xdo(session.env, "type", "--delay", "20", typed)
        d.xdo(session.env, "key", "Return")
        check.settle(300)
        if check.program_name() != typed:
            raise d.DriverError(f"typing {typed!r} into the edit box named the program {check.program_name()!r}")
        say(f"edit box: the program is named {typed!r}")

        check.set(SCALE, step_centre(2, 3))
        check.set(ATT_SHOW, step_centre(5, 8))
        expected = metering_expected(check)
        check.click(*centre(POST_METER), button=3)
        check.settle(300)
        check.quit()
        stored = registry_numbers(session, STORE_KEY + r"\PREFS")
        if stored != expected:
            raise d.DriverError(f"the registry holds {stored}, expected {expected}")
        say("right click on PostMeter: the registry holds " + ", ".join(f"{k}={v}" for k, v in stored.items()))


CHECKS = {"window": check_window, "meters": check_meters, "store": check_store, "cycles": check_cycles,
          "wine": check_wine}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--host", required=True)
    parser.add_argument("--plugin", required=True)
    parser.add_argument("--golden")
    parser.add_argument("--wine", metavar="PREFIX")
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--cycles", type=int, default=200)
    parser.add_argument("check", choices=sorted(CHECKS))
    args = parser.parse_args()
    args.workdir = os.path.abspath(args.workdir)
    os.makedirs(args.workdir, exist_ok=True)
    say = lambda text: print(text, flush=True)  # noqa: E731

    def run():
        d.check_exists(args.host, "host")
        d.check_exists(args.plugin, "plug-in")
        if args.check in ("window", "meters", "wine"):
            if not args.golden:
                raise d.DriverError(f"{args.check} needs --golden")
            d.check_exists(args.golden, "picture")
        if args.check == "wine" and not args.wine:
            raise d.DriverError("wine needs --wine PREFIX")
        CHECKS[args.check](args, say)

    return d.exit_status(run)


if __name__ == "__main__":
    sys.exit(main())
