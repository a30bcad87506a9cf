"""What the screen tests of orvane share. orvane runs in a pseudo-terminal; its output is
rendered by pyte, a terminal emulator, and each case compares the rendered screen (rows, cursor,
the colours of cells) after the keys it types, and the history file it leaves. Each feature has a
file of its own, run as

    screen_FEATURE_test.py PATH/TO/orvane [unittest arguments]
"""

import fcntl
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time
import unittest

import pyte

ORVANE = None  # from the command line

UP, DOWN, LEFT, RIGHT = "\x1b[A", "\x1b[B", "\x1b[D", "\x1b[C"
HOME, END, DELETE = "\x1b[H", "\x1b[F", "\x1b[3~"
CTRL_LEFT, CTRL_RIGHT, ALT_B, ALT_F = "\x1b[1;5D", "\x1b[1;5C", "\x1bb", "\x1bf"
BACKSPACE, TAB, ENTER = "\x7f", "\t", "\r"


def ctrl(letter):
    return chr(ord(letter.upper()) - 64)


PROMPT = "orvane> "
LOADED = "Sumbra v1.0.1 loaded."
WAIT = 10  # seconds for the screen to show what is expected; the machine may be busy


class Shell:
    """orvane in a pseudo-terminal of its own, rendered into a pyte screen; or bash there, with
    job control, to start orvane as a job (as "$ORVANE"). Standard output may go to a file."""

    def __init__(self, home, args=(), env=None, columns=80, lines=24, bash=False, output=None):
        self.screen = pyte.Screen(columns, lines)
        self.stream = pyte.ByteStream(self.screen)
        self.master, slave = os.openpty()
        # The terminal answers what the shell asks it, such as where its cursor is.
        self.screen.write_process_input = lambda answer: os.write(self.master, answer.encode())
        self._size(columns, lines)
        environment = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "TERM": "xterm",
            "SUMBRA_HKCU_REG": "/nonexistent/HKEY_CURRENT_USER.reg",
            "SUMBRA_HKLM_REG": "/nonexistent/HKEY_LOCAL_MACHINE.reg",
            "ORVANE": ORVANE,
            "PS1": "$ ",
        }
        environment.update(env or {})
        command = ["/bin/bash", "--norc", "--noprofile", "-i"] if bash else [ORVANE, *args]
        stdout = open(output, "wb") if output else slave
        self.process = subprocess.Popen(
            command, stdin=slave, stdout=stdout, stderr=slave, env=environment,
            start_new_session=True,
            preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        os.close(slave)
        if output:
            stdout.close()

    def _size(self, columns, lines):
        fcntl.ioctl(self.master, termios.TIOCSWINSZ, struct.pack("HHHH", lines, columns, 0, 0))

    def resize(self, columns, lines):
        self.screen.resize(lines, columns)
        self._size(columns, lines)  # the kernel tells the shell with SIGWINCH

    def type(self, keys):
        os.write(self.master, keys.encode())

    def read(self, seconds):
        """Renders what the shell writes for up to `seconds`; False once the terminal closed."""
        ready, _, _ = select.select([self.master], [], [], seconds)
        if not ready:
            return True
        try:
            data = os.read(self.master, 65536)
        except OSError:
            return False
        self.stream.feed(data)
        return bool(data)

    def rows(self):
        rows = [row.rstrip() for row in self.screen.display]
        while rows and not rows[-1]:
            rows.pop()
        return rows

    def cursor(self):
        return (self.screen.cursor.x, self.screen.cursor.y)

    def until(self, check):
        deadline = time.monotonic() + WAIT
        while not check():
            if time.monotonic() > deadline or not self.read(0.05):
                return check()
        return True

    def finish(self):
        """Reads until the terminal closes; the exit status."""
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline and self.read(0.1):
            pass
        try:
            return self.process.wait(WAIT)
        finally:
            os.close(self.master)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def cell(shell, x, y):
    char = shell.screen.buffer[y][x]
    return (char.fg, char.bg, char.bold)


DEFAULT = ("default", "default", False)
BLUE = "blue"


class ScreenCase(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="orvane-screen-")
        self.shells = []

    def tearDown(self):
        for shell in self.shells:
            shell.kill()
        shutil.rmtree(self.home, ignore_errors=True)

    def start(self, args=(), env=None, columns=80, lines=24, history=None, bash=False,
              output=None):
        if history is not None:
            self.write_history(history)
        shell = Shell(self.home, args, env, columns, lines, bash, output)
        self.shells.append(shell)
        if bash:
            self.assertTrue(shell.until(lambda: shell.rows() == ["$"]), shell.rows())
            shell.type('"$ORVANE"\r')
        self.assertTrue(shell.until(lambda: shell.rows() and shell.rows()[-1] == PROMPT.rstrip()),
                        shell.rows())
        return shell

    def history_path(self):
        return os.path.join(self.home, ".local", "state", "orvane", "history")

    def write_history(self, content):
        os.makedirs(os.path.dirname(self.history_path()), exist_ok=True)
        with open(self.history_path(), "wb") as f:
            f.write(content if isinstance(content, bytes) else content.encode())

    def read_history(self):
        with open(self.history_path(), encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()

    def expect(self, shell, rows=None, cursor=None, cells=None):
        """Waits until the screen shows `rows` (the last rows that hold anything, or from the
        top when the first is LOADED), the cursor is at `cursor` and each cell of `cells`
        ({(x, y): (fg, bg, bold)}) has those colours."""
        def shown():
            actual = shell.rows()
            if rows is not None:
                if rows and rows[0] == LOADED:
                    if actual != rows:
                        return False
                elif actual[-len(rows):] != rows:
                    return False
            if cursor is not None and shell.cursor() != cursor:
                return False
            return all(cell(shell, x, y) == want for (x, y), want in (cells or {}).items())
        if not shell.until(shown):
            got = {xy: cell(shell, *xy) for xy in (cells or {})}
            self.fail("the screen shows\n%s\ncursor %s, cells %s" %
                      ("\n".join(repr(r) for r in shell.rows()), shell.cursor(), got))


# How bash, in the cases where orvane runs as its job, names and starts it.
JOB = '"$ORVANE"'


# Editing cases: keys typed at an 80- or 40-column terminal (or the "columns" given), with the
# "history" and "env" given, then the last rows of the screen and the cursor (column, row from
# the top) to wait for; then the shell leaves with "status". "locked": the history file (the
# $HISTFILE of a row) is locked until the rows show; "saved": the file's lines at the end.
def editing_case(case):
    def run(self):
        history, lock = case.get("history"), None
        if case.get("locked"):
            self.write_history(history)
            history, lock = None, os.open(self.history_path(), os.O_RDONLY)
            fcntl.flock(lock, fcntl.LOCK_EX)
        shell = self.start(env=case.get("env"), columns=case.get("columns", 80), history=history)
        shell.type(case["keys"])
        rows = [row.replace("$HISTFILE", self.history_path()) for row in case["rows"]]
        self.expect(shell, rows, case.get("cursor"))
        if lock is not None:
            os.close(lock)
        shell.type(ctrl("c") + "exit\r")
        self.assertEqual(shell.finish(), case.get("status", 0))
        if "saved" in case:
            self.assertEqual(self.read_history(), case["saved"])
    return run


# Cases in steps: keys typed, then the last rows of the screen (and the colours of some cells)
# to wait for, one step after the other. With "bash", orvane runs as a job of bash; the last
# step leaves orvane, and bash is left with "exit". With "output", orvane's standard output is
# a file, which is to hold that text at the end.
def stepped_case(case):
    def run(self):
        output = os.path.join(self.home, "output") if "output" in case else None
        shell = self.start(env=case.get("env"), columns=case.get("columns", 80),
                           lines=case.get("lines", 24), bash=case.get("bash", False),
                           output=output)
        if "answer" in case:  # what the terminal answers, whatever it is asked
            shell.screen.write_process_input = lambda _: shell.type(case["answer"])
        for keys, rows, *cells in case["steps"]:
            if isinstance(keys, tuple):
                shell.resize(*keys)  # (columns, lines)
            elif isinstance(keys, float):
                time.sleep(keys)  # a pause in typing
            else:
                shell.type(keys)
            if rows is not None:
                self.expect(shell, rows, cells=cells[0] if cells else None)
        if case.get("bash"):
            shell.type("exit\r")
        self.assertEqual(shell.finish(), case.get("status", 0))
        if output:
            with open(output) as f:
                self.assertEqual(f.read(), case["output"])
    return run


def add_cases(test_class, cases, make):
    """Gives `test_class` a test_NAME for each of the `cases`, made by `make`."""
    for case in cases:
        name = "test_" + case["name"]
        assert not hasattr(test_class, name), name  # a second case of that name would hide one
        setattr(test_class, name, make(case))


def main():
    """Runs the tests of the feature file run as the program."""
    global ORVANE
    ORVANE = os.path.abspath(sys.argv.pop(1))
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    unittest.main(module="__main__", verbosity=1)
