#!/usr/bin/python3
"""Drives stellix-editorhost in a private X server, for editor tests.

The functions are meant for test scripts (`import editor_driver`); the command line runs the
common cases:

  editor_driver.py --host HOST [--wine] screenshot PLUGIN OUT.png [--after MS]
  editor_driver.py --host HOST [--wine] drag PLUGIN X Y DX DY [--log PATH]
  editor_driver.py --host HOST [--wine] cycles PLUGIN N
  editor_driver.py --host HOST [--wine] proof PLUGIN --knob X,Y [--drag DX,DY] [--cycles N]

HOST is stellix-editorhost (or stellix-editorhost.exe with --wine, run by wine64 in a
throw-away prefix under --workdir). The exit status is 0 on success, 1 on failure and 77 when
something the test needs (Xvfb, xdotool, wine, the plug-in) is missing, which CTest reports as
skipped. The X server, the host and wine's server are always stopped at the end.
"""

import argparse
import ctypes
import os
import queue
import select
import shutil
import signal
import struct
import subprocess
import sys
import threading
import time
import zlib

SKIP = 77
WINDOW_TITLE = "stellix-editorhost"


class Skip(Exception):
    """Something the test needs is missing: the test is skipped, not failed."""


class DriverError(Exception):
    """The host or a tool misbehaved."""


def _die_with_parent():
    # Children get SIGTERM when the driver dies, even when it is killed (a CTest timeout).
    try:
        ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except OSError:
        pass


def require_tools(*names):
    missing = [n for n in names if shutil.which(n) is None]
    if missing:
        raise Skip("not installed: " + ", ".join(missing))


# ---- the X server


class Display:
    """A private Xvfb on a free display number, stopped on exit.

    -noreset keeps the server (and the pointer position) as it is when its last client goes.
    """

    def __init__(self, width=1280, height=1024, log_path=None):
        self.width, self.height = width, height
        self.log_path = log_path
        self.proc = None
        self.name = None

    def __enter__(self):
        require_tools("Xvfb", "xdotool")
        read_end, write_end = os.pipe()
        log = open(self.log_path, "wb") if self.log_path else subprocess.DEVNULL
        try:
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{self.width}x{self.height}x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                preexec_fn=_die_with_parent)
        finally:
            os.close(write_end)
            if log is not subprocess.DEVNULL:
                log.close()
        number = b""
        deadline = time.monotonic() + 20
        try:
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_end], [], [], left)[0]:
                    raise DriverError("Xvfb did not report a display within 20 s")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise DriverError(f"Xvfb ended with status {self.proc.wait()}")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        env["DISPLAY"] = self.name
        return env


# ---- wine


