"""A board's layout chosen at the desk, in a real browser on its own timers,
against `tallvane serve`: a board opened by its link (no form, no keyboard)
says what it shows, the operator chooses another layout through the
operator's API, the page takes it and tells it back, and a board that drops
and logs in again under the same name (a TV switched off and on: a fresh
browser, whose link asks for another layout) is given the desk's choice
again.

Run: /usr/bin/python3 test_browser_boarddesk.py TALLVANE_BIN SOURCE_DIR
"""
import os
import sys
import tempfile
import urllib.request

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_health import OPERATOR_PIN, OperatorMeetInBrowser  # noqa: E402
from test_browser_stations import WAIT, board_link, browser, main, wait_until  # noqa: E402


class BoardLayoutFromTheDesk(OperatorMeetInBrowser):

    def setUp(self):
        super().setUp()
        login = urllib.request.Request(self.meet.url('/api/operator/login'), data=b'',
                                       headers={'X-Operator-Pin': OPERATOR_PIN})
        with urllib.request.urlopen(login, timeout=WAIT) as reply:
            self.cookie = reply.headers['Set-Cookie'].split(';')[0]

    def boards(self):
        return {board['name']: board for board in self.meet.api('/api/boards', Cookie=self.cookie)['boards']}

    def desk_until(self, check, what):
        """Waits, with a deadline, until the desk's list passes `check`."""
        wait_until(self.driver, lambda: check(self.boards()), what, lambda: str(self.boards()))
        return self.boards()

    def layout_of(self, page):
        page.focus()
        return self.driver.execute_script('return document.body.dataset.layout ?? null')

    def test_the_desks_layout_reaches_the_board_and_outlives_its_drop(self):
        board = board_link(self.driver, self.meet, 'name=Door&layout=single')
        self.assertEqual(self.layout_of(board), 'single')
        self.desk_until(lambda b: (b.get('Door', {}).get('showing') or {}).get('layout') == 'single',
                        'the board saying what it shows')

        self.meet.api('/api/boards/layout?name=Door&layout=four', post=True, Cookie=self.cookie)
        board.until(lambda: self.layout_of(board) == 'four', "the desk's layout on the board")
        self.assertTrue(board.el('four-view').is_displayed())
        self.desk_until(lambda b: b['Door']['showing']['layout'] == 'four', 'the board telling it back')

        # The TV goes off: its browser ends, the server sees the board gone.
        self.driver.quit()
        self.desk_until(lambda b: not b['Door']['connected'], 'the board gone')
        # ... and on again, a fresh browser whose link asks for one score.
        self.profile.cleanup()
        self.profile = tempfile.TemporaryDirectory()
        self.driver = browser(self.profile.name)
        board = board_link(self.driver, self.meet, 'name=Door&layout=single')
        board.until(lambda: self.layout_of(board) == 'four', "the desk's layout again")
        boards = self.desk_until(lambda b: b['Door']['connected'] and
                                 (b['Door']['showing'] or {}).get('layout') == 'four',
                                 'the board back with the layout')
        self.assertEqual(boards['Door']['chosen']['layout'], 'four')


if __name__ == '__main__':
    main()
