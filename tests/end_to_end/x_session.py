"""Runs the real program on a private X server and drives it like a user.

Each test gets its own Xvfb display (picked by the server itself, so tests may
run in parallel), starts the program on it, finds windows by title with
xdotool, clicks and types through the X server, and reads pixels from
screenshots taken with ImageMagick's `import`. There is no window manager:
windows keep the places the program gives them and take the keyboard focus
the program asks for, unless a test starts a window manager (start_window_manager).

Every wait polls a condition with a time bound; nothing relies on a fixed
sleep. Every process started here is ended when the session closes, also when
a check fails, and dies with the harness if the harness itself is killed.
"""

import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import time

SCREEN_WIDTH = 1280
SCREEN_HEIGHT = 1024
POLL_SECONDS = 0.05
COMMAND_SECONDS = 20


class Failure(Exception):
    """A check of the program failed; the message says which and why."""


def _die_with_harness():
    # PR_SET_PDEATHSIG: a program or X server left behind by a killed harness
    # would keep running forever on a CI machine.
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)


def wait_until(what, condition, timeout, also=None):
    """Polls `condition` until it returns something true, and returns that.

    `also` runs on every poll and may raise (for example when the program has
    died, so there is no point in waiting on)."""
    deadline = time.monotonic() + timeout
    while True:
        if also:
            also()
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"gave up after {timeout} s waiting for {what}")
        time.sleep(POLL_SECONDS)


class Image:
    """An RGB picture: rows from the top, three bytes a pixel."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError(f"{width} x {height} picture with {len(rgb)} bytes")
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    @staticmethod
    def from_ppm(data):
        # Binary PPM: "P6", width, height, maximum value, each after white space
        # (comments are not written by ImageMagick), then one white space byte.
        fields = []
        at = 0
        while len(fields) < 4:
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise Failure(f"unexpected screenshot format {fields[0]!r} {fields[3]!r}")
        width, height = int(fields[1]), int(fields[2])
        return Image(width, height, data[at + 1:at + 1 + width * height * 3])

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at:at + 3])

    def crop(self, x, y, width, height):
        if x < 0 or y < 0 or x + width > self.width or y + height > self.height:
            raise Failure(f"area {width} x {height} at ({x}, {y}) lies outside the "
                          f"{self.width} x {self.height} picture")
        rows = (self.rgb[((y + row) * self.width + x) * 3:((y + row) * self.width + x + width) * 3]
                for row in range(height))
        return Image(width, height, b"".join(rows))

    def pixels(self):
        return (tuple(self.rgb[at:at + 3]) for at in range(0, len(self.rgb), 3))

    def share_matching(self, other, tolerance=2):
        """The share of pixels whose channels all lie within `tolerance` of `other`'s."""
        if (self.width, self.height) != (other.width, other.height):
            raise Failure(f"comparing {self.width} x {self.height} with {other.width} x {other.height}")
        matching = sum(1 for a, b in zip(self.pixels(), other.pixels())
                       if all(abs(p - q) <= tolerance for p, q in zip(a, b)))
        return matching / (self.width * self.height)

    def share_of_colour(self, colour, tolerance=0):
        matching = sum(1 for p in self.pixels() if all(abs(a - b) <= tolerance for a, b in zip(p, colour)))
        return matching / (self.width * self.height)

    def mean(self):
        count = self.width * self.height
        return tuple(sum(self.rgb[channel::3]) / count for channel in range(3))

    def save_ppm(self, path):
        with open(path, "wb") as out:
            out.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            out.write(self.rgb)


def read_picture(path):
    """Reads any picture ImageMagick knows (PNG, JPEG) as RGB."""
    size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"], capture_output=True,
                          text=True, timeout=COMMAND_SECONDS)
    if size.returncode != 0:
        raise Failure(f"cannot read {path}: {size.stderr.strip()}")
    width, height = (int(v) for v in size.stdout.split())
    raw = subprocess.run(["stream", "-map", "rgb", "-storage-type", "char", path, "-"],
                         capture_output=True, timeout=COMMAND_SECONDS, check=True)
    return Image(width, height, raw.stdout)


