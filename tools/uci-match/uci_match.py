#!/usr/bin/env python3
"""Plays pellarq in UCI mode against another UCI engine and keeps the clocks.

The script is the GUI: it sends "position ... moves ..." and "go wtime ...
btime ... winc ... binc ..." to the engine to move, measures the time until
its "bestmove" and charges it to that engine's clock. A move that arrives
after the clock has run out loses on time; an illegal move loses; a game
ends by mate, stalemate, threefold repetition, the fifty-move rule,
insufficient material, or adjudication as a draw after --max-plies.

Move legality comes from a third engine process, the referee (Stockfish by
default), through its "go perft 1" (the legal moves) and "d" (FEN and
checkers) commands, so the script needs nothing beyond the Python standard
library.

It checks pellarq's side of the protocol as it goes: only UCI lines on
standard output, "uciok" and "readyok" in time (also an "isready" sent
during its searches, --probe-isready), exactly one "bestmove" per "go", a
legal ponder move, a prompt exit after "quit". With --ponder, pellarq
ponders on its predicted move ("go ponder", then "ponderhit" or "stop").

Example (from the repository root, after a Release build in build-rel):
    python3 tools/uci-match/uci_match.py --games 4 --engine build-rel/pellarq \\
        --opponent /usr/games/stockfish --opponent-option UCI_LimitStrength=true \\
        --opponent-option UCI_Elo=1500 --base 10 --inc 0.1
"""

import argparse
import os
import queue
import re
import subprocess
import sys
import threading
import time

UCI_LINE = re.compile(
    r"^(id (name|author) .+|option name .+ type (spin|check|string|button|combo).*|uciok|readyok|"
    r"bestmove \S+( ponder \S+)?|info .*|copyprotection .*|registration .*)$")
MOVE = re.compile(r"^[a-h][1-8][a-h][1-8][qrbn]?$")


class EngineDied(Exception):
    pass


class Timeout(Exception):
    pass


class Engine:
    """A UCI engine process; a reader thread stamps each output line."""

    def __init__(self, name, command, cwd, stderr_path, checked, problems):
        self.name = name
        self.checked = checked          # check that every line is UCI
        self.problems = problems        # list of (engine, text) shared with the match
        self.lines = queue.Queue()
        err = open(stderr_path, "ab") if stderr_path else subprocess.DEVNULL
        self.proc = subprocess.Popen(command, cwd=cwd, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=err, text=True, bufsize=1)
        self.log = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            line = line.rstrip("\r\n")
            self.lines.put((time.monotonic(), line))
        self.lines.put((time.monotonic(), None))

    def problem(self, text):
        self.problems.append((self.name, text))

    def send(self, line):
        self.log.append("> " + line)
        try:
            self.proc.stdin.write(line + "\n")
            self.proc.stdin.flush()
        except (BrokenPipeError, OSError):
            raise EngineDied(f"{self.name}: broken pipe on '{line}'")

    def read(self, timeout):
        """The next line and its time stamp; Timeout or EngineDied."""
        try:
            stamp, line = self.lines.get(timeout=max(0.0, timeout))
        except queue.Empty:
            raise Timeout()
        if line is None:
            raise EngineDied(f"{self.name}: output closed (exit status {self.proc.poll()})")
        self.log.append("< " + line)
        if self.checked and not UCI_LINE.match(line):
            self.problem(f"not a UCI line: {line!r}")
        return stamp, line

    def wait_for(self, word, timeout, unexpected_bestmove=True):
        """Reads until a line starting with `word`; returns (stamp, line)."""
        end = time.monotonic() + timeout
        while True:
            stamp, line = self.read(end - time.monotonic())
            if line.split()[:1] == [word]:
                return stamp, line
            if unexpected_bestmove and line.startswith("bestmove"):
                self.problem(f"bestmove without a go: {line!r}")

    def handshake(self, options):
        self.send("uci")
        try:
            self.wait_for("uciok", 10)
        except Timeout:
            raise EngineDied(f"{self.name}: no uciok within 10 s")
        for name, value in options:
            self.send(f"setoption name {name} value {value}" if value is not None
                      else f"setoption name {name}")
        self.ready(5)

    def ready(self, timeout):
        self.send("isready")
        try:
            self.wait_for("readyok", timeout)
        except Timeout:
            self.problem(f"no readyok within {timeout} s")
            raise EngineDied(f"{self.name}: no readyok")

    def quit(self):
        """Sends quit; the seconds until the process ended (None: killed after 5 s)."""
        t0 = time.monotonic()
        try:
            self.send("quit")
        except EngineDied:
            pass
        try:
            self.proc.wait(5)
            return time.monotonic() - t0
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            return None


