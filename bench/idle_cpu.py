#!/usr/bin/python3
"""How much of one core the game uses while nobody plays: the board shown, the targets launched,
nothing clicked for a minute. Run with: dbus-run-session -- /usr/bin/python3 bench/idle_cpu.py
--program build/brivadoro. Exits 1 at 1 % or more."""

import argparse
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from brivadoro_driver import GREETING_END, NAME_PROMPT, GameSession  # noqa: E402

LIMIT_PERCENT = 1.0
LAUNCH_POINT = (590, 655)


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--seconds", type=float, default=60)
    arguments = parser.parse_args()
    with tempfile.TemporaryDirectory() as records, GameSession(arguments.program, records) as session:
        session.wait_for(lambda: session.dialog_with_text(NAME_PROMPT), timeout=20)
        session.key("Return")
        session.answer(" " + GREETING_END)
        session.wait_for(session.board)
        session.click_inner(*LAUNCH_POINT)
        time.sleep(2)
        start_cpu, start_wall = cpu_seconds(session.game.pid), time.monotonic()
        time.sleep(arguments.seconds)
        used = cpu_seconds(session.game.pid) - start_cpu
        percent = 100 * used / (time.monotonic() - start_wall)
    verdict = "ok" if percent < LIMIT_PERCENT else "OVER"
    print(f"idle board, targets launched: {percent:.2f} % of one core over {arguments.seconds:.0f} s "
          f"(limit {LIMIT_PERCENT} %) {verdict}")
    return 0 if percent < LIMIT_PERCENT else 1


if __name__ == "__main__":
    sys.exit(main())
