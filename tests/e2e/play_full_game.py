#!/usr/bin/python3
"""A full-length game in a real window, played by a robot from outside the process against a record
out of reach. The robot answers the boxes, launches the targets, then clicks random points of the
board about twice a second, away from the exit button and the menu bar, answering every warning with
Enter, until the clock ends the game by itself. The game must end 301 s +/- 1.5 s after the clock
started, show the goodbye once, exit with status 0 and leave both record files byte for byte as they
were. While it runs, ping_probe times how long the game's event thread takes to answer, again and
again: outside the modal boxes, no answer may be held up by the game itself for over 50 ms: its event
thread running, or asleep on its own account. Time in which the thread sat idle in its event loop, the
ping not yet come to it, waited in libxcb for the X server to answer a request, stood ready to run
waiting for a processor, or was held up with the whole virtual machine, is the machine's, not the
game's."""

import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

from brivadoro_driver import (BOX_ROLES, GOODBYE, GREETING_END, INNER_SIZE, NAME_PROMPT, GameSession,
                              labels_of)

PLAYER = "Robot"
RECORD = {"aquadrix.txt": b" 5000\r\n", "quadrix.txt": b"Imbattibile\r\n"}
WARNING_END = "un numero divisibile per 4"
LAUNCH_POINT = (590, 655)  # a spot of the board's background where no label stands
CLICK_EVERY = 0.5
GAME_SECONDS = 301.0
TOLERANCE = 1.5
LONGEST_FREEZE_MS = 50.0
EXIT_MARGIN = 12  # pixels kept clear around the exit button
BOX_MARGIN = 0.25  # seconds around a box as the robot saw it that still count as the box's


def exit_button_area(session):
    """The exit button's rectangle on the screen, grown by the margin, as (left, top, right, bottom)."""
    for caption, (x, y, width, height) in session.shown_buttons():
        if caption == "Exit":
            return (x - EXIT_MARGIN, y - EXIT_MARGIN, x + width + EXIT_MARGIN, y + height + EXIT_MARGIN)
    raise RuntimeError("the board shows no exit button")


def random_point(dice, inner, keep_clear):
    """A random point of the board's inner area, outside keep_clear."""
    left, top, right, bottom = keep_clear
    while True:
        x = inner[0] + dice.randrange(2, INNER_SIZE[0] - 2)
        y = inner[1] + dice.randrange(2, INNER_SIZE[1] - 2)
        if not (left <= x < right and top <= y < bottom):
            return x, y


def shown_boxes(session):
    """The text of every shown box."""
    return [" | ".join(text for text in labels_of(window) if text)
            for role, window in session.windows() if role in BOX_ROLES]


class Robot:
    def __init__(self, session, seed):
        self.session = session
        self.dice = random.Random(seed)
        self.clicks = 0
        self.warnings = 0
        self.boxes = []  # (seen, gone) of every box, on the monotonic clock

    def play_until_goodbye(self, clock_started):
        inner = self.session.board_inner()
        keep_clear = exit_button_area(self.session)
        next_click = time.monotonic()
        while time.monotonic() - clock_started < GAME_SECONDS + 30:
            try:
                boxes = shown_boxes(self.session)
            except Exception:  # the tree changes while it is read; read it again
                continue
            if any(GOODBYE in text for text in boxes):
                seen = time.monotonic()
                self.boxes.append((seen, seen))
                return seen
            if any(text.endswith(WARNING_END) for text in boxes):
                self.answer_warning()
            elif boxes:
                raise AssertionError(f"an unexpected box: {boxes}")
            elif time.monotonic() >= next_click:
                self.session.click(*random_point(self.dice, inner, keep_clear))
                self.clicks += 1
                next_click += CLICK_EVERY
            time.sleep(0.02)
            if self.session.game.poll() is not None:
                raise AssertionError(f"the game ended with status {self.session.game.returncode} before the goodbye")
        raise AssertionError("the clock never ended the game")

    def answer_warning(self):
        seen = time.monotonic()
        self.session.key("Return")
        self.session.wait_for(lambda: self.session.dialog_with_text_ending(WARNING_END) is None)
        self.boxes.append((seen, time.monotonic()))
        self.warnings += 1

    def inside_a_box(self, sent, ms):
        end = sent + ms / 1000
        return any(seen - BOX_MARGIN <= end and sent <= gone + BOX_MARGIN for seen, gone in self.boxes)