class Window:
    def __init__(self, window_id, x, y, width, height):
        self.id, self.x, self.y, self.width, self.height = window_id, x, y, width, height

    def __repr__(self):
        return f"window {self.id} at ({self.x}, {self.y}), {self.width} x {self.height}"


class XSession:
    """A private X server with the program under test on it."""

    def __init__(self, artifacts, screen=(SCREEN_WIDTH, SCREEN_HEIGHT)):
        self.artifacts = artifacts
        self.screen_size = screen
        self.xvfb = None
        self.program = None
        self.program_log = None
        self.window_manager = None
        self.display = None
        self.work = None

    # -- life cycle ---------------------------------------------------------

    def __enter__(self):
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        # The test's files live beside its evidence, so a killed run leaves nothing
        # elsewhere and the next run clears them.
        self.work = os.path.join(self.artifacts, "work")
        os.makedirs(self.work)
        # A CTest timeout ends the harness with SIGTERM first: clean up then too.
        signal.signal(signal.SIGTERM, lambda *_: sys.exit("killed by SIGTERM"))
        try:
            self._start_xvfb()
        except BaseException:
            self._stop(self.xvfb, "Xvfb")
            raise
        return self

    def __exit__(self, kind, error, trace):
        try:
            if kind is not None and self.display:
                self._keep_evidence()
        finally:
            self._stop(self.program, "the program")
            self._stop(self.window_manager, "the window manager")
            self._stop(self.xvfb, "Xvfb")
            if self.program_log:
                self.program_log.close()
            if kind is None:
                shutil.rmtree(self.work, ignore_errors=True)
        return False

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.artifacts, "xvfb.log"), "wb")
        # -displayfd: the server picks a free display and writes its number when it listens.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{self.screen_size[0]}x{self.screen_size[1]}x24",
             "-nolisten", "tcp", "-noreset", "-s", "0"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            preexec_fn=_die_with_harness)
        os.close(write_end)
        log.close()
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                raise Failure("Xvfb did not start; see xvfb.log")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        # Start nothing on the display before it answers.
        wait_until("the X server to answer", lambda: self._xdotool_ok("getmouselocation"), 20)

    def _stop(self, process, name):
        if process is None or process.poll() is not None:
            return
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            print(f"{name} ignored SIGTERM; killing it", flush=True)
            process.kill()
            process.wait(timeout=10)

    def _keep_evidence(self):
        try:
            self.screenshot().save_ppm(os.path.join(self.artifacts, "at_failure.ppm"))
        except Exception as problem:  # the evidence must not hide the failure itself
            print(f"no screenshot at failure: {problem}", flush=True)
        print(f"evidence kept in {self.artifacts}", flush=True)
        log = os.path.join(self.artifacts, "program.log")
        if os.path.exists(log):
            with open(log, errors="replace") as text:
                tail = text.read()[-3000:]
            if tail.strip():
                print("program output (end):\n" + tail, flush=True)

    # -- a window manager -----------------------------------------------------

    def start_window_manager(self, name):
        """Starts the window manager `name` (openbox, metacity) on the display and
        waits until it manages windows."""
        log = open(os.path.join(self.artifacts, "window_manager.log"), "ab")
        arguments = {"openbox": ["openbox", "--sm-disable"], "metacity": ["metacity", "--sm-disable"]}[name]
        self.window_manager = subprocess.Popen(
            arguments, env=dict(os.environ, DISPLAY=self.display), stdin=subprocess.DEVNULL, stdout=log,
            stderr=log, preexec_fn=_die_with_harness)
        log.close()

        def managing():
            if self.window_manager.poll() is not None:
                raise Failure(f"{name} ended at once; see window_manager.log")
            return "window id" in self.xprop("-root", "_NET_SUPPORTING_WM_CHECK")

        wait_until(f"{name} to manage the screen", managing, 30)

    def xprop(self, *arguments):
        done = subprocess.run(["xprop", *arguments], env=dict(os.environ, DISPLAY=self.display),
                              capture_output=True, text=True, timeout=COMMAND_SECONDS)
        return done.stdout

    def transient_for(self, window):
        """The window `window` is a dialog or child of, by the window system's record, or None."""
        found = re.search(r"window id # (0x[0-9a-f]+)", self.xprop("-id", str(window.id), "WM_TRANSIENT_FOR"))
        return int(found.group(1), 16) if found else None

    # -- the program --------------------------------------------------------

    def start_program(self, path, *arguments, scale=None):
        """Starts the program; `scale` (for example "2") is the desktop's scale factor
        (QT_SCALE_FACTOR), none by default."""
        environment = dict(os.environ)
        # Nothing of the developer's desktop may leak in: the X server is ours, the
        # toolkit's dialog settings live in the test's own folder, no scaling unless asked.
        for name in ("WAYLAND_DISPLAY", "XAUTHORITY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                     "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING", "QT_FONT_DPI",
                     "QT_QPA_PLATFORMTHEME"):
            environment.pop(name, None)
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        environment.update(DISPLAY=self.display, QT_QPA_PLATFORM="xcb",
                           XDG_CONFIG_HOME=os.path.join(self.work, "config"), XDG_RUNTIME_DIR=runtime)
        if scale is not None:
            environment["QT_SCALE_FACTOR"] = str(scale)
        # A sanitizer build's leak check must not count what the libraries below Qt keep.
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "leak_suppressions.txt")
        environment["LSAN_OPTIONS"] = ":".join(filter(None, [
            environment.get("LSAN_OPTIONS"), f"suppressions={suppressions}", "print_suppressions=0"]))
        self.program_log = open(os.path.join(self.artifacts, "program.log"), "ab")
        self.program = subprocess.Popen([os.path.abspath(path), *arguments], env=environment, cwd=self.work,
                                        stdin=subprocess.DEVNULL, stdout=self.program_log,
                                        stderr=subprocess.STDOUT, preexec_fn=_die_with_harness)

    def stop_program(self):
        """Ends the running program without asking it anything, so another may start."""
        self._stop(self.program, "the program")
        self.program = None
        if self.program_log:
            self.program_log.close()
            self.program_log = None

    def check_running(self):
        code = self.program.poll()
        if code is not None:
            raise Failure(f"the program ended unexpectedly with status {code}")

    def wait_for_exit(self, timeout):
        try:
            return self.program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program was still running {timeout} s later") from None

    # -- X commands ---------------------------------------------------------

    def xdotool(self, *arguments):
        done = subprocess.run(["xdotool", *arguments], env=dict(os.environ, DISPLAY=self.display),
                              capture_output=True, text=True, timeout=COMMAND_SECONDS)
        if done.returncode != 0:
            raise Failure(f"xdotool {' '.join(arguments)} failed: {done.stderr.strip()}")
        return done.stdout

    def _xdotool_ok(self, *arguments):
        try:
            self.xdotool(*arguments)
            return True
        except Failure:
            return False

    def geometry(self, window_id):
        values = dict(line.split("=", 1) for line in
                      self.xdotool("getwindowgeometry", "--shell", str(window_id)).split())
        return Window(window_id, int(values["X"]), int(values["Y"]), int(values["WIDTH"]),
                      int(values["HEIGHT"]))

    def visible_windows(self, title_pattern):
        """The mapped windows whose whole title matches `title_pattern` (a regular expression)."""
        done = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^({title_pattern})$"],
                              env=dict(os.environ, DISPLAY=self.display), capture_output=True, text=True,
                              timeout=COMMAND_SECONDS)
        # xdotool answers 1 when nothing matches.
        found = []
        for window_id in done.stdout.split():
            try:
                found.append(self.geometry(int(window_id)))
            except Failure:
                pass  # it went away between the search and the question
        return found

    def wait_for_window(self, title_pattern, timeout, size=None):
        """The one visible window with that title (and size, if given)."""

        def find():
            found = [w for w in self.visible_windows(title_pattern)
                     if size is None or (w.width, w.height) == size]
            return found[0] if len(found) == 1 else None

        wanted = f"a window titled /{title_pattern}/" + (f" of {size[0]} x {size[1]}" if size else "")
        return wait_until(wanted, find, timeout, also=self.check_running)

    def wait_until_gone(self, window, timeout):
        def gone():
            return not any(w.id == window.id for w in self.visible_windows(".*"))

        wait_until(f"{window} to close", gone, timeout)

    def screenshot(self):
        done = subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"],
                              capture_output=True, timeout=COMMAND_SECONDS)
        if done.returncode != 0:
            raise Failure("screenshot failed: " + done.stderr.decode(errors="replace").strip())
        return Image.from_ppm(done.stdout)

    def window_picture(self, window, screenshot=None):
        """The window's pixels, read from the screen as the user sees them."""
        return (screenshot or self.screenshot()).crop(window.x, window.y, window.width, window.height)

    def click(self, window, x, y):
        """A left click at (x, y) inside `window`. The pointer is then parked in the
        screen's corner, so that no tooltip or hover image covers what is looked at next."""
        self.xdotool("mousemove", "--sync", str(window.x + x), str(window.y + y))
        self.xdotool("click", "1")
        self.xdotool("mousemove", "0", "0")

    def type_into(self, window, text):
        """Replaces the text of the focused field of `window` with `text`, then presses Return."""
        self.xdotool("windowfocus", "--sync", str(window.id))
        self.xdotool("key", "--clearmodifiers", "ctrl+a")
        self.xdotool("type", "--delay", "15", "--", text)
        self.xdotool("key", "Return")

    def key(self, window, name):
        self.xdotool("windowfocus", "--sync", str(window.id))
        self.xdotool("key", name)

    def ask_to_close(self, window):
        """Asks `window` to close as a window manager does (its close command, Alt+F4):
        a WM_DELETE_WINDOW message. xdotool can only destroy a window outright."""
        _send_delete_window(self.display, window.id)

    def keep(self, picture, name):
        picture.save_ppm(os.path.join(self.artifacts, name + ".ppm"))


