#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A small tournament manager for pbrain-tessarin, speaking the protocol through pipes.

  manager.py play BRAIN    two brains play each other to a five or a full board on boards of
                           19, 15 and 20, and on 15 under exactly five, renju, caro and a swap2
                           opening, every move checked; the same seeds must give the same game
                           again
  manager.py fuzz BRAIN    random and broken lines: the brain answers what needs an answer,
                           stays alive and ends on END
  manager.py bench BRAIN [SIZE]  replies per second through the pipes over whole self-played
                           games on a board of SIZE (19 unless given)
  manager.py qpiskvork BRAIN EXT BUILD  builds the headless qpiskvork runner from EXT (the
                           shared folder's ext/) into BUILD and plays the brain against itself
                           in every league; qpiskvork's own judges end the games
"""

import os
import random
import statistics
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

SIZE = 19
MOVE = re.compile(rb"^(\d+),(\d+)$")
REPLY_TIMEOUT = 30.0  # seconds; generous, the machine may be busy


class Brain:
    asking = []  # the seconds each question took to be answered, over every brain of the run

    def __init__(self, path, seed=None):
        args = [path] + (["--seed", str(seed)] if seed is not None else [])
        self.process = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.buffer = b""

    def send(self, line):
        data = line if isinstance(line, bytes) else line.encode()
        self.process.stdin.write(data + b"\r\n")
        self.process.stdin.flush()

    def reply(self):
        """The next reply line, or fail if none comes."""
        deadline = time.monotonic() + REPLY_TIMEOUT
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            fd = self.process.stdout.fileno()
            if left <= 0 or not select.select([fd], [], [], left)[0]:
                raise AssertionError("no reply within %.0f s" % REPLY_TIMEOUT)
            chunk = os.read(fd, 65536)
            if not chunk:
                raise AssertionError("the brain closed its output (exit %s)" % self.process.poll())
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.rstrip(b"\r")

    def ask(self, line):
        start = time.perf_counter()
        self.send(line)
        answer = self.reply()
        Brain.asking.append(time.perf_counter() - start)
        return answer

    def end(self):
        self.send("END")
        self.process.stdin.close()
        code = self.process.wait(timeout=REPLY_TIMEOUT)
        assert code == 0, "exit code %d after END" % code
        assert self.process.stdout.read() == b"", "a reply to END"


def parse_move(reply, board, size):
    m = MOVE.match(reply)
    assert m, "not a move: %r" % reply
    x, y = int(m.group(1)), int(m.group(2))
    assert 0 <= x < size and 0 <= y < size, "off the board: %r" % reply
    assert (x, y) not in board, "on a taken point: %r" % reply
    return x, y


def five_through(board, point, who, rule=0):
    """Whether who's stone at point stands in a winning line under INFO rule `rule`: 0 five or
    more, 1 exactly five, 4 renju (black, 0, exactly five; white five or more), 8 caro (five or
    more, but no five with the opponent's stones at both ends)."""
    for dx, dy in ((1, 0), (0, 1), (1, 1), (1, -1)):
        run, ends = 1, []
        for sign in (1, -1):
            x, y = point[0] + sign * dx, point[1] + sign * dy
            while board.get((x, y)) == who:
                run += 1
                x, y = x + sign * dx, y + sign * dy
            ends.append(board.get((x, y)))
        if run >= 5 and (run == 5 if rule == 1 or (rule == 4 and who == 0) else
                         run > 5 or ends != [1 - who, 1 - who] if rule == 8 else True):
            return True
    return False


def swap2_opening(brains, board, moves, size):
    """The swap2 opening through SWAP2BOARD, as the protocol lays it out: the first brain lays
    three stones, the second takes black (SWAP), stays white with the fourth, or lays the fourth
    and fifth and lets the first choose. Returns each brain's colour (0 black) and the brain to
    move next."""
    def ask(brain):
        brain.send("SWAP2BOARD")
        for m in moves:
            brain.send("%d,%d" % m)
        return brain.ask("DONE")

    def lay(reply, count):
        stones = reply.split(b" ")
        assert len(stones) == count, "not %d stones: %r" % (count, reply)
        for stone in stones:
            point = parse_move(stone, board, size)
            board[point] = len(moves) % 2
            moves.append(point)

    lay(ask(brains[0]), 3)
    reply = ask(brains[1])
    if reply == b"SWAP":
        return [1, 0], 0
    if b" " not in reply:
        lay(reply, 1)
        return [0, 1], 0
    lay(reply, 2)
    reply = ask(brains[0])
    if reply == b"SWAP":
        return [0, 1], 1
    lay(reply, 1)
    return [1, 0], 1


def play_game(path, seeds, size=SIZE, rule=0, swap2=False):
    """One game between two brains; returns the moves and how it ended. After a swap2 opening
    the brain to move learns the position from a BOARD, as managers do."""
    brains = [Brain(path, seed) for seed in seeds]
    for brain in brains:
        assert brain.ask("START %d" % size) == b"OK"
        brain.send("INFO rule %d" % rule)
    board, moves = {}, []  # board: point -> colour, 0 black
    colour, mover = [0, 1], 0
    if swap2:
        colour, mover = swap2_opening(brains, board, moves, size)
        brains[mover].send("BOARD")
        for point in moves:
            brains[mover].send("%d,%d,%d" % (point + (1 if board[point] == colour[mover] else 2,)))
        reply = brains[mover].ask("DONE")
    else:
        reply = brains[0].ask("BEGIN")
    while True:
        point = parse_move(reply, board, size)
        board[point] = colour[mover]
        moves.append(point)
        if five_through(board, point, colour[mover], rule):
            result = "five"
            break
        if len(board) == size * size:
            result = "full"
            break
        mover = 1 - mover
        reply = brains[mover].ask("TURN %d,%d" % point)
    for brain in brains:
        brain.end()
    return moves, result


def play(path, count=10):
    """Games on each size; any ERROR, move off the board or on a taken point fails the run."""
    for size in (19, 15, 20):
        games, wins, fives = [], [0, 0], 0
        for game in range(count):
            moves, result = play_game(path, (2 * game + 1, 2 * game + 2), size)
            games.append(moves)
            if result == "five":
                fives += 1
                wins[(len(moves) - 1) % 2] += 1
        print("%d x %d: %d games (%d different), %d won by the brain that began, %d by the other, "
              "%d ended by five, %d full, no errors" % (size, size, count, len(set(map(tuple, games))),
                                                       wins[0], wins[1], fives, count - fives))
        assert play_game(path, (1, 2), size)[0] == games[0], "the same seeds played another game"
        assert games[0] != games[1], "different seeds played the same game"
    # The other leagues on 15 x 15, each game judged by its rule.
    for name, rule, swap2 in (("exactly five", 1, False), ("renju", 4, False), ("caro", 8, False),
                              ("swap2", 0, True)):
        endings = [play_game(path, (2 * game + 1, 2 * game + 2), 15, rule, swap2)
                   for game in range(count // 2)]
        print("%s: %d games, %d ended by five, %d full, no errors"
              % (name, len(endings), sum(r == "five" for _, r in endings),
                 sum(r == "full" for _, r in endings)))
        again = play_game(path, (1, 2), 15, rule, swap2)
        assert again == endings[0], "%s: the same seeds played another game" % name


def random_line(rng):
    kind = rng.randrange(6)
    if kind == 0:  # random bytes, never containing a line end
        return bytes(rng.choice([b for b in range(256) if b not in (10, 13)])
                     for _ in range(rng.randrange(1, 80)))
    if kind == 1:  # very long
        return b"X" * rng.choice([5000, 100000, 1000000])
    if kind == 2:  # NUL and control bytes
        return b"TURN\x00 1,1\x07"
    words = [b"START", b"TURN", b"TAKEBACK", b"START 19"]
    junk = [b"", b"a,b", b"1,", b"-5,3", b"99,99", b"1,2,3", b"\xff\xfe", b"9" * 40, b",,,"]
    return rng.choice(words[:3]) + b" " + rng.choice(junk)


def fuzz(path):
    rng = random.Random(20261208)
    brain = Brain(path, seed=5)
    replies, board = 0, False  # no board before a START succeeds, nor after one is refused
    commands = {b"START", b"RESTART", b"BEGIN", b"TURN", b"BOARD", b"SWAP2BOARD", b"DONE",
                b"TAKEBACK", b"INFO", b"ABOUT", b"END"}
    for _ in range(600):
        line = random_line(rng)
        word = re.split(rb"[ \t]+", line.strip(b" \t"))[0].upper()
        if not word or (word in commands and not line.startswith((b"START", b"TURN",
                                                                  b"TAKEBACK"))):
            continue  # a blank line, or a random one that happens to be a real command
        reply = brain.ask(line)
        replies += 1
        board = reply == b"OK" if word == b"START" else board
        # A line that is no command is UNKNOWN; a broken START, TURN or TAKEBACK is an ERROR,
        # or, for a TURN that happens to be valid, the brain's move.
        if word in commands:
            assert reply.startswith(b"ERROR ") or reply == b"OK" or MOVE.match(reply), reply
        else:
            assert reply.startswith(b"UNKNOWN "), (line[:40], reply)
        assert len(reply) < 200 and b"\r" not in reply, reply
        # Still in step: ABOUT is answered next, nothing stale is left in between.
        assert brain.ask("ABOUT").startswith(b'name="Tessarin"')
        replies += 1
        if rng.randrange(20) == 0:
            restart = brain.ask("RESTART")
            assert restart == b"OK" if board else restart.startswith(b"ERROR no board: "), restart
    # Line ends of every kind, and a last line without one.
    brain.process.stdin.write(b"ABOUT\rABOUT\nABOUT\r\n")
    brain.process.stdin.flush()
    for _ in range(3):
        assert brain.reply().startswith(b'name="Tessarin"')
    assert brain.process.poll() is None, "the brain died"
    brain.end()
    print("fuzz: %d replies, brain alive until END" % (replies + 3))


def replay_pipelined(path, seed, moves, size):
    """Sends the second brain of a recorded game all its commands at once; returns the time
    until its last reply was read. Its replies must be the recorded game's."""
    brain = Brain(path, seed)
    brain.ask("ABOUT")  # started and waiting: the time below is the replies' alone
    commands = ["START %d" % size] + ["TURN %d,%d" % m for m in moves[0::2]][:len(moves[1::2])]
    start = time.perf_counter()
    brain.process.stdin.write("".join(c + "\r\n" for c in commands).encode())
    brain.process.stdin.flush()
    replies = [brain.reply() for _ in commands]
    elapsed = time.perf_counter() - start
    assert replies == [b"OK"] + [b"%d,%d" % m for m in moves[1::2]], "a different game"
    brain.end()
    return len(commands), elapsed


def bench(path, size=SIZE, games=50):
    played, pipelined, pipelined_seconds = [], 0, 0.0
    for game in range(games):
        played.append(play_game(path, (2 * game + 1, 2 * game + 2), size)[0])
    asked = len(Brain.asking)
    print("%d x %d, one command at a time: %d replies in %d self-played games: %.0f replies/s, "
          "%.1f us from a command written to its reply read (median %.1f us)"
          % (size, size, asked, games, asked / sum(Brain.asking),
             1e6 * sum(Brain.asking) / asked, 1e6 * statistics.median(Brain.asking)))
    for game, moves in enumerate(played):
        count, seconds = replay_pipelined(path, 2 * game + 2, moves, size)
        pipelined += count
        pipelined_seconds += seconds
    print("%d x %d, a game's commands written at once: %d replies: %.0f replies/s"
          % (size, size, pipelined, pipelined / pipelined_seconds))


# Each league as qpiskvork plays it: board size, INFO rule, swap2 opening.
LEAGUES = [("free-style 15", 15, 0, 0), ("free-style 20", 20, 0, 0), ("standard 15", 15, 1, 0),
           ("renju 15", 15, 4, 0), ("caro 15", 15, 8, 0), ("swap2 15", 15, 0, 1)]


def qpiskvork(path, ext, build, games=2):
    """Two seeded brains in every league under the real manager: each game must end by five or
    a full board as qpiskvork judges it (renju's forbidden points and caro's closed fives are
    its judges' business), and no line of the exchange may be UNKNOWN or ERROR."""
    if not os.path.isdir(os.path.dirname(os.path.abspath(ext))):
        print("skipped: no %s beside the clone (a plain clone has no qpiskvork to play in)"
              % os.path.dirname(os.path.abspath(ext)))
        return 77
    runner_build = os.path.join(build, "qpiskvork-runner")
    for command in (["cmake", "-S", os.path.join(ext, "qpiskvork-runner"), "-B", runner_build],
                    ["cmake", "--build", runner_build, "-j%d" % os.cpu_count()]):
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        assert done.returncode == 0, "the runner does not build:\n" + done.stdout.decode()[-4000:]
    runner = os.path.join(runner_build, "qpiskvork-runner")
    work = tempfile.mkdtemp(prefix="qpiskvork-")
    brains = []
    for seed in (1, 2):  # the manager starts a program without arguments: one script a seed
        script = os.path.join(work, "pbrain-tessarin-%d" % seed)
        with open(script, "w") as f:
            f.write('#!/bin/sh\nexec "%s" --seed %d\n' % (path, seed))
        os.chmod(script, 0o755)
        brains.append(script)
    for name, size, rule, swap2 in LEAGUES:
        prefix = os.path.join(work, name.replace(" ", "-"))
        subprocess.run([runner, str(size), str(rule), str(games), str(swap2), "300000", "10000"]
                       + brains + [prefix], env=dict(os.environ, HOME=work), timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT, check=True)
        log = open(prefix + ".io.log", encoding="utf-8", errors="replace").read()
        bad = [line for line in log.splitlines() if re.search(r"\b(UNKNOWN|ERROR)\b", line)]
        assert not bad, "%s: %s (log in %s)" % (name, bad[:3], work)
        endings = []
        for line in open(prefix + ".results.txt"):
            m = re.search(r'stones=(\d+) result="([^"]*)".*moves=(.*)', line)
            assert m, "%s: no result in %r" % (name, line)
            stones, result = int(m.group(1)), m.group(2)
            moves = [tuple(map(int, move.split(","))) for move in m.group(3).split()]
            board = {move: i % 2 for i, move in enumerate(moves)}  # 0 black, 1 white
            if result in ("Black win!", "White win!"):
                assert five_through(board, moves[-1], (stones - 1) % 2, rule), (name, line)
                assert result.startswith("Black") == (stones % 2 == 1), (name, line)
                endings.append("%s five at stone %d" % (result.split()[0].lower(), stones))
            else:
                assert result == "Draw!" and stones == size * size, (name, line)
                endings.append("full board")
        assert len(endings) == games, "%s: %d of %d games ended" % (name, len(endings), games)
        print("qpiskvork %s: %s" % (name, ", ".join(endings)))
    shutil.rmtree(work)


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "qpiskvork":
        sys.exit(qpiskvork(*sys.argv[2:]))
    if len(sys.argv) not in (3, 4) or sys.argv[1] not in ("play", "fuzz", "bench") or (
            len(sys.argv) == 4 and (sys.argv[1] != "bench" or not sys.argv[3].isdigit())):
        sys.exit(__doc__)
    {"play": play, "fuzz": fuzz, "bench": bench}[sys.argv[1]](sys.argv[2], *map(int, sys.argv[3:]))
