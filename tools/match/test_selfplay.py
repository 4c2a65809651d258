"""Tests of the match tools' statistics, openings and board.
Run from tools/match: python3 -m unittest test_selfplay"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import selfplay  # noqa: E402
from chessboard import Board, IllegalMove  # noqa: E402
from selfplay import Opening  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
PELLARQ = os.path.join(ROOT, "build-rel", "pellarq")


def perft(board, depth):
    if depth == 0:
        return 1
    n = 0
    for m in board.legal_moves():
        b = board.copy()
        b.apply(m)
        n += perft(b, depth - 1)
    return n


class Statistics(unittest.TestCase):
    def test_elo_of_scores(self):
        for score, expected in ((0.5, 0.0), (0.75, 190.8485), (0.25, -190.8485), (0.9, 381.6970), (0.64, 100.0)):
            self.assertAlmostEqual(selfplay.elo(score), expected, delta=0.6 if score == 0.64 else 1e-3)
        self.assertEqual(selfplay.elo(1.0), float("inf"))
        self.assertEqual(selfplay.elo(0.0), float("-inf"))

    def test_trinomial_margin(self):
        # 30 wins, 10 losses, 20 draws: score 2/3, per-game variance 5/36,
        # standard error sqrt(5/36/60) = 0.048113, interval 0.5724..0.7610
        e, m = selfplay.trinomial(30, 10, 20)
        self.assertAlmostEqual(e, 120.412, places=2)
        self.assertAlmostEqual(m, 75.260, places=2)
        # Even score: Elo 0, margin from variance (50*0.25 + 0)/100 = 0.125 a game
        e, m = selfplay.trinomial(25, 25, 50)
        self.assertAlmostEqual(e, 0.0, places=9)
        self.assertAlmostEqual(m, 48.5, delta=0.5)
        # Mirrored results: the same margin, the opposite Elo
        e2, m2 = selfplay.trinomial(10, 30, 20)
        self.assertAlmostEqual(e2, -120.412, places=2)
        self.assertAlmostEqual(m2, 75.260, places=2)
        self.assertEqual(selfplay.trinomial(0, 0, 0)[1], float("inf"))

    def test_pentanomial_margin(self):
        # Pair points 0,1/2,1,3/2,2 counted 1,2,3,2,1: mean 1/2, variance 1/12 a pair,
        # standard error 0.096225 over 9 pairs, interval 0.3114..0.6886
        e, m = selfplay.pentanomial([1, 2, 3, 2, 1])
        self.assertAlmostEqual(e, 0.0, places=9)
        self.assertAlmostEqual(m, 137.857, places=2)
        # Pairs that split 1-1 carry no variance of their own: a smaller margin
        # than the same games taken one by one
        e5, m5 = selfplay.pentanomial([0, 5, 10, 15, 0])
        e3, m3 = selfplay.trinomial(20, 10, 30)
        self.assertAlmostEqual(e5, e3, places=9)
        self.assertLess(m5, m3)

    def test_likelihood_of_superiority(self):
        self.assertAlmostEqual(selfplay.los(10, 5), 0.90165, places=4)
        self.assertAlmostEqual(selfplay.los(5, 10), 1 - 0.90165, places=4)
        self.assertEqual(selfplay.los(0, 0), 0.5)

    def test_tally_counts_pairs_and_faults_by_player(self):
        t = selfplay.Tally()

        def rec(result, fault=None):
            return {"result": result, "fault": fault}
        t.add(rec("1-0"), True, 0)                    # player White wins
        t.add(rec("1-0", (1, "time")), False, 0)      # player Black loses on time
        t.add(rec("1/2-1/2"), True, 1)
        t.add(rec("0-1", (0, "illegal")), False, 1)   # opponent White plays an illegal move
        t.add(rec("0-1", (0, "crash")), True, 2)      # player White crashes
        t.add(rec("*"), True, 3)                      # unfinished: not counted
        self.assertEqual((t.wins, t.losses, t.draws), (2, 2, 1))
        # Pair points: slot 0 = 1 + 0, slot 1 = 1/2 + 1; slot 2 is incomplete
        self.assertEqual(t.pentanomial_counts(), [0, 0, 1, 1, 0])
        self.assertEqual(t.faults, {(0, "time"): 1, (1, "illegal"): 1, (0, "crash"): 1})

    def test_resign_verdict(self):
        self.assertEqual(selfplay.resign_verdict([[900, 950], [920, 1000]], 900, 2), "1-0")
        self.assertEqual(selfplay.resign_verdict([[-950, -900], [-1000, -920]], 900, 2), "0-1")
        self.assertIsNone(selfplay.resign_verdict([[900, 950], [920, 899]], 900, 2))
        self.assertIsNone(selfplay.resign_verdict([[900, 950], [1000]], 900, 2))
        self.assertIsNone(selfplay.resign_verdict([[900, None], [920, 1000]], 900, 2))


class Openings(unittest.TestCase):
    def test_builtin_lines_are_legal_distinct_and_short(self):
        lines = [m for _, m in selfplay.BUILTIN_OPENINGS]
        self.assertGreaterEqual(len(lines), 60)
        self.assertEqual(len(set(lines)), len(lines))
        self.assertEqual(len({n for n, _ in selfplay.BUILTIN_OPENINGS}), len(lines))
        for name, moves in selfplay.BUILTIN_OPENINGS:
            checked = selfplay.check_opening(Opening(name, moves.split()))
            self.assertEqual(checked.moves, moves.split(), name)
            self.assertTrue(6 <= len(checked.moves) <= 10, name)

    def test_illegal_lines_are_rejected(self):
        bad = [
            "e2e4 e7e5 e2e4",                          # the pawn is gone
            "e2e4 e7e5 g1f3 b8c6 f1c4 d7d6 e1g1 c8g4 e1g1",  # castling twice
            "e2e4 d7d5 e1e2 e7e5 e2e1 d8h4 e1g1",      # the king has moved
            "g1f3 e7e6 g2g3 f8c5 f1h3 c5f2 e1g1",      # castling out of check
            "g1f3 d7d5 g2g3 e7e5 f1h3 c8h3 e1g1",      # castling through an attacked square
            "e2e4 f7f6 d2d4 g7g5 d1h5 e8e7",           # mate on the board: any reply is illegal
            "e2e5",                                     # pawn cannot move three squares
            "e7e5",                                     # Black's pawn on White's move
        ]
        for line in bad:
            with self.assertRaises(ValueError, msg=line):
                selfplay.check_opening(Opening("x", line.split()))

    def test_special_moves_are_accepted(self):
        # En passant, both castlings, a promotion with capture
        ok = ["e2e4 g8f6 e4e5 d7d5 e5d6",
              "g1f3 g8f6 g2g3 g7g6 f1g2 f8g7 e1g1 e8g8",
              "d2d4 d7d5 b1c3 b8c6 c1f4 c8f5 d1d2 d8d7 e1c1 e8c8"]
        for line in ok:
            self.assertEqual(selfplay.check_opening(Opening("x", line.split())).moves, line.split())
        promo = selfplay.check_opening(Opening("p", ["b7a8=Q"], "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1"))
        self.assertEqual(promo.moves, ["b7a8q"])

    def test_a_line_ending_the_game_is_rejected(self):
        with self.assertRaises(ValueError):
            selfplay.check_opening(Opening("mate", "f2f3 e7e5 g2g4 d8h4".split()))

    def test_file_of_openings(self):
        d = tempfile.mkdtemp()
        try:
            path = os.path.join(d, "lines.txt")
            with open(path, "w") as f:
                f.write("# a comment\n\n1. e4 c5 2. Nf3 d6\n"
                        "d2d4 d7d5\n"
                        "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2\n"
                        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 id \"x\"; moves e7e5\n")
            ops = selfplay.read_openings(path)
            self.assertEqual([op.moves for op in ops], [["e4", "c5", "Nf3", "d6"], ["d2d4", "d7d5"], [], ["e7e5"]])
            self.assertEqual(ops[2].fen, "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2")
            self.assertEqual(ops[3].fen, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1")
            self.assertEqual(selfplay.check_opening(ops[0]).moves, "e2e4 c7c5 g1f3 d7d6".split())
        finally:
            shutil.rmtree(d)

    def test_refusals_of_moves(self):
        import cecp
        refused = ["Illegal move: e2e5", "Illegal move (no piece): e2e4", "Invalid move: a4c6",
                   "Error (unknown command): e2e4", "Error (unknown command): usermove e7e8q",
                   "Error (command not legal now): setboard"]
        taken = ["Error (unknown command): post", "Error (unknown command): easy", "move e2e4",
                 "1. e2e4", "pong 3", "Illegal"]
        for line in refused:
            self.assertTrue(cecp.refuses(line), line)
        for line in taken:
            self.assertFalse(cecp.refuses(line), line)

    @unittest.skipUnless(os.access(PELLARQ, os.X_OK), "no Release build in build-rel")
    def test_engine_refuses_an_illegal_line(self):
        d = tempfile.mkdtemp()
        try:
            p = selfplay.Player("pellarq", [PELLARQ])
            e = p.engine(os.path.join(d, "e"))
            e.start()
            try:
                good = Opening("good", "e2e4 e7e5 g1f3".split())
                bad = Opening("bad", "e2e4 e7e5 e1g1".split())
                refused = selfplay.engine_refusals(e, [good, bad, good])
            finally:
                e.quit()
            self.assertEqual([op.name for op, _ in refused], ["bad"])
        finally:
            shutil.rmtree(d)


FAKE_ENGINE = """import os
import sys
# A stand-in xboard engine: on "go" it does what its argument says
action = sys.argv[1]
if action.startswith("hang="):
    # Never moves; notes its process number in the file named
    with open(action[5:], "a") as f:
        f.write("%d\\n" % os.getpid())
