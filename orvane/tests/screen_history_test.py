#!/usr/bin/env python3
"""The history at a terminal: lines recalled and searched for, and the file kept from one
session to the next.

    screen_history_test.py PATH/TO/orvane [unittest arguments]
"""
import os
import shutil
import subprocess

import screen_support
from screen_support import ENTER, LOADED, ScreenCase, UP, add_cases, ctrl, editing_case


# Lines recalled and searched for at an 80- or 40-column terminal.
HISTORY_EDITING = [
    # Up recalls a line as it was typed, redrawn in place over a longer one.
    dict(name="history_recall_replaces_a_longer_line", columns=40,
         keys="=" + "3" * 50 + ctrl("u") + "=7" + ENTER + "=" + "4" * 50 + UP,
         rows=["7 = 7", "orvane> =7"], cursor=(10, 3)),
    dict(name="up_recalls_a_calculation_as_typed", keys="=1+2" + ENTER + UP,
         rows=["1+2 = 3", "orvane> =1+2"], cursor=(12, 3)),
    # Ctrl-R searches the history backwards.
    dict(name="ctrl_r_finds_a_line", history="=2*3\n=1+1\necho hi\n",
         keys=ctrl("r") + "2*",
         rows=[LOADED, "(reverse-i-search)`2*': =2*3"], cursor=(25, 1)),
    dict(name="ctrl_r_then_enter_runs_the_match", history="=2*3\n=1+1\n",
         keys=ctrl("r") + "2*" + ENTER,
         rows=["orvane> =2*3", "2*3 = 6", "orvane>"], cursor=(8, 3)),
    dict(name="ctrl_r_that_finds_nothing_says_so", history="=2*3\n",
         keys=ctrl("r") + "x",
         rows=[LOADED, "(failed reverse-i-search)`x':"]),
    dict(name="ctrl_r_keeps_the_last_match_when_the_next_fails", history="=2*3\n",
         keys=ctrl("r") + "2x",
         rows=[LOADED, "(failed reverse-i-search)`2x': =2*3"], cursor=(32, 1)),
    # Another program's lock on the file holds up neither the start nor Enter, and loses no line.
    dict(name="a_locked_history_file_holds_nothing_up", history="=1\n", locked=True,
         columns=200, keys="=6*7" + ENTER, saved=["=1", "=6*7", "exit"],
         rows=[LOADED, "orvane: warning: the history file $HISTFILE is locked by another program: "
               "its lines are not loaded", "orvane> =6*7", "6*7 = 42", "orvane>"]),
]


