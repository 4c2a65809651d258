#!/usr/bin/env python3
"""selfplay.py: matches between two xboard engines (self-play of two settings
of pellarq, or two binaries), and tournaments against Debian engines, with the
runner keeping both clocks to the millisecond.

Each game starts from a balanced opening played untimed into both engines in
force mode; every opening is played twice, colours swapped. Games run in
parallel (-j), each with its own engine processes in their own temporary
working directories (no opening book unless one is asked for). The runner
follows every game on its own board: an illegal move, a crash or a flag fall
loses; mate, stalemate, repetition, the fifty-move rule and insufficient
material end the game as the rules say; an engine's draw claim ends it too.

Self-play:
  tools/match/selfplay.py -a build-rel/pellarq -A SEARCH=extended \\
                          -b build-rel/pellarq -B SEARCH=classic -n 400 -j 2
Tournament (A, and B if given, against Debian engines):
  tools/match/selfplay.py --tournament -a build-rel/pellarq -A SEARCH=extended \\
                          --opponents phalanx,gnuchess -n 20 -t 60+1

The result is the score of A against B (or of each player against each
opponent): wins-losses-draws, points, Elo difference with its 95 % margin,
the likelihood of superiority and the games lost by time, illegal move or
crash. Ctrl-C or a SIGTERM stops the match: the engines are killed and the
games finished so far are summed up.
"""

import argparse
import math
import os
import queue
import re
import select
import shlex
import shutil
import signal
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import cecp  # noqa: E402
from cecp import RESULT, MOVE_V1, MOVE_V2, THINKING, Engine, EngineGone, level_line, ms_now, parse_tc, refuses  # noqa: E402
from chessboard import Board, IllegalMove  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

# Debian engines as quiet xboard engines. phalanx: xboard mode, no pondering,
# no learning file (its learning would change its play from game to game), its
# own small book kept; gnuchess: engine mode, no banner, no pondering.
OPPONENTS = {
    "fairymax": ["/usr/games/fairymax"],
    "hoichess": ["/usr/games/hoichess", "-x"],
    "phalanx": ["/usr/games/phalanx", "-x+", "-p-", "-l-", "-s-"],
    "gnuchess": ["/usr/games/gnuchess", "-x", "-q", "-e"],
}

