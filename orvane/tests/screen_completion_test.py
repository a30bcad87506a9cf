#!/usr/bin/env python3
"""Completion at a terminal: Tab completes names, and lists them when there are several.

    screen_completion_test.py PATH/TO/orvane [unittest arguments]
"""
import screen_support
from screen_support import ENTER, LOADED, ScreenCase, TAB, add_cases, editing_case


COMPLETION = [
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
]


class CompletionTest(ScreenCase):
    pass


add_cases(CompletionTest, COMPLETION, editing_case)


if __name__ == "__main__":
    screen_support.main()
