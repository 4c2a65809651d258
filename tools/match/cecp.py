"""cecp.py: what the match scripts share: an xboard (CECP) engine on pipes,
read without blocking, and the time-control helpers."""

import os
import re
import select
import subprocess
import threading
import time

RESULT = re.compile(r"^(1-0|0-1|1/2-1/2)(\s.*)?$")
MOVE_V2 = re.compile(r"^move\s+(\S+)")
MOVE_V1 = re.compile(r"^\d+\.\s*\.\.\.\s*(\S+)")
# An engine's answer to a move it does not take
REFUSAL = re.compile(r"^(Illegal move|Invalid move|Error)")


def refuses(line):
    """Whether an engine's line refuses a move: "Illegal move", "Invalid move",
    or an "Error" other than an unknown command that is not a move."""
    if not REFUSAL.match(line):
        return False
    m = re.match(r"^Error \(unknown command\):\s*(?:usermove\s+)?(\S*)", line)
    return not m or re.fullmatch(r"[a-h][1-8][a-h][1-8][qrbnQRBN]?", m.group(1)) is not None


# Thinking output: ply score time nodes pv; the score in centipawns for the side to move
THINKING = re.compile(r"^\s*(\d+)[.&]?\s+(-?\d+)\s+\d+\s+\d+(\s|$)")

T0 = time.monotonic()
LOG = None  # protocol log file, opened by the script's main; None: no log
_log_lock = threading.Lock()

# Every engine process running, so that an interrupted match can end them all
_running = set()
_running_lock = threading.Lock()


def ms_now():
    return time.monotonic() * 1000.0


def log(who, direction, line):
    if LOG:
        with _log_lock:
            LOG.write("%9.1f %s %s %s\n" % (ms_now() - T0 * 1000.0, who, direction, line))


def kill_all():
    """Ends every engine process still running (after an interrupt)."""
    with _running_lock:
        procs = list(_running)
        _running.clear()
    for p in procs:
        try:
            p.kill()
            p.wait(timeout=5)
        except (OSError, subprocess.TimeoutExpired):
            pass


class EngineGone(Exception):
    pass


