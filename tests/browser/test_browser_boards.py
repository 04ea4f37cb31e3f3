"""Boards in a real browser, on the browser's own timers, against `tallvane
serve` with the shortest display time.

One board through four scores of two events: each score is shown for its
time, confirmed, and marked sent in the meet file, so the next one of its event
follows. The board shows one score at a time: the second event's first score
waits out the first one's display time, and its event goes on after that late
confirmation.

Boards opened by their links: a four-event board, linked in Spanish in an
English browser, puts each event's scores up in that event's quarter with a
decimal comma as soon as the server offers them and confirms every one over
several rounds, while a leaders board follows the results with no reload.
"""
import os
import sys
import threading
import time

from selenium.webdriver.common.by import By

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_stations import PIN, Judge, MeetInBrowser, board_link, board_page, main, queue_once_sent  # noqa: E402

DISPLAY_SECONDS = 15
EVENTS = ('Vault', 'Bars', 'Beam', 'Floor')
ROUNDS = 2  # of the four-event board
SHOWN_WITHIN = 2.0


def all_shown(rounds):
    """The first offer comes 8 s after the start; each score of an event then
    waits for the last one's display time and 5 s more."""
    return 8 + rounds * (DISPLAY_SECONDS + 5) + 30


# Every score the single board puts up, in turn, as "event number score".
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

# Every score a quarter puts up, as [event, number, score, time in seconds,
# the score as shown].
RECORD_QUARTERS = """
window.quarters = [];
for (const quarter of document.querySelectorAll('#four-view .quarter')) {
    new MutationObserver(() => {
        const {event, number, score} = quarter.dataset;
        const last = window.quarters.filter((q) => q[0] === event).at(-1);
        if (number && (!last || last[1] !== number))
            window.quarters.push([event, number, score, Date.now() / 1000,
                                  quarter.querySelector('.quarter-score').textContent]);
    }).observe(quarter, {attributes: true});
}
"""


class Watcher(Judge):
    """A TCP display that only listens: when the server offers each score."""

    def __init__(self, meet):
        super().__init__(meet, None, f'DISPLAYAUTH|Watcher|{PIN}|all')
        self.offers = []  # (event, number, time) of each first offer
        threading.Thread(target=self.listen, daemon=True).start()

    def listen(self):
        try:
            for line in self.reader:
                fields = line.rstrip('\r\n').split('|')
                if fields[0] == 'HEARTBEAT':
                    self.send(line.rstrip('\r\n'))
                elif fields[0] == 'SETSCORE':
                    offer = (fields[1], fields[2])
                    if offer not in [o[:2] for o in self.offers]:
                        self.offers.append((*offer, time.time()))
        except (OSError, ValueError):
            pass  # closed at the end of the test