# Balanced opening lines, coordinate moves, each played with both colours.
BUILTIN_OPENINGS = [
    ("Ruy Lopez, Closed", "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7"),
    ("Ruy Lopez, Berlin", "e2e4 e7e5 g1f3 b8c6 f1b5 g8f6 e1g1 f6e4 d2d4 e4d6"),
    ("Ruy Lopez, Exchange", "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5c6 d7c6 e1g1 f7f6"),
    ("Italian, Giuoco Piano", "e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 c2c3 g8f6 d2d3 d7d6"),
    ("Italian, Two Knights", "e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 d2d3 f8e7 e1g1 e8g8"),
    ("Scotch", "e2e4 e7e5 g1f3 b8c6 d2d4 e5d4 f3d4 g8f6 d4c6 b7c6"),
    ("Four Knights", "e2e4 e7e5 g1f3 b8c6 b1c3 g8f6 f1b5 f8b4 e1g1 e8g8"),
    ("Petrov", "e2e4 e7e5 g1f3 g8f6 f3e5 d7d6 e5f3 f6e4 d2d4 d6d5"),
    ("Philidor", "e2e4 e7e5 g1f3 d7d6 d2d4 g8f6 b1c3 b8d7 f1c4 f8e7"),
    ("Vienna", "e2e4 e7e5 b1c3 g8f6 g2g3 d7d5 e4d5 f6d5 f1g2 d5c3"),
    ("Sicilian, Najdorf", "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 a7a6"),
    ("Sicilian, Dragon", "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 g7g6"),
    ("Sicilian, Classical", "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 b8c6"),
    ("Sicilian, Scheveningen", "e2e4 c7c5 g1f3 e7e6 d2d4 c5d4 f3d4 g8f6 b1c3 d7d6"),
    ("Sicilian, Taimanov", "e2e4 c7c5 g1f3 e7e6 d2d4 c5d4 f3d4 b8c6 b1c3 d8c7"),
    ("Sicilian, Kan", "e2e4 c7c5 g1f3 e7e6 d2d4 c5d4 f3d4 a7a6 f1d3 g8f6"),
    ("Sicilian, Sveshnikov", "e2e4 c7c5 g1f3 b8c6 d2d4 c5d4 f3d4 g8f6 b1c3 e7e5"),
    ("Sicilian, Rossolimo", "e2e4 c7c5 g1f3 b8c6 f1b5 g7g6 e1g1 f8g7 f1e1 g8f6"),
    ("Sicilian, Alapin", "e2e4 c7c5 c2c3 g8f6 e4e5 f6d5 d2d4 c5d4 g1f3 b8c6"),
    ("Sicilian, Closed", "e2e4 c7c5 b1c3 b8c6 g2g3 g7g6 f1g2 f8g7 d2d3 d7d6"),
    ("French, Winawer", "e2e4 e7e6 d2d4 d7d5 b1c3 f8b4 e4e5 c7c5 a2a3 b4c3"),
    ("French, Classical", "e2e4 e7e6 d2d4 d7d5 b1c3 g8f6 c1g5 f8e7 e4e5 f6d7"),
    ("French, Tarrasch", "e2e4 e7e6 d2d4 d7d5 b1d2 g8f6 e4e5 f6d7 f1d3 c7c5"),
    ("French, Advance", "e2e4 e7e6 d2d4 d7d5 e4e5 c7c5 c2c3 b8c6 g1f3 d8b6"),
    ("French, Rubinstein", "e2e4 e7e6 d2d4 d7d5 b1c3 d5e4 c3e4 b8d7 g1f3 g8f6"),
    ("Caro-Kann, Classical", "e2e4 c7c6 d2d4 d7d5 b1c3 d5e4 c3e4 c8f5 e4g3 f5g6"),
    ("Caro-Kann, Advance", "e2e4 c7c6 d2d4 d7d5 e4e5 c8f5 g1f3 e7e6 f1e2 c6c5"),
    ("Caro-Kann, Exchange", "e2e4 c7c6 d2d4 d7d5 e4d5 c6d5 f1d3 b8c6 c2c3 g8f6"),
    ("Caro-Kann, Two Knights", "e2e4 c7c6 b1c3 d7d5 g1f3 c8g4 h2h3 g4f3 d1f3 e7e6"),
    ("Pirc", "e2e4 d7d6 d2d4 g8f6 b1c3 g7g6 g1f3 f8g7 f1e2 e8g8"),
    ("Modern", "e2e4 g7g6 d2d4 f8g7 b1c3 d7d6 c1e3 a7a6 d1d2 b8d7"),
    ("Scandinavian", "e2e4 d7d5 e4d5 d8d5 b1c3 d5a5 d2d4 g8f6 g1f3 c7c6"),
    ("Alekhine", "e2e4 g8f6 e4e5 f6d5 d2d4 d7d6 g1f3 c8g4 f1e2 e7e6"),
    ("Queen's Gambit Declined", "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6 c1g5 f8e7 e2e3 e8g8"),
    ("Queen's Gambit Declined, Exchange", "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6 c4d5 e6d5 c1g5 c7c6"),
    ("Queen's Gambit Accepted", "d2d4 d7d5 c2c4 d5c4 g1f3 g8f6 e2e3 e7e6 f1c4 c7c5"),
    ("Slav", "d2d4 d7d5 c2c4 c7c6 g1f3 g8f6 b1c3 d5c4 a2a4 c8f5"),
    ("Semi-Slav", "d2d4 d7d5 c2c4 c7c6 g1f3 g8f6 b1c3 e7e6 e2e3 b8d7"),
    ("Tarrasch Defence", "d2d4 d7d5 c2c4 e7e6 b1c3 c7c5 c4d5 e6d5 g1f3 b8c6"),
    ("Chigorin", "d2d4 d7d5 c2c4 b8c6 b1c3 d5c4 g1f3 g8f6 e2e4 c8g4"),
    ("King's Indian", "d2d4 g8f6 c2c4 g7g6 b1c3 f8g7 e2e4 d7d6 g1f3 e8g8"),
    ("King's Indian, Fianchetto", "d2d4 g8f6 c2c4 g7g6 g1f3 f8g7 g2g3 e8g8 f1g2 d7d6"),
    ("Grunfeld", "d2d4 g8f6 c2c4 g7g6 b1c3 d7d5 c4d5 f6d5 e2e4 d5c3"),
    ("Grunfeld, Russian", "d2d4 g8f6 c2c4 g7g6 b1c3 d7d5 g1f3 f8g7 d1b3 d5c4"),
    ("Nimzo-Indian, Rubinstein", "d2d4 g8f6 c2c4 e7e6 b1c3 f8b4 e2e3 e8g8 f1d3 d7d5"),
    ("Nimzo-Indian, Classical", "d2d4 g8f6 c2c4 e7e6 b1c3 f8b4 d1c2 e8g8 a2a3 b4c3"),
    ("Queen's Indian", "d2d4 g8f6 c2c4 e7e6 g1f3 b7b6 g2g3 c8b7 f1g2 f8e7"),
    ("Bogo-Indian", "d2d4 g8f6 c2c4 e7e6 g1f3 f8b4 c1d2 d8e7 g2g3 b8c6"),
    ("Catalan", "d2d4 g8f6 c2c4 e7e6 g2g3 d7d5 f1g2 f8e7 g1f3 e8g8"),
    ("Benoni", "d2d4 g8f6 c2c4 c7c5 d4d5 e7e6 b1c3 e6d5 c4d5 d7d6"),
    ("Benko Gambit", "d2d4 g8f6 c2c4 c7c5 d4d5 b7b5 c4b5 a7a6 b5a6 c8a6"),
    ("Dutch, Leningrad", "d2d4 f7f5 g2g3 g8f6 f1g2 g7g6 g1f3 f8g7 e1g1 e8g8"),
    ("Dutch, Stonewall", "d2d4 e7e6 c2c4 f7f5 g2g3 g8f6 f1g2 d7d5 g1f3 c7c6"),
    ("London System", "d2d4 d7d5 g1f3 g8f6 c1f4 e7e6 e2e3 c7c5 c2c3 b8c6"),
    ("Trompowsky", "d2d4 g8f6 c1g5 e7e6 e2e4 h7h6 g5f6 d8f6 b1c3 d7d6"),
    ("Colle", "d2d4 d7d5 g1f3 g8f6 e2e3 e7e6 f1d3 c7c5 c2c3 b8c6"),
    ("English, Symmetrical", "c2c4 c7c5 b1c3 b8c6 g2g3 g7g6 f1g2 f8g7 g1f3 g8f6"),
    ("English, Reversed Sicilian", "c2c4 e7e5 b1c3 g8f6 g1f3 b8c6 g2g3 d7d5 c4d5 f6d5"),
    ("English, Four Knights", "c2c4 e7e5 b1c3 g8f6 g1f3 b8c6 e2e3 f8b4 d1c2 e8g8"),
    ("English, Anglo-Indian", "c2c4 g8f6 b1c3 e7e6 g1f3 d7d5 d2d4 f8e7 c1f4 e8g8"),
    ("Reti", "g1f3 d7d5 c2c4 e7e6 g2g3 g8f6 f1g2 f8e7 e1g1 e8g8"),
    ("Reti, King's Indian Attack", "g1f3 d7d5 g2g3 g8f6 f1g2 c7c6 e1g1 c8g4 d2d3 b8d7"),
    ("Bird", "f2f4 d7d5 g1f3 g8f6 e2e3 g7g6 f1e2 f8g7 e1g1 e8g8"),
    ("Larsen", "b2b3 e7e5 c1b2 b8c6 e2e3 d7d5 f1b5 f8d6 g1f3 d8e7"),
    ("King's Gambit Declined", "e2e4 e7e5 f2f4 f8c5 g1f3 d7d6 c2c3 g8f6 d2d4 e5d4"),
    ("Queen's Pawn, Torre", "d2d4 g8f6 g1f3 e7e6 c1g5 c7c5 e2e3 b7b6 b1d2 c8b7"),
]


