#!/usr/bin/python3
"""Checks of stellix-editorhost against its probe plug-in (a pattern editor of known pixels).

  editorhost_checks.py --host HOST --probe PROBE [--wine PREFIX] [--workdir DIR] pattern|errors

pattern: the screenshot is the editor's rectangle with exact pixels and channel order, follows
  host parameter changes and a drag, the drag logs begin/automate/end in order with the values
  the pointer gave, the editor reopens, and open/close cycles leave no resources behind.
errors: every startup failure exits non-zero with its message; bad commands are answered with
  an error and the session goes on.
Exit status 77 (skipped) when Xvfb, xdotool or wine is missing.
"""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_driver as ed  # noqa: E402

# The probe's editor (tools/editorhost/probe/probe_editor.h).
WIDTH, HEIGHT = 240, 150
TOP_LEFT, TOP_RIGHT, BOTTOM, BAR = 0xC02040, 0x20A060, 0x203080, 0xF0E020
GROW_X, GROW_Y = 40, 30


def bar_width(value):
    return int(value * WIDTH + 0.5)


def value_at(x):
    return min(max(x / (WIDTH - 1), 0.0), 1.0)


def pixel(rows, x, y):
    r, g, b = rows[y][x * 4:x * 4 + 3]
    return r << 16 | g << 8 | b


