#!/usr/bin/env bash
# run-match.sh: play pellarq against a Debian chess engine through the real
# xboard GUI (under xvfb-run, in match mode) and summarise what happened.
#
# Needs: apt-get install -y xboard xvfb fairymax gnuchess
#
# Usage:
#   tools/match/run-match.sh [options]
#     -n N        games to play (default 2); colours alternate, pellarq White first
#     -p 1|2      protocol version xboard uses with pellarq (default 2):
#                 1 = no "protover" is sent, 2 = "protover 2" and features
#     -o ENGINE   opponent: fairymax (default) or gnuchess
#     -t TC       time control: "40/1" (40 moves a minute, the default),
#                 "1+1" (one minute plus one second a move), or
#                 "MPS/MIN" and "MIN+INC" in general
#     -P          ponder (xboard sends "hard"); default is no pondering ("easy")
#     -w MS       pause between games in milliseconds (default 10000, xboard's own)
#     -e PATH     the pellarq binary (default build-match/pellarq of this tree)
#     -b BOOK     opening book copied into pellarq's working directory as
#                 Mirask.bo1 (default: the Mirask.bo1 beside the binary, if any;
#                 "-b none" plays without a book). Build it with the target
#                 pellarq-livre: cmake --build build-match --target pellarq-livre
#     -d DIR      output directory (default /tmp/pellarq-match/<setting>-<date>)
#     -s          only summarise an existing output directory (-d), play nothing
#     -q          run pellarq with its standard error sent to /dev/null (through a
#                 small wrapper in the output directory); xboard otherwise reads
#                 the engine's standard error on the same pipe as its output
#
# The output directory receives:
#   games.pgn      the games as xboard saved them (-saveGameFile)
#   xboard.debug   xboard's debug log with every line to and from both engines
#   xboard.out     xboard's own standard output and error
#   pellarq-wd/    pellarq's working directory; opponent-wd/ the opponent's
#   summary.txt    the summary printed at the end
#
# The summary lists every game (colours, result, number of moves, xboard's
# termination comment), pellarq's score, the games ended by a loss on time,
# an illegal move, a crash, "xboard exit" or an unfinished result, and what the
# debug log shows: lines with "Illegal move" or "Error", unanswered pings,
# engine exits, and silences of more than 10 s in the protocol exchange.
#
# Examples:
#   tools/match/run-match.sh -n 10 -p 1 -t 40/1          # version 1, no ponder
#   tools/match/run-match.sh -n 10 -p 2 -t 1+1 -P        # version 2, pondering
#   tools/match/run-match.sh -s -d /tmp/pellarq-match/v2-...   # summary again
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

games=2
proto=2
opponent=fairymax
tc=40/1
ponder=0
engine="$root/build-match/pellarq"
outdir=""
summary_only=0
quiet=0
pause=10000
book=""

while getopts "n:p:o:t:Pe:b:d:sqw:h" opt; do
    case $opt in
        n) games=$OPTARG ;;
        p) proto=$OPTARG ;;
        o) opponent=$OPTARG ;;
        t) tc=$OPTARG ;;
        P) ponder=1 ;;
        e) engine=$OPTARG ;;
        b) book=$OPTARG ;;
        d) outdir=$OPTARG ;;
        s) summary_only=1 ;;
        q) quiet=1 ;;
        w) pause=$OPTARG ;;
        h) sed -n '2,/^set -u/p' "$0" | sed '$d'; exit 0 ;;
        *) echo "run-match.sh: unknown option (try -h)" >&2; exit 2 ;;
    esac
done