# --- openings ----------------------------------------------------------------

class Opening:
    """A start: a FEN (None: the initial position) and moves in coordinate notation."""

    def __init__(self, name, moves, fen=None):
        self.name = name
        self.moves = moves
        self.fen = fen


def read_openings(path):
    """One opening a line: coordinate or SAN moves ("e2e4 e7e5", "1. e4 e5"),
    or an EPD/FEN position (optionally followed by "moves ..."). Blank lines
    and lines starting with '#' are skipped."""
    out = []
    with open(path) as f:
        for n, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            name = "%s:%d" % (os.path.basename(path), n)
            fields = line.split()
            if "/" in fields[0]:
                # FEN (6 fields) or EPD (4 fields and operations)
                rest = line.split(" moves ", 1)
                head = rest[0].split(";")[0].split()
                fen = " ".join(head[:6]) if len(head) >= 6 and head[4].isdigit() else " ".join(head[:4]) + " 0 1"
                moves = rest[1].split() if len(rest) > 1 else []
                out.append(Opening(name, moves, fen))
            else:
                out.append(Opening(name, move_tokens(fields)))
    return out


def move_tokens(fields):
    """The moves of a line of text, without move numbers and results."""
    moves = []
    for tok in fields:
        tok = re.sub(r"^\d+\.+", "", tok)
        if tok and tok not in ("1-0", "0-1", "1/2-1/2", "*"):
            moves.append(tok)
    return moves


def check_opening(opening):
    """Plays the opening on the runner's board. Returns the opening with its
    moves in coordinate notation, or raises ValueError saying what is wrong."""
    try:
        board = Board(opening.fen) if opening.fen else Board()
    except ValueError as e:
        raise ValueError("%s: %s" % (opening.name, e))
    coords = []
    for i, text in enumerate(opening.moves):
        try:
            m = board.parse(text)
        except IllegalMove:
            raise ValueError("%s: move %d %r is illegal" % (opening.name, i + 1, text))
        coords.append(Board.coord(m))
        board.push(m)
    if board.outcome():
        raise ValueError("%s: the game is over at its end (%s)" % (opening.name, board.outcome()[1]))
    return Opening(opening.name, coords, opening.fen)


def engine_refusals(engine, openings):
    """Feeds every opening to a started engine in force mode; the openings it
    answers with "Illegal move" or "Error", with its answer."""
    bad = []
    for op in openings:
        engine.send("new")
        engine.send("force")
        if op.fen:
            if engine.features.get("setboard") != "1":
                bad.append((op, "no setboard"))
                continue
            engine.send("setboard " + op.fen)
        for mv in op.moves:
            engine.send(engine.move_line(mv))
        for line in engine.sync():
            if refuses(line):
                bad.append((op, line))
                break
    return bad


# --- statistics --------------------------------------------------------------