class Boards(MeetInBrowser):
    OPTIONS = ('--display-seconds', str(DISPLAY_SECONDS))

    def test_one_board_through_four_scores_of_two_events_in_turn(self):
        board = board_page(self.driver, self.meet)
        board.until(lambda: board.el('idle-view').is_displayed(), 'the board idle')
        self.driver.execute_script(RECORD_SHOWN)

        numbers = [row[0] for row in self.meet.query(
            "SELECT Num FROM Gymnasts WHERE scratched = 0 ORDER BY CAST(Num AS INTEGER) LIMIT 4")]
        judges = {event: self.judge(event) for event in ('Vault', 'Bars')}
        # "event number score" of each, in the order stored: Vault, Bars, Vault, Bars.
        scores = [f'{event} {number} 9.{i}00' for i, (event, number) in enumerate(zip([*judges] * 2, numbers), 1)]
        for event, number, score in map(str.split, scores):
            judges[event].score(number, score)

        self.assertEqual(queue_once_sent(self.driver, self.meet, len(scores), all_shown(len(scores))),
                         [(event, number, 'Sent') for event, number, _ in map(str.split, scores)])

        shown = self.driver.execute_script('return window.shown')
        self.assertEqual(sorted(shown), sorted(scores))
        for event in judges:  # each event's scores in the order they were stored
            self.assertEqual([s for s in shown if s.startswith(event)], [s for s in scores if s.startswith(event)])

    def test_four_events_at_once_and_the_leaders(self):
        session = next(s for s in self.meet.api('/api/sessions') if s['current'])['id']
        rows = self.meet.api(f'/api/results?session={session}')['rows'][:ROUNDS * len(EVENTS)]
        self.assertEqual(len(rows), ROUNDS * len(EVENTS), 'the demo meet has gymnasts enough')
        group = rows[0]['level'], rows[0]['division']

        leaders = board_link(self.driver, self.meet,
                             f'name=Wall&layout=leaders&level={group[0]}&division={group[1]}')
        self.assertNotIn('pin=', self.driver.current_url, 'the PIN left the address bar')
        self.assertEqual(self.driver.execute_script('return document.body.dataset.layout'), 'leaders')

        board = board_link(self.driver, self.meet, 'name=Door&layout=four&shows=all&lang=es')
        self.assertEqual(self.driver.execute_script('return document.body.dataset.layout'), 'four')
        self.assertTrue(board.el('four-view').is_displayed())
        self.assertIn('lang=es', self.driver.current_url, 'the language stays in the link')
        self.assertEqual(self.driver.find_element(By.TAG_NAME, 'html').get_attribute('lang'), 'es')
        self.assertTrue(self.driver.title.startswith('Marcador'), self.driver.title)
        self.assertEqual(board.el('fullscreen').get_attribute('textContent'), 'Pantalla completa')
        self.driver.execute_script(RECORD_QUARTERS)
        watcher = Watcher(self.meet)
        self.judges.append(watcher)

        judges = {event: self.judge(event) for event in EVENTS}
        scores = {}  # (event, number) -> score, in the order sent
        for round_ in range(ROUNDS):
            for i, event in enumerate(EVENTS):
                number = rows[round_ * len(EVENTS) + i]['num']
                score = f'9.{round_}{i}0'
                judges[event].score(number, score)
                scores[(event, number)] = score

        queue = queue_once_sent(self.driver, self.meet, len(scores), all_shown(ROUNDS))
        board.focus()
        shown = self.driver.execute_script('return window.quarters')
        # Every score confirmed, each event's in the order it was stored.
        self.assertEqual(sorted(queue), sorted((e, n, 'Sent') for e, n in scores))
        for event in EVENTS:
            self.assertEqual([(s[1], s[2], s[4]) for s in shown if s[0] == event],
                             [(n, s, s.replace('.', ',')) for (e, n), s in scores.items() if e == event])
        # Each up in its quarter at once when offered: no event waits for another.
        self.assertEqual(sorted(o[:2] for o in watcher.offers), sorted(scores))
        at = {(s[0], s[1]): s[3] for s in shown}
        for event, number, offered in watcher.offers:
            self.assertLess(at[(event, number)] - offered, SHOWN_WITHIN,
                            f'{event} {number} waited on the board')

        # The leaders board followed the results by itself.
        leaders.focus()
        title = f'Level {group[0]}' if not group[0].lower().startswith('level') else group[0]
        answer = self.meet.api(f'/api/results?session={session}')['rows']
        placed = {r['num']: r['places'].get('Vault') for r in answer
                  if (r['level'], r['division']) == group and r['places'].get('Vault')}
        expected = sorted((p, n) for n, p in placed.items() if p <= 8)
        read_places = """
            const column = document.querySelector('#leaders-view [data-column="Vault"]');
            return column ? [...column.querySelectorAll('li')]
                .map((li) => [Number(li.dataset.place), li.dataset.num]) : [];"""
        leaders.until(lambda: sorted(map(tuple, self.driver.execute_script(read_places))) == expected,
                      f'the Vault leaders {expected} of {title}')
        self.assertIn(title, leaders.text('leaders-view'))


if __name__ == '__main__':
    main()