class _ClientMessage(ctypes.Structure):
    # XClientMessageEvent, as Xlib lays it out.
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    # XEvent: every event padded to 24 longs.
    _fields_ = [("client_message", _ClientMessage), ("pad", ctypes.c_long * 24)]


def _send_delete_window(display_name, window_id):
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise Failure(f"cannot open the X display {display_name}")
    try:
        event = _Event()
        message = event.client_message
        message.type = 33  # ClientMessage
        message.display = display
        message.window = window_id
        message.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        message.format = 32
        message.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        message.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(display, window_id, 0, 0, ctypes.byref(event)):
            raise Failure("could not send WM_DELETE_WINDOW")
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)


def run(test, description, screen=(SCREEN_WIDTH, SCREEN_HEIGHT)):
    """Runs one test function with a session on a screen of `screen` pixels; prints the
    verdict and exits with its status."""
    import argparse

    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--program", required=True, help="the tn_photo_mallet executable")
    parser.add_argument("--artifacts", required=True, help="folder for screenshots and logs")
    parser.add_argument("--assets", help="the skin pictures' folder")
    parser.add_argument("--make-photo", help="the test-photo maker")
    parser.add_argument("--inspect", help="photo_inspect, to know what a save must write")
    parser.add_argument("--window-manager", help="a window manager a test runs the program under")
    options = parser.parse_args()
    for tool in ("Xvfb", "xdotool", "import", "identify", "stream", "xprop", options.window_manager):
        if tool and shutil.which(tool) is None:
            print(f"FAIL: {tool} is not installed (tools/setup.sh test installs it)")
            sys.exit(1)
    try:
        with XSession(options.artifacts, screen) as session:
            test(session, options)
    except Failure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
    print("PASS")
    sys.exit(0)


_TITLE_SAFE = re.compile(r"[\\^$.|?*+()\[\]{}]")


def literal(title):
    """A title as a regular expression that matches only itself."""
    return _TITLE_SAFE.sub(lambda m: "\\" + m.group(0), title)