def read_probe(probe):
    """The slow answers as (sent, ms, the game's own ms, ran ms, first look) and the probe's summary line.
    The game's own part of a late answer is the time its event thread ran, and the part of the answer's
    time in which the probe found it asleep on the game's own account."""
    probe.terminate()
    output, _ = probe.communicate(timeout=20)
    slow = []
    summary = ""
    for line in output.splitlines():
        if line.startswith("slow "):
            _, sent, ms, ran, _queued, blocked, where = line.split()
            own = float(ran) + float(ms) * float(blocked)
            slow.append((float(sent), float(ms), own, float(ran), where))
        elif line.startswith("pings "):
            summary = line
    return slow, summary


def diary_failures(diary, final_score):
    """The game that the clock ended is the diary's one entry, with the robot's name and final score."""
    files = os.listdir(diary) if os.path.isdir(diary) else []
    if len(files) != 1:
        return [f"the diary folder holds {files}"]
    with open(os.path.join(diary, files[0]), "rb") as kept:
        entries = [line.split("\t") for line in kept.read().decode().split("\n")[1:-1]]
    if len(entries) != 1 or entries[0][1] != final_score.strip() or entries[0][4:] != ["tempo", PLAYER, "."]:
        return [f"the diary holds {entries}, not the one game the clock ended"]
    return []


def play(program, probe_program, screenshots, seed):
    with tempfile.TemporaryDirectory(prefix="brivadoro-records-") as records:
        folder = os.path.join(records, "brivadoro")
        os.makedirs(folder)
        for name, content in RECORD.items():
            with open(os.path.join(folder, name), "wb") as stored:
                stored.write(content)

        with GameSession(program, records, screenshots) as session:
            session.wait_for(lambda: session.dialog_with_text(NAME_PROMPT), timeout=20)
            session.type(PLAYER)
            session.key("Return")
            greeting = " " + PLAYER + GREETING_END
            session.wait_for(lambda: session.dialog_with_text(greeting))
            clock_started = time.monotonic()  # closing the greeting builds the board and starts the clock
            session.key("Return")
            session.wait_for(session.board)
            session.screenshot("full-game-start.png")
            probe = subprocess.Popen([probe_program, str(session.game.pid)], stdout=subprocess.PIPE, text=True)
            session.click_inner(*LAUNCH_POINT)

            robot = Robot(session, seed)
            goodbye_seen = robot.play_until_goodbye(clock_started)
            slow, summary = read_probe(probe)
            final_score = session.score()
            session.screenshot("full-game-goodbye.png")
            session.key("Return")
            status = session.wait_exit(timeout=10)  # a second goodbye would hold it open

        elapsed = goodbye_seen - clock_started
        outside = [answer for answer in slow if not robot.inside_a_box(answer[0], answer[1])]
        freezes = [answer for answer in outside if answer[2] > LONGEST_FREEZE_MS]
        print(f"the clock ended the game {elapsed:.2f} s after it started (301 +/- {TOLERANCE} s)")
        print(f"{robot.clicks} clicks, {robot.warnings} warnings answered, final score {final_score.strip()}; "
              f"probe: {summary}; "
              f"{len(slow) - len(outside)} slow answers inside the boxes")
        for sent, ms, own, ran, where in outside:
            print(f"answer after {ms:.1f} ms at {sent - clock_started:.2f} s: the game's own {own:.1f} ms, "
                  f"{ran:.1f} ms of it running; first look {where}")

        failures = []
        if abs(elapsed - GAME_SECONDS) > TOLERANCE:
            failures.append(f"the game ended after {elapsed:.2f} s")
        if status != 0:
            failures.append(f"the program ended with status {status}")
        if freezes:
            failures.append(f"{len(freezes)} freezes over {LONGEST_FREEZE_MS:.0f} ms outside the boxes")
        for name, content in RECORD.items():
            with open(os.path.join(folder, name), "rb") as stored:
                if stored.read() != content:
                    failures.append(f"{name} changed")
        if sorted(os.listdir(folder)) != sorted([*RECORD, "diario", "record.lock"]):
            failures.append(f"the records folder holds {sorted(os.listdir(folder))}")
        failures += diary_failures(os.path.join(folder, "diario"), final_score)
        return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--probe", required=True, help="the built ping_probe")
    parser.add_argument("--screenshots")
    parser.add_argument("--seed", type=int, default=301)
    arguments = parser.parse_args()
    try:
        # The game, its X server and the probe inherit this: other work on the machine then seldom
        # stands in the game's way, and what still does is told apart by the probe.
        os.nice(-10)
    except PermissionError:
        pass
    failures = play(arguments.program, arguments.probe, arguments.screenshots, arguments.seed)
    for failure in failures:
        print(f"FAIL: {failure}")
    print("1 passed, 0 failed" if not failures else "0 passed, 1 failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
