#!/usr/bin/python3
"""The program as a screen reader meets it: through the real AT-SPI bus.

Starts Xvfb, a private D-Bus session bus and the AT-SPI bus launcher (which brings up the
accessibility bus and its registry), then the program itself on the xcb platform with Qt's
AT-SPI bridge forced on, opening a generated 16-bit stereo sound. Each test reads the
program's accessibility tree with pyatspi as an assistive technology would: the five picture
buttons, the position slider and its value, the view and its description, and presses
buttons through their AT-SPI actions.

    /usr/bin/python3 atspi_test.py PATH/TO/quorbel [unittest arguments]

Exits 0 when every test passes, 1 on a failure and 77 (CTest's skip code here) when Xvfb,
the buses or pyatspi are not to be had, saying why. Everything it starts runs in its own
process group and is ended, and everything it writes lives in one temporary folder that is
removed, whatever the outcome.
"""

import array
import math
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import warnings
import wave

SKIP = 77

# The sound every test opens: long enough that playing it is still going on while a test
# watches it.
WAVE_NAME = "tone.wav"
WAVE_RATE = 44100
WAVE_CHANNELS = 2
WAVE_SECONDS = 10

STARTUP_TIMEOUT = 10.0  # Xvfb, a bus
APP_TIMEOUT = 30.0  # the sanitizer build on a busy machine, until it shows on the desktop
REACTION_TIMEOUT = 5.0  # a pressed button, a changed text


class Skip(Exception):
    """The test cannot run here: a tool or service is missing, not a fault in the program."""


# ---------------------------------------------------------------------------------------
# The controls, as an assistive technology finds them: by role and accessible name. A role
# of None matches any role.


class Control:
    def __init__(self, role_name, name):
        self.role_name = role_name
        self.name = name

    def __str__(self):
        return f"{self.role_name or 'any role'} {self.name!r}"


PLAY = Control("push button", "Play")
STOP = Control("push button", "Stop")
TO_START = Control("push button", "Go to start")
TO_END = Control("push button", "Go to end")
RECORD = Control("push button", "Record")
BUTTONS = (PLAY, STOP, TO_START, TO_END, RECORD)
SLIDER = Control("slider", "Play position")
VIEW = Control(None, "Sound view")
EXIT = Control("menu item", "Exit")


# ---------------------------------------------------------------------------------------
# Processes and the session they run in.


def read_line_from(fd, timeout, what):
    """Reads one line that a starting process writes to pipe `fd` (its display number, its
    bus address). Raises Skip when it does not come in time."""
    data = b""
    deadline = time.monotonic() + timeout
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise Skip(f"{what} did not start within {timeout:.0f} s")
        chunk = os.read(fd, 4096)
        if not chunk:
            raise Skip(f"{what} ended before it was ready")
        data += chunk
    return data.decode().strip()


def end_process_group(process, grace=5.0):
    """Ends `process` and whatever it started in its own process group: SIGTERM first, so
    that servers remove their sockets and lock files, then SIGKILL."""
    if process is None:
        return
    for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, grace)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=wait)
            break
        except subprocess.TimeoutExpired:
            continue
    # Servers the leader started may still be on their way out.
    deadline = time.monotonic() + grace
    while time.monotonic() < deadline:
        try:
            os.killpg(process.pid, 0)
        except ProcessLookupError:
            return
        time.sleep(0.05)
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def write_test_wave(path):
    """A 16-bit stereo sound: a 440 Hz tone on the left, 660 Hz on the right."""
    frames = WAVE_RATE * WAVE_SECONDS
    samples = array.array("h", bytes(2 * WAVE_CHANNELS * frames))
    for i in range(frames):
        t = i / WAVE_RATE
        samples[2 * i] = int(8000 * math.sin(2 * math.pi * 440 * t))
        samples[2 * i + 1] = int(6000 * math.sin(2 * math.pi * 660 * t))
    if sys.byteorder != "little":
        samples.byteswap()
    with wave.open(path, "wb") as out:
        out.setnchannels(WAVE_CHANNELS)
        out.setsampwidth(2)
        out.setframerate(WAVE_RATE)
        out.writeframes(samples.tobytes())