class Referee:
    """Legal moves, FEN and check from a UCI engine that knows "go perft 1" and "d"."""

    def __init__(self, command):
        self.engine = Engine("referee", command, None, None, False, [])
        self.engine.handshake([])

    def examine(self, start, moves):
        e = self.engine
        e.send(f"position {start}" + (" moves " + " ".join(moves) if moves else ""))
        e.send("d")
        fen, checkers = None, ""
        while fen is None or checkers is None:
            _, line = e.read(10)
            if line.startswith("Fen: "):
                fen = line[5:].strip()
                checkers = None
            elif line.startswith("Checkers:") and fen is not None:
                checkers = line[9:].strip()
        e.send("go perft 1")
        legal = []
        while True:
            _, line = e.read(10)
            m = re.match(r"^([a-h][1-8][a-h][1-8][qrbn]?): \d+$", line)
            if m:
                legal.append(m.group(1))
            elif line.startswith("Nodes searched"):
                break
        return legal, fen, checkers != ""

    def close(self):
        self.engine.quit()


def insufficient(fen):
    pieces = [c for c in fen.split()[0] if c.isalpha() and c not in "kK"]
    if any(c in "pPqQrR" for c in pieces):
        return False
    return len(pieces) <= 1


def play_game(number, white, black, tested, referee, args, stats):
    """One game; returns (result for white: 1, 0.5, 0, reason)."""
    start = "startpos"
    moves, keys = [], {}
    clock = {white: args.base * 1000.0, black: args.base * 1000.0}
    inc = args.inc * 1000.0
    for e in (white, black):
        e.send("ucinewgame")
        e.ready(5)
    pondering = None  # (predicted move) while the tested engine ponders
    while True:
        legal, fen, check = referee.examine(start, moves)
        side = white if len(moves) % 2 == 0 else black
        other = black if side is white else white
        score_side = 1.0 if side is white else 0.0  # white's score if `side` wins
        key = " ".join(fen.split()[:4])
        keys[key] = keys.get(key, 0) + 1
        if not legal:
            stop_pondering(other, tested, pondering, stats)
            return (1.0 - score_side, "mate") if check else (0.5, "stalemate")
        if keys[key] >= 3:
            stop_pondering(other, tested, pondering, stats)
            return 0.5, "repetition"
        if int(fen.split()[4]) >= 100:
            stop_pondering(other, tested, pondering, stats)
            return 0.5, "fifty moves"
        if insufficient(fen):
            stop_pondering(other, tested, pondering, stats)
            return 0.5, "insufficient material"
        if len(moves) >= args.max_plies:
            stop_pondering(other, tested, pondering, stats)
            return 0.5, "adjudicated (length)"

        w, b = int(clock[white]), int(clock[black])
        go = f"go wtime {max(w, 0)} btime {max(b, 0)} winc {int(inc)} binc {int(inc)}"
        if side is tested and pondering is not None:
            predicted = pondering
            pondering = None
            if moves[-1] == predicted:
                side.send("ponderhit")
                t0 = time.monotonic()
                stats["ponderhits"] += 1
            else:
                side.send("stop")
                stamp, _ = side.wait_for("bestmove", 10)
                side.send(f"position {start} moves " + " ".join(moves))
                side.send(go)
                t0 = time.monotonic()
        else:
            side.send(f"position {start}" + (" moves " + " ".join(moves) if moves else ""))
            side.send(go)
            t0 = time.monotonic()
        probe = side is tested and args.probe_isready
        if probe:
            time.sleep(0.02)
            side.send("isready")
            t_probe = time.monotonic()
        # The answer, charged to the clock (a hang is cut off 10 s after the flag)
        got_ready = not probe
        while True:
            try:
                stamp, line = side.read(clock[side] / 1000.0 + 10 - (time.monotonic() - t0))
            except Timeout:
                return 1.0 - score_side, f"{side.name} hangs (no bestmove 10 s after its flag)"
            if line.startswith("readyok") and not got_ready:
                got_ready = True
                delay = stamp - t_probe
                stats["ready_max"] = max(stats["ready_max"], delay)
                if delay > 1.0:
                    side.problem(f"readyok {delay:.2f} s after isready during a search")
            elif line.startswith("bestmove"):
                break
        if probe and not got_ready:
            try:
                side.wait_for("readyok", 5)
            except Timeout:
                side.problem("isready sent during the search never answered")
        elapsed = (stamp - t0) * 1000.0
        words = line.split()
        move = words[1] if len(words) > 1 else ""
        stats.setdefault("time_" + side.name, []).append(elapsed)
        clock[side] -= elapsed
        if clock[side] < 0:
            stats["time_losses"][side.name] += 1
            return 1.0 - score_side, f"{side.name} lost on time ({-clock[side]:.0f} ms over)"
        stats["min_clock_" + side.name] = min(stats.get("min_clock_" + side.name, 1e9), clock[side])
        clock[side] += inc
        if move not in legal:
            stats["illegal"][side.name] += 1
            return 1.0 - score_side, f"{side.name} illegal move {move!r} after {' '.join(moves)}"
        moves.append(move)
        # Pondering on the predicted reply
        if side is tested and args.ponder and len(words) == 4 and words[2] == "ponder":
            predicted = words[3]
            legal_after, _, _ = referee.examine(start, moves)
            if predicted not in legal_after:
                side.problem(f"illegal ponder move {predicted} after {' '.join(moves)}")
            elif legal_after:
                pw, pb = int(clock[white]), int(clock[black])
                side.send(f"position {start} moves " + " ".join(moves + [predicted]))
                side.send(f"go ponder wtime {pw} btime {pb} winc {int(inc)} binc {int(inc)}")
                pondering = predicted
                stats["ponders"] += 1


