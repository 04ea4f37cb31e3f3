"""Judge pads in a real browser, on the browser's own timers, against `tallvane
serve` on a temporary copy of the demo meet.

Two judges' pads and a board: judge 2's score reaches judge 1's pad, the final
is stored and shown on the board; Vault takes the better vault; a score sent
while the server restarts waits, and is stored and shown once it is back.

Judge 1's pad on a phone (390x844) through the first gymnasts of a squad: the
running order marks who is judged and who is scored, scores outside 0 and the
meet's maximum cannot be sent, the state of each send stays in sight beside
Send, and a stored score is only overwritten after the judge says so.

A pad follows its meet to the standby: a primary and a standby `tallvane serve`
(the standby takes over 3 s after it last heard the primary), the pad logged in
on the primary, the primary killed, a score sent while no server answers; the
standby takes over, the pad moves there by itself, logs in again and its
waiting score is stored once in the standby's meet file.
"""
import os
import sys

from selenium.webdriver.common.by import By

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_stations import (PHONE, Meet, MeetInBrowser, board_page, emulate,  # noqa: E402
                                   judge_pad, look_up, main, send_score, wait_until)

OPERATOR_PIN = '582046'


class PadsAndABoard(MeetInBrowser):
    def prepare(self, meet):
        self.numbers = [row[0] for row in meet.query(
            "SELECT Num FROM Gymnasts WHERE scratched = 0 ORDER BY CAST(Num AS INTEGER) LIMIT 3")]

    def test_panel_of_two_judges_and_a_board(self):
        board = board_page(self.driver, self.meet)
        second = judge_pad(self.driver, self.meet, 'Bars', 2)
        first = judge_pad(self.driver, self.meet, 'Bars', 1)
        number = self.numbers[0]
        look_up(first, number, 'the gymnast on judge 1')
        second.until(lambda: second.text('gymnast-name').startswith(number), 'the gymnast pushed to judge 2')
        second.type('score-2', '9.2')
        second.click('send')
        second.until(lambda: second.text('send-status') == 'Confirmed', 'judge 2 confirmed')
        first.until(lambda: first.value('score-2') == '9.200', "judge 2's score on judge 1's pad")
        first.type('score-1', '9.0')
        first.until(lambda: first.value('final') == '9.100', 'the final computed')
        first.click('send')
        first.until(lambda: first.text('send-status') == 'Confirmed', 'judge 1 confirmed')
        self.assertEqual(self.meet.query('SELECT E2S1, E2S2, E2Final FROM Gymnasts WHERE Num = ?', number),
                         [(9.0, 9.2, 9.1)])
        board.until(lambda: board.text('board-score') == '9.100', 'the score on the board')

    def test_vault_takes_the_better_vault(self):
        pad = judge_pad(self.driver, self.meet, 'Vault', 1)
        number = self.numbers[1]
        look_up(pad, number)
        for box, score in (('score-1', '9.0'), ('score-2', '9.2'), ('adjustment', '-0.3'),
                           ('score2-1', '8.9'), ('score2-2', '9.0')):
            pad.type(box, score)
        pad.until(lambda: pad.value('final') == '8.950', 'the better vault')
        self.assertEqual((pad.value('b-score'), pad.value('b-score-2')), ('9.100', '8.950'))
        pad.click('send')
        pad.until(lambda: pad.text('send-status') == 'Confirmed', 'confirmed')
        self.assertEqual(self.meet.query('SELECT E1Final, E7S1 FROM Gymnasts WHERE Num = ?', number),
                         [(8.95, 8.9)])

    def test_server_restart_and_a_score_sent_while_it_is_down(self):
        board = board_page(self.driver, self.meet)
        pad = judge_pad(self.driver, self.meet, 'Beam', 1)
        number = self.numbers[2]
        look_up(pad, number)
        self.meet.stop()
        pad.until(lambda: pad.text('link') != 'Logged in', 'the pad offline')
        send_score(pad, '8.5', '8.7')
        self.assertEqual(pad.text('send-status'), 'Waiting')
        self.meet.start()
        pad.until(lambda: pad.text('send-status') == 'Confirmed', 'the waiting score confirmed')
        board.until(lambda: board.text('board-link') == '', 'the board logged in again')
        self.assertEqual(self.meet.query('SELECT E3Final FROM Gymnasts WHERE Num = ?', number), [(8.6,)])
        self.assertEqual(self.meet.query(
            "SELECT COUNT(*) FROM ScoreBoardQueue WHERE Num = ? AND EventName = 'Beam'", number), [(1,)])
        board.until(lambda: board.text('board-score') == '8.600', 'the score on the board')


