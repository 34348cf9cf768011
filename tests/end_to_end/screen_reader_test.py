#!/usr/bin/env python3
"""The main window as a screen reader reads it: the program runs with a private session bus and
the accessibility bus (at-spi2-core) on it, and the test walks the window's tree through
pyatspi, as Orca does. Every control is a named push button, toggle, slider, image or status
bar with its state (the toggles read as check boxes, as Qt's own checkable buttons do); a press
through the accessibility bus works as a click; Tab moves a focus the screen reader follows. The tree as read is printed and kept as tree.txt."""

import os
import subprocess
import sys

import main_window_layout as layout
from full_flow_test import make_photo
from x_session import Failure, literal, run, wait_until

# Debian's python3-pyatspi lives beside the distribution's own interpreter.
try:
    import gi  # noqa: F401  (pyatspi needs it; importing it here tells which one is missing)
    import pyatspi  # noqa: F401
except ImportError:
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", "-B", *sys.argv])
    print("FAIL: python3-pyatspi is not installed (tools/setup.sh test installs it)")
    sys.exit(1)


def start_session_bus(session):
    """A session bus of the test's own, on which the accessibility bus starts when asked for."""
    read_end, write_end = os.pipe()
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", f"--print-address={write_end}"],
                           pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, env=dict(os.environ, DISPLAY=session.display))
    os.close(write_end)
    with os.fdopen(read_end) as address:
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address.readline().strip()
    os.environ["DISPLAY"] = session.display
    # The toolkit speaks to the accessibility bus even though no screen reader asked it to.
    os.environ["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    return bus


def describe(node):
    import pyatspi
    states = node.getState()
    shown = [name for state, name in ((pyatspi.STATE_SENSITIVE, "enabled"), (pyatspi.STATE_FOCUSABLE, "focusable"),
                                      (pyatspi.STATE_FOCUSED, "focused"), (pyatspi.STATE_CHECKED, "checked"),
                                      (pyatspi.STATE_SHOWING, "showing"))
             if states.contains(state)]
    text = f"[{node.getRoleName()}] {node.name!r}"
    try:
        text += f" value={node.queryValue().currentValue:g}"
    except NotImplementedError:
        pass
    return text + (" (" + ", ".join(shown) + ")" if shown else "")


def read_tree(node, depth=0, lines=None):
    lines = [] if lines is None else lines
    lines.append("  " * depth + describe(node))
    for index in range(node.childCount):
        read_tree(node.getChildAtIndex(index), depth + 1, lines)
    return lines


def controls_by_name(window):
    return {window.getChildAtIndex(i).name: window.getChildAtIndex(i) for i in range(window.childCount)}


def main_window_node(program_name):
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        application = desktop.getChildAtIndex(index)
        if application is None or application.name != program_name:
            continue
        for window_index in range(application.childCount):
            window = application.getChildAtIndex(window_index)
            if window is not None and window.name == layout.TITLE and window.childCount > 0:
                return window
    return None


def test(session, options):
    bus = start_session_bus(session)
    try:
        check_screen_reader(session, options)
    finally:
        bus.terminate()
        bus.wait(timeout=10)


def check_screen_reader(session, options):
    import pyatspi
    from gi.repository import GLib
    photo = os.path.join(session.work, "read aloud.jpg")
    make_photo(options, photo)
    session.start_program(options.program, photo)
    main = session.wait_for_window(literal(layout.TITLE), 60, size=layout.CLOSED_SIZE)
    program_name = os.path.basename(options.program)
    found = {}

    def status_names_photo():
        found["window"] = main_window_node(program_name)
        controls = controls_by_name(found["window"]) if found["window"] else {}
        return any(name.startswith("read aloud.jpg") for name in controls)

    wait_until("the screen reader to find the window with the photo's name on its status bar", status_names_photo,
               60, also=session.check_running)
    window = found["window"]
    tree = read_tree(window)
    with open(os.path.join(session.artifacts, "tree.txt"), "w") as kept:
        kept.write("\n".join(tree) + "\n")
    print("\n".join(tree), flush=True)

    controls = controls_by_name(window)
    wanted = {
        "push button": ("Maximise", "Minimise", "Close", "Open photo", "Save photo", "Undo", "Exit", "About",
                        "Previous photo", "Next photo", "More tools", "Darker", "Lighter", "Outdoors vivid",
                        "Backlight", "Indoors bulb lamp"),
        "check box": ("Activate Automatic Color Correction", "Set camera type (Digital camera)",
                      "Set camera type (Mobile phone)"),
        "image": ("Original photo", "Corrected photo"),
        "slider": ("Original photo zoom", "Corrected photo zoom", "Strength"),
        "label": ("AUTOMATIC CORRECTION",),
    }
    for role, names in wanted.items():
        for name in names:
            if name not in controls:
                raise Failure(f"the screen reader finds no {name!r} in the window")
            if controls[name].getRoleName() != role:
                raise Failure(f"{name!r} reads as a {controls[name].getRoleName()}, not a {role}")
    status = [node for node in controls.values() if node.getRole() == pyatspi.ROLE_STATUS_BAR]
    if len(status) != 1 or not status[0].name.startswith("read aloud.jpg"):
        raise Failure(f"the status bar reads {[node.name for node in status]}")
    if not controls["Save photo"].getState().contains(pyatspi.STATE_SENSITIVE):
        raise Failure("Save photo reads as unavailable with a photo open")
    correction = controls["Activate Automatic Color Correction"]
    if not correction.getState().contains(pyatspi.STATE_CHECKED):
        raise Failure("the correction button does not read as on after the photo opened corrected")
    zoom = controls["Original photo zoom"].queryValue()
    if not 5 <= zoom.currentValue <= 400:
        raise Failure(f"the original photo's zoom reads {zoom.currentValue}")

    # Pressed through the accessibility bus, the correction button switches the correction off.
    action = correction.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    press = [i for i, name in enumerate(names) if name.lower() == "press"]
    if not press:
        raise Failure(f"the correction button offers no press action, only {names}")
    heard = []

    def listener(event):
        heard.append((event.type, event.source.name))
    pyatspi.Registry.registerEventListener(listener, "object:state-changed:checked",
                                           "object:property-change:accessible-name")
    action.doAction(press[0])
    wait_until("the correction button to read as off after its press",
               lambda: not correction.getState().contains(pyatspi.STATE_CHECKED), 20, also=session.check_running)

    # The screen reader hears of the change as it happens: the toggle switched off, the status line's new text.
    def heard_announcements():
        while GLib.MainContext.default().iteration(False):
            pass
        return (("object:state-changed:checked", correction.name) in heard
                and any(kind == "object:property-change:accessible-name" and name == status[0].name
                        for kind, name in heard))
    wait_until("the toggle's and the status line's changes to be announced", heard_announcements, 20)
    pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:checked",
                                             "object:property-change:accessible-name")
    print("announced: " + "; ".join(f"{kind} {name!r}" for kind, name in heard), flush=True)

    # Tab moves the focus the screen reader follows: the top bar's first key, then the next.
    session.key(main, "Tab")
    wait_until("Maximise to hold the focus after Tab",
               lambda: controls["Maximise"].getState().contains(pyatspi.STATE_FOCUSED), 20)
    session.key(main, "Tab")
    wait_until("Minimise to hold the focus after a second Tab",
               lambda: controls["Minimise"].getState().contains(pyatspi.STATE_FOCUSED), 20)


if __name__ == "__main__":
    run(test, __doc__)