class HistoryTest(ScreenCase):
    def test_lines_are_kept_as_typed_and_without_repeats(self):
        shell = self.start()
        shell.type("=1234\r=1234\r=2\r=1234\r" + UP + UP)
        self.expect(shell, ["orvane> =2"])
        shell.type(ctrl("c") + "exit\r")
        self.assertEqual(shell.finish(), 0)
        self.assertEqual(self.read_history(), ["=1234", "=2", "=1234", "exit"])
        self.assertEqual(os.stat(self.history_path()).st_mode & 0o777, 0o600)
        self.assertEqual(os.stat(os.path.dirname(self.history_path())).st_mode & 0o777, 0o700)
        shell = self.start()
        shell.type(UP + UP)
        self.expect(shell, [LOADED, "orvane> =1234"])

    def test_xdg_state_home_is_where_it_goes(self):
        state = os.path.join(self.home, "state")
        shell = self.start(env={"XDG_STATE_HOME": state})
        shell.type("=1\rexit\r")
        self.assertEqual(shell.finish(), 0)
        with open(os.path.join(state, "orvane", "history")) as f:
            self.assertEqual(f.read(), "=1\nexit\n")

    def test_a_session_loads_the_last_thousand(self):
        shell = self.start(history="".join("echo %d\n" % n for n in range(1500)))
        shell.type(UP * 1000)
        self.expect(shell, [LOADED, "orvane> echo 500"])
        shell.type(UP)
        self.expect(shell, [LOADED, "orvane> echo 500"])

    def test_a_file_past_2000_lines_is_trimmed_to_1000(self):
        shell = self.start(history="".join("echo %d\n" % n for n in range(2000)))
        shell.type("echo new\r")
        self.expect(shell, ["new", "orvane>"])
        shell.type(ctrl("d"))
        shell.finish()
        lines = self.read_history()
        self.assertEqual(len(lines), 1000)
        self.assertEqual((lines[0], lines[-1]), ("echo 1001", "echo new"))

    def test_turned_off(self):
        for args, env in (((), {"ORVANE_HISTFILE": ""}), (("--no-history",), {})):
            shell = self.start(args, env)
            shell.type("=1\rexit\r")
            self.assertEqual(shell.finish(), 0)
            self.assertFalse(os.path.exists(self.history_path()), args)

    def test_none_when_input_is_not_a_terminal(self):
        env = dict(os.environ, HOME=self.home)
        env.pop("XDG_STATE_HOME", None)
        done = subprocess.run([screen_support.ORVANE], input=b"=1\n", capture_output=True, env=env,
                              check=False)
        self.assertEqual(done.stdout, b"1 = 1\n")
        self.assertFalse(os.path.exists(os.path.join(self.home, ".local")))

    def test_two_shells_at_once_lose_nothing(self):
        first, second = self.start(), self.start()
        for n in range(20):
            first.type("echo a%d\r" % n)
            second.type("echo b%d\r" % n)
        self.expect(first, ["a19", "orvane>"])
        self.expect(second, ["b19", "orvane>"])
        first.type("echo same\r")  # the line before it in the file, though not in the second's
        self.expect(first, ["same", "orvane>"])
        second.type("echo same\r")
        self.expect(second, ["same", "orvane>"])
        first.type(ctrl("d"))
        second.type(ctrl("d"))
        first.finish()
        second.finish()
        lines = self.read_history()
        self.assertEqual(sorted(lines), sorted(["echo a%d" % n for n in range(20)] +
                                               ["echo b%d" % n for n in range(20)] +
                                               ["echo same"]))

    def test_bad_files_never_stop_the_shell(self):
        bad = [b"=1+1\n\xff\xfe bad\n=2+2\n", b"=1+1\n=5\x00\n=2+2\n",
               b"=1+1\n=" + b"7" * 20000 + b"\n=2+2\n", b"=1+1\n" + b"7" * 100000 + b"\n=2+2\n",
               b"=1+1\n=2+2",
               # past the 16 MiB read at the start: a line cut by it, and one too long to keep
               b"=0\n" + b"7" * (17 << 20) + b"\n=1+1\n=2+2\n"]
        for content in bad:
            shell = self.start(history=content)
            shell.type(UP + UP)
            self.expect(shell, [LOADED, "orvane> =1+1"])
            shell.type(ctrl("c") + "=3\rexit\r")
            self.assertEqual(shell.finish(), 0)
            self.assertEqual(self.read_history()[-3:], ["=2+2", "=3", "exit"])

    def test_a_history_file_that_cannot_be_used_gets_one_warning(self):
        folder = os.path.dirname(self.history_path())
        cases = [(os.makedirs, "cannot be read: is a directory"),
                 (os.mkfifo, "is not a regular file"),
                 (lambda path: os.symlink("/dev/null", path), "is not a regular file")]
        for make, problem in cases:
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            make(self.history_path())
            shell = self.start(columns=200)
            shell.type("=1\r=2\r")
            self.expect(shell, [LOADED, "orvane: warning: the history file %s %s" %
                                (self.history_path(), problem), "orvane> =1", "1 = 1",
                                "orvane> =2", "2 = 2", "orvane>"])
            shell.kill()


add_cases(HistoryTest, HISTORY_EDITING, editing_case)


if __name__ == "__main__":
    screen_support.main()
