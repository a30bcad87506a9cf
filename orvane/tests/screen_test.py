#!/usr/bin/env python3
"""What a user sees at a terminal: the screen rendered after the keys each case types, and the
history file it leaves.

    screen_test.py PATH/TO/orvane [unittest arguments]
"""
import os
import shutil
import subprocess

import screen_support
from screen_support import (ALT_B, ALT_F, BACKSPACE, BLUE, CTRL_LEFT, CTRL_RIGHT, DEFAULT,
                            DELETE, END, ENTER, HOME, JOB, LEFT, LOADED, PROMPT, RIGHT, TAB, UP,
                            ScreenCase, add_cases, cell, ctrl, editing_case, stepped_case)


EDITING = [
    # Long lines wrap, and every edit redraws them in place: no copies of the prompt line.
    dict(name="wrap_and_edit_at_40_columns", columns=40,
         keys="=1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16+17+18+19+20" + BACKSPACE + LEFT * 3 + HOME,
         rows=[LOADED, "orvane> =1+2+3+4+5+6+7+8+9+10+11+12+13+1",
               "4+15+16+17+18+19+2"], cursor=(8, 1)),
    dict(name="insert_in_the_middle_moves_the_rest", columns=40,
         keys="=" + "1" * 40 + HOME + RIGHT + "+",
         rows=[LOADED, "orvane> =+" + "1" * 30, "1" * 10], cursor=(10, 1)),
    dict(name="line_filling_a_row_exactly", columns=40,
         keys="=" + "2" * 31,
         rows=[LOADED, "orvane> =" + "2" * 31], cursor=(0, 2)),
    dict(name="history_recall_replaces_a_longer_line", columns=40,
         keys="=" + "3" * 50 + ctrl("u") + "=7" + ENTER + "=" + "4" * 50 + UP,
         rows=["7 = 7", "orvane> =7"], cursor=(10, 3)),
    dict(name="ctrl_c_gives_up_a_wrapped_line", columns=40,
         keys="=" + "5" * 45 + HOME + ctrl("c"),
         rows=["orvane> =" + "5" * 31, "5" * 14 + "^C", "orvane>"], cursor=(8, 3)),
    dict(name="redraw_after_output", columns=40,
         keys="=6*7" + ENTER + "=1",
         rows=["6*7 = 42", "orvane> =1"], cursor=(10, 3)),
    # A mark typed after a character in the last column combines with it there.
    dict(name="combining_mark_after_the_last_column", columns=40,
         keys="=" + "a" * 31 + "\u0301",
         rows=[LOADED, "orvane> =" + "a" * 30 + "\u00e1"], cursor=(0, 2)),
    # Many keys at once in the middle of a long line: the line as if typed one by one.
    dict(name="paste_in_the_middle_of_a_wrapped_line", columns=40,
         keys="=" + "1" * 40 + HOME + RIGHT * 5 + "2" * 50,
         rows=[LOADED, "orvane> =" + "1" * 4 + "2" * 27, "2" * 23 + "1" * 17,
               "1" * 19], cursor=(23, 2)),
    # Characters take the columns of their display width.
    dict(name="cjk_takes_two_columns", keys="=中文+1" + LEFT * 3,
         rows=[LOADED, "orvane> =中文+1"], cursor=(11, 1)),
    dict(name="emoji_takes_two_columns", keys="=\U0001F600\U0001F600x" + LEFT,
         rows=[LOADED, "orvane> =\U0001F600\U0001F600x"], cursor=(13, 1)),
    dict(name="wide_character_at_the_edge_goes_to_the_next_row", columns=40,
         keys="=" + "中" * 16,
         rows=[LOADED, "orvane> =" + "中" * 15, "中"], cursor=(2, 2)),
    dict(name="cursor_beside_wide_characters", keys="echo 中文" + LEFT,
         rows=[LOADED, "orvane> echo 中文"], cursor=(15, 1)),
    dict(name="up_recalls_a_calculation_as_typed", keys="=1+2" + ENTER + UP,
         rows=["1+2 = 3", "orvane> =1+2"], cursor=(12, 3)),
    # What the shell prints at a terminal shows control characters as ^X, as the editor does.
    dict(name="control_characters_show_in_output", env={"X": "a\x1b[2Jb"}, keys="set x" + ENTER,
         rows=["orvane> set x", "X=a^[[2Jb", "orvane>"]),
    dict(name="combining_mark_moves_with_its_letter", keys="=e\u0301x" + LEFT + LEFT,
         rows=[LOADED, "orvane> =\u00e9x"], cursor=(9, 1)),
    # A caret under an error counts columns as the line shows them: a tab shows as ^I.
    dict(name="caret_under_an_expanded_tab", env={"X": "\t2"}, keys="=%X*(" + ENTER,
         rows=["orvane> =%X*(", "         ^I2*(", "              ^",
               "orvane: a value is missing at position 5", "orvane>"], status=1),
    # The caret goes on the row of a wrapped line where the character it points at is.
    dict(name="caret_under_a_wrapped_line", columns=40, keys="=" + "1+" * 20 + "(" + ENTER,
         rows=["orvane> =" + "1+" * 15 + "1", "+1+1+1+1+(", "          ^",
               "orvane: a value is missing at position 4", "2", "orvane>"], status=1),
    # The keys people expect.
    dict(name="ctrl_w_deletes_the_word_before", keys="=sqrt(16)+ab" + ctrl("w"),
         rows=[LOADED, "orvane> =sqrt(16)+"], cursor=(18, 1)),
    dict(name="ctrl_k_cuts_to_the_end", keys="=12+34" + LEFT * 3 + ctrl("k"),
         rows=[LOADED, "orvane> =12"], cursor=(11, 1)),
    dict(name="alt_b_and_alt_f_move_by_word", keys="=sqrt(16)+ab" + ALT_B + ALT_B + ALT_F,
         rows=[LOADED, "orvane> =sqrt(16)+ab"], cursor=(16, 1)),
    dict(name="ctrl_left_and_ctrl_right_move_by_word",
         keys="=sqrt(16)+ab" + CTRL_LEFT + CTRL_LEFT + CTRL_LEFT + CTRL_RIGHT,
         rows=[LOADED, "orvane> =sqrt(16)+ab"], cursor=(13, 1)),
    dict(name="ctrl_d_deletes_under_the_cursor", keys="=123" + LEFT + LEFT + ctrl("d"),
         rows=[LOADED, "orvane> =13"], cursor=(10, 1)),
    # Sequences read by their grammar whatever their length, in their 8-bit form too: the Linux
    # console's F1 and F5, keypad keys with modifiers, a mouse report and the markers of a paste.
    dict(name="escape_sequences_leave_no_debris",
         keys="=1" + "\x1b[[A" + "+" + "\x1b[[E" + "2" + "\x1bO2P" + "+" + "\x1bO5D" + "3" +
         "\x1bO1;2P" + "+" + "\u009bA" + "4" + "\x1b[M !!" + "+" + "\x1b[200~5\x1b[201~",
         rows=[LOADED, "orvane> =1+2+3+4+5"], cursor=(18, 1)),
    # rxvt ends its shifted keys (Shift-F1, Shift-Home) with "$": the next key is a key.
    dict(name="rxvt_shifted_keys_end_at_the_dollar", keys="=1+" + "\x1b[23$" + "2" + "\x1b[7$" + "+3",
         rows=[LOADED, "orvane> =1+2+3"], cursor=(14, 1)),
    # The number pad in application keypad mode types what its keys say, and Enter.
    dict(name="number_pad_in_application_mode",
         keys="".join("\x1bO" + k for k in "XqkrjsnumpoyM"),
         rows=["orvane> =1+2*3.5-0/9", "1+2*3.5-0/9 = 8", "orvane>"]),
    # A control of bidirectional text shows as its code point, never reordering the line.
    dict(name="bidi_controls_show_escaped", history="=5\u202e+6\n", keys=UP,
         rows=[LOADED, "orvane> =5<U+202E>+6"], cursor=(20, 1)),
    # A paste is text: each line of it runs, a tab is a character, other controls and
    # sequences are left out.
    dict(name="paste_is_text", keys="\x1b[200~=1+1\r\n=2" + TAB + "*3" + LEFT + ctrl("a") + "\x1b[201~",
         rows=["orvane> =1+1", "1+1 = 2", "orvane> =2^I*3"], cursor=(14, 3)),
    dict(name="unknown_keys_show_nothing",
         keys="=1" + "\x1b[15~" + "\x1bx" + "\x1b[2~" + "\x1b[1;2A" + "\x1bOQ" + ctrl("g") + "2",
         rows=[LOADED, "orvane> =12"], cursor=(11, 1)),
    dict(name="ctrl_l_clears_the_screen_and_redraws", keys="=6*7" + ENTER + "=1+" + ctrl("l"),
         rows=["orvane> =1+"], cursor=(11, 0)),
    # Tab completes names, and lists them when there are several.
    dict(name="tab_completes_a_function", keys="=sq" + TAB + "16)",
         rows=[LOADED, "orvane> =sqrt(16)"], cursor=(17, 1)),
    dict(name="tab_completes_what_several_share", keys="=lo" + TAB,
         rows=[LOADED, "orvane> =log"], cursor=(12, 1)),
    dict(name="tab_lists_the_choices", keys="=lo" + TAB + TAB,
         rows=["orvane> =log", "log(    log10(  log2(", "orvane> =log"], cursor=(12, 3)),
    dict(name="tab_completes_a_constant", keys="=2*_p" + TAB,
         rows=[LOADED, "orvane> =2*_pi"], cursor=(14, 1)),
    dict(name="tab_completes_a_variable_after_percent", keys="=6*7" + ENTER + "=%an" + TAB,
         rows=["6*7 = 42", "orvane> =%Ans"], cursor=(13, 3)),
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
]