def elo(score):
    """Elo difference for a score fraction (0 < score < 1)."""
    if score <= 0.0:
        return -math.inf
    if score >= 1.0:
        return math.inf
    return -400.0 * math.log10(1.0 / score - 1.0)


def _margin(mean, variance, n):
    """Half the width of the 95 % interval in Elo, for a mean score with the
    variance of one sample over n samples."""
    if n < 2:
        return math.inf
    half = 1.959964 * math.sqrt(variance / n)
    width = (elo(mean + half) - elo(mean - half)) / 2.0
    return width if math.isfinite(width) else math.inf


def trinomial(wins, losses, draws):
    """(Elo, 95 % margin) from game results, games taken as independent."""
    n = wins + losses + draws
    if n == 0:
        return 0.0, math.inf
    p = (wins + 0.5 * draws) / n
    var = (wins * (1 - p) ** 2 + losses * p ** 2 + draws * (0.5 - p) ** 2) / n
    return elo(p), _margin(p, var, n)


def pentanomial(pairs):
    """(Elo, 95 % margin) from the points of game pairs (same opening, colours
    swapped): pairs[k] is the number of pairs that scored k/2 points, k = 0..4."""
    n = sum(pairs)
    if n == 0:
        return 0.0, math.inf
    p = sum(k * c for k, c in enumerate(pairs)) / (4.0 * n)
    var = sum(c * (k / 4.0 - p) ** 2 for k, c in enumerate(pairs)) / n
    return elo(p), _margin(p, var, n)


def los(wins, losses):
    """Likelihood of superiority: the probability that the first engine is the stronger."""
    if wins + losses == 0:
        return 0.5
    return 0.5 * (1.0 + math.erf((wins - losses) / math.sqrt(2.0 * (wins + losses))))


def fmt_elo(value, margin):
    def f(x):
        return ("inf" if x > 0 else "-inf") if math.isinf(x) else "%.1f" % x
    value += 0.0  # no "-0.0"
    return "%s%s +- %s" % ("+" if value > 0 else "", f(value), f(margin))


# --- one game ----------------------------------------------------------------

class Player:
    """An engine as the match starts it: a display name, a command, the xboard
    options sent after the features, a book copied in as Mirask.bo1."""

    def __init__(self, name, command, options=(), book=None, memory=None):
        self.name = name
        self.command = command
        self.options = list(options)
        self.book = book
        self.memory = memory

    def engine(self, workdir, tag=""):
        os.makedirs(workdir)
        if self.book:
            shutil.copy(self.book, os.path.join(workdir, "Mirask.bo1"))
        # Engines that send all their features at once answer at once; a slow
        # starter on a loaded machine (gnuchess) may need seconds.
        return Engine(self.name, self.command, workdir, self.options, self.memory, tag, feature_wait_ms=10000,
                      ask_again=True)


class Rules:
    """What every game of the match shares."""

    def __init__(self, tc, max_moves=200, resign_score=None, resign_moves=4):
        self.tc = tc
        self.max_moves = max_moves
        self.resign_score = resign_score
        self.resign_moves = resign_moves


def play_game(players, opening, rules, workdir, stop=None, tag=""):
    """Plays one game, players[0] White, in fresh engine processes. Returns a
    record: result, reason, fault (None, or (side, "time"|"illegal"|"crash")),
    plies, clocks in ms, the moves in coordinate notation."""
    mps, base, inc = rules.tc
    board = Board(opening.fen) if opening.fen else Board()
    moves = []
    clocks = [base, base]
    rec = {"result": "*", "reason": "", "fault": None, "moves": moves, "clocks": clocks,
           "plies": 0, "opening": opening}
    engines = []
    side = 0
    try:
        for i, p in enumerate(players):
            e = p.engine(os.path.join(workdir, "wb"[i]), tag)
            engines.append(e)
            try:
                e.start()
            except (EngineGone, OSError) as gone:
                rec.update(result="0-1" if i == 0 else "1-0", reason="%s did not start (%s)" % (p.name, gone),
                           fault=(i, "crash"))
                return rec
        # Start position and opening, untimed, into both engines
        for e in engines:
            e.send("new")
            e.send(level_line(mps, base, inc))
            e.send("easy")
            e.send("post")
            e.send("force")
            if opening.fen:
                e.send("setboard " + opening.fen)
        for mv in opening.moves:
            board.push(board.parse(mv))
            moves.append(mv)
            for e in engines:
                e.send(e.move_line(mv))
        for i, e in enumerate(engines):
            side = i
            for line in e.sync():
                if refuses(line):
                    rec.update(result="*", reason="%s refused the opening: %s" % (e.name, line))
                    return rec
        rec["result"], rec["reason"] = play_moves(engines, board, moves, clocks, rules, stop)
        if isinstance(rec["result"], tuple):
            (rec["result"], fault) = rec["result"]
            rec["fault"] = fault
    except EngineGone as gone:
        # A write to or a read from a dead engine
        # (the players of a game have distinct names)
        i = next((k for k, e in enumerate(engines) if e.name == str(gone)), side)
        rec.update(result="0-1" if i == 0 else "1-0", reason="%s crashed" % players[i].name, fault=(i, "crash"))
    finally:
        rec["plies"] = len(moves)
        for e in engines:
            try:
                if e.alive():
                    e.send("result %s {%s}" % (rec["result"], rec["reason"]))
            except EngineGone:
                pass
            e.quit()
        shutil.rmtree(workdir, ignore_errors=True)
    return rec