class WinePrefix:
    """A 64-bit wine prefix in `path` (made once, reusable), and its server stopped on exit."""

    def __init__(self, path, display_env):
        self.path = os.path.abspath(path)
        self.env = dict(display_env)
        self.env.update(WINEPREFIX=self.path, WINEARCH="win64", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")

    def __enter__(self):
        require_tools("wine", "wineboot", "wineserver")
        os.makedirs(os.path.dirname(self.path), exist_ok=True)
        self.kill_server()
        try:
            subprocess.run(["wineboot", "-i"], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=600, check=True)
        except (subprocess.CalledProcessError, subprocess.TimeoutExpired) as e:
            self.kill_server()
            raise DriverError(f"wineboot failed: {e}")
        return self

    def __exit__(self, *exc):
        self.kill_server()
        return False

    def kill_server(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=False)

    @staticmethod
    def windows_path(path):
        """The Z: drive path wine gives a Unix file."""
        return "Z:" + os.path.abspath(path).replace("/", "\\")


# ---- the host process


class Host:
    """A running stellix-editorhost: commands in, answers out."""

    def __init__(self, host, plugin, args=(), env=None, wine=None, cwd=None):
        if wine is not None:
            argv = ["wine", host, WinePrefix.windows_path(plugin)]
            env = wine.env if env is None else env
        else:
            argv = [host, plugin]
        self.argv = argv + [str(a) for a in args]
        self.proc = subprocess.Popen(self.argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, env=env, cwd=cwd, text=True, bufsize=1,
                                     preexec_fn=_die_with_parent)
        self.lines = queue.Queue()
        self.errors = []
        self._sync = 0
        threading.Thread(target=self._read, args=(self.proc.stdout, self.lines.put), daemon=True).start()
        threading.Thread(target=self._read, args=(self.proc.stderr, self.errors.append), daemon=True).start()

    @staticmethod
    def _read(stream, put):
        for line in stream:
            put(line.rstrip("\r\n"))
        put(None)

    def stderr(self):
        return "\n".join(line for line in self.errors if line is not None)

    def read_line(self, timeout=20):
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise DriverError(f"no answer from the host within {timeout} s; stderr: {self.stderr()}")
        if line is None:
            self.lines.put(None)
            raise DriverError(f"the host ended (status {self.proc.wait()}); stderr: {self.stderr()}")
        return line

    def send(self, line):
        try:
            self.proc.stdin.write(line + "\n")
            self.proc.stdin.flush()
        except BrokenPipeError:
            raise DriverError(f"the host is gone; stderr: {self.stderr()}")

    def ready(self, timeout=60):
        """Waits for the editor to be open; answers its size."""
        line = self.read_line(timeout)
        if not line.startswith("ok ready "):
            raise DriverError(f"expected 'ok ready WxH', got {line!r}; stderr: {self.stderr()}")
        w, h = line.split()[2].split("x")
        return int(w), int(h)

    def ask(self, command, timeout=20):
        """Sends one command and answers its 'ok ...' line; an 'error ...' answer raises."""
        self.send(command)
        line = self.read_line(timeout)
        if not line.startswith("ok"):
            raise DriverError(f"{command!r} answered {line!r}")
        return line

    def sync(self, timeout=20):
        """Returns once the host has handled everything sent so far; answers the lines before."""
        self._sync += 1
        token = f"sync-{self._sync}"
        self.send("echo " + token)
        lines = []
        while True:
            line = self.read_line(timeout)
            if line == token:
                return lines
            lines.append(line)

    def screenshot(self, path, timeout=20):
        """Writes the editor's pixels to path; answers (width, height)."""
        wine = self.argv[0] == "wine"
        line = self.ask("screenshot " + (WinePrefix.windows_path(path) if wine else os.path.abspath(path)), timeout)
        w, h = line.split()[-1].split("x")
        return int(w), int(h)

    def quit(self, timeout=30):
        """Asks the host to quit; answers its exit status. The answer to quit (with the count of
        audio blocks) is kept in quit_answer."""
        self.quit_answer = None
        if self.proc.poll() is None:
            try:
                self.send("quit")
                self.quit_answer = self.read_line(timeout)
            except DriverError:
                pass
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise DriverError(f"the host did not quit within {timeout} s")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()
        return False


def run_host(host, plugin, args=(), env=None, wine=None, timeout=300):
    """Runs the host to its end without commands; answers (status, stdout lines, stderr)."""
    if wine is not None:
        argv, env = ["wine", host, WinePrefix.windows_path(plugin)], wine.env if env is None else env
    else:
        argv = [host, plugin]
    proc = subprocess.run(argv + [str(a) for a in args], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, timeout=timeout, preexec_fn=_die_with_parent)
    lines = [line.rstrip("\r") for line in proc.stdout.splitlines()]
    return proc.returncode, lines, proc.stderr


# ---- the pointer and the keyboard (xdotool)


def xdo(env, *args, timeout=20):
    result = subprocess.run(["xdotool"] + [str(a) for a in args], env=env, stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=timeout)
    if result.returncode != 0:
        raise DriverError(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout


def find_window(env, title=WINDOW_TITLE, timeout=30):
    """The id of the visible window named title, waiting for it to appear."""
    try:
        out = xdo(env, "search", "--sync", "--onlyvisible", "--name", f"^{title}$", timeout=timeout)
    except subprocess.TimeoutExpired:
        raise DriverError(f"no window named {title!r} within {timeout} s")
    ids = out.split()
    if not ids:
        raise DriverError(f"no window named {title!r}")
    return int(ids[0])


def drag(env, window, x, y, dx, dy, steps=10, pause=0.03):
    """Presses button 1 at (x, y) of window, moves by (dx, dy) in steps and releases."""
    xdo(env, "mousemove", "--window", window, x, y)
    time.sleep(pause)
    xdo(env, "mousedown", 1)
    done_x = done_y = 0
    for i in range(1, steps + 1):
        step_x, step_y = dx * i // steps - done_x, dy * i // steps - done_y
        done_x, done_y = done_x + step_x, done_y + step_y
        time.sleep(pause)
        xdo(env, "mousemove_relative", "--", step_x, step_y)
    time.sleep(pause)
    xdo(env, "mouseup", 1)


def click(env, window, x, y, button=1):
    xdo(env, "mousemove", "--window", window, x, y)
    time.sleep(0.03)
    xdo(env, "click", button)


def key(env, window, name):
    """Gives window the keyboard focus and types the key name (xdotool's names: Return, a, ctrl+z)."""
    xdo(env, "windowfocus", "--sync", window)
    xdo(env, "key", name)


# ---- results


def read_log(path):
    """The host's event log as (number, kind, index, value or None) tuples."""
    events = []
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) < 3:
                continue
            value = float(parts[3]) if len(parts) > 3 else None
            events.append((int(parts[0]), parts[1], int(parts[2]), value))
    return events


def edit_gestures(events):
    """Checks begin/automate/end pairing per parameter; answers a list of problems (empty when fine).

    Automation outside a begin/end pair is allowed (plug-ins need not send them); a begin must be
    closed by an end of the same parameter, and no parameter is begun twice.
    """
    problems, open_edits = [], set()
    for number, kind, index, _ in events:
        if kind == "begin":
            if index in open_edits:
                problems.append(f"{number}: begin {index} while it is being edited")
            open_edits.add(index)
        elif kind == "end":
            if index not in open_edits:
                problems.append(f"{number}: end {index} without begin")
            open_edits.discard(index)
    problems += [f"begin {index} never ended" for index in sorted(open_edits)]
    return problems


def read_png(path):
    """(width, height, rows) of an 8-bit RGB or RGBA PNG; each row a bytes of RGBA pixels."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise DriverError(f"{path} is not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise DriverError(f"{path}: only 8-bit RGB/RGBA non-interlaced PNG is read here")
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        previous = line
        if channels == 3:
            line = bytearray(b for px in range(width) for b in (*line[px * 3:px * 3 + 3], 255))
        rows.append(bytes(line))
    return width, height, rows


def colour_count(rows, limit=1000):
    """Distinct RGB colours in the image, counted up to limit."""
    seen = set()
    for row in rows:
        for i in range(0, len(row), 4):
            seen.add(row[i:i + 3])
            if len(seen) >= limit:
                return limit
    return len(seen)


def parse_cycles(lines):
    """The --cycles report: (cycles run, {name: (before, first, after)})."""
    cycles, counts = None, {}
    for line in lines:
        parts = line.split()
        if parts and parts[0] == "cycles":
            cycles = int(parts[1])
        elif len(parts) == 4 and all("=" in p for p in parts[1:]):
            values = dict(p.split("=") for p in parts[1:])
            counts[parts[0]] = (int(values["before"]), int(values["first"]), int(values["after"]))
    return cycles, counts


# ---- scenarios


class Session:
    """A private display (and wine prefix when wine_prefix is given) for one scenario."""

    def __init__(self, workdir, wine_prefix=None):
        self.workdir = os.path.abspath(workdir)
        self.wine_prefix = wine_prefix
        self.display = None
        self.wine = None

    def __enter__(self):
        os.makedirs(self.workdir, exist_ok=True)
        self.display = Display(log_path=os.path.join(self.workdir, "xvfb.log")).__enter__()
        try:
            if self.wine_prefix:
                self.wine = WinePrefix(self.wine_prefix, self.display.env()).__enter__()
        except BaseException:
            self.display.stop()
            raise
        return self

    def __exit__(self, *exc):
        try:
            if self.wine:
                self.wine.__exit__(*exc)
        finally:
            self.display.stop()
        return False

    @property
    def env(self):
        return self.wine.env if self.wine else self.display.env()

    def host(self, host, plugin, args=(), env_changes=None):
        """A Host on this display; env_changes are added to its environment."""
        return Host(host, plugin, args, env=dict(self.env, **(env_changes or {})), wine=self.wine)

    def run(self, host, plugin, args=(), timeout=300, env_changes=None):
        return run_host(host, plugin, args, env=dict(self.env, **(env_changes or {})), wine=self.wine,
                        timeout=timeout)


def check_exists(path, what):
    if not os.path.exists(path):
        raise Skip(f"{what} not found: {path}")


def exit_status(check):
    """Runs check(); answers the exit status: 0 passed, 1 failed, SKIP when something is missing."""
    try:
        check()
    except Skip as e:
        print(f"skipped: {e}", flush=True)
        return SKIP
    except (DriverError, subprocess.TimeoutExpired, OSError) as e:
        print(f"FAIL: {e}", flush=True)
        return 1
    print("ok", flush=True)
    return 0


def proof(host, plugin, knob, drag_by=(0, -60), cycles=20, workdir=".", wine_prefix=None, strict_leaks=False,
          say=print):
    """Opens the plug-in's editor, checks a screenshot, drags a knob and checks the automation log,
    then runs open/close cycles. Raises DriverError on failure, Skip when something is missing."""
    check_exists(host, "host")
    check_exists(plugin, "plug-in")
    log = os.path.join(workdir, "events.log")
    shot = os.path.join(workdir, "editor.png")
    with Session(workdir, wine_prefix) as session:
        with session.host(host, plugin, ["--log", log]) as h:
            size = h.ready()
            window = find_window(session.env)
            say(f"editor open: {size[0]}x{size[1]}, window {window}")

            got = h.screenshot(shot)
            width, height, rows = read_png(shot)
            if got != size or (width, height) != size:
                raise DriverError(f"screenshot is {width}x{height} (answered {got}), editor is {size}")
            colours = colour_count(rows)
            if colours < 2:
                raise DriverError("the screenshot is blank (one colour)")
            say(f"screenshot {width}x{height} with {colours}{'+' if colours >= 1000 else ''} colours")

            drag(session.env, window, knob[0], knob[1], drag_by[0], drag_by[1])
            h.ask("wait 300")
            h.sync()
            events = read_log(log)
            automated = sorted({index for _, kind, index, _ in events if kind == "automate"})
            kinds = {kind: sum(1 for e in events if e[1] == kind) for kind in ("automate", "begin", "end")}
            say(f"drag: {kinds['automate']} automate (parameters {automated}), {kinds['begin']} begin, "
                f"{kinds['end']} end")
            if not automated:
                raise DriverError("dragging the knob sent no automation")
            problems = edit_gestures(events)
            if problems:
                raise DriverError("begin/end out of order: " + "; ".join(problems))
            status = h.quit()
            if status != 0:
                raise DriverError(f"the host exited with status {status}: {h.stderr()}")

        if cycles:
            status, lines, errors = session.run(host, plugin, ["--cycles", cycles])
            ran, counts = parse_cycles(lines)
            say(f"cycles: {ran}; " + ", ".join(f"{k} {v[0]}/{v[1]}/{v[2]}" for k, v in counts.items()) +
                " (before/after the first/after the last)")
            if status != 0 or ran != cycles:
                raise DriverError(f"{ran} of {cycles} cycles ran, status {status}: {errors.strip()}")
            grown = [k for k, (_, first, after) in counts.items() if after > first]
            if grown:
                message = "grew over the cycles: " + ", ".join(grown)
                if strict_leaks:
                    raise DriverError(message)
                say("note: " + message)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--host", required=True, help="stellix-editorhost (or the .exe with --wine)")
    parser.add_argument("--wine", metavar="PREFIX", help="run the host under wine64 with this prefix folder")
    parser.add_argument("--workdir", default=".", help="where logs, screenshots and Xvfb's log go")
    sub = parser.add_subparsers(dest="what", required=True)
    p = sub.add_parser("screenshot")
    p.add_argument("plugin")
    p.add_argument("out")
    p.add_argument("--after", type=int, default=500)
    p = sub.add_parser("drag")
    p.add_argument("plugin")
    p.add_argument("x", type=int)
    p.add_argument("y", type=int)
    p.add_argument("dx", type=int)
    p.add_argument("dy", type=int)
    p.add_argument("--log")
    p = sub.add_parser("cycles")
    p.add_argument("plugin")
    p.add_argument("n", type=int)
    p = sub.add_parser("proof")
    p.add_argument("plugin")
    p.add_argument("--knob", required=True, help="X,Y of a knob in the editor")
    p.add_argument("--drag", default="0,-60", help="DX,DY to drag it by")
    p.add_argument("--cycles", type=int, default=20)
    p.add_argument("--strict-leaks", action="store_true", help="fail when resource counts grow over the cycles")
    args = parser.parse_args(argv)

    def pair(text):
        x, y = text.split(",")
        return int(x), int(y)

    def run():
        check_exists(args.host, "host")
        check_exists(args.plugin, "plug-in")
        if args.what == "proof":
            proof(args.host, args.plugin, pair(args.knob), pair(args.drag), args.cycles, args.workdir, args.wine,
                  args.strict_leaks)
        else:
            with Session(args.workdir, args.wine) as session:
                if args.what == "screenshot":
                    status, lines, errors = session.run(
                        args.host, args.plugin,
                        ["--screenshot", WinePrefix.windows_path(args.out) if args.wine else os.path.abspath(args.out),
                         "--after", args.after])
                    print("\n".join(lines))
                    if status != 0:
                        raise DriverError(errors.strip())
                elif args.what == "drag":
                    log = args.log or os.path.join(args.workdir, "events.log")
                    with session.host(args.host, args.plugin, ["--log", log]) as h:
                        h.ready()
                        drag(session.env, find_window(session.env), args.x, args.y, args.dx, args.dy)
                        h.ask("wait 300")
                        h.sync()
                        h.quit()
                    for event in read_log(log):
                        print(*[v for v in event if v is not None])
                elif args.what == "cycles":
                    status, lines, errors = session.run(args.host, args.plugin, ["--cycles", args.n])
                    print("\n".join(lines))
                    if status != 0:
                        raise DriverError(errors.strip())

    return exit_status(run)


if __name__ == "__main__":
    sys.exit(main())