class EditingTest(ScreenCase):
    pass


# Sends the job SIGTERM and says "gone" once it has ended, within 5 s (bash's own notice
# that it ended, which may come at any time, is taken by "jobs" before that).
KILL_AND_WATCH = ("p=$(jobs -p); kill %1; for i in {1..50}; do kill -0 $p 2>&- && sleep 0.1; "
                  "done; jobs >/dev/null; kill -0 $p 2>&- || echo gone\r")
YELLOW_ON_BLUE = ("brown", BLUE, True)
STEPS = [
    # bg, then fg, which sends no signal: raw mode again, and the prompt and line redrawn.
    dict(name="bg_then_fg_gives_raw_mode_back", bash=True, steps=[
        ("=4*4" + ctrl("z"), ["orvane> =4*4^Z", "[1]+  Stopped                 " + JOB, "$"]),
        ("bg\r", ["$ bg", "[1]+ %s &" % JOB, "$"]),
        ("fg\r", ["$ fg", JOB, "orvane> =4*4"]),
        ("+1\r", ["orvane> =4*4+1", "4*4+1 = 17", "orvane>"]),
        ("exit\r", ["orvane> exit", "$"])]),
    # A signal that ends a stopped shell, or one in the background, ends it.
    dict(name="kill_ends_a_stopped_shell", bash=True, steps=[
        (ctrl("z"), ["[1]+  Stopped                 " + JOB, "$"]),
        (KILL_AND_WATCH, ["gone", "$"])]),
    dict(name="kill_ends_a_shell_in_the_background", bash=True, steps=[
        (ctrl("z"), ["[1]+  Stopped                 " + JOB, "$"]),
        ("bg\r", ["$ bg", "[1]+ %s &" % JOB, "$"]),
        (KILL_AND_WATCH, ["gone", "$"])]),
    # Stopping gives the terminal its own colours; coming back paints the console's again.
    dict(name="suspending_gives_the_colours_back", bash=True, steps=[
        ("color 1E\r", ["orvane>"], {(0, 0): YELLOW_ON_BLUE}),
        ("=1" + ctrl("z"), ["orvane> =1^Z", "[1]+  Stopped                 " + JOB, "$"],
         {(0, 0): YELLOW_ON_BLUE, (0, 1): DEFAULT, (0, 2): DEFAULT, (40, 10): DEFAULT}),
        ("fg\r", ["$ fg", JOB, "orvane> =1"],
         {(0, 3): DEFAULT, (0, 5): YELLOW_ON_BLUE, (40, 10): YELLOW_ON_BLUE}),
        ("\rexit\r", ["$"])]),
    # With standard output elsewhere, lines are read in the terminal's own line mode: it echoes
    # them; results go to the file, messages and the prompt to the terminal.
    dict(name="output_to_a_file", output="6*7 = 42\n1+1 = 2\n", status=1, steps=[
        ("=6*7\r", ["orvane> =6*7", "orvane>"]),
        ("foo\r", ["orvane> foo", "orvane: unknown command: foo (type help for the list)",
                   "orvane>"]),
        ("=1+1\r", ["orvane> =1+1", "orvane>"]),
        ("exit\r", ["orvane> exit"])]),
]