def play_moves(engines, board, moves, clocks, rules, stop):
    """The timed part of a game. Returns (result, reason); result is a
    (result, fault) pair when a side lost by a fault."""
    mps, base, inc = rules.tc
    side = 0 if board.white else 1
    # A period's moves count from the game's first move, the opening's
    # included, as xboard and the engines count them: counted from the first
    # timed move instead, an engine would see its control five moves before
    # the runner adds the time, and spend its clock for nothing.
    # The side that moved first (a set-up position may start with Black)
    # made the odd plies of the opening.
    first = side if len(moves) % 2 == 0 else 1 - side
    timed = [0, 0]
    timed[first], timed[1 - first] = (len(moves) + 1) // 2, len(moves) // 2
    scores = [[], []]  # each engine's score after each of its moves, White's view
    pending = None  # the opening is already in both engines
    while True:
        if stop is not None and stop.is_set():
            return "*", "match interrupted"
        if board.fullmove > rules.max_moves:
            return "1/2-1/2", "adjudicated: %d moves" % rules.max_moves
        mover = engines[side]
        sent = mover.ask_move(clocks[side], clocks[1 - side], pending)
        deadline = sent + clocks[side]
        move, score = None, None
        while move is None:
            # Both engines are read: either may claim a result or fail meanwhile.
            for k, e in enumerate(engines):
                while e.lines and move is None:
                    line = e.lines.pop(0).strip()
                    r = RESULT.match(line)
                    if r:
                        return claim(k, engines, board, r.group(1), line)
                    if line == "resign" or line.startswith("tellics resign"):
                        return ("0-1" if k == 0 else "1-0", None), "%s resigns" % e.name
                    if refuses(line):
                        # The runner checked the move it passed on: refusing it is a fault.
                        return ("0-1" if k == 0 else "1-0", (k, "illegal")), \
                            "%s refused a legal move: %s" % (e.name, line)
                    if k == side:
                        t = THINKING.match(line)
                        if t:
                            score = int(t.group(2))
                        m = MOVE_V2.match(line) or MOVE_V1.match(line)
                        if m:
                            move = m.group(1)
            if move is not None:
                break
            left = deadline - ms_now()
            if left <= 0:
                break
            for e in engines:
                if not e.alive() and not e.lines:
                    k = engines.index(e)
                    return ("0-1" if k == 0 else "1-0", (k, "crash")), "%s crashed" % e.name
            ready, _, _ = select.select([e.fileno() for e in engines], [], [], min(left, 500) / 1000.0)
            for e in engines:
                if e.fileno() in ready:
                    try:
                        e.pump()
                    except EngineGone:
                        k = engines.index(e)
                        return ("0-1" if k == 0 else "1-0", (k, "crash")), "%s crashed" % e.name
        elapsed = ms_now() - sent
        clocks[side] -= elapsed
        if move is None or clocks[side] < 0:
            return ("0-1" if side == 0 else "1-0", (side, "time")), "%s lost on time" % mover.name
        try:
            m = board.parse(move)
        except IllegalMove:
            return ("0-1" if side == 0 else "1-0", (side, "illegal")), \
                "%s played an illegal move: %s" % (mover.name, move)
        move = Board.coord(m)
        board.push(m)
        moves.append(move)
        timed[side] += 1
        clocks[side] += inc
        if mps > 0 and timed[side] % mps == 0:
            clocks[side] += base
        end = board.outcome()
        if end:
            return end
        if rules.resign_score is not None and score is not None:
            scores[side].append(score if side == 0 else -score)
            verdict = resign_verdict(scores, rules.resign_score, rules.resign_moves)
            if verdict:
                return verdict, "adjudicated: both engines' scores beyond %d cp for %d moves" \
                    % (rules.resign_score, rules.resign_moves)
        elif rules.resign_score is not None:
            scores[side].append(None)
        pending = move
        side = 1 - side


def resign_verdict(scores, limit, count):
    """"1-0" or "0-1" when both engines' last `count` scores (White's view)
    are all at least `limit` for one side, else None."""
    last = [s[-count:] for s in scores]
    if any(len(s) < count or None in s for s in last):
        return None
    if all(x >= limit for s in last for x in s):
        return "1-0"
    if all(x <= -limit for s in last for x in s):
        return "0-1"
    return None


def claim(k, engines, board, result, line):
    """An engine's result claim. The board's own verdict, when it has one,
    stands; a draw claim is taken; a side that claims its own loss resigns;
    a win the board does not see is a false claim and loses."""
    name = engines[k].name
    end = board.outcome()
    if end:
        return end
    if result == "1/2-1/2":
        return result, "%s claims: %s" % (name, line)
    if result == ("0-1" if k == 0 else "1-0"):
        return (result, None), "%s resigns: %s" % (name, line)
    return ("0-1" if k == 0 else "1-0", (k, "illegal")), "%s made a false claim: %s" % (name, line)


