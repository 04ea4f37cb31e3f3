"""A judge pad in a real browser, on the browser's own timers, follows its meet
to the standby: a primary and a standby `tallvane serve` (the standby takes
over 3 s after it last heard the primary), the pad logged in on the primary,
the primary killed, a score sent while no server answers; the standby takes
over, the pad moves there by itself, logs in again and its waiting score is
stored once in the standby's meet file.

Run: /usr/bin/python3 test_browser_standby.py TALLVANE_BIN SOURCE_DIR
"""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_stations import Meet, browser, judge_pad, look_up, main, send_score, wait_until  # noqa: E402

OPERATOR_PIN = '582046'


def standby_of(primary):
    """A `tallvane serve --follow` of `primary` in a data folder of its own."""
    standby = Meet(demo=False)
    standby.serve('--follow', primary.url('/'), '--operator-pin', OPERATOR_PIN, '--take-over-after', '3',
                  '--port', str(standby.port), '--web-port', str(standby.web_port))
    return standby


class PadFollowsTheMeetToTheStandby(unittest.TestCase):

    def setUp(self):
        self.primary = Meet()
        self.primary.write('operatorpin.txt', OPERATOR_PIN)
        self.primary.start()
        self.standby = standby_of(self.primary)
        self.profile = tempfile.TemporaryDirectory()
        self.driver = browser(self.profile.name)

    def tearDown(self):
        self.driver.quit()
        self.profile.cleanup()
        self.standby.close()
        self.primary.close()

    def servers(self):
        return self.primary.api('/api/meet')['servers']

    def test_a_waiting_score_is_stored_once_on_the_standby(self):
        self.standby.wait_for('In step with ')
        # The pages learn of the standby from the primary.
        wait_until(self.driver, lambda: len(self.servers()) == 2, 'the standby listed', self.servers)
        self.assertEqual(self.servers()[-1], f'http://127.0.0.1:{self.standby.web_port}/')
        numbers = [row[0] for row in self.primary.query(
            "SELECT Num FROM Gymnasts WHERE Session = '1' AND scratched = 0 ORDER BY Num LIMIT 2")]
        pad = judge_pad(self.driver, self.primary, 'Floor', 1)

        # A score confirmed by the primary is on the standby's disk already.
        look_up(pad, numbers[0])
        send_score(pad, '9.0', '9.2')
        pad.until(lambda: pad.text('send-status') == 'Confirmed', 'the first score confirmed')

        look_up(pad, numbers[1])
        self.primary.process.kill()
        self.primary.process.wait(10)
        pad.until(lambda: pad.text('link') != 'Logged in', 'the pad offline')
        send_score(pad, '8.5', '8.7')
        self.assertEqual(pad.text('send-status'), 'Waiting')

        self.standby.wait_for('Taking over from ')
        self.standby.wait_for('Web pages at ')
        # The pad moves on, and takes what it carried out of its address.
        moved = self.standby.url('/judge')
        pad.until(lambda: pad.driver.current_url == moved, 'the pad moved on')
        pad.until(lambda: pad.text('link') == 'Logged in', 'logged in on the standby by itself')
        pad.until(lambda: pad.text('outbox') == '' and pad.text('send-status') in ('', 'Confirmed'),
                  'the outbox sent')
        pad.until(lambda: self.standby.query(
            'SELECT E4Final FROM Gymnasts WHERE Num = ?', numbers[1]) == [(8.6,)], 'the score stored')
        self.assertEqual(self.standby.query(
            'SELECT E4Final FROM Gymnasts WHERE Num = ?', numbers[0]), [(9.1,)])
        for number in numbers:
            self.assertEqual(self.standby.query(
                "SELECT COUNT(*) FROM ScoreBoardQueue WHERE Num = ? AND EventName = 'Floor'", number),
                [(1,)], f'{number} queued once')


if __name__ == '__main__':
    main()