STEPS += [
    # Keys typed ahead, before the editor starts and after it leaves, are kept for whoever
    # reads the terminal next.
    dict(name="typed_ahead_keys_are_kept", bash=True, steps=[
        ("exit\recho AFTER-EXIT\r", ["orvane> exit", "$ echo AFTER-EXIT", "AFTER-EXIT", "$"]),
        (JOB + " --no-history\r=6*7\r=1+1\rexit\r",
         ["orvane> =6*7", "6*7 = 42", "orvane> =1+1", "1+1 = 2", "orvane> exit", "$"])]),
    # The width is read again on coming back: the line at the new width, then edited in place.
    dict(name="resized_while_stopped", bash=True, columns=40, steps=[
        ("=1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16+17" + ctrl("z"),
         ["orvane> =1+2+3+4+5+6+7+8+9+10+11+12+13+1", "4+15+16+17^Z",
          "[1]+  Stopped                 " + JOB, "$"]),
        ((25, 24), None),
        ("fg\r", ["$ fg", JOB, "orvane> =1+2+3+4+5+6+7+8+", "9+10+11+12+13+14+15+16+17"]),
        ("+18" + HOME + DELETE,
         ["$ fg", JOB, "orvane> 1+2+3+4+5+6+7+8+9", "+10+11+12+13+14+15+16+17+", "18"]),
        (ctrl("c") + "exit\r", ["$"])]),
    # A row that the line's own wrapping scrolls in takes the console's colours to its end.
    dict(name="wrapping_at_the_bottom_keeps_the_colours", lines=5, columns=40, steps=[
        ("color 1E\r" + "".join("echo %d\r" % n for n in range(4)) + "=" + "1" * 40,
         ["3", "orvane> =" + "1" * 31, "1" * 9],
         {(39, 4): YELLOW_ON_BLUE, (20, 4): YELLOW_ON_BLUE}),
        (ctrl("c") + "exit\r", None)]),
    # A terminal that takes no escape sequences gets the terminal's own line mode, no colours.
    # Its own line mode echoes what it does not know, such as Left.
    dict(name="dumb_terminal_reads_lines", env={"TERM": "dumb"}, status=1, steps=[
        ("=6*7\r", ["orvane> =6*7", "6*7 = 42", "orvane>"], {(6, 2): DEFAULT}),
        ("=6*7" + LEFT + "\r",
         ["orvane> =6*7^[[D", 'orvane: unexpected "^[" at position 4', "orvane>"]),
        ("exit\r", None)]),
]


