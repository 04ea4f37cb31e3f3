"""One scoreboard in a real browser, on the browser's own timers, through four
scores of two events against `tallvane serve` with the shortest display time:
each score is shown for its time, confirmed, and marked sent in the meet file,
so the next one of its event follows. The board shows one score at a time: the
second event's first score waits out the first one's display time, and its
event goes on after that late confirmation.

Run: /usr/bin/python3 test_browser_board.py TALLVANE_BIN SOURCE_DIR
"""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_results import Judge  # noqa: E402
from test_browser_stations import MeetInBrowser, board_page, main, queue_once_sent  # noqa: E402

DISPLAY_SECONDS = 15
SCORES = 4
# The first offer comes 8 s after the start; each score of an event then
# waits for the last one's display time and 5 s more.
ALL_SHOWN = 8 + SCORES * (DISPLAY_SECONDS + 5) + 30

# Every score the board puts up, in turn, as "event number score".
RECORD_SHOWN = """
window.shown = [];
const view = document.getElementById('score-view');
new MutationObserver(() => {
    if (view.hidden)
        return;
    const text = ['board-event', 'board-number', 'board-score']
        .map((id) => document.getElementById(id).textContent).join(' ');
    if (window.shown.at(-1) !== text)
        window.shown.push(text);
}).observe(view, {subtree: true, childList: true, characterData: true, attributes: true});
"""


class BoardThroughScores(MeetInBrowser):
    OPTIONS = ('--display-seconds', str(DISPLAY_SECONDS))

    def test_four_scores_of_two_events_in_turn(self):
        board = board_page(self.driver, self.meet)
        board.until(lambda: board.text('board-link') == '' and board.el('idle-view').is_displayed(),
                    'the board logged in')
        self.driver.execute_script(RECORD_SHOWN)

        numbers = [row[0] for row in self.meet.query(
            "SELECT Num FROM Gymnasts WHERE scratched = 0 ORDER BY CAST(Num AS INTEGER) LIMIT ?", SCORES)]
        vault, bars = Judge(self.meet, 'Vault'), Judge(self.meet, 'Bars')
        self.judges += [vault, bars]
        scores = [(vault, 'Vault', '9.100'), (bars, 'Bars', '9.200'), (vault, 'Vault', '9.300'),
                  (bars, 'Bars', '9.400')]
        for number, (judge, _, score) in zip(numbers, scores):
            judge.score(number, score)

        self.assertEqual(queue_once_sent(self.driver, self.meet, SCORES, ALL_SHOWN),
                         [(event, number, 'Sent') for number, (_, event, _) in zip(numbers, scores)])

        shown = self.driver.execute_script('return window.shown')
        self.assertEqual(sorted(shown), sorted(f'{event} {number} {score}'
                                               for number, (_, event, score) in zip(numbers, scores)))
        for event in ('Vault', 'Bars'):  # each event's scores in the order they were stored
            self.assertEqual([s for s in shown if s.startswith(event)],
                             [f'{e} {n} {s}' for n, (_, e, s) in zip(numbers, scores) if e == event])


if __name__ == '__main__':
    main()
