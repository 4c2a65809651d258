#!/usr/bin/env python3
"""clock-match.py: pellarq against a Debian xboard engine, with the runner
keeping both clocks itself, to the millisecond.

Unlike xboard, the runner counts the moves of a time-control period from the
first move it times: the opening moves it plays into both engines (in force
mode, untimed) do not count. An engine that counts from the game's first move
therefore sees its control a few moves earlier than it comes, as with most
match tools. Before every move the engine to move gets "time" and "otim" in
centiseconds; a move that arrives after the mover's clock has run out loses
the game on time (the runner does not wait beyond it).

Usage:
  tools/match/clock-match.py [options]
    -e PATH      the pellarq binary (default build-rel/pellarq of this tree)
    -o ENGINE    opponent: fairymax (default), hoichess or phalanx, or a path
    -t TC        time control, seconds: "10+0.1" (10 s plus 0.1 s a move),
                 "60+0" (one minute), "40/20" (40 moves in 20 s), "40/20+0.5"
    -n N         games (default 2); colours alternate, pellarq White first
    -O PLIES     opening plies played untimed before the clocks start
                 (default 8; 0 starts timing at the first move)
    -P           pellarq ponders ("hard"); default "easy"
    -m MS        pellarq's move overhead, sent as the "Move Overhead" option
    -b BOOK      opening book copied into pellarq's working directory as
                 Mirask.bo1 (default: the Mirask.bo1 beside the binary, if
                 any; "none" for no book)
    -l FILE      protocol log (every line to and from the engines, with
                 milliseconds since the start)
    --max-moves N  full moves after which a game is adjudicated a draw (150)

Per game it prints the result and how it ended, whether a side lost on time,
pellarq's average and longest move time (measured from the moment the move to
answer was written to the moment pellarq's move was read), the number of moves
pellarq made and both clocks at the end; then a summary.
"""

import argparse
import os
import select
import shutil
import sys
import tempfile

import cecp
from cecp import RESULT, MOVE_V1, MOVE_V2, Engine, EngineGone, level_line, ms_now, parse_tc

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

# Short opening lines (coordinate moves), played untimed; cycled per pair of
# games so that each line is played with both colours.
OPENINGS = [
    "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6",
    "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6 c1g5 f8e7",
    "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6",
    "d2d4 g8f6 c2c4 g7g6 b1c3 f8g7 e2e4 d7d6",
    "e2e4 e7e6 d2d4 d7d5 b1c3 g8f6 c1g5 f8e7",
    "c2c4 e7e5 b1c3 g8f6 g1f3 b8c6 g2g3 d7d5",
    "e2e4 c7c6 d2d4 d7d5 b1c3 d5e4 c3e4 c8f5",
    "g1f3 d7d5 g2g3 g8f6 f1g2 e7e6 e1g1 f8e7",
]

OPPONENTS = {
    "fairymax": ["/usr/games/fairymax"],
    "hoichess": ["/usr/games/hoichess", "-x"],
    "phalanx": ["/usr/games/phalanx"],
}