for line in sys.stdin:
    word = line.split()
    if not word:
        continue
    if word[0] == "protover":
        print("feature ping=1 setboard=1 usermove=1 done=1", flush=True)
    elif word[0] == "ping":
        print("pong " + word[1], flush=True)
    elif word[0] == "go":
        if action.startswith("hang="):
            continue
        if action == "crash":
            sys.exit(3)
        if action == "claim":
            print("1-0 {White mates}", flush=True)
        else:
            print("move " + action, flush=True)
    elif word[0] == "quit":
        break
"""


class Games(unittest.TestCase):
    """Games between stand-in engines: how the runner ends them and whom it blames."""

    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.script = os.path.join(self.dir, "fake.py")
        with open(self.script, "w") as f:
            f.write(FAKE_ENGINE)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def play(self, white_action, black_action, opening, fen=None, tc=(0, 60000, 0)):
        white = selfplay.Player("white", [sys.executable, self.script, white_action])
        black = selfplay.Player("black", [sys.executable, self.script, black_action])
        rules = selfplay.Rules(tc)
        return selfplay.play_game([white, black], Opening("t", opening.split(), fen), rules,
                                  os.path.join(self.dir, "game"))

    def test_faults_lose_and_are_put_on_the_right_engine(self):
        cases = [
            ("e2e5", "e7e5", "", "0-1", (0, "illegal")),          # White's illegal move
            ("e2e4", "e2e4", "", "1-0", (1, "illegal")),          # Black replays White's move
            ("crash", "e7e5", "", "0-1", (0, "crash")),
            ("e2e4", "crash", "", "1-0", (1, "crash")),
            ("claim", "e7e5", "", "0-1", (0, "illegal")),         # a false claim of a win
        ]
        for white, black, opening, result, fault in cases:
            rec = self.play(white, black, opening)
            self.assertEqual((rec["result"], rec["fault"]), (result, fault), (white, black, rec["reason"]))

    def test_periods_count_the_opening_moves(self):
        # Two moves in 1 s: each side's first timed move is its second of the
        # game and ends the period, which adds the base to its clock. The
        # stand-ins move only on "go", so White then waits until it flags.
        rec = self.play("f3g1", "f6g8", "g1f3 g8f6", tc=(2, 1000, 0))
        self.assertEqual((rec["result"], rec["fault"]), ("0-1", (0, "time")), rec["reason"])
        self.assertEqual(rec["moves"], "g1f3 g8f6 f3g1 f6g8".split())
        self.assertGreater(rec["clocks"][1], 1500)
        # From a position with Black to move, the opening's one ply is
        # Black's: Black's first timed move is its second and ends its
        # period, White's is its first and does not. White then repeats its
        # move, which is illegal and ends the game.
        rec = self.play("e2e3", "g3f5", "h1g3", fen="k7/8/8/8/8/8/4P3/K6n b - - 0 1", tc=(2, 1000, 0))
        self.assertEqual(rec["moves"], "h1g3 e2e3 g3f5".split(), rec["reason"])
        self.assertGreater(rec["clocks"][1], 1500)
        self.assertLess(rec["clocks"][0], 1000)

    def test_the_board_ends_the_game(self):
        # Fool's mate: White plays into it, Black mates
        rec = self.play("g2g4", "d8h4", "f2f3 e7e5")
        self.assertEqual((rec["result"], rec["reason"], rec["fault"]), ("0-1", "checkmate", None))
        self.assertEqual(rec["moves"], "f2f3 e7e5 g2g4 d8h4".split())
        # A capture that leaves a knight against a bare king: drawn at once
        rec = self.play("a1b3", "e7e5", "", "4k3/8/8/8/8/1p6/8/N3K3 w - - 0 1")
        self.assertEqual((rec["result"], rec["reason"]), ("1/2-1/2", "insufficient material"))
        self.assertEqual(rec["plies"], 1)


class Interrupts(unittest.TestCase):
    """A match stopped from outside ends at once and leaves no engine behind."""

    def test_termination_kills_the_engines_and_sums_up(self):
        d = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, d)
        script, pids = os.path.join(d, "fake.py"), os.path.join(d, "pids")
        with open(script, "w") as f:
            f.write(FAKE_ENGINE)
        engine = "%s %s hang=%s" % (sys.executable, script, pids)
        runner = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "selfplay.py"), "-a", engine, "-b", engine,
             "-t", "60+0", "-n", "4", "-j", "2"],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.addCleanup(stop_runner, runner, pids)
        # Two games under way: four engines have started, beside the one
        # that checked the openings and quit (both players run the same command)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and len(read_pids(pids)) < 5:
            time.sleep(0.1)
        self.assertEqual(len(read_pids(pids)), 5)
        time.sleep(0.5)
        runner.send_signal(signal.SIGTERM)
        out, _ = runner.communicate(timeout=20)
        self.assertEqual(runner.returncode, 130, out)
        self.assertIn("interrupted: 0 of 4 games reported", out)
        self.assertIn("4 games", out.splitlines()[0])
        for pid in read_pids(pids):
            with self.assertRaises(ProcessLookupError, msg="engine %d still runs" % pid):
                os.kill(pid, 0)


def stop_runner(runner, pids):
    """After a failed test: neither the runner nor its engines outlive it."""
    if runner.poll() is None:
        runner.kill()
        runner.communicate()
    for pid in read_pids(pids):
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def read_pids(path):
    try:
        with open(path) as f:
            return [int(x) for x in f.read().split()]
    except FileNotFoundError:
        return []


class Rules(unittest.TestCase):
    def test_move_generation_counts(self):
        self.assertEqual(perft(Board(), 3), 8902)
        self.assertEqual(perft(Board("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"), 2),
                         2039)
        self.assertEqual(perft(Board("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"), 3), 2812)

    def test_game_ends(self):
        cases = [
            ("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", ("1/2-1/2", "stalemate")),
            ("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", ("1-0", "checkmate")),
            ("8/8/4k3/8/8/3BK3/8/8 w - - 0 1", ("1/2-1/2", "insufficient material")),
            ("8/8/4k3/8/8/3BKb2/8/8 w - - 0 1", ("1/2-1/2", "insufficient material")),   # same colour
            ("8/8/4k3/8/8/3BK1b1/8/8 w - - 0 1", None),                                  # opposite colours
            ("8/8/4k3/8/8/3NK3/8/7n w - - 0 1", None),
            ("8/8/4k3/8/8/4K3/4P3/8 w - - 99 80", None),
            ("8/8/4k3/8/8/4K3/4P3/8 w - - 100 80", ("1/2-1/2", "fifty-move rule")),
        ]
        for fen, expected in cases:
            self.assertEqual(Board(fen).outcome(), expected, fen)

    def test_threefold_repetition_and_en_passant_rights(self):
        b = Board()
        for i, mv in enumerate("g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1".split()):
            self.assertIsNone(b.outcome(), i)
            b.push(b.parse(mv))
        self.assertIsNone(b.outcome())
        b.push(b.parse("f6g8"))
        self.assertEqual(b.outcome(), ("1/2-1/2", "threefold repetition"))
        # After 1. e4 no pawn can take on e3: the position right after it is the
        # one the knights come back to, so it repeats a third time at move 9
        b = Board()
        for mv in "e2e4 g8f6 g1f3 f6g8 f3g1 g8f6 g1f3 f6g8".split():
            b.push(b.parse(mv))
        self.assertIsNone(b.outcome())
        b.push(b.parse("f3g1"))
        self.assertEqual(b.outcome(), ("1/2-1/2", "threefold repetition"))
        # After 1. e4 ... 2. e5 d5 the pawn on e5 could take en passant: that first
        # position differs from its returns, so two more returns are needed
        b = Board()
        moves = "e2e4 g8f6 e4e5 d7d5 g1f3 b8c6 f3g1 c6b8 g1f3 b8c6 f3g1 c6b8"
        for mv in moves.split():
            b.push(b.parse(mv))
        self.assertIsNone(b.outcome())
        for mv in "g1f3 b8c6 f3g1 c6b8".split():
            b.push(b.parse(mv))
        self.assertEqual(b.outcome(), ("1/2-1/2", "threefold repetition"))

    def test_san_and_parse(self):
        b = Board("r3k2r/8/8/8/8/2N3N1/8/R3K2R w KQkq - 0 1")
        sans = sorted(b.san(m) for m in b.legal_moves() if b.sq[m[0]] in "NK")
        self.assertIn("O-O", sans)
        self.assertIn("O-O-O", sans)
        self.assertIn("Nce4", sans)
        self.assertIn("Nge4", sans)
        self.assertEqual(Board.coord(b.parse("Nge2")), "g3e2")
        self.assertEqual(Board.coord(b.parse("0-0-0")), "e1c1")
        with self.assertRaises(IllegalMove):
            b.parse("Ne4")  # ambiguous
        self.assertEqual(Board("7k/8/6K1/8/8/8/Q7/8 w - - 0 1").san((8, 56, None)), "Qa8#")


if __name__ == "__main__":
    unittest.main()
