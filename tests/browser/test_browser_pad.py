"""Judge 1's pad on a phone (390x844) in a real browser, on the browser's own
timers, through the first gymnasts of a squad against `tallvane serve`: the
running order marks who is judged and who is scored, scores outside 0 and the
meet's maximum cannot be sent, the state of each send stays in sight beside
Send, and a stored score is only overwritten after the judge says so.

Run: /usr/bin/python3 test_browser_pad.py TALLVANE_BIN SOURCE_DIR
"""
import os
import sys

from selenium.webdriver.common.by import By

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_stations import PHONE, MeetInBrowser, emulate, judge_pad, main  # noqa: E402

IN_SIGHT = """
const box = document.getElementById(arguments[0]).getBoundingClientRect();
return box.height > 0 && box.top >= 0 && box.bottom <= window.innerHeight;
"""


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
        self.assertTrue(pad.driver.execute_script(IN_SIGHT, 'send-status'))
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


if __name__ == '__main__':
    main()
