"""The meet director's tablet (1024x768) in a real browser, on the browser's
own timers, against `tallvane serve`: the director logs in on /health with the
operator PIN (the station PIN opens nothing), sees all 16 judges' seats and the
board's, and the page follows pads that log in and leave without being
reloaded. Then the dress rehearsal: judge 1's pad shows "Rehearsal: tap OK"
with its seat and is tapped, the board shows its name and event full screen
for 20 s, judge 1's test score goes to the board and back, and the list on
/health says who answered and which seats are empty.

A board's layout chosen at the desk: a board opened by its link (no form, no
keyboard) says what it shows, the operator chooses another layout through the
operator's API, the page takes it and tells it back, and a board that drops
and logs in again under the same name (a TV switched off and on: a fresh
browser, whose link asks for another layout) is given the desk's choice again.

Run: /usr/bin/python3 test_browser_health.py TALLVANE_BIN SOURCE_DIR [SCREENSHOT_DIR]
"""
import os
import sys
import tempfile
import urllib.request

from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_stations import (TABLET, PIN, WAIT, MeetInBrowser, Page, board_link, board_page, browser,  # noqa: E402
                                   emulate, judge_pad, main, wait_until)

OPERATOR_PIN = '24681357'
SHOTS = sys.argv[3] if len(sys.argv) > 3 else ''
BOARD_SECONDS = 20
DISPLAY_SECONDS = 15
# The test score waits for the board's next offer (up to 8 s), then shows for
# its display time before the board confirms it.
TEST_SCORE_BACK = 8 + DISPLAY_SECONDS + 20

# When the board's rehearsal view comes and goes, by the page's own clock (in
# ms): a test that reads the page from outside sees both late, by as much as a
# loaded machine makes it.
RECORD_REHEARSAL = """
window.rehearsalTimes = [];
const view = document.getElementById('rehearsal-view');
new MutationObserver(() => window.rehearsalTimes.push([view.hidden, performance.now()]))
    .observe(view, {attributes: true, attributeFilter: ['hidden']});
"""