def check_pattern(path, value, say, size=(WIDTH, HEIGHT)):
    """The screenshot at path shows the probe's pattern with parameter 0 at value, in an editor
    of the given size (larger than the pattern when the probe has grown)."""
    width, height, rows = ed.read_png(path)
    if (width, height) != size:
        raise ed.DriverError(f"{path}: {width}x{height}, expected {size[0]}x{size[1]}")
    bar = bar_width(value)
    half = HEIGHT // 2
    # The corners and both sides of every edge of the pattern.
    expected = [
        (0, 0, TOP_LEFT), (WIDTH // 2 - 1, 0, TOP_LEFT), (WIDTH // 2, 0, TOP_RIGHT),
        (WIDTH - 1, half - 1, TOP_RIGHT), (0, half - 1, TOP_LEFT),
        (0, half, BAR if bar > 0 else BOTTOM), (WIDTH - 1, HEIGHT - 1, BOTTOM if bar < WIDTH else BAR),
    ]
    if 0 < bar < WIDTH:
        expected += [(bar - 1, HEIGHT - 1, BAR), (bar, half, BOTTOM)]
    if size != (WIDTH, HEIGHT):
        expected += [(WIDTH, 0, BOTTOM), (0, HEIGHT, BOTTOM), (size[0] - 1, size[1] - 1, BOTTOM)]
    wrong = [f"({x},{y}) is {pixel(rows, x, y):06x}, expected {want:06x}"
             for x, y, want in expected if pixel(rows, x, y) != want]
    if wrong:
        raise ed.DriverError(f"{os.path.basename(path)}: " + "; ".join(wrong))
    say(f"{os.path.basename(path)}: pattern with the bar {bar} pixels wide")


def pattern(args, say=print):
    log = os.path.join(args.workdir, "events.log")
    shot = lambda name: os.path.join(args.workdir, name)  # noqa: E731
    with ed.Session(args.workdir, args.wine) as session:
        with session.host(args.host, args.probe, ["--log", log, "--signal", "pink"]) as h:
            if h.ready() != (WIDTH, HEIGHT):
                raise ed.DriverError("the editor's size was not taken from effEditGetRect")
            window = ed.find_window(session.env)
            h.ask("idle 2")
            h.screenshot(shot("start.png"))
            check_pattern(shot("start.png"), 0.25, say)

            h.ask("param 0 0.5")
            h.ask("idle 1")
            h.screenshot(shot("param.png"))
            check_pattern(shot("param.png"), 0.5, say)

            x0, x1 = 20, 200
            ed.drag(session.env, window, x0, 100, x1 - x0, 0, steps=6)
            h.ask("wait 200")
            h.sync()
            events = ed.read_log(log)
            kinds = [e[1] for e in events]
            if not kinds or kinds[0] != "begin" or kinds[-1] != "end" or set(kinds[1:-1]) != {"automate"}:
                raise ed.DriverError(f"expected begin, automate..., end; got {kinds}")
            if [e[0] for e in events] != list(range(1, len(events) + 1)):
                raise ed.DriverError("event numbers are not 1, 2, 3...")
            values = [e[3] for e in events if e[1] == "automate"]
            if values != sorted(values) or abs(values[-1] - value_at(x1)) > 1e-6:
                raise ed.DriverError(f"automation values {values} do not rise to {value_at(x1)}")
            say(f"drag: begin, {len(values)} automate rising to {values[-1]}, end")
            h.screenshot(shot("drag.png"))
            check_pattern(shot("drag.png"), value_at(x1), say)

            h.ask("close")
            h.ask("open")
            h.ask("idle 2")
            h.screenshot(shot("reopened.png"))
            check_pattern(shot("reopened.png"), value_at(x1), say)
            h.ask("wait 1000")
            if h.quit() != 0:
                raise ed.DriverError(f"the host did not exit cleanly: {h.stderr()}")
            # "ok quit <blocks> audio blocks in <ms> ms": 512-frame blocks at 44.1 kHz, paced by
            # the clock (a loaded machine may lose some, but never runs ahead).
            words = (h.quit_answer or "").split()
            if len(words) != 8 or words[0:2] != ["ok", "quit"]:
                raise ed.DriverError(f"quit answered {h.quit_answer!r}")
            blocks, ms = int(words[2]), int(words[6])
            expected = ms / 1000 * 44100 / 512
            if not 0.5 * expected <= blocks <= 1.05 * expected + 2:
                raise ed.DriverError(f"{blocks} audio blocks in {ms} ms, expected about {expected:.0f}")
            say(f"audio: {blocks} blocks in {ms} ms ({expected:.0f} in real time)")

        # The convenience mode: a new instance, so the bar is at its default.
        status, lines, errors = session.run(
            args.host, args.probe,
            ["--screenshot", ed.WinePrefix.windows_path(shot("once.png")) if args.wine else shot("once.png"),
             "--after", 100])
        if status != 0:
            raise ed.DriverError(f"--screenshot: status {status}: {errors}")
        check_pattern(shot("once.png"), 0.25, say)

        # An editor that asks for a larger window once open: the window and the screenshot follow.
        with session.host(args.host, args.probe, env_changes={"STELLIX_PROBE_MODE": "grow"}) as h:
            h.ready()
            h.ask("idle 2")
            grown = (WIDTH + GROW_X, HEIGHT + GROW_Y)
            if h.screenshot(shot("grown.png")) != grown:
                raise ed.DriverError("the window did not follow the editor's size request")
            check_pattern(shot("grown.png"), 0.25, say, grown)
            h.quit()

        status, lines, errors = session.run(args.host, args.probe, ["--cycles", 30, "--cycle-idles", 2])
        ran, counts = ed.parse_cycles(lines)
        if status != 0 or ran != 30 or not counts:
            raise ed.DriverError(f"cycles: status {status}, {ran} ran, counts {counts}: {errors}")
        grown = {k: v for k, v in counts.items() if v[2] != v[1]}
        if grown:
            raise ed.DriverError(f"resources changed over the cycles: {grown}")
        say("cycles: 30, " + ", ".join(f"{k} {v[0]}/{v[1]}/{v[2]}" for k, v in counts.items()))


def errors(args, say=print):
    with ed.Session(args.workdir, args.wine) as session:
        missing = os.path.join(args.workdir, "no-such-plugin" + (".dll" if args.wine else ".so"))
        # (what, plug-in, options, environment changes, exit status, text expected on stderr)
        startup = [
            ("missing library", missing, [], {}, 1, "cannot load"),
            ("entry answers null", args.probe, [], {"STELLIX_PROBE_MODE": "no-effect"}, 1, "returned no effect"),
            ("no editor", args.probe, [], {"STELLIX_PROBE_MODE": "no-editor"}, 1, "has no editor"),
            ("editor refuses to open", args.probe, ["--screenshot", "x.png"],
             {"STELLIX_PROBE_MODE": "refuse-open"}, 1, "effEditOpen answered 0"),
            ("cycles on a refusing editor", args.probe, ["--cycles", 3],
             {"STELLIX_PROBE_MODE": "refuse-open"}, 1, "effEditOpen answered 0"),
            ("unknown signal", args.probe, ["--signal", "square"], {}, 2, "bad value for --signal"),
            ("positive level", args.probe, ["--level", "3"], {}, 2, "bad value for --level"),
            ("cycles with screenshot", args.probe, ["--cycles", 2, "--screenshot", "x.png"], {}, 2,
             "cannot be combined"),
            ("unwritable log", args.probe, ["--log", os.path.join(missing, "log")], {}, 1, "cannot write the log"),
        ]
        if not args.wine:
            startup.append(("no display", args.probe, [], {"DISPLAY": None}, 1, "no display"))
            # A shared library that is not a plug-in.
            for libm in ("/lib/x86_64-linux-gnu/libm.so.6", "/usr/lib/x86_64-linux-gnu/libm.so.6", "/lib64/libm.so.6"):
                if os.path.exists(libm):
                    startup.append(("no entry", libm, [], {}, 1, "no VST 2.4 entry"))
                    break
        failures = []
        for what, plugin, options, changes, want_status, want_text in startup:
            env = dict(session.env)
            for name, value in changes.items():
                if value is None:
                    env.pop(name, None)
                else:
                    env[name] = value
            argv = (["wine", args.host, ed.WinePrefix.windows_path(plugin)] if args.wine else [args.host, plugin])
            proc = subprocess.run(argv + [str(o) for o in options], env=env, stdin=subprocess.DEVNULL,
                                  capture_output=True, text=True, timeout=120, cwd=args.workdir)
            if proc.returncode != want_status or want_text not in proc.stderr:
                failures.append(f"{what}: status {proc.returncode}, stderr {proc.stderr.strip()!r}")
            else:
                say(f"{what}: status {proc.returncode}, {proc.stderr.strip().splitlines()[0]}")

        # (command, start of the answer): the session must go on after each.
        commands = [
            ("bogus", "error unknown command"),
            ("idle 0", "error idle:"),
            ("idle x", "error idle:"),
            ("param 2 0.5", "error no parameter 2"),
            ("param 0 1.5", "error param:"),
            ("param 0", "error param:"),
            ("wait -1", "error wait:"),
            ("open", "error the editor is open already"),
            ("open now", "error open: takes no argument"),
            ("screenshot", "error screenshot: needs a path"),
            ("screenshot " + os.path.join(missing, "x.png"), "error cannot write"),
            ("close", "ok close"),
            ("close", "error the editor is not open"),
            ("idle 1", "error the editor is not open"),
            ("open", "ok open 240x150"),
            ("   ", None),
            ("echo  two  spaces ", "two  spaces"),
            ("param 1 0.75", "ok param 1 0.75"),
        ]
        with session.host(args.host, args.probe) as h:
            h.ready()
            for command, want in commands:
                if args.wine and command.startswith("screenshot /"):
                    command = "screenshot " + ed.WinePrefix.windows_path(command.split(" ", 1)[1])
                h.send(command)
                got = h.sync()
                if want is None:
                    if got:
                        failures.append(f"{command!r} answered {got}, expected nothing")
                elif len(got) != 1 or not got[0].startswith(want):
                    failures.append(f"{command!r} answered {got}, expected {want!r}...")
            if h.quit() != 0:
                failures.append(f"the host did not exit cleanly: {h.stderr()}")
        say(f"{len(commands)} command answers checked")
        if failures:
            raise ed.DriverError("\n  ".join([""] + failures))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--host", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--wine", metavar="PREFIX")
    parser.add_argument("--workdir", default=".")
    parser.add_argument("check", choices=["pattern", "errors"])
    args = parser.parse_args()
    args.workdir, args.host, args.probe = map(os.path.abspath, (args.workdir, args.host, args.probe))
    def run():
        ed.check_exists(args.host, "host")
        ed.check_exists(args.probe, "probe plug-in")
        os.makedirs(args.workdir, exist_ok=True)
        {"pattern": pattern, "errors": errors}[args.check](args)

    return ed.exit_status(run)


if __name__ == "__main__":
    sys.exit(main())
