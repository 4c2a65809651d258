"""A small chess board for the match tools: legal moves, coordinate and SAN
notation, FEN, and the draw rules (repetition, fifty moves, insufficient
material). Plain and slow; it only has to follow games move by move."""

FILES = "abcdefgh"
START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"

KNIGHT = [(1, 2), (2, 1), (2, -1), (1, -2), (-1, -2), (-2, -1), (-2, 1), (-1, 2)]
KING = [(1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1), (0, -1), (1, -1)]
ROOK = [(1, 0), (-1, 0), (0, 1), (0, -1)]
BISHOP = [(1, 1), (1, -1), (-1, 1), (-1, -1)]


def sq(name):
    return FILES.index(name[0]) + 8 * (int(name[1]) - 1)


def name(s):
    return FILES[s % 8] + str(s // 8 + 1)


class IllegalMove(ValueError):
    pass


class Board:
    def __init__(self, fen=START_FEN):
        self.set_fen(fen)

    # --- set-up -----------------------------------------------------------
    def set_fen(self, fen):
        parts = fen.split()
        if len(parts) < 4:
            raise ValueError("FEN needs at least 4 fields: %r" % fen)
        self.sq = [None] * 64
        ranks = parts[0].split("/")
        if len(ranks) != 8:
            raise ValueError("FEN board needs 8 ranks: %r" % fen)
        for i, row in enumerate(ranks):
            r, f = 7 - i, 0
            for c in row:
                if c.isdigit():
                    f += int(c)
                elif c.lower() in "pnbrqk" and f < 8:
                    self.sq[f + 8 * r] = c
                    f += 1
                else:
                    raise ValueError("bad FEN board: %r" % fen)
            if f != 8:
                raise ValueError("bad FEN rank %r" % row)
        if parts[1] not in ("w", "b"):
            raise ValueError("bad side to move in FEN: %r" % fen)
        self.white = parts[1] == "w"
        self.castling = "" if parts[2] == "-" else parts[2]
        self.ep = None if parts[3] == "-" else sq(parts[3])
        self.halfmove = int(parts[4]) if len(parts) > 4 else 0
        self.fullmove = int(parts[5]) if len(parts) > 5 else 1
        if [p for p in self.sq if p == "K"].__len__() != 1 or self.sq.count("k") != 1:
            raise ValueError("FEN needs one king a side: %r" % fen)
        if self.attacked(self.king(not self.white), self.white):
            raise ValueError("side not to move is in check: %r" % fen)
        self.history = [self.key()]

    def fen(self):
        rows = []
        for r in range(7, -1, -1):
            row, empty = "", 0
            for f in range(8):
                p = self.sq[f + 8 * r]
                if p is None:
                    empty += 1
                else:
                    row += (str(empty) if empty else "") + p
                    empty = 0
            rows.append(row + (str(empty) if empty else ""))
        return "%s %s %s %s %d %d" % ("/".join(rows), "w" if self.white else "b",
                                      self.castling or "-", name(self.ep) if self.ep is not None else "-",
                                      self.halfmove, self.fullmove)

    def key(self):
        # The en-passant square counts only when a capture there is possible.
        ep = None
        if self.ep is not None:
            pawn = "P" if self.white else "p"
            back = -8 if self.white else 8
            for df in (-1, 1):
                f = self.ep % 8 + df
                if 0 <= f < 8 and self.sq[f + 8 * ((self.ep + back) // 8)] == pawn:
                    ep = self.ep
        return (tuple(self.sq), self.white, self.castling, ep)

    # --- attacks and moves ------------------------------------------------
    def own(self, p, white):
        return p is not None and p.isupper() == white

    def king(self, white):
        return self.sq.index("K" if white else "k")

    def attacked(self, s, by_white):
        f0, r0 = s % 8, s // 8

        def at(df, dr):
            f, r = f0 + df, r0 + dr
            return self.sq[f + 8 * r] if 0 <= f < 8 and 0 <= r < 8 else None

        pawn, knight, king = ("P", "N", "K") if by_white else ("p", "n", "k")
        dr = -1 if by_white else 1
        if at(-1, dr) == pawn or at(1, dr) == pawn:
            return True
        if any(at(df, d) == knight for df, d in KNIGHT) or any(at(df, d) == king for df, d in KING):
            return True
        for dirs, sliders in ((ROOK, "RQ"), (BISHOP, "BQ")):
            if not by_white:
                sliders = sliders.lower()
            for df, d in dirs:
                f, r = f0 + df, r0 + d
                while 0 <= f < 8 and 0 <= r < 8:
                    p = self.sq[f + 8 * r]
                    if p is not None:
                        if p in sliders:
                            return True
                        break
                    f, r = f + df, r + d
        return False

    def pseudo_moves(self):
        """(from, to, promotion) triples; castling as the king's two-square move."""
        out = []
        w = self.white
        for s, p in enumerate(self.sq):
            if not self.own(p, w):
                continue
            f0, r0, kind = s % 8, s // 8, p.upper()
            if kind == "P":
                d = 1 if w else -1
                last = 7 if w else 0
                promos = "qrbn"

                def add(t):
                    if t // 8 == last:
                        out.extend((s, t, q) for q in promos)
                    else:
                        out.append((s, t, None))
                t = s + 8 * d
                if 0 <= t < 64 and self.sq[t] is None:
                    add(t)
                    if r0 == (1 if w else 6) and self.sq[t + 8 * d] is None:
                        out.append((s, t + 8 * d, None))
                for df in (-1, 1):
                    f = f0 + df
                    if 0 <= f < 8:
                        t = f + 8 * (r0 + d)
                        if self.own(self.sq[t], not w) or t == self.ep:
                            add(t)
                continue
            steps = {"N": KNIGHT, "K": KING}.get(kind)
            if steps:
                for df, dr in steps:
                    f, r = f0 + df, r0 + dr
                    if 0 <= f < 8 and 0 <= r < 8 and not self.own(self.sq[f + 8 * r], w):
                        out.append((s, f + 8 * r, None))
            else:
                dirs = {"R": ROOK, "B": BISHOP, "Q": ROOK + BISHOP}[kind]
                for df, dr in dirs:
                    f, r = f0 + df, r0 + dr
                    while 0 <= f < 8 and 0 <= r < 8:
                        t = f + 8 * r
                        if self.own(self.sq[t], w):
                            break
                        out.append((s, t, None))
                        if self.sq[t] is not None:
                            break
                        f, r = f + df, r + dr
        # Castling: rights, empty squares between, king not in, through or into check
        home = 0 if w else 56
        if self.sq[home + 4] == ("K" if w else "k"):
            rook = "R" if w else "r"
            for right, rook_sq, between, path in (("K", 7, (5, 6), (4, 5, 6)), ("Q", 0, (1, 2, 3), (4, 3, 2))):
                if (right if w else right.lower()) not in self.castling:
                    continue
                if self.sq[home + rook_sq] != rook or any(self.sq[home + b] is not None for b in between):
                    continue
                if any(self.attacked(home + x, not w) for x in path):
                    continue
                out.append((home + 4, home + path[2], None))
        return out

    def apply(self, move):
        """Plays (from, to, promotion) without a legality check."""
        s, t, promo = move
        w = self.white
        p = self.sq[s]
        capture = self.sq[t] is not None
        self.sq[s] = None
        if p.upper() == "P" and t == self.ep:
            self.sq[t + (-8 if w else 8)] = None
            capture = True
        if p.upper() == "K" and abs(t - s) == 2:
            rook_from, rook_to = (s + 3, s + 1) if t > s else (s - 4, s - 1)
            self.sq[rook_to], self.sq[rook_from] = self.sq[rook_from], None
        self.sq[t] = (promo.upper() if w else promo.lower()) if promo else p
        self.ep = (s + t) // 2 if p.upper() == "P" and abs(t - s) == 16 else None
        for corner, right in ((0, "Q"), (7, "K"), (56, "q"), (63, "k")):
            if corner in (s, t):
                self.castling = self.castling.replace(right, "")
        if p == "K":
            self.castling = self.castling.replace("K", "").replace("Q", "")
        elif p == "k":
            self.castling = self.castling.replace("k", "").replace("q", "")
        self.halfmove = 0 if capture or p.upper() == "P" else self.halfmove + 1
        if not w:
            self.fullmove += 1
        self.white = not w

    def copy(self):
        b = Board.__new__(Board)
        b.sq = list(self.sq)
        b.white, b.castling, b.ep = self.white, self.castling, self.ep
        b.halfmove, b.fullmove, b.history = self.halfmove, self.fullmove, list(self.history)
        return b

    def legal_moves(self):
        out = []
        for m in self.pseudo_moves():
            b = self.copy()
            b.apply(m)
            if not b.attacked(b.king(self.white), b.white):
                out.append(m)
        return out

    def in_check(self):
        return self.attacked(self.king(self.white), not self.white)

    # --- notation ---------------------------------------------------------
    @staticmethod
    def coord(move):
        s, t, promo = move
        return name(s) + name(t) + (promo or "")

    def parse(self, text):
        """A legal move from coordinate notation ("e2e4", "e7e8q", "e7e8=Q"),
        or SAN ("Nf3", "exd5", "O-O"). Raises IllegalMove."""
        text = text.strip().rstrip("+#!?")
        legal = self.legal_moves()
        c = text.replace("=", "").lower()
        if len(c) in (4, 5) and c[0] in FILES and c[2] in FILES and c[1] in "12345678" and c[3] in "12345678":
            for m in legal:
                if self.coord(m) == c:
                    return m
            raise IllegalMove(text)
        norm = text.replace("0", "O")
        for m in legal:
            if self.san(m, legal).rstrip("+#") == norm:
                return m
        raise IllegalMove(text)

    def san(self, move, legal=None):
        s, t, promo = move
        p = self.sq[s].upper()
        if p == "K" and abs(t - s) == 2:
            out = "O-O" if t > s else "O-O-O"
        else:
            capture = self.sq[t] is not None or (p == "P" and t == self.ep)
            if p == "P":
                out = (name(s)[0] + "x" if capture else "") + name(t) + ("=" + promo.upper() if promo else "")
            else:
                if legal is None:
                    legal = self.legal_moves()
                rivals = [m for m in legal if m[1] == t and m[0] != s and self.sq[m[0]] == self.sq[s]]
                dis = ""
                if rivals:
                    if all(m[0] % 8 != s % 8 for m in rivals):
                        dis = name(s)[0]
                    elif all(m[0] // 8 != s // 8 for m in rivals):
                        dis = name(s)[1]
                    else:
                        dis = name(s)
                out = p + dis + ("x" if capture else "") + name(t)
        b = self.copy()
        b.apply(move)
        if b.in_check():
            out += "#" if not b.legal_moves() else "+"
        return out

    def push(self, move):
        self.apply(move)
        self.history.append(self.key())

    # --- game end ---------------------------------------------------------
    def insufficient(self):
        """No mate possible with any play: K v K, K+minor v K, K+B v K+B with bishops on one colour."""
        men = [(s, p) for s, p in enumerate(self.sq) if p is not None and p.upper() != "K"]
        if any(p.upper() in "PRQ" for _, p in men):
            return False
        if len(men) <= 1:
            return True
        if all(p.upper() == "B" for _, p in men):
            colours = {(s % 8 + s // 8) % 2 for s, _ in men}
            return len(colours) == 1
        return False

    def outcome(self):
        """(result, reason) if the game is over by the rules, else None."""
        if not self.legal_moves():
            if self.in_check():
                return ("0-1" if self.white else "1-0", "checkmate")
            return ("1/2-1/2", "stalemate")
        if self.insufficient():
            return ("1/2-1/2", "insufficient material")
        if self.halfmove >= 100:
            return ("1/2-1/2", "fifty-move rule")
        if self.history.count(self.history[-1]) >= 3:
            return ("1/2-1/2", "threefold repetition")
        return None