STEPS += [
    # A paste whose end marker never comes ends after a pause: then keys are keys again.
    dict(name="paste_without_its_end_marker", steps=[
        ("\x1b[200~=4*4" + ctrl("a"), [LOADED, "orvane> =4*4"]),
        (1.0, None),
        (ctrl("a") + "-", [LOADED, "orvane> -=4*4"]),
        (ctrl("c") + "exit\r", None)]),
    # A resize where the cursor's column cannot tell whether the terminal kept its rows (as this
    # emulator does) or reflowed them is taken as the last one that could tell.
    dict(name="resize_the_column_cannot_tell_goes_as_the_last", columns=20, steps=[
        ("=" + "1" * 68, ["orvane> =" + "1" * 11, "1" * 20, "1" * 20, "1" * 17]),
        ((40, 24), [LOADED[:20], LOADED[20:], "orvane> =" + "1" * 31, "1" * 37]),
        ((26, 24), [LOADED[:20], LOADED[20:], "orvane> =" + "1" * 17, "1" * 26, "1" * 25]),
        ((52, 24), [LOADED[:20], LOADED[20:], "orvane> =" + "1" * 43, "1" * 25]),
        (ctrl("c") + "exit\r", None)]),
    # A cursor-position answer with a number no terminal has is no answer, and harms nothing.
    dict(name="absurd_cursor_answer", columns=40, answer="\x1b[9999999999;1R", steps=[
        ("=" + "1" * 69, [LOADED, "orvane> =" + "1" * 31, "1" * 38]),
        ((20, 24), None),
        (0.3, None),  # the shell asks where its cursor is now
        (ctrl("c") + "=6*7\r", ["6*7 = 42", "orvane>"]),
        ("exit\r", None)]),
]