# --- Summary of a finished (or interrupted) run ------------------------------
summarise() {
    local dir=$1 pgn=$1/games.pgn dbg=$1/xboard.debug
    echo "== $dir"
    [ -f "$dir/setting.txt" ] && cat "$dir/setting.txt"
    if [ ! -s "$pgn" ]; then
        echo "no games saved in $pgn"
    else
        # One line per game: number, White, Black, result, moves, termination.
        awk '
        function flush() {
            if (white == "") return
            n++
            txt = moves
            # drop the comments so that scores are not taken for move numbers
            plain = txt; gsub(/\{[^}]*\}/, " ", plain)
            # termination comment: the last {...} of the move text
            term = ""
            p = 0; q = txt
            while ((i = index(q, "{")) > 0) { p += i; q = substr(q, i + 1) }
            if (p > 0) { term = substr(txt, p + 1); sub(/}.*/, "", term) }
            # full moves: the highest move number seen
            nm = 0; q = plain
            while (match(q, /[0-9]+\./)) {
                v = substr(q, RSTART, RLENGTH - 1) + 0
                if (v > nm) nm = v
                q = substr(q, RSTART + RLENGTH)
            }
            printf "%3d\t%s\t%s\t%s\t%d\t%s\n", n, white, black, result, nm, term
            white = ""; moves = ""; result = ""
        }
        /^\[Event / { flush(); black = ""; next }
        /^\[White "/ { white = $0; sub(/^\[White "/, "", white); sub(/"\]$/, "", white); next }
        /^\[Black "/ { black = $0; sub(/^\[Black "/, "", black); sub(/"\]$/, "", black); next }
        /^\[Result "/ { result = $0; sub(/^\[Result "/, "", result); sub(/"\]$/, "", result); next }
        /^\[/ { next }
        { moves = moves " " $0 }
        END { flush() }' "$pgn" > "$dir/games.tsv"

        echo "games: $(wc -l < "$dir/games.tsv")"
        echo "  #  White / Black / result / moves / termination"
        awk -F'\t' '{ printf "%3d  %-22s %-22s %-8s %4d  %s\n", $1, $2, $3, $4, $5, $6 }' "$dir/games.tsv"
        awk -F'\t' '
        {
            us_white = ($2 ~ /^pellarq/)
            if ($4 == "1-0")      { if (us_white) w++; else l++ }
            else if ($4 == "0-1") { if (us_white) l++; else w++ }
            else if ($4 == "1/2-1/2") d++
            else u++
        }
        END { printf "pellarq: +%d -%d =%d, unfinished %d, score %.1f/%d\n", w, l, d, u, w + d / 2, w + l + d + u }' "$dir/games.tsv"
        echo "terminations:"
        cut -f6 "$dir/games.tsv" | sort | uniq -c | sort -rn | sed 's/^/  /'
        echo "suspicious endings (time, illegal move, crash, xboard exit, unfinished, false claim):"
        grep -i -E 'on time|time forfeit|illegal|crash|exit|unfinished|abort|false|forfeit|disconnect|\*$' "$dir/games.tsv" \
            | awk -F'\t' '{ printf "  game %d: %s vs %s %s {%s}\n", $1, $2, $3, $4, $6 }' || true
        awk -F'\t' '$4 == "*"' "$dir/games.tsv" | sed 's/^/  unfinished: /'
    fi

    if [ -s "$dbg" ]; then
        echo "debug log ($dbg, $(wc -l < "$dbg") lines):"
        # xboard names the engines "first" (pellarq) and "second" (opponent)
        echo "  lines from pellarq with Illegal/Error: $(grep -c -E '^[0-9]* *<first *: *(Illegal|Error|tellusererror)' "$dbg")"
        grep -n -E '^[0-9]* *<first *: *(Illegal|Error|tellusererror)' "$dbg" | head -20 | sed 's/^/    /'
        echo "  lines from the opponent with Illegal/Error: $(grep -c -E '^[0-9]* *<second *: *(Illegal|Error|tellusererror)' "$dbg")"
        grep -n -E '^[0-9]* *<second *: *(Illegal|Error|tellusererror)' "$dbg" | head -10 | sed 's/^/    /'
        echo "  xboard lines about illegal moves, errors, exits, kills:"
        grep -n -i -E 'illegal move|exited|killed|crash|signal|timeout|unexpected|not responding|stall|error writing|broken pipe' "$dbg" \
            | grep -v -E '^[0-9]+: *[0-9]* *[<>](first|second) *:' | head -20 | sed 's/^/    /'
        # Version 2: xboard takes the features only from a line it recognises.
        if grep -q "protocol 2" "$dir/setting.txt" 2>/dev/null; then
            echo "  features accepted from pellarq: $(grep -c -E "^[0-9]* *>first *: *accepted" "$dbg") (0 means xboard waited for them and gave up)"
        fi
        echo "  lines from pellarq starting with prompt characters (? or #): $(grep -c -E "^[0-9]* *<first *: *[?#]" "$dbg")"
        grep -n -E "^[0-9]* *<first *: *[?#]+ *(move|[0-9]+\. \.\.\.|feature|pong|resign|1-0|0-1|1/2)" "$dbg" | head -5 | sed "s/^/    protocol line spoilt: /"
        if [ -s "$dir/xboard.out" ]; then
            echo "  xboard's own messages:"
            grep -E "^xboard:" "$dir/xboard.out" | head -10 | sed "s/^/    /"
        fi
        local pings pongs
        pings=$(grep -c -E '^[0-9]* *>first *: *ping ' "$dbg")
        pongs=$(grep -c -E '^[0-9]* *<first *: *pong ' "$dbg")
        echo "  pings to pellarq: $pings, pongs back: $pongs"
        # A ping that xboard sends right before "quit" at the end of the match
        # needs no answer: xboard stops reading then.
        awk '
        /^[0-9]+ >first *: *ping / { n = $NF; open[n] = NR; last = n; next }
        /^[0-9]+ <first *: *pong / { delete open[$NF]; next }
        /^[0-9]+ >first *: *quit/ { if (last in open) atquit[last] = 1 }
        END { for (n in open) printf "    ping %s (line %d) unanswered%s\n", n, open[n], (n in atquit) ? ", sent just before quit" : "" }' "$dbg"
        # Silences: gaps of more than 10 s between time-stamped lines.
        echo "  silences over 10 s in the exchange (ms, line):"
        awk '/^[0-9]+ / { t = $1 + 0; if (last != "" && t - last > 10000) printf "    %d ms before line %d: %s\n", t - last, NR, $0; last = t }' "$dbg" | head -20
        echo "  longest pellarq think (ms from the last line sent to its move):"
        awk '
        /^[0-9]+ >first/ { sent = $1 + 0 }
        /^[0-9]+ <first *: *(move |[0-9]+\. \.\.\. )/ { d = $1 - sent; if (d > mx) { mx = d; ln = NR } }
        END { printf "    %d ms (line %d)\n", mx, ln }' "$dbg"
    fi
}

if [ "$summary_only" = 1 ]; then
    [ -n "$outdir" ] || { echo "run-match.sh: -s needs -d DIR" >&2; exit 2; }
    summarise "$outdir" | tee "$outdir/summary.txt"
    exit 0
fi

# --- Settings -----------------------------------------------------------------
case $opponent in
    fairymax) opp_cmd=/usr/games/fairymax ;;
    gnuchess) opp_cmd="/usr/games/gnuchess -x" ;;
    *) echo "run-match.sh: unknown opponent $opponent" >&2; exit 2 ;;
esac
case $tc in
    */*) tc_args=(-mps "${tc%%/*}" -tc "${tc#*/}" -inc -1) ;;
    *+*) tc_args=(-tc "${tc%%+*}" -inc "${tc#*+}") ;;
    *) echo "run-match.sh: time control must be MPS/MIN or MIN+INC" >&2; exit 2 ;;
