"""Drives the built game in a real window on a private X display, as a player would.

Input goes in only from outside the process, as real X events (xdotool). What the board shows is
read through the accessibility tree (AT-SPI), the way a screen reader reads it, and screenshots are
saved for people to look at.
"""

import contextlib
import ctypes
import os
import select
import shutil
import signal
import subprocess
import tempfile
import threading
import time

import pyatspi

NAME_PROMPT = "Come ti chiami?"
GREETING_END = " vediamo se sei un vero campione  "
GOODBYE = "              Ciao a presto."
CONGRATULATION = 'Ok ho registrato il tuo record, C A M P I O N E"'
NEW_RACE_QUESTION = "INIZIAMO UNA NUOVA GARA  ?"
SCORE_PLACE = (64, 72)  # where the score label stands in the board's inner area
INNER_SIZE = (608, 672)
# Roles are compared as pyatspi's constants, not by their names, which at-spi2-core has renamed
# ("push button" became "button").
BOX_ROLES = (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT)


class GameSession:
    """One run of the program under Xvfb, with its own records folder and accessibility bus."""

    def __init__(self, program, records_home, screenshots=None, screen="1024x900", window_manager=False,
                 environment=None, arguments=()):
        self.program = program
        self.arguments = list(arguments)
        self.records_home = records_home
        self.screenshots = screenshots
        self.screen = screen
        self.window_manager = window_manager
        self.environment = environment or {}
        self.processes = []
        self.game = None

    def __enter__(self):
        try:
            self.start_display()
            if self.window_manager:
                self.start_window_manager()
            self.start_accessibility_bus()
            self.start_game()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def start_display(self):
        # Without -noreset the server resets whenever its last client leaves and drops a client that
        # connects meanwhile: the bus launcher's short visit, to publish the bus on the root window,
        # would race the game's first connection.
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen + "x24",
                                 "-nolisten", "tcp", "-noreset"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
        self.processes.append(xvfb)
        os.close(write_end)
        self.display = ":" + read_display_number(read_end, xvfb)
        wait_for_display(self.display, xvfb)
        os.environ["DISPLAY"] = self.display

    def start_window_manager(self, timeout=20.0):
        """Starts openbox, so that maximise and full screen are real, and waits until it manages the
        screen: it runs its start-up command only then."""
        with tempfile.TemporaryDirectory(prefix="brivadoro-wm-") as folder:
            ready = os.path.join(folder, "ready")
            manager = subprocess.Popen(["openbox", "--sm-disable", "--startup", f"touch {ready}"],
                                       env=dict(os.environ, XDG_CONFIG_HOME=folder), stderr=subprocess.DEVNULL)
            self.processes.append(manager)
            deadline = time.monotonic() + timeout
            while not os.path.exists(ready):
                if manager.poll() is not None:
                    raise RuntimeError(f"openbox ended with status {manager.returncode}")
                if time.monotonic() > deadline:
                    raise TimeoutError(f"openbox did not manage the screen within {timeout} s")
                time.sleep(0.05)

    def start_accessibility_bus(self):
        launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                    stderr=subprocess.DEVNULL)
        self.processes.append(launcher)
        wait_for_accessibility_bus(launcher)

    def start_game(self):
        environment = dict(os.environ, XDG_DATA_HOME=self.records_home, QT_QPA_PLATFORM="xcb",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **self.environment)
        self.started = time.monotonic()
        # What the game says on its error stream, a sanitizer's report included, is kept beside the
        # screenshots.
        log = subprocess.DEVNULL
        if self.screenshots is not None:
            os.makedirs(self.screenshots, exist_ok=True)
            log = open(os.path.join(self.screenshots, "game-errors.txt"), "wb")
        self.game = subprocess.Popen([self.program, *self.arguments], env=environment, stderr=log)
        if log is not subprocess.DEVNULL:
            log.close()

    def __exit__(self, *exc):
        if self.game and self.game.poll() is None:
            self.game.kill()
            self.game.wait()
        for process in reversed(self.processes):
            process.send_signal(signal.SIGTERM)
            process.wait()

    # What the screen shows

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.name == "brivadoro":
                return app
        return None

    def windows(self):
        """The program's shown windows, each as (pyatspi role, accessible node)."""
        app = self.application()
        if app is None:
            return []
        shown = []
        for index in range(app.childCount):
            window = app.getChildAtIndex(index)
            if window is not None and window.getState().contains(pyatspi.STATE_SHOWING):
                shown.append((window.getRole(), window))
        return shown

    def dialog_with_text(self, text):
        for role, window in self.windows():
            if role in BOX_ROLES and text in labels_of(window):
                return window
        return None

    def dialog_with_text_ending(self, end):
        for role, window in self.windows():
            if role in BOX_ROLES and any(text.endswith(end) for text in labels_of(window)):
                return window
        return None

    def board(self):
        for role, window in self.windows():
            if role == pyatspi.ROLE_FRAME:
                return window
        return None

    def board_inner(self):
        """The board's inner area as (x, y) of its top-left corner on the screen."""
        return self.inner_area()[:2]

    def inner_area(self):
        """The board's inner area, where the targets move, as (x, y, width, height) on the screen."""
        for node in walk(self.board()):
            if node.getRole() == pyatspi.ROLE_FILLER and any(
                    node.getChildAtIndex(index).getRole() == pyatspi.ROLE_PUSH_BUTTON
                    for index in range(node.childCount)):
                extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                return extents.x, extents.y, extents.width, extents.height
        raise RuntimeError("the board has no inner area")

    def zoom(self):
        """How many times its design size the inner area is shown."""
        return self.inner_area()[2] / INNER_SIZE[0]

    def shown_buttons(self):
        """Every shown button on the board as (caption, (x, y, width, height)) on the screen."""
        found = []
        for node in walk(self.board()):
            if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.getState().contains(pyatspi.STATE_SHOWING):
                extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                found.append((node.name, (extents.x, extents.y, extents.width, extents.height)))
        return found

    def score(self):
        """The score label's caption."""
        inner_x, inner_y, width, _ = self.inner_area()
        place = [round(at * width / INNER_SIZE[0]) for at in SCORE_PLACE]
        for node in walk(self.board()):
            if node.getRole() == pyatspi.ROLE_LABEL:
                extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                if abs(extents.x - inner_x - place[0]) <= 1 and abs(extents.y - inner_y - place[1]) <= 1:
                    return node.name
        raise RuntimeError("no score label on the board")

    def wait_for(self, what, timeout=10.0, every=0.05):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                found = what()
            except Exception:  # the tree changes while it is read; read it again
                found = None
            if found:
                return found
            time.sleep(every)
        ended = self.game.poll() if self.game else None
        gone = "" if ended is None else f"; the game had ended with status {ended}"
        raise TimeoutError(f"waited {timeout} s for {getattr(what, '__name__', 'the screen')}{gone}")

    # What the player does

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)

    def key(self, *keys):
        subprocess.run(["xdotool", "key", *keys], check=True)

    def click(self, x, y):
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)

    def click_centre(self, node):
        extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.click(extents.x + extents.width // 2, extents.y + extents.height // 2)

    def click_inner(self, x, y):
        """Clicks at a place of the inner area given in design pixels."""
        inner_x, inner_y, width, _ = self.inner_area()
        zoom = width / INNER_SIZE[0]
        self.click(inner_x + round(x * zoom), inner_y + round(y * zoom))

    def answer(self, text, *keys, timeout=10.0):
        """Waits for the box showing text and presses keys (Return by default)."""
        box = self.wait_for(lambda: self.dialog_with_text(text), timeout)
        if self.window_manager:
            self.make_active(box)
        self.key(*(keys or ("Return",)))
        self.wait_for(lambda: self.dialog_with_text(text) is None, timeout)

    def answer_name_box(self, player):
        """Types player into the name box, answers the greeting and waits for the board."""
        box = self.wait_for(lambda: self.dialog_with_text(NAME_PROMPT), timeout=20)
        if self.window_manager:
            self.make_active(box)
        self.type(player)
        self.key("Return")
        self.answer(" " + player + GREETING_END)
        self.wait_for(self.board)

    def new_game(self, player):
        """Chooses "Nuovo gioco" in the menu bar, answers its question Sì and the name box with player."""
        item = self.wait_for(lambda: next((node for node in walk(self.board()) if node.name == "Nuovo gioco"
                                           and node.getRole() == pyatspi.ROLE_MENU_ITEM), None))
        self.click_centre(item)
        box = self.wait_for(lambda: self.dialog_with_text(NEW_RACE_QUESTION))
        self.click_centre(next(node for node in walk(box) if node.getRole() == pyatspi.ROLE_PUSH_BUTTON
                               and not node.name.replace("&", "").startswith("No")))
        self.answer_name_box(player)

    def make_active(self, box, timeout=10.0):
        """Waits until the box has the keyboard. A window manager may hold a new window back from
        it (openbox's guard against windows that steal the focus); a click on the box's top margin,
        where it has no control, then gives it."""
        active = lambda: box.getState().contains(pyatspi.STATE_ACTIVE)  # noqa: E731
        deadline = time.monotonic() + timeout
        while not active():
            if time.monotonic() > deadline:
                raise TimeoutError("the box never took the keyboard")
            with contextlib.suppress(TimeoutError):
                self.wait_for(active, timeout=1.0)
                return
            extents = box.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            self.click(extents.x + extents.width // 2, extents.y + 3)

    def screenshot(self, name):
        if self.screenshots is None:
            return None
        os.makedirs(self.screenshots, exist_ok=True)
        path = os.path.join(self.screenshots, name)
        board = self.board()
        crop = []
        if board is not None:
            extents = board.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            crop = ["-crop", f"{extents.width}x{extents.height}+{extents.x}+{extents.y}"]
        subprocess.run(["import", "-display", self.display, "-window", "root", *crop, path], check=True)
        return path

    def mapped_libraries(self):
        """The paths of the shared objects the game has mapped, from /proc/<pid>/maps."""
        with open(f"/proc/{self.game.pid}/maps") as maps:
            return {line.split(None, 5)[5].strip() for line in maps if len(line.split(None, 5)) == 6
                    and ".so" in line.split(None, 5)[5]}

    def wait_exit(self, timeout):
        return self.game.wait(timeout=timeout)


def read_display_number(pipe, xvfb, timeout=20.0):
    """The display number that Xvfb writes to pipe once it has made its listening sockets."""
    deadline = time.monotonic() + timeout
    text = b""
    with os.fdopen(pipe, "rb", buffering=0) as numbers:
        while not text.endswith(b"\n"):
            ready, _, _ = select.select([numbers], [], [], max(0.0, deadline - time.monotonic()))
            chunk = numbers.read(64) if ready else None
            if chunk:
                text += chunk
            elif ready:  # end of file: Xvfb closed the pipe without a whole number
                xvfb.wait()
                raise RuntimeError(f"Xvfb ended with status {xvfb.returncode} before it named its display")
            else:
                raise TimeoutError(f"Xvfb named no display within {timeout} s")
    return text.decode().strip()


XCB_ERRORS = {1: "the connection failed or was dropped", 2: "an extension is missing", 3: "out of memory",
              4: "a request too long", 5: "the display name is not valid", 6: "no such screen",
              7: "file descriptor passing failed"}


def x_connection_error(display):
    """0 when a new client can connect to display and complete the X setup, as the game's libxcb
    will do, else libxcb's error code."""
    xcb = ctypes.CDLL("libxcb.so.1")
    xcb.xcb_connect.restype = ctypes.c_void_p
    xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
    xcb.xcb_connection_has_error.argtypes = [ctypes.c_void_p]
    xcb.xcb_disconnect.argtypes = [ctypes.c_void_p]
    connection = xcb.xcb_connect(display.encode(), None)
    try:
        return xcb.xcb_connection_has_error(connection)
    finally:
        xcb.xcb_disconnect(connection)


def wait_for_display(display, xvfb, timeout=20.0):
    """Waits until the X server takes a new client: the display number says only that its sockets
    exist."""
    deadline = time.monotonic() + timeout
    cause = "no attempt finished"
    while time.monotonic() < deadline:
        if xvfb.poll() is not None:
            raise RuntimeError(f"Xvfb on {display} ended with status {xvfb.returncode} before it took a client")
        # In a thread of its own, since a server that accepts and never answers would hold it for good.
        result = []
        attempt = threading.Thread(target=lambda: result.append(x_connection_error(display)), daemon=True)
        attempt.start()
        attempt.join(max(0.0, deadline - time.monotonic()))
        if result and result[0] == 0:
            return
        cause = XCB_ERRORS.get(result[0], f"libxcb error {result[0]}") if result else "the server never answered"
        time.sleep(0.05)
    raise TimeoutError(f"the X server on {display} took no client within {timeout} s: {cause}")


def wait_for_accessibility_bus(launcher, timeout=20.0):
    """Waits until the accessibility bus takes a client, so that the game finds it as it starts: on
    a busy machine the bus launcher can take longer than any fixed pause."""
    from gi.repository import Gio, GLib  # pyatspi's own dependencies

    deadline = time.monotonic() + timeout
    cause = "no attempt finished"
    while time.monotonic() < deadline:
        if launcher.poll() is not None:
            raise RuntimeError(f"the accessibility bus launcher ended with status {launcher.returncode}")
        try:
            session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
            reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                      GLib.VariantType("(s)"), Gio.DBusCallFlags.NO_AUTO_START, 1000, None)
            flags = Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION
            bus = Gio.DBusConnection.new_for_address_sync(reply.unpack()[0], flags, None, None)
            bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId", None,
                          None, Gio.DBusCallFlags.NONE, 1000, None)
            bus.close_sync(None)
            return
        except GLib.Error as error:  # not there yet
            cause = error.message
            time.sleep(0.05)
    raise TimeoutError(f"the accessibility bus took no client within {timeout} s: {cause}")


def walk(node):
    if node is None:
        return
    yield node
    for index in range(node.childCount):
        yield from walk(node.getChildAtIndex(index))


def labels_of(window):
    return [node.name for node in walk(window) if node.getRole() == pyatspi.ROLE_LABEL]


@contextlib.contextmanager
def program_copy_without_sounds(program):
    """A copy of the program in a folder of its own, with no suoni folder beside it, removed after."""
    with tempfile.TemporaryDirectory(prefix="brivadoro-silent-") as folder:
        copy = os.path.join(folder, os.path.basename(program))
        shutil.copy2(program, copy)
        yield copy