class SteppedTest(ScreenCase):
    pass


add_cases(EditingTest, EDITING, editing_case)
add_cases(SteppedTest, STEPS, stepped_case)


class ResizeTest(ScreenCase):
    def test_the_line_is_redrawn_at_the_new_width(self):
        shell = self.start()
        line = "=" + "+".join(str(n) for n in range(1, 21))
        shell.type(line + HOME)
        self.expect(shell, [LOADED, PROMPT + line], (8, 1))
        shell.resize(40, 24)
        self.expect(shell, [LOADED, PROMPT + line[:32], line[32:]], (8, 1))
        shell.type(END)
        self.expect(shell, cursor=(len(line) - 32, 2))
        shell.resize(80, 24)
        self.expect(shell, [LOADED, PROMPT + line], (8 + len(line), 1))
        shell.type(ENTER)
        self.expect(shell, [PROMPT + line, line[1:] + " = 210", PROMPT.rstrip()])



class ColourTest(ScreenCase):
    def test_default_highlight_is_the_terminals_foreground_in_bold(self):
        shell = self.start()
        shell.type("=6*7\r")
        self.expect(shell, ["6*7 = 42", "orvane>"],
                    cells={(0, 2): DEFAULT, (6, 2): ("default", "default", True),
                           (7, 2): ("default", "default", True), (8, 2): DEFAULT})

    def test_highlight_by_name_keeps_the_background(self):
        shell = self.start(env={"Highlight": "red"})
        shell.type("=6*7\r")
        self.expect(shell, ["6*7 = 42", "orvane>"],
                    cells={(6, 2): ("red", "default", False), (0, 2): DEFAULT})

    def test_color_paints_the_screen_and_scrolling_keeps_it(self):
        shell = self.start(lines=10)
        shell.type("color 1E\r")
        yellow_on_blue = ("brown", BLUE, True)
        self.expect(shell, ["orvane>"], (8, 0),
                    cells={(0, 0): yellow_on_blue, (79, 0): yellow_on_blue,
                           (40, 5): yellow_on_blue, (79, 9): yellow_on_blue})
        shell.type("".join("echo line %d\r" % n for n in range(15)) + "=6*7\r")
        self.expect(shell, ["6*7 = 42", "orvane>"], (8, 9),
                    cells={(0, 9): yellow_on_blue, (79, 9): yellow_on_blue,
                           (79, 0): yellow_on_blue, (30, 4): yellow_on_blue,
                           # the default highlight on blue: the foreground in bold
                           (6, 8): ("default", BLUE, True)})

    def test_color_with_equal_colours_is_refused(self):
        shell = self.start()
        shell.type("color 11\r")
        self.expect(shell, ["orvane> color 11",
                            "orvane: color: 11 has the same background and foreground",
                            "orvane>"],
                    cells={(0, 3): DEFAULT, (0, 4): DEFAULT})

    def test_colours_come_back_on_exit(self):
        shell = self.start(lines=10)
        shell.type("color 4E\rexit\r")
        self.assertEqual(shell.finish(), 0)
        self.assertEqual(shell.screen.cursor.attrs.bg, "default")
        y = shell.screen.cursor.y
        self.assertEqual([cell(shell, 0, row)[1] for row in range(y, 10)], ["default"] * (10 - y))
        self.assertEqual(cell(shell, 0, 0)[1], "red")  # what was shown stays as it was


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
        done = subprocess.run([screen_support.ORVANE], input=b"=1\n", capture_output=True, env=env, check=False)
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


if __name__ == "__main__":
    screen_support.main()
