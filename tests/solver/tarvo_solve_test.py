#!/usr/bin/env python3
"""tarvo-solve on good and bad input: one table of cases, each the input,
the arguments, the exit status and what standard output and standard error
must match."""

import re
import subprocess
import sys

TOOL = sys.argv[1]

WON_DEAL = ("1 16 19 24 28 25 22 26 8 14 31 36 34 3 33 32 5 29 30 11 9 35 15 2 7 12 13 4 "
            "40 27 17 10 21 37 18 38 6 39 23 20")
WON_POSITION = ("c1: 1 26 3 30 15 12 4 | c2: 16 8 33 11 2 13 | c3: 19 14 32 9 7 | "
                "c4: 24 31 5 35 | c5: 28 36 29 | c6: 25 34 | c7: 22 | f: 0 10 20 30 | p: | "
                "s: 40 27 17 10 21 37 18 38 6 39 23 20")
LOST_POSITION = ("c1: 35 | c2: 24 3 30 9 32 10 29 | c3: 4 20 39 18 37 16 25 | "
                 "c4: 14 6 28 7 36 15 34 | c5: 33 | c6: 8 27 | c7: 26 | f: 2 13 23 31 | "
                 "p: 40 5 19 38 17 | s:")
FIGURES = r"\d+ moves \d+ nodes [0-9.]+ ms"

# name, standard input, arguments, exit status, stdout pattern, stderr pattern
CASES = [
    ("a deal and the same deal as a position", f"{WON_DEAL}\n\n{WON_POSITION}\n", [], 0,
     rf"won {FIGURES}\nwon {FIGURES}\n", r""),
    ("a proven loss", LOST_POSITION + "\n", [], 0, rf"lost 0 moves \d+ nodes", r""),
    ("out of nodes", WON_DEAL + "\n", ["--budget", "5"], 0, r"unknown 0 moves 5 nodes", r""),
    ("the winning line", WON_DEAL + "\n", ["--line"], 0,
     rf"won {FIGURES} \|( (turn|\d+:[pfc][1-7]?>[fc][1-7]?))+\n", r""),
    ("help", "", ["--help"], 0, r"Usage: tarvo-solve.*c1: 24 3", r""),
    ("a short line, after a good one", WON_DEAL + "\n" + WON_DEAL[:-3] + "\n", [], 2,
     r"won", r"line 2: only 39 of the 40 cards"),
    ("an id twice", WON_DEAL.replace(" 20", " 23") + "\n", [], 2, r"^$", r"line 1: card 23 twice"),
    ("a word", WON_DEAL.replace("19", "nineteen") + "\n", [], 2, r"^$",
     r"line 1: \"nineteen\" is not a card id"),
    ("a number too large", WON_DEAL.replace("19", "99999999999999999999") + "\n", [], 2, r"^$",
     r"line 1: .* is not a card id"),
    ("a card missing from a position", WON_POSITION.replace(" 23 20", " 23") + "\n", [], 2,
     r"^$", r"line 1: card 20 missing"),
    ("an ace on top of a column", WON_POSITION.replace("c7: 22", "c7: 22 21").replace(
        "21 37", "37") + "\n", [], 2, r"^$", r"line 1: an ace on top of column 7"),
    ("an ace on the pile", LOST_POSITION.replace("17 | s:", "17 31 | s:").replace(
        "f: 2 13 23 31", "f: 2 13 23 30") + "\n", [], 2, r"^$", r"line 1: an ace on the pile"),
    ("a part of no table", WON_POSITION.replace("c7:", "c8:") + "\n", [], 2, r"^$",
     r"line 1: \"c8:\" names no part of the table"),
    ("a bad budget", "", ["--budget", "lots"], 2, r"^$", r"--budget needs a number"),
]

failures = 0
for name, stdin, args, status, out, err in CASES:
    run = subprocess.run([TOOL, *args], input=stdin, capture_output=True, text=True, timeout=60)
    ok = (run.returncode == status and re.search(out, run.stdout, re.S)
          and re.search(err, run.stderr, re.S))
    if not ok:
        failures += 1
        print(f"FAIL {name}: exit {run.returncode}\nstdout: {run.stdout!r}\nstderr: {run.stderr!r}")
print(f"{len(CASES) - failures} of {len(CASES)} cases pass")
sys.exit(1 if failures else 0)