def play_game(engines, pellarq_side, opening, tc, max_moves, ponder):
    """Plays one game; engines[0] plays White. Returns a record of the game."""
    mps, base, inc = tc
    names = [e.name for e in engines]
    for e in engines:
        e.send("new")
        e.send(level_line(mps, base, inc))
        e.send("hard" if (ponder and e.name == "pellarq") else "easy")
        e.send("post" if e.name == "pellarq" else "nopost")
        e.send("force")
        e.forced = True
    # Opening, untimed, into both engines
    for mv in opening:
        for e in engines:
            e.send(e.move_line(mv))
    for e in engines:
        for line in e.sync():
            if line.startswith("Illegal move"):
                return {"result": "*", "reason": "%s refused the opening: %s" % (e.name, line)}
    side = len(opening) % 2
    clocks = [base, base]
    timed = [0, 0]
    move_ms = [[], []]
    pending = None  # the last move, still to be given to the side to move
    result, reason, flagged = "*", "", None
    plies = len(opening)

    while True:
        if plies >= 2 * max_moves:
            result, reason = "1/2-1/2", "adjudicated: move limit"
            break
        mover, other = engines[side], engines[1 - side]
        sent = mover.ask_move(clocks[side], clocks[1 - side], pending)
        deadline = sent + clocks[side]
        move = None
        while move is None and result == "*":
            # Both engines are read: either may claim a result meanwhile.
            for e in engines:
                while e.lines and result == "*" and move is None:
                    line = e.lines.pop(0).strip()
                    r = RESULT.match(line)
                    if r:
                        result, reason = r.group(1), "%s: %s" % (e.name, line)
                    elif line == "resign" or line.startswith("tellics resign"):
                        result = "0-1" if engines.index(e) == 0 else "1-0"
                        reason = "%s resigns" % e.name
                    elif line.startswith("Illegal move"):
                        return {"result": "*", "reason": "%s: %s" % (e.name, line),
                                "side": pellarq_side, "names": names}
                    elif e is mover:
                        m = MOVE_V2.match(line) or MOVE_V1.match(line)
                        if m:
                            move = m.group(1)
            if move is not None or result != "*":
                break
            left = deadline - ms_now()
            if left <= 0:
                break
            fds = [e.fileno() for e in engines]
            ready, _, _ = select.select(fds, [], [], left / 1000.0)
            for e in engines:
                if e.fileno() in ready:
                    e.pump()
        elapsed = ms_now() - sent
        if result != "*":
            break
        if move is None or elapsed > clocks[side]:
            # The flag fell before the move arrived.
            flagged = side
            clocks[side] -= elapsed
            result = "0-1" if side == 0 else "1-0"
            reason = "%s lost on time" % mover.name
            break
        clocks[side] -= elapsed
        move_ms[side].append(elapsed)
        timed[side] += 1
        clocks[side] += inc
        if mps > 0 and timed[side] % mps == 0:
            clocks[side] += base
        pending = move
        plies += 1
        side = 1 - side

    for e in engines:
        try:
            e.send("result %s {%s}" % (result, reason))
            e.send("force")
        except EngineGone:
            pass
    return {"result": result, "reason": reason, "flagged": flagged, "side": pellarq_side,
            "names": names, "clocks": clocks, "move_ms": move_ms, "plies": plies}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("-e", dest="engine", default=os.path.join(ROOT, "build-rel", "pellarq"))
    ap.add_argument("-o", dest="opponent", default="fairymax")
    ap.add_argument("-t", dest="tc", default="10+0.1")
    ap.add_argument("-n", dest="games", type=int, default=2)
    ap.add_argument("-O", dest="opening_plies", type=int, default=8)
    ap.add_argument("-P", dest="ponder", action="store_true")
    ap.add_argument("-m", dest="overhead", type=int, default=None)
    ap.add_argument("-b", dest="book", default=None)
    ap.add_argument("-l", dest="logfile", default=None)
    ap.add_argument("--max-moves", dest="max_moves", type=int, default=150)
    args = ap.parse_args()

    tc = parse_tc(args.tc)
    if args.logfile:
        cecp.LOG = open(args.logfile, "w", buffering=1)
    work = tempfile.mkdtemp(prefix="clock-match-")
    wd_p = os.path.join(work, "pellarq")
    wd_o = os.path.join(work, "opponent")
    os.makedirs(wd_p)
    os.makedirs(wd_o)
    book = args.book
    if book is None:
        beside = os.path.join(os.path.dirname(os.path.abspath(args.engine)), "Mirask.bo1")
        book = beside if os.path.exists(beside) else "none"
    if book != "none":
        shutil.copy(book, os.path.join(wd_p, "Mirask.bo1"))
    opp_cmd = OPPONENTS.get(args.opponent, [args.opponent])

    pellarq = Engine("pellarq", [os.path.abspath(args.engine)], wd_p)
    opponent = Engine(os.path.basename(opp_cmd[0]), opp_cmd, wd_o)
    print("pellarq against %s at %s (%d moves/period, base %d ms, increment %d ms); "
          "%d opening plies untimed; periods counted from the first timed move"
          % (opponent.name, args.tc, tc[0], tc[1], tc[2], args.opening_plies))
    sys.stdout.flush()

    records = []
    try:
        for g in range(args.games):
            for e in (pellarq, opponent):
                if not e.alive():
                    e.start()
                    if e is pellarq and args.overhead is not None:
                        e.send("option Move Overhead=%d" % args.overhead)
            opening = OPENINGS[(g // 2) % len(OPENINGS)].split()[:args.opening_plies]
            pellarq_white = g % 2 == 0
            engines = [pellarq, opponent] if pellarq_white else [opponent, pellarq]
            try:
                rec = play_game(engines, 0 if pellarq_white else 1, opening, tc,
                                args.max_moves, args.ponder)
            except EngineGone as gone:
                rec = {"result": "*", "reason": "%s died" % gone, "side": 0 if pellarq_white else 1}
                for e in (pellarq, opponent):
                    if not e.alive():
                        e.proc = None
            records.append(rec)
            report(g + 1, rec, pellarq_white)
            sys.stdout.flush()
    finally:
        pellarq.quit()
        opponent.quit()
        shutil.rmtree(work, ignore_errors=True)
    summary(records)


def report(n, rec, pellarq_white):
    us = 0 if pellarq_white else 1
    colour = "White" if pellarq_white else "Black"
    if "move_ms" not in rec:
        print("game %d: pellarq %s: %s {%s}" % (n, colour, rec["result"], rec["reason"]))
        return
    mine = rec["move_ms"][us]
    avg = sum(mine) / len(mine) if mine else 0.0
    longest = max(mine) if mine else 0.0
    lost_time = "yes" if rec["flagged"] == us else "no"
    opp_time = "yes" if rec["flagged"] == 1 - us else "no"
    print("game %d: pellarq %s: %s {%s}; pellarq lost on time: %s; opponent lost on time: %s; "
          "pellarq moves %d, average %.0f ms, longest %.0f ms; clocks at the end: pellarq %.0f ms, "
          "opponent %.0f ms" % (n, colour, rec["result"], rec["reason"], lost_time, opp_time,
                                len(mine), avg, longest, rec["clocks"][us], rec["clocks"][1 - us]))


def summary(records):
    win = loss = draw = other = time_losses = opp_time_losses = 0
    all_ms = []
    for rec in records:
        us = rec.get("side", 0)
        r = rec["result"]
        if r == "1/2-1/2":
            draw += 1
        elif r in ("1-0", "0-1"):
            if (r == "1-0") == (us == 0):
                win += 1
            else:
                loss += 1
        else:
            other += 1
        if rec.get("flagged") == us:
            time_losses += 1
        elif rec.get("flagged") is not None:
            opp_time_losses += 1
        all_ms += rec.get("move_ms", [[], []])[us]
    print("summary: %d games, pellarq +%d -%d =%d, unfinished %d; pellarq lost on time %d, "
          "opponent lost on time %d; pellarq move time average %.0f ms, longest %.0f ms"
          % (len(records), win, loss, draw, other, time_losses, opp_time_losses,
             sum(all_ms) / len(all_ms) if all_ms else 0, max(all_ms) if all_ms else 0))


if __name__ == "__main__":
    main()
