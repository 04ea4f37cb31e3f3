"""The seats' health on the meet director's tablet (1024x768) in a real
browser, on the browser's own timers, against `tallvane serve`: the operator
logs in with the operator PIN (the station PIN opens nothing), sees all 16
judges' seats, and the page follows pads that log in and leave without being
reloaded.

Run: /usr/bin/python3 test_browser_health.py TALLVANE_BIN SOURCE_DIR [SCREENSHOT_DIR]
"""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_stations import TABLET, PIN, MeetInBrowser, Page, emulate, judge_pad, main  # noqa: E402

OPERATOR_PIN = '24681357'
SHOTS = sys.argv[3] if len(sys.argv) > 3 else ''


class OperatorMeetInBrowser(MeetInBrowser):
    """A test with its own meet of four judges an event, served with the
    operator PIN OPERATOR_PIN, and its own browser."""

    def prepare(self, meet):
        meet.write('operatorpin.txt', OPERATOR_PIN + '\r\n')
        meet.query('UPDATE Meets SET Num_Judges = 4')

    def table(self, page, body):
        """The rows of the table body `body` as shown: first cell -> the row's
        cells (read at once: the page redraws)."""
        page.focus()
        cells = self.driver.execute_script(
            "return [...document.querySelectorAll(arguments[0])].map("
            "(row) => [...row.cells].map((cell) => cell.textContent))", f'#{body} tr')
        return {row[0]: row for row in cells}


class HealthOnATablet(OperatorMeetInBrowser):

    def rows(self, page):
        return self.table(page, 'seat-rows')

    def test_the_director_sees_every_seat_and_follows_the_pads(self):
        pad = judge_pad(self.driver, self.meet, 'Bars', 1)
        health = Page(self.driver, self.meet.url('/health'))
        emulate(self.driver, TABLET)
        health.until(lambda: health.el('login').is_displayed(), 'the log-in form')
        health.type('operator-pin', PIN)
        health.click('login-button')
        health.until(lambda: health.text('login-error') == 'Wrong operator PIN.', 'the station PIN refused')
        health.type('operator-pin', OPERATOR_PIN)
        health.click('login-button')
        health.until(lambda: len(self.rows(health)) == 16, 'the 16 judges seats')

        bars = self.rows(health)['Bars judge 1']
        self.assertEqual(bars[2], 'logged in')
        self.assertIn('(browser)', bars[1])
        self.assertIn('%', bars[4], 'the pad tells its battery')
        self.assertEqual(bars[5], 'empty')
        self.assertEqual(self.rows(health)['Floor judge 4'][-1], 'Empty seat')
        every_row_fits = self.driver.execute_script(
            "return document.getElementById('seats').getBoundingClientRect().right <= window.innerWidth")
        self.assertTrue(every_row_fits, 'the table fits the tablet')

        # A pad that logs in later shows up, and one that leaves is gone, on
        # the page's own refreshes.
        second = judge_pad(self.driver, self.meet, 'Beam', 3)
        health.until(lambda: self.rows(health)['Beam judge 3'][2] == 'logged in', 'Beam judge 3 on the page')
        if SHOTS:
            self.driver.save_screenshot(os.path.join(SHOTS, 'health-tablet.png'))
        second.focus()
        self.driver.close()
        health.until(lambda: self.rows(health)['Beam judge 3'][2].startswith('gone since '), 'Beam judge 3 gone')
        self.assertEqual(self.rows(health)['Beam judge 3'][-1], 'Empty seat')
        self.assertTrue(health.text('summary').startswith('16 seats: 1 logged in'))
        pad.focus()
        self.assertEqual(pad.text('link'), 'Logged in')


if __name__ == '__main__':
    main()
