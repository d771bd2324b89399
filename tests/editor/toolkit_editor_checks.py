#!/usr/bin/python3
"""The toolkit's test editor in real windows, driven like a user would.

  toolkit_editor_checks.py --host HOST --plugin PLUGIN --golden PNG [--wine PREFIX] --workdir DIR CHECK

CHECK is one of
  pixels   the window shows exactly the headless render (the committed picture GOLDEN), and a
           drag on the knob reaches the host as begin edit, automation, end edit;
  cycles   the editor opened and closed N times (--cycles, 200) while audio runs: no crash,
           and no X11 window, X client or file descriptor left behind.
Exit status 0 on success, 1 on failure, 77 when Xvfb, xdotool, wine or a build is missing.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_driver as d  # noqa: E402

# The knob's centre in the test editor, and the drag applied to it.
KNOB = (446, 377)
DRAG = (0, -40)


def compare(shot, golden):
    """Answers None when both pictures have the same size and RGB pixels, else a description."""
    w1, h1, a = d.read_png(shot)
    w2, h2, b = d.read_png(golden)
    if (w1, h1) != (w2, h2):
        return f"{shot} is {w1}x{h1}, {golden} is {w2}x{h2}"
    differing, first = 0, None
    for y in range(h1):
        if a[y] == b[y]:
            continue
        for x in range(w1):
            if a[y][x * 4:x * 4 + 3] != b[y][x * 4:x * 4 + 3]:
                differing += 1
                first = first or (x, y)
    return f"{differing} pixels differ, first at {first}" if differing else None


def check_pixels(args, say):
    log = os.path.join(args.workdir, "events.log")
    shot = os.path.join(args.workdir, "editor.png")
    with d.Session(args.workdir, args.wine) as session:
        with session.host(args.host, args.plugin, ["--log", log]) as h:
            size = h.ready()
            window = d.find_window(session.env)
            h.ask("idle 3")
            h.screenshot(shot)
            problem = compare(shot, args.golden)
            if problem:
                raise d.DriverError(f"window differs from the headless render: {problem}")
            say(f"window {size[0]}x{size[1]} equals {os.path.basename(args.golden)} pixel for pixel")

            d.drag(session.env, window, KNOB[0], KNOB[1], DRAG[0], DRAG[1])
            h.ask("wait 200")
            h.ask("idle 3")
            h.sync()
            moved = os.path.join(args.workdir, "after-drag.png")
            h.screenshot(moved)
            events = d.read_log(log)
            kinds = [kind for _, kind, _, _ in events]
            say("drag: " + " ".join(f"{kind} {index}" for _, kind, index, _ in events[:3]) + " ... " +
                f"{kinds.count('automate')} automate")
            if len(events) < 3 or kinds[0] != "begin" or kinds[-1] != "end" or \
                    any(k != "automate" for k in kinds[1:-1]) or {i for _, _, i, _ in events} != {0}:
                raise d.DriverError(f"expected begin 0, automate 0 ..., end 0; got {events}")
            values = [v for _, kind, _, v in events if kind == "automate"]
            if not values[-1] > 0.5:
                raise d.DriverError(f"dragging up did not raise the level: {values}")
            if compare(moved, args.golden) is None:
                raise d.DriverError("the window did not change after the drag")
            if h.quit() != 0:
                raise d.DriverError(f"the host failed: {h.stderr()}")


def check_cycles(args, say):
    with d.Session(args.workdir, args.wine) as session:
        status, lines, errors = session.run(args.host, args.plugin, ["--cycles", args.cycles], timeout=900)
        ran, counts = d.parse_cycles(lines)
        say(f"{ran} cycles; " + ", ".join(f"{k} {v[0]}/{v[1]}/{v[2]}" for k, v in counts.items()) +
            " (before/after the first/after the last)")
        if status != 0 or ran != args.cycles:
            raise d.DriverError(f"{ran} of {args.cycles} cycles ran, status {status}: {errors.strip()}")
        grown = [k for k, (_, first, after) in counts.items() if after > first]
        if grown:
            raise d.DriverError("grew over the cycles: " + ", ".join(grown))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--host", required=True)
    parser.add_argument("--plugin", required=True)
    parser.add_argument("--golden")
    parser.add_argument("--wine", metavar="PREFIX")
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--cycles", type=int, default=200)
    parser.add_argument("check", choices=["pixels", "cycles"])
    args = parser.parse_args()
    os.makedirs(args.workdir, exist_ok=True)
    say = lambda text: print(text, flush=True)  # noqa: E731

    def run():
        d.check_exists(args.host, "host")
        d.check_exists(args.plugin, "plug-in")
        (check_pixels if args.check == "pixels" else check_cycles)(args, say)

    return d.exit_status(run)


if __name__ == "__main__":
    sys.exit(main())