class Session:
    """Xvfb, a private session bus and the accessibility bus, all inside one temporary
    folder that also serves as HOME, runtime folder and TMPDIR for every process here."""

    def __init__(self, program):
        self.program = program
        self.folder = None
        self.processes = []  # ended in reverse order
        self.env = None

    def start(self):
        self.folder = tempfile.mkdtemp(prefix="quorbel-atspi.")
        for sub in ("home", "runtime", "tmp"):
            os.mkdir(os.path.join(self.folder, sub), 0o700)
        env = {k: v for k, v in os.environ.items() if not k.startswith(("DBUS_", "AT_SPI"))}
        env.update(
            HOME=self.path("home"),
            XDG_RUNTIME_DIR=self.path("runtime"),
            XDG_CONFIG_HOME=self.path("home/.config"),
            XDG_CACHE_HOME=self.path("home/.cache"),
            XDG_DATA_HOME=self.path("home/.local/share"),
            TMPDIR=self.path("tmp"),
            # No dconf database is written for the launcher's settings look-ups.
            GSETTINGS_BACKEND="memory",
        )
        env.pop("DISPLAY", None)
        self.env = env
        from gi.repository import GLib

        self._start_xvfb()
        self._start_session_bus()
        try:
            self._start_accessibility_bus()
        except GLib.Error as e:
            raise Skip(f"the accessibility bus is not to be had: {e.message}\n"
                       + self.log_text("accessibility-bus.log"))
        write_test_wave(self.path(WAVE_NAME))

    def path(self, name):
        return os.path.join(self.folder, name)

    def log_text(self, name):
        try:
            with open(self.path(name), errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def _spawn(self, argv, log, pass_fds=()):
        with open(self.path(log), "ab") as out:
            process = subprocess.Popen(
                argv,
                env=self.env,
                stdin=subprocess.DEVNULL,
                stdout=out,
                stderr=subprocess.STDOUT,
                pass_fds=pass_fds,
                start_new_session=True,
            )
        self.processes.append(process)
        return process

    def _start_with_pipe(self, argv_for_fd, log, what):
        read_end, write_end = os.pipe()
        try:
            self._spawn(argv_for_fd(write_end), log, pass_fds=(write_end,))
        except FileNotFoundError as e:
            raise Skip(f"{what} is not installed ({e.filename})")
        finally:
            os.close(write_end)
        try:
            return read_line_from(read_end, STARTUP_TIMEOUT, what)
        finally:
            os.close(read_end)

    def _start_xvfb(self):
        # -displayfd: Xvfb picks a free display itself and writes its number to the pipe.
        display = self._start_with_pipe(
            lambda fd: ["Xvfb", "-displayfd", str(fd), "-nolisten", "tcp", "-screen", "0",
                        "1024x768x24"],
            "xvfb.log", "Xvfb")
        self.env["DISPLAY"] = ":" + display
        # On a busy machine the server may name its display a moment before a client can
        # connect: the first program would then die on "could not connect to display".
        xwininfo = shutil.which("xwininfo")
        if xwininfo is not None:
            wait_until(lambda: subprocess.run([xwininfo, "-root"], env=self.env,
                                              stdout=subprocess.DEVNULL,
                                              stderr=subprocess.DEVNULL).returncode == 0,
                       STARTUP_TIMEOUT, 0.1)

    def _start_session_bus(self):
        # The session configuration (its policy and the service folders holding the
        # accessibility bus launcher), listening inside the temporary folder.
        address = self._start_with_pipe(
            lambda fd: ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                        "--address=unix:dir=" + self.path("runtime"), f"--print-address={fd}"],
            "session-bus.log", "the D-Bus session bus")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_accessibility_bus(self):
        launcher = shutil.which("at-spi-bus-launcher", path="/usr/libexec:/usr/lib/at-spi2-core")
        if launcher is None:
            raise Skip("at-spi-bus-launcher is not installed (Debian package at-spi2-core)")
        self._spawn([launcher, "--launch-immediately"], "accessibility-bus.log")
        # The launcher owns org.a11y.Bus once the accessibility bus is up; asking it before
        # then would have the session bus start a second launcher.
        from gi.repository import Gio, GLib

        bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
            None, None)
        try:
            deadline = time.monotonic() + STARTUP_TIMEOUT
            while True:
                owned = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                      "org.freedesktop.DBus", "NameHasOwner",
                                      GLib.Variant("(s)", ("org.a11y.Bus",)),
                                      GLib.VariantType("(b)"), Gio.DBusCallFlags.NONE, 2000,
                                      None).unpack()[0]
                if owned:
                    break
                if time.monotonic() > deadline:
                    raise Skip(f"the AT-SPI bus launcher did not take org.a11y.Bus within "
                               f"{STARTUP_TIMEOUT:.0f} s:\n"
                               + self.log_text("accessibility-bus.log"))
                time.sleep(0.05)
            address = bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                    "GetAddress", None, GLib.VariantType("(s)"),
                                    Gio.DBusCallFlags.NO_AUTO_START, 5000, None).unpack()[0]
        finally:
            bus.close_sync(None)
        self.env["AT_SPI_BUS_ADDRESS"] = address

    def start_program(self, log="program.log", script=None):
        env = dict(self.env)
        env.update(
            # A real X11 window: Qt's AT-SPI bridge lives in the xcb platform, not offscreen.
            QT_QPA_PLATFORM="xcb",
            # Without it Qt joins the accessibility bus only when org.a11y.Status says a
            # screen reader is running.
            QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
            QUORBEL_AUDIO="null",
            # Leaks in the D-Bus and X libraries at exit are not this program's.
            ASAN_OPTIONS=(env.get("ASAN_OPTIONS", "") + ":detect_leaks=0").lstrip(":"),
        )
        env.pop("AT_SPI_BUS_ADDRESS", None)  # the program finds the bus as any would
        # A folder of working files of its own: a program a test ended with an edited sound
        # leaves it to be offered back, which is no later test's business.
        env["TMPDIR"] = tempfile.mkdtemp(prefix="tmp-", dir=self.folder)
        with open(self.path(log), "wb") as out:
            arguments = [self.program, self.path(WAVE_NAME)]
            if script is not None:
                with open(self.path("script.txt"), "w", encoding="utf-8") as lines:
                    lines.write(script)
                arguments[1:1] = ["--script", self.path("script.txt")]
            process = subprocess.Popen(
                arguments,
                env=env,
                cwd=self.folder,
                stdin=subprocess.DEVNULL,
                stdout=out,
                stderr=subprocess.STDOUT,
                start_new_session=True,
            )
        # Ended by the test that started it, or by stop() when a test never got that far.
        self.processes.append(process)
        return process

    def stop(self):
        # A group outlives its leader while any member is left, and its id is not reused
        # meanwhile: ending it by that id is safe even after the leader has been reaped.
        for process in reversed(self.processes):
            end_process_group(process)
        self.processes.clear()
        if self.folder is not None:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None