# --- the match ---------------------------------------------------------------

class Tally:
    """The score of one player against one opponent."""

    def __init__(self):
        self.wins = self.losses = self.draws = 0
        self.pairs = {}  # opening slot -> points of the player in its games
        self.faults = {}  # (who, kind) -> count; who is 0 for the player, 1 for the opponent

    def add(self, rec, player_white, slot):
        r = rec["result"]
        if r not in ("1-0", "0-1", "1/2-1/2"):
            return
        points = 0.5 if r == "1/2-1/2" else (1.0 if (r == "1-0") == player_white else 0.0)
        if points == 1.0:
            self.wins += 1
        elif points == 0.0:
            self.losses += 1
        else:
            self.draws += 1
        self.pairs.setdefault(slot, []).append(points)
        if rec["fault"]:
            side, kind = rec["fault"]
            who = 0 if (side == 0) == player_white else 1
            self.faults[(who, kind)] = self.faults.get((who, kind), 0) + 1

    def games(self):
        return self.wins + self.losses + self.draws

    def pentanomial_counts(self):
        counts = [0] * 5
        for pts in self.pairs.values():
            if len(pts) == 2:
                counts[int(round(2 * sum(pts)))] += 1
        return counts

    def summary(self, a, b):
        n = self.games()
        pct = 100.0 * (self.wins + 0.5 * self.draws) / n if n else 0.0
        e3, m3 = trinomial(self.wins, self.losses, self.draws)
        penta = self.pentanomial_counts()
        lines = ["%s against %s: %d games, +%d -%d =%d, %.1f %%" % (a, b, n, self.wins, self.losses,
                                                                  self.draws, pct)]
        if sum(penta) >= 2:
            e5, m5 = pentanomial(penta)
            lines.append("  Elo %s (95 %%, pentanomial over %d complete pairs, pair points 0..2: %s)"
                         % (fmt_elo(e5, m5), sum(penta), "/".join(str(c) for c in penta)))
        lines.append("  Elo %s (95 %%, trinomial over %d games)" % (fmt_elo(e3, m3), n))
        lines.append("  LOS %.1f %%" % (100.0 * los(self.wins, self.losses)))
        for who, nm in ((0, a), (1, b)):
            lines.append("  %s: lost on time %d, illegal moves %d, crashes %d"
                         % (nm, self.faults.get((who, "time"), 0), self.faults.get((who, "illegal"), 0),
                            self.faults.get((who, "crash"), 0)))
        return "\n".join(lines)

    def cell(self):
        n = self.games()
        if not n:
            return "-"
        penta = self.pentanomial_counts()
        e, m = pentanomial(penta) if sum(penta) >= 2 else trinomial(self.wins, self.losses, self.draws)
        return "+%d -%d =%d %.0f%% %s" % (self.wins, self.losses, self.draws,
                                          100.0 * (self.wins + 0.5 * self.draws) / n, fmt_elo(e, m))


def schedule(first, second, openings, games):
    """Games of `first` against `second`: opening k//2, colours swapped in each
    pair, `first` White in the even games. (white, black, opening, slot, first_white)."""
    jobs = []
    for g in range(games):
        slot = g // 2
        op = openings[slot % len(openings)]
        first_white = g % 2 == 0
        pair = (first, second) if first_white else (second, first)
        jobs.append((pair, op, (first.name, second.name, slot), first_white))
    return jobs


def run_games(jobs, rules, parallel, on_result):
    """Plays the jobs on `parallel` threads; on_result(index, job, record) is
    called in the jobs' order. Returns False if interrupted."""
    work = tempfile.mkdtemp(prefix="selfplay-")
    todo = queue.Queue()
    for i, job in enumerate(jobs):
        todo.put((i, job))
    done = queue.Queue()
    stop = threading.Event()

    def worker():
        while not stop.is_set():
            try:
                i, job = todo.get_nowait()
            except queue.Empty:
                return
            try:
                rec = play_game(job[0], job[1], rules, os.path.join(work, "g%d" % i), stop, "game %d: " % (i + 1))
            except Exception as e:  # a fault of the runner must not hang the match
                rec = {"result": "*", "reason": "runner error: %r" % e, "fault": None, "moves": [],
                       "clocks": [0, 0], "plies": 0, "opening": job[1]}
            done.put((i, rec))

    threads = [threading.Thread(target=worker, daemon=True) for _ in range(max(1, parallel))]
    for t in threads:
        t.start()
    waiting, next_i = {}, 0
    try:
        while next_i < len(jobs):
            try:
                i, rec = done.get(timeout=0.5)
            except queue.Empty:
                if not any(t.is_alive() for t in threads) and done.empty():
                    break
                continue
            waiting[i] = rec
            while next_i in waiting:
                on_result(next_i, jobs[next_i], waiting.pop(next_i))
                next_i += 1
        return True
    except KeyboardInterrupt:
        stop.set()
        cecp.kill_all()
        for t in threads:
            t.join(timeout=5)
        print("interrupted: %d of %d games reported" % (next_i, len(jobs)))
        return False
    finally:
        stop.set()
        cecp.kill_all()
        shutil.rmtree(work, ignore_errors=True)