esac
if [ "$ponder" = 1 ]; then ponder_arg=-ponder; pname=ponder; else ponder_arg=-xponder; pname=noponder; fi
[ -x "$engine" ] || { echo "run-match.sh: no engine at $engine" >&2; exit 2; }
command -v xboard >/dev/null || PATH=$PATH:/usr/games
command -v xboard >/dev/null || { echo "run-match.sh: xboard is not installed" >&2; exit 2; }

setting="v$proto-$opponent-${tc//\//m}-$pname$( [ "$quiet" = 1 ] && echo -quiet)"
[ -n "$outdir" ] || outdir=/tmp/pellarq-match/$setting-$(date +%Y%m%d-%H%M%S)
mkdir -p "$outdir/pellarq-wd" "$outdir/opponent-wd"
outdir=$(cd "$outdir" && pwd)
rm -f "$outdir/games.pgn" "$outdir/xboard.debug"
# Play with a copy of the binary, so that a rebuild during the match changes
# nothing and the run can be repeated with the same engine.
cp "$engine" "$outdir/pellarq"
[ -n "$book" ] || book="$(dirname "$engine")/Mirask.bo1"
rm -f "$outdir/pellarq-wd/Mirask.bo1"
if [ "$book" != none ] && [ -f "$book" ]; then cp "$book" "$outdir/pellarq-wd/Mirask.bo1"; else book=none; fi
first_cmd="$outdir/pellarq"
if [ "$quiet" = 1 ]; then
    printf '#!/bin/sh\nexec "%s" "$@" 2>/dev/null\n' "$outdir/pellarq" > "$outdir/pellarq-quiet"
    chmod +x "$outdir/pellarq-quiet"
    first_cmd="$outdir/pellarq-quiet"
fi
{
    echo "setting: protocol $proto, opponent $opponent, time control $tc, $pname, $games games$( [ "$quiet" = 1 ] && echo ", pellarq stderr to /dev/null")"
    echo "engine: $engine copied to $outdir/pellarq ($(cd "$root" && git rev-parse --short HEAD 2>/dev/null || echo '?'))"
    echo "book: $book"
    echo "started: $(date -u '+%Y-%m-%d %H:%M:%S UTC')"
} > "$outdir/setting.txt"
cat "$outdir/setting.txt"

# --- The match ------------------------------------------------------------------
# xboard plays the games in its own window on a virtual X server and exits at
# the end of the match (-xexit: no closing dialog). Settings are neither read
# from nor saved to the user's files, so runs do not influence each other.
xvfb-run -a -s "-screen 0 1280x1024x24" \
    xboard -noChessProgram false \
    -fcp "$first_cmd" -fd "$outdir/pellarq-wd" -firstProtocolVersion "$proto" \
    -scp "$opp_cmd" -sd "$outdir/opponent-wd" \
    -matchGames "$games" -matchPause "$pause" "${tc_args[@]}" "$ponder_arg" \
    -autoCallFlag true -testClaims true -checkMates true \
    -saveGameFile "$outdir/games.pgn" \
    -debug -nameOfDebugFile "$outdir/xboard.debug" \
    -xexit -popupMoveErrors false -saveSettingsOnExit false \
    > "$outdir/xboard.out" 2>&1
echo "xboard exit status: $?" | tee -a "$outdir/setting.txt"
echo "ended: $(date -u '+%Y-%m-%d %H:%M:%S UTC')" >> "$outdir/setting.txt"

summarise "$outdir" | tee "$outdir/summary.txt"