class DirectorOnATablet(MeetInBrowser):
    """Tests with a meet of four judges an event, served with the operator PIN
    OPERATOR_PIN and the shortest display time."""
    OPTIONS = ('--display-seconds', str(DISPLAY_SECONDS))

    def prepare(self, meet):
        meet.write('operatorpin.txt', OPERATOR_PIN + '\r\n')
        meet.query('UPDATE Meets SET Num_Judges = 4')

    def seats(self, page, body='seat-rows'):
        """The list of seats as shown (or the rehearsal's, 'rehearsal-rows'):
        seat -> the row's cells (read at once: the page redraws)."""
        page.focus()
        cells = self.driver.execute_script(
            "return [...document.querySelectorAll(arguments[0])].map("
            "(row) => [...row.cells].map((cell) => cell.textContent))", f'#{body} tr')
        return {row[0]: row for row in cells}

    def boards(self):
        """The desk's list of boards by name, read with the operator's cookie."""
        return {board['name']: board for board in self.meet.api('/api/boards', Cookie=self.cookie)['boards']}

    def desk_until(self, check, what):
        """Waits, with a deadline, until the desk's list passes `check`."""
        wait_until(self.driver, lambda: check(self.boards()), what, lambda: str(self.boards()))
        return self.boards()

    def layout_of(self, page):
        page.focus()
        return self.driver.execute_script('return document.body.dataset.layout ?? null')

    def test_the_director_follows_the_seats_and_runs_the_rehearsal(self):
        board = board_page(self.driver, self.meet)
        self.driver.execute_script(RECORD_REHEARSAL)
        pad = judge_pad(self.driver, self.meet, 'Vault', 1)
        health = Page(self.driver, self.meet.url('/health'))
        emulate(self.driver, TABLET)
        health.until(lambda: health.el('login').is_displayed(), 'the log-in form')
        health.type('operator-pin', PIN)
        health.click('login-button')
        health.until(lambda: health.text('login-error') == 'Wrong operator PIN.', 'the station PIN refused')
        health.type('operator-pin', OPERATOR_PIN)
        health.click('login-button')
        health.until(lambda: len(self.seats(health)) == 17, "the 16 judges' seats and the board")
        self.assertEqual(self.seats(health)['Scoreboard Hall'][2], 'logged in')

        vault = self.seats(health)['Vault judge 1']
        self.assertEqual(vault[2], 'logged in')
        self.assertIn('(browser)', vault[1])
        self.assertIn('%', vault[4], 'the pad tells its battery')
        self.assertEqual(vault[5], 'empty')
        self.assertEqual(self.seats(health)['Floor judge 4'][-1], 'Empty seat')
        every_row_fits = self.driver.execute_script(
            "return document.getElementById('seats').getBoundingClientRect().right <= window.innerWidth")
        self.assertTrue(every_row_fits, 'the table fits the tablet')

        # A pad that logs in later shows up, and one that leaves is gone, on
        # the page's own refreshes.
        second = judge_pad(self.driver, self.meet, 'Beam', 3)
        health.until(lambda: self.seats(health)['Beam judge 3'][2] == 'logged in', 'Beam judge 3 on the page')
        if SHOTS:
            self.driver.save_screenshot(os.path.join(SHOTS, 'health-tablet.png'))
        second.focus()
        self.driver.close()
        health.until(lambda: self.seats(health)['Beam judge 3'][2].startswith('gone since '), 'Beam judge 3 gone')
        self.assertEqual(self.seats(health)['Beam judge 3'][-1], 'Empty seat')
        self.assertTrue(health.text('summary').startswith('17 seats: 2 logged in'))
        pad.focus()
        self.assertEqual(pad.text('link'), 'Logged in')

        # The dress rehearsal, started by the director.
        health.until(lambda: health.text('rehearsal-status') == 'No rehearsal yet.', 'the rehearsal section')
        health.click('rehearsal-start')
        health.until(lambda: health.text('rehearsal-status').startswith('Rehearsal running'), 'the rehearsal started')

        board.until(lambda: board.el('rehearsal-view').is_displayed(), 'the board rehearsing')
        self.assertEqual(board.text('rehearsal-name'), 'Hall')
        self.assertEqual(board.text('rehearsal-event'), 'All events')
        covers = self.driver.execute_script(
            "const r = document.getElementById('rehearsal-view').getBoundingClientRect();"
            "return r.width === window.innerWidth && r.height === window.innerHeight")
        self.assertTrue(covers, 'the name fills the screen')

        pad.until(lambda: pad.el('rehearsal').is_displayed(), 'the prompt on the pad')
        self.assertEqual(pad.text('rehearsal-text'), 'Rehearsal: tap OK')
        self.assertEqual(pad.text('rehearsal-seat'), 'Vault · Judge 1')
        pad.click('rehearsal-ok')
        pad.until(lambda: not pad.el('rehearsal').is_displayed(), 'the prompt gone')

        health.until(lambda: self.seats(health, 'rehearsal-rows')['Vault judge 1'][3].startswith('answered in '),
                     'the tap in the list')
        rows = self.seats(health, 'rehearsal-rows')
        self.assertEqual(rows['Vault judge 1'][2], 'tap on the pad')
        self.assertEqual(rows['Vault test score'][2:], ['test score to the boards', 'waiting'])

        # The board goes back to its own screen once its time is up.
        board.until(lambda: not board.el('rehearsal-view').is_displayed(), 'the board back')
        times = self.driver.execute_script('return window.rehearsalTimes')
        self.assertEqual([hidden for hidden, _ in times], [False, True], times)
        # Its timer starts just after the view is shown: a tenth of a second for that.
        self.assertGreaterEqual(times[1][1] - times[0][1], (BOARD_SECONDS - 0.1) * 1000)

        # The test score has been shown and confirmed: everybody answered, the
        # rehearsal is over on the page's own refreshes.
        health.focus()
        WebDriverWait(self.driver, TEST_SCORE_BACK, poll_frequency=0.5).until(
            lambda d: health.text('rehearsal-status').startswith('Rehearsal of '))
        rows = self.seats(health, 'rehearsal-rows')
        self.assertTrue(rows['Vault test score'][3].startswith('answered in '), rows['Vault test score'])
        self.assertEqual(rows['Scoreboard Hall'][2], 'shown on the board')
        self.assertTrue(rows['Scoreboard Hall'][3].startswith('answered in '))
        self.assertEqual(rows['Floor judge 4'][1:], ['', '', 'empty'])
        self.assertIn('3 answered, 15 empty', health.text('rehearsal-status'))
        self.assertTrue(health.el('rehearsal-start').is_enabled())

    def test_the_desks_layout_reaches_the_board_and_outlives_its_drop(self):
        login = urllib.request.Request(self.meet.url('/api/operator/login'), data=b'',
                                       headers={'X-Operator-Pin': OPERATOR_PIN})
        with urllib.request.urlopen(login, timeout=WAIT) as reply:
            self.cookie = reply.headers['Set-Cookie'].split(';')[0]
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