def game_line(n, job, rec):
    pair, op = job[0], job[1]
    return "game %d: %s - %s, %s: %s {%s}, %d plies, clocks %.0f / %.0f ms" % (
        n, pair[0].name, pair[1].name, op.name, rec["result"], rec["reason"], rec["plies"],
        rec["clocks"][0], rec["clocks"][1])


def pgn_text(n, job, rec, tc_text):
    pair, op = job[0], job[1]
    board = Board(op.fen) if op.fen else Board()
    tags = [("Event", "selfplay"), ("Site", "local"), ("Date", time.strftime("%Y.%m.%d")),
            ("Round", str(n)), ("White", pair[0].name), ("Black", pair[1].name),
            ("Result", rec["result"]), ("TimeControl", tc_text), ("Opening", op.name),
            ("Termination", rec["reason"].replace('"', "'"))]
    if op.fen:
        tags += [("SetUp", "1"), ("FEN", op.fen)]
    out = "".join('[%s "%s"]\n' % t for t in tags) + "\n"
    words = []
    for i, mv in enumerate(rec["moves"]):
        m = board.parse(mv)
        if board.white:
            words.append("%d." % board.fullmove)
        elif i == 0:
            words.append("%d..." % board.fullmove)
        words.append(board.san(m))
        board.push(m)
        if i == len(op.moves) - 1:
            words.append("{end of opening}")
    words.append(rec["result"])
    lines, cur = [], ""
    for w in words:
        if len(cur) + len(w) + 1 > 79:
            lines.append(cur)
            cur = w
        else:
            cur = (cur + " " + w) if cur else w
    lines.append(cur)
    return out + "\n".join(lines) + "\n\n"


def parse_options(values):
    out = []
    for v in values or []:
        if "=" not in v:
            raise SystemExit("selfplay.py: option %r is not NAME=VALUE" % v)
        key, value = v.split("=", 1)
        out.append((key.strip(), value.strip()))
    return out


def player(name, command, options, book, memory):
    cmd = OPPONENTS.get(command) or shlex.split(command)
    if os.sep in cmd[0]:
        cmd[0] = os.path.abspath(cmd[0])
    if not shutil.which(cmd[0]):
        raise SystemExit("selfplay.py: no engine %r" % cmd[0])
    return Player(name, cmd, options, book if book and book != "none" else None, memory)


def validate(openings, players, memory_note=True):
    """The openings the runner's board and every engine accept; warns about the others."""
    good = []
    for op in openings:
        try:
            good.append(check_opening(op))
        except ValueError as e:
            print("opening dropped: %s" % e)
    work = tempfile.mkdtemp(prefix="selfplay-check-")
    try:
        seen = set()
        for i, p in enumerate(players):
            key = tuple(p.command) + tuple(p.options)
            if key in seen:
                continue
            seen.add(key)
            e = p.engine(os.path.join(work, str(i)))
            try:
                e.start()
                refused = engine_refusals(e, good)
            except EngineGone:
                raise SystemExit("selfplay.py: %s died while checking the openings" % p.name)
            finally:
                e.quit()
            for op, why in refused:
                print("opening dropped: %s: %s answers %s" % (op.name, p.name, why))
            names = {op.name for op, _ in refused}
            good = [op for op in good if op.name not in names]
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if not good:
        raise SystemExit("selfplay.py: no opening left")
    return good


def interrupt(signum, frame):
    """Signal handler: stops the match in its main thread."""
    raise KeyboardInterrupt