class Engine:
    """An xboard engine on pipes; lines are read without blocking.

    options: (name, value) pairs sent as "option NAME=VALUE" once the
    features are negotiated; memory: hash size in MB sent with "memory" if
    the engine offers it (None: the engine's own)."""

    def __init__(self, name, command, workdir, options=(), memory=None, tag="", feature_wait_ms=2000,
                 ask_again=False):
        self.name = name
        self.tag = tag  # prefix of the engine's lines in the protocol log (a game number)
        self.feature_wait_ms = feature_wait_ms  # how long to wait for the features before done=0
        self.ask_again = ask_again  # repeat "protover 2" each second without an answer
        self.command = command
        self.workdir = workdir
        self.options = list(options)
        self.memory = memory
        self.proc = None
        self.buffer = b""
        self.lines = []
        self.features = {}
        self.forced = True
        self.pings = 0

    def start(self):
        # A session of its own: a Ctrl-C at the terminal reaches the runner only,
        # which then ends the engines itself.
        self.proc = subprocess.Popen(self.command, cwd=self.workdir, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     bufsize=0, start_new_session=True)
        with _running_lock:
            _running.add(self.proc)
        self.buffer = b""
        self.lines = []
        self.features = {}
        self.send("xboard")
        self.send("protover 2")
        # Features until done=1; done=0 asks for more time.
        deadline = ms_now() + self.feature_wait_ms
        asked = ms_now()
        while ms_now() < deadline:
            line = self.readline(min(deadline, asked + 1000) - ms_now())
            if line is None:
                if ms_now() >= deadline:
                    break
                # Not a word for a second: an engine still starting may have
                # lost the first lines (gnuchess does); ask again.
                if not self.features and self.ask_again:
                    self.send("xboard")
                    self.send("protover 2")
                asked = ms_now()
                continue
            if line.startswith("feature "):
                done = self.take_features(line[8:])
                if done == 1:
                    break
                if done == 0:
                    deadline = ms_now() + 10000
        if self.memory is not None and self.features.get("memory") == "1":
            self.send("memory %d" % self.memory)
        for key, value in self.options:
            self.send("option %s=%s" % (key, value))

    def take_features(self, text):
        done = None
        for m in re.finditer(r'(\w+)=("[^"]*"|\S+)', text):
            key, value = m.group(1), m.group(2).strip('"')
            self.features[key] = value
            if key == "done":
                done = int(value) if value.isdigit() else None
                continue
            refused = key == "san" and value == "1"
            self.send(("rejected " if refused else "accepted ") + key)
        return done

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def send(self, line):
        log(self.tag + self.name, ">", line)
        try:
            self.proc.stdin.write((line + "\n").encode())
            self.proc.stdin.flush()
        except (BrokenPipeError, OSError, AttributeError):
            raise EngineGone(self.name)

    def fileno(self):
        return self.proc.stdout.fileno()

    def pump(self):
        """Reads what is there (the pipe is known to be readable)."""
        data = os.read(self.fileno(), 65536)
        if not data:
            raise EngineGone(self.name)
        self.buffer += data
        while b"\n" in self.buffer:
            raw, self.buffer = self.buffer.split(b"\n", 1)
            line = raw.decode(errors="replace").rstrip("\r")
            log(self.tag + self.name, "<", line)
            self.lines.append(line)

    def readline(self, timeout_ms):
        deadline = ms_now() + max(timeout_ms, 0)
        while not self.lines:
            left = deadline - ms_now()
            if left <= 0:
                return None
            ready, _, _ = select.select([self.fileno()], [], [], left / 1000.0)
            if ready:
                self.pump()
        return self.lines.pop(0)

    def move_line(self, move):
        return ("usermove " + move) if self.features.get("usermove") == "1" else move

    def ask_move(self, own_ms, other_ms, pending):
        """Asks for a move: both clocks, then the opponent's last move (None
        if there is none), and "go" when the engine is in force mode.
        Returns the moment of asking, in ms."""
        self.send("time %d" % max(own_ms // 10, 0))
        self.send("otim %d" % max(other_ms // 10, 0))
        sent = ms_now()
        if pending:
            self.send(self.move_line(pending))
        if self.forced:
            self.send("go")
            self.forced = False
        return sent

    def sync(self, timeout_ms=10000):
        """Waits until the engine has taken everything sent; the lines read meanwhile."""
        seen = []
        if self.features.get("ping") != "1":
            deadline = ms_now() + 300
            while True:
                line = self.readline(deadline - ms_now())
                if line is None:
                    return seen
                seen.append(line)
        # A number of its own for every ping: some engines answer a ping twice
        self.pings += 1
        expected = "pong %d" % self.pings
        self.send("ping %d" % self.pings)
        deadline = ms_now() + timeout_ms
        while True:
            line = self.readline(deadline - ms_now())
            if line is None or line.strip() == expected:
                return seen
            if not line.startswith("pong "):
                seen.append(line)

    def quit(self):
        if self.proc is None:
            return
        try:
            self.send("quit")
        except EngineGone:
            pass
        try:
            self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        for pipe in (self.proc.stdin, self.proc.stdout):
            try:
                pipe.close()
            except OSError:
                pass
        with _running_lock:
            _running.discard(self.proc)
        self.proc = None


def parse_tc(text):
    """'10+0.1' -> (0, 10000, 100); '40/20' -> (40, 20000, 0); '40/20+0.5'."""
    m = re.fullmatch(r"(?:(\d+)/)?(\d+(?:\.\d+)?)(?:\+(\d+(?:\.\d+)?))?", text)
    if not m:
        raise SystemExit("time control %r not understood" % text)
    mps = int(m.group(1) or 0)
    base = int(round(float(m.group(2)) * 1000))
    inc = int(round(float(m.group(3) or 0) * 1000))
    return mps, base, inc


def level_line(mps, base_ms, inc_ms):
    seconds = base_ms // 1000
    base = str(seconds // 60) if seconds % 60 == 0 else "%d:%02d" % (seconds // 60, seconds % 60)
    inc = ("%.3f" % (inc_ms / 1000.0)).rstrip("0").rstrip(".")
    return "level %d %s %s" % (mps, base, inc)
