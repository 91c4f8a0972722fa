#!/usr/bin/python3
"""A short game in a real window: the player types a name, hits a few right targets, leaves with
Alt+X and closes the goodbye and the congratulation. The program must end with status 0 and the
record must hold the score the board showed and the typed name. With a sound server, the launch's
laser must be heard on it; with --mute, the game maps no SDL library and opens no sound stream.
With --diary, the player also chooses "Nuovo gioco" once and plays on, and a second start of the
program on the same records folder ties the record, which gives only the goodbye: the diary then
holds exactly the two games that reached the goodbye."""

import argparse
import datetime
import os
import pwd
import re
import sys
import tempfile
import time

from brivadoro_driver import (BOX_ROLES, CONGRATULATION, GOODBYE, INNER_SIZE, GameSession, labels_of,
                              program_copy_without_sounds)
from sound_server import SoundServer

PLAYER = "Anna"
NEXT_PLAYER = "Bruno"
WARNING_END = "un numero divisibile per 4"
LAUNCH_POINT = (590, 655)  # a spot of the board's background where no label stands
AUDIBLE = 1000  # of a 16-bit sample's 32767: well above any rounding, well below the laser
# A zone away from UTC, so that an entry's time with a wrong offset falls outside the games' span.
DIARY_ZONE = "Europe/Rome"
DIARY_TIME = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d")


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


def play(program, screenshots, hits, sound=None, mute=False, diary=False):
    arguments = ["--mute"] if mute else []
    environment = {"TZ": DIARY_ZONE} if diary else {}
    with tempfile.TemporaryDirectory(prefix="brivadoro-records-") as records:
        started = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
        with GameSession(program, records, screenshots, environment=environment, arguments=arguments) as session:
            session.answer_name_box(PLAYER)
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

            if diary:
                # A new game starts from nothing: its hits only are the entry's.
                session.new_game(PLAYER)
                session.wait_for(lambda: session.score() == "0")
                session.screenshot("board-new-game.png")
                session.click_inner(*LAUNCH_POINT)
                score = score_after_hits(session, hits)
                print(f"after \"Nuovo gioco\" the board shows the score {score!r}")

            session.key("alt+x")
            session.answer(GOODBYE)
            session.answer(CONGRATULATION)
            status = session.wait_exit(timeout=10)
            assert status == 0, f"the program ended with status {status}"
            check_record(records, score, PLAYER)
            if not diary:
                return
            # The program starts again on the same records folder, display and accessibility bus:
            # pyatspi keeps its first connection to a bus for as long as this process lives.
            session.screenshots = os.path.join(screenshots, "second-game") if screenshots else None
            session.start_game()
            tie = tie_the_record(session, hits, score)
        ended = datetime.datetime.now(datetime.timezone.utc)
        check_record(records, score, PLAYER)
        check_diary(records, [(PLAYER, score), (NEXT_PLAYER, tie)], started, ended)


def tie_the_record(session, hits, record):
    """Plays a game to the record's score and leaves: a tie stores nothing, so after the goodbye
    the program ends with no other box. Returns the score the board showed."""
    session.answer_name_box(NEXT_PLAYER)
    session.click_inner(*LAUNCH_POINT)
    tie = score_after_hits(session, hits)
    assert tie == record, f"the second game scored {tie!r}, not the record {record!r}"
    session.screenshot("board-tie.png")
    session.key("alt+x")
    session.answer(GOODBYE)
    session.wait_for(lambda: session.game.poll() is not None or shown_boxes(session))
    assert session.game.poll() is not None, f"after the goodbye of a tie came {shown_boxes(session)}"
    status = session.wait_exit(timeout=10)
    assert status == 0, f"the second game ended with status {status}"
    print("the second game tied the record: only the goodbye")
    return tie


def shown_boxes(session):
    """The texts of every box the program shows."""
    return [labels_of(window) for role, window in session.windows() if role in BOX_ROLES]


def check_record(records, score, holder):
    with open(f"{records}/brivadoro/aquadrix.txt", "rb") as stored:
        assert stored.read() == (score + "\r\n").encode(), "the record score is not the score shown"
    with open(f"{records}/brivadoro/quadrix.txt", "rb") as stored:
        assert stored.read() == (holder + "\r\n").encode(), "the record holder is not the player"


def check_diary(records, games, started, ended):
    """The account's diary holds a header and one whole entry for each of games, (name, score shown),
    in order, each ended by Exit between started and ended, with as many hits and misses as its score."""
    try:
        login = pwd.getpwuid(os.geteuid()).pw_name
    except KeyError:  # an account the system has no name for
        login = str(os.geteuid())
    folder = os.path.join(records, "brivadoro", "diario")
    assert os.listdir(folder) == [login], f"the diary folder holds {os.listdir(folder)}, not just {login}"
    with open(os.path.join(folder, login), "rb") as kept:
        lines = kept.read().decode().split("\n")
    assert lines[0].startswith("#") and lines[-1] == "", f"the diary is not a header and whole lines: {lines}"
    entries = [line.split("\t") for line in lines[1:-1]]
    assert len(entries) == len(games), f"the diary holds {len(entries)} entries, not {len(games)}: {entries}"
    for fields, (name, score) in zip(entries, games):
        assert len(fields) == 7 and fields[6] == ".", f"an entry is not whole: {fields}"
        when, points, hits, misses, end, entry_name = fields[:6]
        assert DIARY_TIME.fullmatch(when), f"an entry's time is {when!r}"
        # The time is given to the second: the span's start is taken down to the second as well.
        moment = datetime.datetime.fromisoformat(when)
        assert started <= moment <= ended, f"an entry's time {when} is not between {started} and {ended}"
        assert (entry_name, end) == (name, "uscita"), f"an entry names {entry_name!r} ending by {end!r}"
        assert int(points) == int(score), f"an entry's score is {points}, the board showed {score!r}"
        assert int(hits) >= 1, f"an entry of a game with a hit counts {hits} hits"
        assert int(hits) - 4 * int(misses) == int(points), f"{hits} hits and {misses} misses do not make {points}"
    print(f"the diary holds the {len(entries)} games that reached the goodbye: {entries}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    parser.add_argument("--screenshots")
    parser.add_argument("--without-sounds", action="store_true", help="run a copy with no suoni folder")
    parser.add_argument("--hits", type=int, default=3, help="the score to reach by hitting right targets")
    parser.add_argument("--sound-server", action="store_true", help="play on a private sound server and listen")
    parser.add_argument("--mute", action="store_true", help="run the game with --mute")
    parser.add_argument("--diary", action="store_true", help="play a new game, then a second start, and read the diary")
    arguments = parser.parse_args()
    if arguments.without_sounds:
        with program_copy_without_sounds(arguments.program) as program:
            play(program, arguments.screenshots, arguments.hits, diary=arguments.diary)
    elif arguments.sound_server:
        sound = SoundServer()
        try:
            os.environ["PULSE_SERVER"] = sound.address
            play(arguments.program, arguments.screenshots, arguments.hits, sound, arguments.mute, arguments.diary)
        finally:
            sound.close()
    else:
        play(arguments.program, arguments.screenshots, arguments.hits, diary=arguments.diary)
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