def main(argv=None):
    ap = argparse.ArgumentParser(
        description="Self-play matches and tournaments of xboard engines, clocks kept by the runner.",
        formatter_class=argparse.RawDescriptionHelpFormatter, epilog=__doc__.split("\n\n", 1)[1])
    ap.add_argument("-a", dest="a", default=os.path.join(ROOT, "build-rel", "pellarq"),
                    help="engine A: a path or a command (default build-rel/pellarq of this tree)")
    ap.add_argument("-A", dest="a_opts", action="append", metavar="NAME=VALUE",
                    help="xboard option for A, sent as 'option NAME=VALUE' (repeatable)")
    ap.add_argument("-b", dest="b", default=None, help="engine B (default: the same binary as A)")
    ap.add_argument("-B", dest="b_opts", action="append", metavar="NAME=VALUE", help="xboard option for B")
    ap.add_argument("--name-a", default=None, help="A's name in the output")
    ap.add_argument("--name-b", default=None, help="B's name in the output")
    ap.add_argument("--book-a", default=None, help="book copied in as Mirask.bo1 for A (default: none)")
    ap.add_argument("--book-b", default=None, help="book for B")
    ap.add_argument("-t", dest="tc", default="10+0.1",
                    help='time control in seconds: "10+0.1", "60+1", "40/20", "40/20+0.5" (default 10+0.1)')
    ap.add_argument("-n", dest="games", type=int, default=None,
                    help="games (per pairing in a tournament); default two per opening")
    ap.add_argument("-j", dest="parallel", type=int, default=2, help="games at once (default 2)")
    ap.add_argument("--openings", default=None,
                    help="file of openings: a line of moves, or a FEN/EPD position, a line")
    ap.add_argument("--memory", type=int, default=None, help="hash MB, sent with 'memory' where offered")
    ap.add_argument("--max-moves", type=int, default=200, help="full moves before a draw is adjudicated (200)")
    ap.add_argument("--resign", nargs=2, type=int, default=None, metavar=("CP", "MOVES"),
                    help="adjudicate a win when both engines' scores are beyond CP for MOVES moves each")
    ap.add_argument("--pgn", default=None, help="write every game to this PGN file")
    ap.add_argument("-l", dest="logfile", default=None, help="protocol log")
    ap.add_argument("--tournament", action="store_true",
                    help="A (and B if given) against each engine of --opponents")
    ap.add_argument("--opponents", default="phalanx,gnuchess",
                    help="comma-separated: %s, or commands (default phalanx,gnuchess)" % ", ".join(OPPONENTS))
    args = ap.parse_args(argv)

    tc = parse_tc(args.tc)
    rules = Rules(tc, args.max_moves, *(args.resign or (None, 4)))
    if args.logfile:
        cecp.LOG = open(args.logfile, "w", buffering=1)
    a_opts, b_opts = parse_options(args.a_opts), parse_options(args.b_opts)

    def label(cmd, opts):
        base = cmd if cmd in OPPONENTS else os.path.basename(shlex.split(cmd)[0])
        return base + ("(" + ",".join("%s=%s" % o for o in opts) + ")" if opts else "")

    name_a = args.name_a or label(args.a, a_opts)
    a = player(name_a, args.a, a_opts, args.book_a, args.memory)
    players = [a]
    if not args.tournament or args.b is not None or b_opts:
        b_cmd = args.b or args.a
        name_b = args.name_b or label(b_cmd, b_opts)
        if name_b == name_a:
            name_a, name_b = name_a + "#A", name_b + "#B"
            a.name = name_a
        players.append(player(name_b, b_cmd, b_opts, args.book_b, args.memory))

    opponents = []
    if args.tournament:
        for o in args.opponents.split(","):
            o = o.strip()
            if o:
                opponents.append(player(o if o in OPPONENTS else os.path.basename(shlex.split(o)[0]),
                                        o, [], None, args.memory))
        if not opponents:
            raise SystemExit("selfplay.py: no opponents")

    raw = read_openings(args.openings) if args.openings else [Opening(n, m.split()) for n, m in BUILTIN_OPENINGS]
    openings = validate(raw, players + opponents)
    games = args.games if args.games is not None else 2 * len(openings)

    if args.tournament:
        pairings = [(p, o) for p in players for o in opponents]
    else:
        pairings = [(players[0], players[1])]
    jobs, tallies = [], {}
    for p, o in pairings:
        jobs += schedule(p, o, openings, games)
        tallies[(p.name, o.name)] = Tally()

    print("%s; time control %s (base %d ms, increment %d ms, %d moves a period), %d games%s, %d at once; "
          "%d openings checked; draw after %d moves%s"
          % (" and ".join("%s against %s" % (p.name, o.name) for p, o in pairings), args.tc, tc[1], tc[2],
             tc[0], games, " a pairing" if len(pairings) > 1 else "", args.parallel, len(openings),
             args.max_moves, "; resign adjudication at %d cp for %d moves" % tuple(args.resign)
             if args.resign else ""))
    sys.stdout.flush()
    pgn = open(args.pgn, "w") if args.pgn else None

    def on_result(i, job, rec):
        first_name, second_name, slot = job[2]
        tallies[(first_name, second_name)].add(rec, job[3], slot)
        print(game_line(i + 1, job, rec))
        if pgn and rec["result"] != "*" or pgn and rec["moves"]:
            pgn.write(pgn_text(i + 1, job, rec, args.tc))
            pgn.flush()
        sys.stdout.flush()

    # A termination request (a match tool's stop, `kill`) ends the match as
    # Ctrl-C does: the engines are killed and the games so far are summed up.
    earlier = signal.signal(signal.SIGTERM, interrupt)
    try:
        finished = run_games(jobs, rules, args.parallel, on_result)
    finally:
        signal.signal(signal.SIGTERM, earlier)
    if pgn:
        pgn.close()
    print()
    for p, o in pairings:
        print(tallies[(p.name, o.name)].summary(p.name, o.name))
    if args.tournament:
        print()
        width = max(len(p.name) for p in players) + 2
        cells = {(p.name, o.name): tallies[(p.name, o.name)].cell() for p, o in pairings}
        cw = max(max(len(c) for c in cells.values()), max(len(o.name) for o in opponents)) + 2
        print("".ljust(width) + "".join(o.name.ljust(cw) for o in opponents))
        for p in players:
            print(p.name.ljust(width) + "".join(cells[(p.name, o.name)].ljust(cw) for o in opponents))
    return 0 if finished else 130


if __name__ == "__main__":
    sys.exit(main())