class JudgePadOnAPhone(MeetInBrowser):

    def order(self):
        """The running order as shown: (text, is it the current one) per gymnast."""
        return [(b.text, b.get_attribute('aria-current') == 'true')
                for b in self.pad.focus().driver.find_elements(By.CSS_SELECTOR, '#running-order button')]

    def choose(self, number):
        pad = self.pad
        button = next(b for b in pad.focus().driver.find_elements(By.CSS_SELECTOR, '#running-order button')
                      if b.text.split()[0] == number)
        button.click()
        pad.until(lambda: pad.text('score-for').startswith(f'For {number} '), f'{number} on the pad')

    def send(self, number, first, second, final):
        pad = self.pad
        pad.type('score-1', first)
        pad.type('score-2', second)
        pad.until(lambda: pad.value('final') == final, 'the final')
        pad.click('send')
        self.assertTrue(self.in_view(pad.el('send-status')), 'the state of the send in sight')
        pad.until(lambda: pad.text('send-status') == 'Confirmed', f'the score of {number} confirmed')

    def stored(self, number):
        return self.meet.query('SELECT E4Final FROM Gymnasts WHERE Num = ?', number)[0][0]

    def test_judge_one_through_a_squad(self):
        squad = self.meet.query("SELECT Squad FROM Gymnasts WHERE Session = '1' AND scratched = 0 "
                                "ORDER BY Squad LIMIT 1")[0][0]
        numbers = [row[0] for row in self.meet.query(
            "SELECT Num FROM Gymnasts WHERE Session = '1' AND Squad = ? AND scratched = 0 "
            "ORDER BY [Order]", squad)]
        self.pad = pad = judge_pad(self.driver, self.meet, 'Floor', 1)
        emulate(pad.driver, PHONE)
        pad.choose('squad', squad)
        pad.until(lambda: len(self.order()) == len(numbers), 'the running order')

        self.choose(numbers[0])
        self.assertEqual([current for _, current in self.order()][:2], [True, False])
        self.send(numbers[0], '9.0', '9.2', '9.100')
        pad.until(lambda: '✓ 9.100' in self.order()[0][0], 'the first gymnast marked scored')

        # A judge's score over the maximum: the box says why, Send stays off.
        self.choose(numbers[1])
        pad.type('score-1', '95')
        problem = pad.driver.find_element(By.CSS_SELECTOR, '#score-1 + .problem')
        self.assertEqual(problem.text, 'Above the maximum of 10.000')
        self.assertFalse(pad.el('send').is_enabled())
        self.send(numbers[1], '9.5', '9.4', '9.450')
        pad.until(lambda: [('✓' in text, current) for text, current in self.order()][:3] ==
                  [(True, False), (True, True), (False, False)], 'both marked scored, the second current')

        # Back to the first gymnast: nothing overwrites the stored score unasked.
        self.choose(numbers[0])
        pad.until(lambda: pad.value('final') == '9.100', 'the stored scores in the boxes')
        pad.click('send')
        self.assertEqual(pad.text('correction-text'), 'Already scored (9.100). Send a correction?')
        pad.click('correction-no')
        self.assertEqual(self.stored(numbers[0]), 9.1)
        pad.type('score-2', '9.4')
        pad.click('send')
        pad.click('correction-yes')
        pad.until(lambda: pad.text('send-status') == 'Confirmed', 'the correction confirmed')
        pad.until(lambda: self.stored(numbers[0]) == 9.2, 'the correction stored')


class PadFollowsTheMeetToTheStandby(MeetInBrowser):

    def prepare(self, meet):
        meet.write('operatorpin.txt', OPERATOR_PIN)

    def servers(self):
        return self.meet.api('/api/meet')['servers']

    def test_a_waiting_score_is_stored_once_on_the_standby(self):
        # A `tallvane serve --follow` of the primary in a data folder of its own.
        primary, standby = self.meet, Meet(demo=False)
        self.addCleanup(standby.close)
        standby.serve('--follow', primary.url('/'), '--operator-pin', OPERATOR_PIN, '--take-over-after', '3',
                      '--port', str(standby.port), '--web-port', str(standby.web_port))
        standby.wait_for('In step with ')
        # The pages learn of the standby from the primary.
        wait_until(self.driver, lambda: len(self.servers()) == 2, 'the standby listed', self.servers)
        self.assertEqual(self.servers()[-1], f'http://127.0.0.1:{standby.web_port}/')
        numbers = [row[0] for row in primary.query(
            "SELECT Num FROM Gymnasts WHERE Session = '1' AND scratched = 0 ORDER BY Num LIMIT 2")]
        pad = judge_pad(self.driver, primary, 'Floor', 1)

        # A score confirmed by the primary is on the standby's disk already.
        look_up(pad, numbers[0])
        send_score(pad, '9.0', '9.2')
        pad.until(lambda: pad.text('send-status') == 'Confirmed', 'the first score confirmed')

        look_up(pad, numbers[1])
        primary.process.kill()
        primary.process.wait(10)
        pad.until(lambda: pad.text('link') != 'Logged in', 'the pad offline')
        send_score(pad, '8.5', '8.7')
        self.assertEqual(pad.text('send-status'), 'Waiting')

        standby.wait_for('Taking over from ')
        standby.wait_for('Web pages at ')
        # The pad moves on, and takes what it carried out of its address.
        moved = standby.url('/judge')
        pad.until(lambda: pad.driver.current_url == moved, 'the pad moved on')
        pad.until(lambda: pad.text('link') == 'Logged in', 'logged in on the standby by itself')
        pad.until(lambda: pad.text('outbox') == '' and pad.text('send-status') in ('', 'Confirmed'),
                  'the outbox sent')
        pad.until(lambda: standby.query(
            'SELECT E4Final FROM Gymnasts WHERE Num = ?', numbers[1]) == [(8.6,)], 'the score stored')
        self.assertEqual(standby.query(
            'SELECT E4Final FROM Gymnasts WHERE Num = ?', numbers[0]), [(9.1,)])
        for number in numbers:
            self.assertEqual(standby.query(
                "SELECT COUNT(*) FROM ScoreBoardQueue WHERE Num = ? AND EventName = 'Floor'", number),
                [(1,)], f'{number} queued once')


if __name__ == '__main__':
    main()
