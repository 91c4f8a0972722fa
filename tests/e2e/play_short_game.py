#!/usr/bin/python3
"""A short game in a real window: the player types a name, hits a few right targets, leaves with
Alt+X and closes the goodbye and the congratulation. The program must end with status 0 and the
record must hold the score the board showed and the typed name. With a sound server, the launch's
laser must be heard on it; with --mute, the game maps no SDL library and opens no sound stream."""

import argparse
import os
import sys
import tempfile
import time

from brivadoro_driver import (CONGRATULATION, GOODBYE, GREETING_END, INNER_SIZE, NAME_PROMPT, GameSession,
                              program_copy_without_sounds)
from sound_server import SoundServer

PLAYER = "Anna"
WARNING_END = "un numero divisibile per 4"
LAUNCH_POINT = (590, 655)  # a spot of the board's background where no label stands
AUDIBLE = 1000  # of a 16-bit sample's 32767: well above any rounding, well below the laser


def clickable_centre(extents, buttons, inner):
    """The centre of a target when it is in sight and no other button lies over it, else None."""
    x, y, width, height = extents
    centre = (x + width // 2, y + height // 2)
    inner_x, inner_y = inner
    if not (inner_x <= centre[0] < inner_x + INNER_SIZE[0] and inner_y <= centre[1] < inner_y + INNER_SIZE[1] - 4):
        return None
    for _, (ox, oy, ow, oh) in buttons:
        if (ox, oy, ow, oh) != extents and ox <= centre[0] < ox + ow and oy <= centre[1] < oy + oh:
            return None
    return centre


def score_after_hits(session, hits, timeout=120.0):
    """Clicks shown multiples of 4 until the board shows a score of at least hits made by a hit."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        buttons = session.shown_buttons()
        inner = session.board_inner()
        for caption, extents in buttons:
            if not caption.isdigit() or int(caption) % 4:
                continue
            centre = clickable_centre(extents, buttons, inner)
            if centre is None:
                continue
            session.screenshot("before-the-hit.png")
            session.click(*centre)
            time.sleep(0.4)
            if session.dialog_with_text_ending(WARNING_END):
                # The target jumped and a wrong one took the click: the warning is answered.
                session.key("Return")
                session.wait_for(lambda: session.dialog_with_text_ending(WARNING_END) is None)
            break
        score = session.score()
        if score.startswith(" ") and int(score) >= hits:
            return score
        time.sleep(0.1)
    raise TimeoutError("no right target could be hit")


def sdl_mapped(session):
    return any("libSDL2" in library for library in session.mapped_libraries())


def play(program, screenshots, hits, sound=None, mute=False):
    with tempfile.TemporaryDirectory(prefix="brivadoro-records-") as records:
        with GameSession(program, records, screenshots, arguments=["--mute"] if mute else []) as session:
            session.wait_for(lambda: session.dialog_with_text(NAME_PROMPT), timeout=20)
            session.type(PLAYER)
            session.key("Return")
            session.answer(" " + PLAYER + GREETING_END)
            session.wait_for(session.board)
            session.screenshot("board-at-start.png")

            if sound is not None and not mute:
                # The device opens on a thread of its own after the name box; a play before that is
                # silent by design.
                session.wait_for(sound.clients_playing, timeout=20)
                assert sound.loudest < AUDIBLE, "a sound was heard before the launch"
                assert sdl_mapped(session), "the sound library is not mapped, so the probe below proves nothing"
            session.click_inner(*LAUNCH_POINT)
            if sound is not None and not mute:
                session.wait_for(lambda: sound.loudest >= AUDIBLE)
                print(f"the laser was heard at {sound.loudest} of 32767")
            score = score_after_hits(session, hits)
            if mute:
                # After the launch and the hits, which would have played the laser and the shot.
                assert not sdl_mapped(session), "--mute mapped the sound library"
                assert sound is None or not sound.clients_playing(), "--mute opened a sound stream"
                print("--mute: no SDL library mapped, no sound stream")
            session.screenshot("board-in-play.png")
            print(f"the board shows the score {score!r}")

            session.key("alt+x")
            session.answer(GOODBYE)
            session.answer(CONGRATULATION)
            status = session.wait_exit(timeout=10)
            assert status == 0, f"the program ended with status {status}"

        with open(f"{records}/brivadoro/aquadrix.txt", "rb") as stored:
            assert stored.read() == (score + "\r\n").encode(), "the record score is not the score shown"
        with open(f"{records}/brivadoro/quadrix.txt", "rb") as stored:
            assert stored.read() == (PLAYER + "\r\n").encode(), "the record holder is not the player"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--screenshots")
    parser.add_argument("--without-sounds", action="store_true", help="run a copy with no suoni folder")
    parser.add_argument("--hits", type=int, default=3, help="the score to reach by hitting right targets")
    parser.add_argument("--sound-server", action="store_true", help="play on a private sound server and listen")
    parser.add_argument("--mute", action="store_true", help="run the game with --mute")
    arguments = parser.parse_args()
    if arguments.without_sounds:
        with program_copy_without_sounds(arguments.program) as program:
            play(program, arguments.screenshots, arguments.hits)
    elif arguments.sound_server:
        sound = SoundServer()
        try:
            os.environ["PULSE_SERVER"] = sound.address
            play(arguments.program, arguments.screenshots, arguments.hits, sound, arguments.mute)
        finally:
            sound.close()
    else:
        play(arguments.program, arguments.screenshots, arguments.hits)
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
