#!/usr/bin/env python3
"""Pastes at a terminal: many keys at once, and pastes the terminal marks.

    screen_paste_test.py PATH/TO/orvane [unittest arguments]
"""
import screen_support
from screen_support import (HOME, LEFT, LOADED, RIGHT, ScreenCase, TAB, add_cases, ctrl,
                            editing_case, stepped_case)


# Pastes at an 80- or 40-column terminal, then the screen they leave.
PASTE_EDITING = [
    # Many keys at once in the middle of a long line: the line as if typed one by one.
    dict(name="paste_in_the_middle_of_a_wrapped_line", columns=40,
         keys="=" + "1" * 40 + HOME + RIGHT * 5 + "2" * 50,
         rows=[LOADED, "orvane> =" + "1" * 4 + "2" * 27, "2" * 23 + "1" * 17,
               "1" * 19], cursor=(23, 2)),
    # A paste is text: each line of it runs, a tab is a character, other controls and
    # sequences are left out.
    dict(name="paste_is_text", keys="\x1b[200~=1+1\r\n=2" + TAB + "*3" + LEFT + ctrl("a") + "\x1b[201~",
         rows=["orvane> =1+1", "1+1 = 2", "orvane> =2^I*3"], cursor=(14, 3)),
]
# A paste in steps, with a pause in it.
PASTE_STEPS = [
    # A paste whose end marker never comes ends after a pause: then keys are keys again.
    dict(name="paste_without_its_end_marker", steps=[
        ("\x1b[200~=4*4" + ctrl("a"), [LOADED, "orvane> =4*4"]),
        (1.0, None),
        (ctrl("a") + "-", [LOADED, "orvane> -=4*4"]),
        (ctrl("c") + "exit\r", None)]),
    # ... counted from its start marker, however its bytes keep coming.
    dict(name="paste_without_its_end_marker_amid_keys", steps=[
        ("\x1b[200~=5", [LOADED, "orvane> =5"]), (0.2, None), ("*", [LOADED, "orvane> =5*"]),
        (0.2, None), ("5", [LOADED, "orvane> =5*5"]), (0.2, None),
        (ctrl("a") + "-", [LOADED, "orvane> -=5*5"]), (ctrl("c") + "exit\r", None)]),
]


class PasteTest(ScreenCase):
    pass


add_cases(PasteTest, PASTE_EDITING, editing_case)
add_cases(PasteTest, PASTE_STEPS, stepped_case)


if __name__ == "__main__":
    screen_support.main()
