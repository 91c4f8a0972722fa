#!/usr/bin/python3
"""The board on a screen of a given size, under a window manager: the whole inner area lies on the
screen and a right target in its bottom row scores; with --full-screen, F11 (or the game's own
--fullscreen) makes the board fill the screen's height, a hit and a miss land at the painted targets'
centres, a target's edge stays sharp, a new game keeps the window full screen in its place, and F11
again gives back the design size."""

import argparse
import subprocess
import sys
import tempfile
import time

import pyatspi

from brivadoro_driver import INNER_SIZE, GameSession, walk

PLAYER = "Anna"
NEXT_PLAYER = "Bruno"
WARNING_END = "un numero divisibile per 4"
LAUNCH_POINT = (590, 655)  # a spot of the board's background where no label stands, in design pixels
MENU_BAR_MOST = 60  # the menu bar above a full-screen board is never taller than this
BOTTOM_ROW = 0.8  # a target in the bottom row has its lower edge below this share of the inner height
EDGE_MOST = 2  # pixels between the backdrop's colour and the target's face across a sharp edge
BESIDE = 8  # pixels of the backdrop read beside a target's left edge
SAME_COLOUR = 6  # the largest difference per channel between two pixels taken as one colour


def device_scale(session, screen_width):
    """How many screen pixels one of the accessibility tree's units is: Qt's releases differ on
    whether they give positions before or after QT_SCALE_FACTOR."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Brivadoro$", "getwindowgeometry"],
                           capture_output=True, text=True, check=True).stdout
    width = int(found.split("Geometry: ")[1].split("x")[0])
    extents = session.board().queryComponent().getExtents(0)
    return width / extents.width if extents.width else 1.0


def targets(session, scale):
    """The shown targets as (number, (x, y, width, height)) in screen pixels."""
    return [(int(caption), tuple(round(v * scale) for v in extents))
            for caption, extents in session.shown_buttons() if caption.isdigit()]


def free_centre(extents, shown, inner):
    """The centre of a target that lies whole in the inner area with no other target over it."""
    x, y, width, height = extents
    ix, iy, iw, ih = inner
    if not (ix <= x and iy <= y and x + width <= ix + iw and y + height <= iy + ih):
        return None
    centre = (x + width // 2, y + height // 2)
    for _, other in shown:
        ox, oy, ow, oh = other
        if other != extents and ox <= centre[0] < ox + ow and oy <= centre[1] < oy + oh:
            return None
    return centre


def shoot(session, scale, right, where=lambda extents, inner: True, timeout=120.0):
    """Clicks the centre of a shown target that is right (or wrong) and lies where asked, until the
    score changes by a hit (or a miss, whose warning is answered). Returns the new score."""
    before = session.score()
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        inner = tuple(round(v * scale) for v in session.inner_area())
        shown = targets(session, scale)
        chosen = next((centre for number, extents in shown
                       if (number % 4 == 0) == right and (centre := free_centre(extents, shown, inner))
                       and where(extents, inner)), None)
        if chosen is None:
            if not shown:  # the launching click came before the board took input: click again
                session.click_inner(*LAUNCH_POINT)
            time.sleep(0.1)
            continue
        # Reading the board takes a while on a busy machine: the click goes only where a second
        # reading still finds the targets, so that it does not land on a spot a target has left.
        if targets(session, scale) != shown:
            continue
        session.click(*chosen)
        time.sleep(0.3)
        if warning := session.dialog_with_text_ending(WARNING_END):
            session.make_active(warning)
            session.key("Return")
            session.wait_for(lambda: session.dialog_with_text_ending(WARNING_END) is None)
        score = session.score()
        if score != before:
            gained = int(score) - int(before)
            if gained == (1 if right else -4):
                return score
            before = score  # a target jumped under the pointer: try again
    raise TimeoutError("no target could be shot where asked")


def in_bottom_row(extents, inner):
    return extents[1] + extents[3] >= inner[1] + BOTTOM_ROW * inner[3]


def row_pixels(session, x, y, width):
    """The colours of a row of screen pixels, as (red, green, blue) tuples."""
    text = subprocess.run(["import", "-display", session.display, "-window", "root", "-crop", f"{width}x1+{x}+{y}",
                           "-depth", "8", "txt:-"], capture_output=True, text=True, check=True).stdout
    pixels = []
    for line in text.splitlines()[1:]:
        values = line.split("(", 1)[1].split(")", 1)[0].split(",")
        pixels.append(tuple(round(float(v)) for v in values[:3]))
    return pixels


def same(a, b):
    return all(abs(p - q) <= SAME_COLOUR for p, q in zip(a, b))


def edge_width(session, scale, timeout=60.0):
    """Pixels between the backdrop and the face across a shown target's left edge, a quarter down."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        inner = tuple(round(v * scale) for v in session.inner_area())
        shown = targets(session, scale)
        # The button last clicked has the keyboard, and the style draws its focus frame inside its
        # edge: that one is not looked at.
        focused = {int(node.name) for node in walk(session.board()) if node.name.isdigit()
                   and node.getState().contains(pyatspi.STATE_FOCUSED)}
        for number, extents in shown:
            x, y, width, height = extents
            if number in focused or free_centre(extents, shown, inner) is None or x - BESIDE < inner[0]:
                continue
            row = row_pixels(session, x - BESIDE, y + height // 4, BESIDE + width // 4)
            if targets(session, scale) != shown:
                break  # the targets moved while the screen was read
            backdrop, face = row[0], row[-1]
            if not all(same(pixel, backdrop) for pixel in row[:BESIDE]):
                continue  # a label or another button stands beside the target, not the plain backdrop
            last_backdrop = max(i for i, pixel in enumerate(row[:12]) if same(pixel, backdrop))
            first_face = min((i for i, pixel in enumerate(row) if i > last_backdrop and same(pixel, face)),
                             default=None)
            if first_face is not None:  # else a label lay across the row: look at another target
                return first_face - last_backdrop - 1
        time.sleep(0.2)
    raise TimeoutError("no target stood clear to look at its edge")


def play(program, screen, scale_factor, full_screen, started_full_screen, screenshots):
    width, height = (int(v) for v in screen.split("x"))
    environment = {"QT_SCALE_FACTOR": scale_factor} if scale_factor else {}
    with tempfile.TemporaryDirectory(prefix="brivadoro-records-") as records:
        with GameSession(program, records, screenshots, screen=screen, window_manager=True, environment=environment,
                         arguments=["--fullscreen"] if started_full_screen else []) as session:
            session.answer_name_box(PLAYER)
            scale = session.wait_for(lambda: device_scale(session, width))
            x, y, w, h = (round(v * scale) for v in session.inner_area())
            print(f"inner area {w}x{h} at {x},{y} on {screen}, {scale:.2f} screen pixels a unit")
            session.screenshot("board-at-start.png")
            assert x >= 0 and y >= 0 and x + w <= width and y + h <= height, "the board leaves the screen"
            session.click_inner(*LAUNCH_POINT)

            if not full_screen:
                score = shoot(session, scale, right=True, where=in_bottom_row)
                print(f"a right target in the bottom row scored: {score!r}")
                return

            if not started_full_screen:
                session.key("F11")
            filled = lambda: (lambda a: abs(a[1] + a[3] - height) <= 1 and a[1] <= MENU_BAR_MOST)(  # noqa: E731
                [round(v * scale) for v in session.inner_area()])
            session.wait_for(filled)
            x, y, w, h = full = tuple(round(v * scale) for v in session.inner_area())
            print(f"full screen{' from the start' if started_full_screen else ''}: inner area {w}x{h} at {x},{y}")
            session.screenshot("board-full-screen.png")
            print(f"a hit: {shoot(session, scale, right=True)!r}, a miss: {shoot(session, scale, right=False)!r}")
            # The target under the pointer is drawn lit, and a target that jumps under a still pointer
            # is lit too: the pointer leaves the board first. A stretched picture blurs every edge; one
            # reading may fall on a label, so the sharpest of three readings counts.
            subprocess.run(["xdotool", "mousemove", "--sync", "0", "0"], check=True)
            edge = min(edge_width(session, scale) for _ in range(3))
            print(f"a target's edge goes from the backdrop to its face across {edge} pixels")
            assert edge <= EDGE_MOST, "the target's edge is blurred"

            session.new_game(NEXT_PLAYER)
            session.wait_for(lambda: tuple(round(v * scale) for v in session.inner_area()) == full, timeout=20)
            session.screenshot("board-new-game.png")
            print("a new game: still full screen, in the same place")

            session.key("F11")
            session.wait_for(lambda: tuple(round(v * scale) for v in session.inner_area()[2:]) ==
                             tuple(round(v * scale) for v in INNER_SIZE))
            print("restored: the design size again")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--screen", default="1024x600")
    parser.add_argument("--scale-factor", help="QT_SCALE_FACTOR, as a desktop sets it")
    parser.add_argument("--full-screen", action="store_true")
    parser.add_argument("--started-full-screen", action="store_true", help="run the game with --fullscreen")
    parser.add_argument("--screenshots")
    arguments = parser.parse_args()
    full_screen = arguments.full_screen or arguments.started_full_screen
    play(arguments.program, arguments.screen, arguments.scale_factor, full_screen, arguments.started_full_screen,
         arguments.screenshots)
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