def stop_pondering(engine, tested, pondering, stats):
    if engine is tested and pondering is not None:
        engine.send("stop")
        try:
            engine.wait_for("bestmove", 10)
        except Timeout:
            engine.problem("no bestmove after stop while pondering")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--engine", default="build-rel/pellarq", help="the tested engine (pellarq)")
    ap.add_argument("--engine-option", action="append", default=[], metavar="NAME=VALUE")
    ap.add_argument("--opponent", default="/usr/games/stockfish")
    ap.add_argument("--opponent-option", action="append", default=[], metavar="NAME=VALUE")
    ap.add_argument("--referee", default="/usr/games/stockfish",
                    help="a UCI engine that knows 'go perft 1' and 'd'")
    ap.add_argument("--games", type=int, default=2)
    ap.add_argument("--base", type=float, default=10.0, help="seconds per game")
    ap.add_argument("--inc", type=float, default=0.1, help="seconds added per move")
    ap.add_argument("--max-plies", type=int, default=400)
    ap.add_argument("--ponder", action="store_true", help="pellarq ponders (go ponder / ponderhit)")
    ap.add_argument("--probe-isready", action="store_true",
                    help="send isready 20 ms into each of pellarq's searches")
    ap.add_argument("--log-dir", default="uci-match-logs")
    args = ap.parse_args()

    os.makedirs(args.log_dir, exist_ok=True)
    problems = []
    engine_path = os.path.abspath(args.engine)

    def options(items):
        out = []
        for item in items:
            name, _, value = item.partition("=")
            out.append((name, value if "=" in item else None))
        return out

    stats = {"time_losses": {"pellarq": 0, "opponent": 0}, "illegal": {"pellarq": 0, "opponent": 0},
             "ready_max": 0.0, "ponders": 0, "ponderhits": 0}
    score = 0.0
    results = []
    referee = Referee([args.referee])
    for g in range(args.games):
        tested = Engine("pellarq", [engine_path], os.path.dirname(engine_path),
                        os.path.join(args.log_dir, "pellarq.stderr"), True, problems)
        opponent = Engine("opponent", [args.opponent], None, None, False, [])
        try:
            tested.handshake(options(args.engine_option) + ([("Ponder", "true")] if args.ponder else []))
            opponent.handshake(options(args.opponent_option))
            white, black = (tested, opponent) if g % 2 == 0 else (opponent, tested)
            try:
                r, reason = play_game(g + 1, white, black, tested, referee, args, stats)
            except EngineDied as err:
                problems.append(("match", str(err)))
                r, reason = (0.0 if white is tested else 1.0), f"crash: {err}"
        finally:
            for e in (tested, opponent):
                t = e.quit()
                if e is tested:
                    if t is None:
                        problems.append(("pellarq", "did not exit within 5 s of quit"))
                    else:
                        stats["quit_max"] = max(stats.get("quit_max", 0.0), t)
            with open(os.path.join(args.log_dir, f"game{g + 1}.log"), "w") as f:
                f.write("\n".join(tested.log) + "\n")
        mine = r if white is tested else 1.0 - r
        score += mine
        colour = "white" if white is tested else "black"
        results.append(mine)
        print(f"game {g + 1}: pellarq {colour}: {mine:g} ({reason})", flush=True)

    referee.close()
    n = len(results)
    wins, draws = results.count(1.0), results.count(0.5)
    print(f"\npellarq: +{wins} ={draws} -{n - wins - draws} of {n} games, {score:g}/{n}")
    print(f"time losses: pellarq {stats['time_losses']['pellarq']}, opponent {stats['time_losses']['opponent']}")
    print(f"illegal moves: pellarq {stats['illegal']['pellarq']}, opponent {stats['illegal']['opponent']}")
    for who in ("pellarq", "opponent"):
        t = stats.get("time_" + who, [])
        if t:
            print(f"{who}: {len(t)} moves, {sum(t) / len(t):.0f} ms average, {max(t):.0f} ms longest, "
                  f"{stats.get('min_clock_' + who, 0):.0f} ms lowest clock after a move")
    if args.probe_isready:
        print(f"slowest readyok during a search: {stats['ready_max'] * 1000:.0f} ms")
    if args.ponder:
        print(f"ponder searches: {stats['ponders']}, ponderhits: {stats['ponderhits']}")
    print(f"slowest exit after quit: {stats.get('quit_max', 0) * 1000:.0f} ms")
    print(f"protocol problems: {len(problems)}")
    for who, text in problems:
        print(f"  {who}: {text}")
    return 0 if not problems and stats["time_losses"]["pellarq"] == 0 and stats["illegal"]["pellarq"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
