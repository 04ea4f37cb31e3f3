"""The dress rehearsal in a real browser, on the browser's own timers, against
`tallvane serve`: the meet director starts it on /health with the operator
PIN, judge 1's pad shows "Rehearsal: tap OK" with its seat and is tapped, the
board shows its name and event full screen for 20 s, judge 1's test score goes
to the board and back, and the list on /health says who answered and which
seats are empty.

Run: /usr/bin/python3 test_browser_rehearsal.py TALLVANE_BIN SOURCE_DIR
"""
import os
import sys

from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_health import OPERATOR_PIN, OperatorMeetInBrowser  # noqa: E402
from test_browser_stations import Page, board_page, judge_pad, main  # noqa: E402

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


class RehearsalInABrowser(OperatorMeetInBrowser):
    OPTIONS = ('--display-seconds', str(DISPLAY_SECONDS))

    def results(self, page):
        """The rehearsal's list as shown: seat -> the row's cells."""
        return self.table(page, 'rehearsal-rows')

    def test_a_pad_taps_ok_and_the_board_shows_its_name(self):
        board = board_page(self.driver, self.meet)
        board.until(lambda: board.text('board-link') == '', 'the board logged in')
        self.driver.execute_script(RECORD_REHEARSAL)
        pad = judge_pad(self.driver, self.meet, 'Vault', 1)
        health = Page(self.driver, self.meet.url('/health'))
        health.until(lambda: health.el('login').is_displayed(), 'the log-in form')
        health.type('operator-pin', OPERATOR_PIN)
        health.click('login-button')
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

        health.until(lambda: self.results(health)['Vault judge 1'][3].startswith('answered in '),
                     'the tap in the list')
        self.assertEqual(self.results(health)['Vault judge 1'][2], 'tap on the pad')
        self.assertEqual(self.results(health)['Vault test score'][2:], ['test score to the boards', 'waiting'])

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
        rows = self.results(health)
        self.assertTrue(rows['Vault test score'][3].startswith('answered in '), rows['Vault test score'])
        self.assertEqual(rows['Scoreboard Hall'][2], 'shown on the board')
        self.assertTrue(rows['Scoreboard Hall'][3].startswith('answered in '))
        self.assertEqual(rows['Floor judge 4'][1:], ['', '', 'empty'])
        self.assertIn('3 answered, 15 empty', health.text('rehearsal-status'))
        self.assertTrue(health.el('rehearsal-start').is_enabled())


if __name__ == '__main__':
    main()