# ---------------------------------------------------------------------------------------
# Reading the tree. Every read asks the program afresh: the client library's cache would
# otherwise answer from what an earlier event said.

pyatspi = None  # imported once the buses are up, so that it connects to ours
Atspi = None


def fresh(node):
    node.clear_cache()
    return node


def states_of(node):
    return {pyatspi.stateToString(s) for s in fresh(node).getState().getStates()}


def description_of(node):
    return fresh(node).description or ""


def value_of(node):
    return fresh(node).queryValue().currentValue


def value_text_of(node):
    """What a screen reader reads out as the value: AT-SPI's Value text, empty when the
    toolkit sends only the number."""
    return Atspi.Value.get_text(fresh(node)) or ""


def action_names(node):
    try:
        action = fresh(node).queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def describe_tree(node, depth=0, limit=200):
    """The tree as indented lines of role, name and description, for failure messages."""
    lines = []

    def walk(n, d):
        if len(lines) >= limit:
            return
        lines.append("  " * d + f"{n.getRoleName()} {n.name!r} {n.description!r}")
        for child in n:
            if child is not None:
                walk(child, d + 1)

    walk(node, depth)
    return "\n".join(lines)


def wait_until(predicate, timeout=REACTION_TIMEOUT, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        if predicate():
            return True
        if time.monotonic() > deadline:
            return False
        time.sleep(interval)


class AtspiTestCase(unittest.TestCase):
    """Starts the program for each test and finds its application on the desktop."""

    session = None  # set by main()
    script = None  # script lines the program runs first (it waits in them for the test)

    def setUp(self):
        # pyatspi itself still calls client-library functions that are marked deprecated.
        # (Set here: the test runner replaces the warning filters while it runs.)
        warnings.filterwarnings("ignore", category=DeprecationWarning, module=r"pyatspi(\.|$)")
        self.log = f"program-{self.id().rsplit('.', 1)[-1]}.log"
        self.process = self.session.start_program(self.log, self.script)
        self.addCleanup(end_process_group, self.process)
        self.app = self._find_application()

    def _find_application(self, retried=False):
        desktop = pyatspi.Registry.getDesktop(0)
        found = []

        def look():
            if self.process.poll() is not None:
                return True
            for app in desktop:
                if app is not None and app.get_process_id() == self.process.pid:
                    found.append(app)
                    return True
            return False

        wait_until(look, APP_TIMEOUT, 0.1)
        # A display that refused the connection (a busy X server) is tried once more.
        if (self.process.poll() is not None and not retried
                and "could not connect to display" in self.session.log_text(self.log)):
            time.sleep(0.5)
            self.process = self.session.start_program(self.log, self.script)
            self.addCleanup(end_process_group, self.process)
            return self._find_application(retried=True)
        if self.process.poll() is not None:
            self.fail(f"the program ended with status {self.process.returncode} before it "
                      f"showed on the desktop:\n{self.session.log_text(self.log)}")
        if not found:
            self.fail(f"the program did not show on the AT-SPI desktop within "
                      f"{APP_TIMEOUT:.0f} s:\n{self.session.log_text(self.log)}")
        # The document window and its view come up after the main window.
        app = found[0]
        if not wait_until(lambda: self._lookup(app, VIEW) is not None, APP_TIMEOUT, 0.1):
            self.fail(f"no {VIEW} under the application:\n{describe_tree(app)}")
        return app

    @staticmethod
    def _lookup(root, control):
        for node in descendants(root):
            if node.name == control.name and (
                    control.role_name is None or node.getRoleName() == control.role_name):
                return node
        return None

    # -- finding ---------------------------------------------------------------------------

    def find(self, control):
        node = self._lookup(self.app, control)
        if node is None:
            self.fail(f"no {control} in the accessibility tree:\n{describe_tree(self.app)}")
        return node

    # -- expectations, each reading the program afresh until it holds or time runs out ----

    def expect_description_contains(self, control, text, timeout=REACTION_TIMEOUT):
        node = self.find(control)
        if not wait_until(lambda: text in description_of(node), timeout):
            self.fail(f"{control}'s description {description_of(node)!r} does not contain "
                      f"{text!r}")

    def expect_value_text_contains(self, control, text, timeout=REACTION_TIMEOUT):
        """The Value text is what AT-SPI carries for a value that reads as words. Qt 6.4's
        bridge (Debian 12) sends only the number and leaves it empty, so on that Qt a text
        such as the play position's time reaches the bus only in the name or description."""
        node = self.find(control)
        if not wait_until(lambda: text in value_text_of(node), timeout):
            self.fail(f"{control}'s value text {value_text_of(node)!r} (value "
                      f"{value_of(node)}) does not contain {text!r}")

    def expect_enabled(self, control, enabled=True, timeout=REACTION_TIMEOUT):
        node = self.find(control)
        if not wait_until(lambda: ("enabled" in states_of(node)) == enabled, timeout):
            self.fail(f"{control} should be {'enabled' if enabled else 'disabled'}; its "
                      f"states are {sorted(states_of(node))}")

    def expect_value_rises_above(self, control, floor, timeout=REACTION_TIMEOUT):
        node = self.find(control)
        if not wait_until(lambda: value_of(node) > floor, timeout):
            self.fail(f"{control}'s value stayed at {value_of(node)}, not above {floor}")
        return value_of(node)

    # -- acting ----------------------------------------------------------------------------

    def press(self, control, action_name="Press"):
        node = self.find(control)
        names = action_names(node)
        self.assertIn(action_name, names, f"{control} offers no {action_name!r} action")
        self.assertTrue(fresh(node).queryAction().doAction(names.index(action_name)),
                        f"{control}'s {action_name!r} action was refused")


class ControlsTest(AtspiTestCase):
    def test_buttons_are_found_by_name_with_descriptions_and_states(self):
        for control in BUTTONS:
            with self.subTest(str(control)):
                node = self.find(control)
                self.assertGreater(len(description_of(node)), 10)
                self.assertIn("focusable", states_of(node))
        # A file just opened plays from its start: nothing to stop, already at the start.
        for control, enabled in ((PLAY, True), (TO_END, True), (RECORD, True),
                                 (STOP, False), (TO_START, False)):
            with self.subTest(f"{control} enabled={enabled}"):
                self.expect_enabled(control, enabled)
                # What is enabled can be pressed; a disabled button offers no press.
                self.assertEqual("Press" in action_names(self.find(control)), enabled)

    def test_slider_value_is_at_the_start_of_a_sound_just_opened(self):
        node = self.find(SLIDER)
        value = fresh(node).queryValue()
        self.assertEqual(value.currentValue, value.minimumValue)
        self.assertGreater(value.maximumValue, value.minimumValue)
        self.assertGreater(len(description_of(node)), 10)

    def test_view_description_says_what_sound_is_loaded(self):
        self.expect_description_contains(
            VIEW, f"{WAVE_NAME}: 16 bits, 2 channels (stereo), 44100 Hz, "
                  f"{WAVE_SECONDS:.2f} seconds")


class SelectionTest(AtspiTestCase):
    # A selection typed in milliseconds, then the program waits for the test.
    script = "select 250 1250\nwait 60000\nquit\n"

    def test_view_description_reads_the_selection_and_the_zoom(self):
        self.expect_description_contains(VIEW, "Selection 0:00.250 \u2013 0:01.250 (1.000 s)")
        self.expect_description_contains(VIEW, "Zoomed to 0:00.250 \u2013 0:01.250")


class TransportTest(AtspiTestCase):
    def test_play_action_plays_and_stop_action_stops(self):
        start = value_of(self.find(SLIDER))
        self.press(PLAY)
        self.expect_enabled(STOP, True)
        self.expect_enabled(PLAY, False)
        self.expect_value_rises_above(SLIDER, start)

        self.press(STOP)
        self.expect_enabled(STOP, False)
        self.expect_enabled(PLAY, True)
        slider = self.find(SLIDER)
        stopped_at = value_of(slider)
        time.sleep(0.3)
        self.assertEqual(value_of(slider), stopped_at, "the play position moves after Stop")
        self.assertGreater(stopped_at, start)

    def test_exit_menu_item_ends_the_program_cleanly(self):
        # Through the menu a screen-reader user would take; nothing is modified, so nothing
        # asks to be saved.
        self.press(EXIT)
        try:
            status = self.process.wait(timeout=APP_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail("the program is still running after File, Exit")
        self.assertEqual(status, 0, self.session.log_text(self.log))


class EventCounter:
    """Events of the given types from the program, as a screen reader hears them: listened
    for through the registry and taken in while the test pumps the main loop."""

    def __init__(self, process, *types):
        self.pid = process.pid
        self.events = []
        self.types = types
        for kind in types:
            pyatspi.Registry.registerEventListener(self._heard, kind)

    def _heard(self, event):
        try:
            source = event.source
            if source is None or source.get_process_id() != self.pid:
                return
            self.events.append((event.type, source.getRoleName(), source.name,
                                str(event.any_data), event.detail1))
        except Exception:  # a source already gone: not this program's event to count
            pass

    def pump(self, seconds):
        from gi.repository import GLib

        context = GLib.MainContext.default()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            while context.pending():
                context.iteration(False)
            time.sleep(0.01)

    def close(self):
        for kind in self.types:
            pyatspi.Registry.deregisterEventListener(self._heard, kind)

    def of(self, prefix, role=None):
        return [e for e in self.events
                if e[0].startswith(prefix) and (role is None or e[1] == role)]


class QuietPlaybackTest(AtspiTestCase):
    def test_five_seconds_of_playing_raise_few_slider_events(self):
        counter = EventCounter(self.process, "object:value-changed",
                               "object:property-change:accessible-value")
        self.addCleanup(counter.close)
        self.press(PLAY)
        self.expect_enabled(STOP, True)
        # Counted from here: what came while the play started is heard first and dropped.
        counter.pump(0.3)
        counter.events.clear()
        counter.pump(5.0)
        slider_events = counter.of("object:", "slider")
        # Four a second at most (one more where the five seconds cut a quarter), and the play
        # goes on through all five seconds.
        self.assertLessEqual(len(slider_events), 5 * 4 + 1, slider_events[:30])
        self.assertGreaterEqual(len(slider_events), 5, slider_events)
        self.press(STOP)


class AnnouncementTest(AtspiTestCase):
    # An effect a few seconds after the start, while the test listens.
    script = "wait 4000\ncommand ID_EFFECTS_REVERSE\nwait 60000\nquit\n"

    def test_the_end_of_an_operation_is_announced_as_an_alert(self):
        counter = EventCounter(self.process, "object:state-changed:showing")
        self.addCleanup(counter.close)
        wanted = "Reverse operation complete!"
        deadline = time.monotonic() + APP_TIMEOUT
        while time.monotonic() < deadline:
            counter.pump(0.2)
            if any(e[1] == "alert" and e[2] == wanted and e[4] == 1 for e in counter.events):
                break
        alerts = [e for e in counter.events if e[1] == "alert"]
        self.assertTrue(any(e[2] == wanted and e[4] == 1 for e in alerts),
                        f"no alert {wanted!r} appeared; heard {counter.events[:20]}")


def stopped_from_outside(signum, frame):
    raise KeyboardInterrupt


def main(argv):
    global pyatspi, Atspi
    if len(argv) < 2:
        print(f"usage: {argv[0]} PATH/TO/quorbel [unittest arguments]", file=sys.stderr)
        return 2
    program = os.path.abspath(argv[1])
    if not os.access(program, os.X_OK):
        print(f"no program at {program}", file=sys.stderr)
        return 2
    try:
        import gi

        gi.require_version("Atspi", "2.0")
    except (ImportError, ValueError) as e:
        print(f"SKIP: pyatspi's libraries are missing ({e}); Debian package python3-pyatspi",
              file=sys.stderr)
        return SKIP

    session = Session(program)
    # A stop from outside (a test runner's time-out) still ends the servers. It is raised as
    # KeyboardInterrupt, the one exception the test runner lets through instead of counting
    # it against the test that was running and going on with the next.
    signal.signal(signal.SIGTERM, stopped_from_outside)
    try:
        try:
            session.start()
        except Skip as e:
            print(f"SKIP: {e}", file=sys.stderr)
            return SKIP
        # The client library finds the accessibility bus through these when it connects.
        for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                     "GSETTINGS_BACKEND", "XDG_RUNTIME_DIR", "HOME"):
            os.environ[name] = session.env[name]
        try:
            import pyatspi as pyatspi_module
            from gi.repository import Atspi as atspi_module
        except ImportError as e:
            print(f"SKIP: pyatspi is missing ({e}); Debian package python3-pyatspi",
                  file=sys.stderr)
            return SKIP
        pyatspi, Atspi = pyatspi_module, atspi_module
        AtspiTestCase.session = session
        runner = unittest.main(module=__name__, argv=[argv[0]] + argv[2:], exit=False,
                               verbosity=2)
        return 0 if runner.result.wasSuccessful() else 1
    except KeyboardInterrupt:
        print("stopped from outside before the tests ended", file=sys.stderr)
        return 1
    finally:
        session.stop()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
