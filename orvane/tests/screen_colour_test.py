#!/usr/bin/env python3
"""The colours at a terminal: the highlighted result, the console's colours that color paints,
and the terminal's own colours given back.

    screen_colour_test.py PATH/TO/orvane [unittest arguments]
"""
import screen_support
from screen_support import BLUE, DEFAULT, JOB, ScreenCase, add_cases, cell, ctrl, stepped_case


YELLOW_ON_BLUE = ("brown", BLUE, True)  # color 1E
# The console's colours through stopping and going on, and through the line's own scrolling.
COLOUR_STEPS = [
    # Stopping gives the terminal its own colours; coming back paints the console's again.
    dict(name="suspending_gives_the_colours_back", bash=True, steps=[
        ("color 1E\r", ["orvane>"], {(0, 0): YELLOW_ON_BLUE}),
        ("=1" + ctrl("z"), ["orvane> =1^Z", "[1]+  Stopped                 " + JOB, "$"],
         {(0, 0): YELLOW_ON_BLUE, (0, 1): DEFAULT, (0, 2): DEFAULT, (40, 10): DEFAULT}),
        ("fg\r", ["$ fg", JOB, "orvane> =1"],
         {(0, 3): DEFAULT, (0, 5): YELLOW_ON_BLUE, (40, 10): YELLOW_ON_BLUE}),
        ("\rexit\r", ["$"])]),
    # A row that the line's own wrapping scrolls in takes the console's colours to its end.
    dict(name="wrapping_at_the_bottom_keeps_the_colours", lines=5, columns=40, steps=[
        ("color 1E\r" + "".join("echo %d\r" % n for n in range(4)) + "=" + "1" * 40,
         ["3", "orvane> =" + "1" * 31, "1" * 9],
         {(39, 4): YELLOW_ON_BLUE, (20, 4): YELLOW_ON_BLUE}),
        (ctrl("c") + "exit\r", None)]),
]


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
        self.expect(shell, ["orvane>"], (8, 0),
                    cells={(0, 0): YELLOW_ON_BLUE, (79, 0): YELLOW_ON_BLUE,
                           (40, 5): YELLOW_ON_BLUE, (79, 9): YELLOW_ON_BLUE})
        shell.type("".join("echo line %d\r" % n for n in range(15)) + "=6*7\r")
        self.expect(shell, ["6*7 = 42", "orvane>"], (8, 9),
                    cells={(0, 9): YELLOW_ON_BLUE, (79, 9): YELLOW_ON_BLUE,
                           (79, 0): YELLOW_ON_BLUE, (30, 4): YELLOW_ON_BLUE,
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


add_cases(ColourTest, COLOUR_STEPS, stepped_case)


if __name__ == "__main__":
    screen_support.main()
