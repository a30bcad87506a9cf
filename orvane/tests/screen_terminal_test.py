#!/usr/bin/env python3
"""What a user sees at a terminal: the line as it is edited, resizes, job control and signals,
and a terminal that takes no escape sequences.

    screen_terminal_test.py PATH/TO/orvane [unittest arguments]
"""
import screen_support
from screen_support import (ALT_B, ALT_F, BACKSPACE, CTRL_LEFT, CTRL_RIGHT, DEFAULT, DELETE, END,
                            ENTER, HOME, JOB, LEFT, LOADED, PROMPT, RIGHT, ScreenCase, UP,
                            add_cases, ctrl, editing_case, stepped_case)


# Editing at an 80- or 40-column terminal: the line wraps and is redrawn in place, characters
# take their display width, keys and escape sequences do what they say.
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
    dict(name="unknown_keys_show_nothing",
         keys="=1" + "\x1b[15~" + "\x1bx" + "\x1b[2~" + "\x1b[1;2A" + "\x1bOQ" + ctrl("g") + "2",
         rows=[LOADED, "orvane> =12"], cursor=(11, 1)),
    dict(name="ctrl_l_clears_the_screen_and_redraws", keys="=6*7" + ENTER + "=1+" + ctrl("l"),
         rows=["orvane> =1+"], cursor=(11, 0)),
]


# Sends the job SIGTERM and says "gone" once it has ended, within 5 s (bash's own notice
# that it ended, which may come at any time, is taken by "jobs" before that).
KILL_AND_WATCH = ("p=$(jobs -p); kill %1; for i in {1..50}; do kill -0 $p 2>&- && sleep 0.1; "
                  "done; jobs >/dev/null; kill -0 $p 2>&- || echo gone\r")
# In steps: orvane as a job of bash, stopped, sent on and killed; its standard output in a
# file; keys typed ahead; resizes; and terminals that answer oddly or take no sequences.
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
    # With standard output elsewhere, lines are read in the terminal's own line mode: it echoes
    # them; results go to the file, messages and the prompt to the terminal.
    dict(name="output_to_a_file", output="6*7 = 42\n1+1 = 2\n", status=1, steps=[
        ("=6*7\r", ["orvane> =6*7", "orvane>"]),
        ("foo\r", ["orvane> foo", "orvane: unknown command: foo (type help for the list)",
                   "orvane>"]),
        ("=1+1\r", ["orvane> =1+1", "orvane>"]),
        ("exit\r", ["orvane> exit"])]),
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
    # A terminal that takes no escape sequences gets the terminal's own line mode, no colours.
    # Its own line mode echoes what it does not know, such as Left.
    dict(name="dumb_terminal_reads_lines", env={"TERM": "dumb"}, status=1, steps=[
        ("=6*7\r", ["orvane> =6*7", "6*7 = 42", "orvane>"], {(6, 2): DEFAULT}),
        ("=6*7" + LEFT + "\r",
         ["orvane> =6*7^[[D", 'orvane: unexpected "^[" at position 4', "orvane>"]),
        ("exit\r", None)]),
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


class EditingTest(ScreenCase):
    pass


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


if __name__ == "__main__":
    screen_support.main()
