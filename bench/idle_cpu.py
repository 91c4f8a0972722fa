#!/usr/bin/python3
"""How much of one core the game uses while nobody plays: the board shown, the targets launched,
nothing clicked for a minute. Run with: dbus-run-session -- /usr/bin/python3 bench/idle_cpu.py
--program build/brivadoro; with --full-screen, on a screen of --screen under a window manager, after
F11. Exits 1 at the limit or more (1 %, or --limit)."""

import argparse
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from brivadoro_driver import GREETING_END, NAME_PROMPT, GameSession  # noqa: E402

LAUNCH_POINT = (590, 655)


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--limit", type=float, default=1.0, help="percent of one core")
    parser.add_argument("--screen", default="1024x900")
    parser.add_argument("--full-screen", action="store_true")
    arguments = parser.parse_args()
    screen_height = int(arguments.screen.split("x")[1])
    with tempfile.TemporaryDirectory() as records, GameSession(
            arguments.program, records, screen=arguments.screen, window_manager=arguments.full_screen) as session:
        session.wait_for(lambda: session.dialog_with_text(NAME_PROMPT), timeout=20)
        session.type("Anna")
        session.key("Return")
        session.answer(" Anna" + GREETING_END)
        session.wait_for(session.board)
        if arguments.full_screen:
            session.key("F11")
            session.wait_for(lambda: sum(session.inner_area()[1::2]) == screen_height)
        session.click_inner(*LAUNCH_POINT)
        time.sleep(2)
        start_cpu, start_wall = cpu_seconds(session.game.pid), time.monotonic()
        time.sleep(arguments.seconds)
        used = cpu_seconds(session.game.pid) - start_cpu
        percent = 100 * used / (time.monotonic() - start_wall)
    verdict = "ok" if percent < arguments.limit else "OVER"
    where = f"full screen at {arguments.screen}" if arguments.full_screen else "design size"
    print(f"idle board, targets launched, {where}: {percent:.2f} % of one core over {arguments.seconds:.0f} s "
          f"(limit {arguments.limit} %) {verdict}")
    return 0 if percent < arguments.limit else 1


if __name__ == "__main__":
    sys.exit(main())
