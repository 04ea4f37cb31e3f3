"""The announcer's page in a real browser (headless Chromium driven by Selenium,
tablet-sized) against `tallvane serve` on a temporary copy of the demo meet: a
TCP judge looks a gymnast up and sends three scores one after another; the
page shows who is on and up next, and each score by itself with the places the
results give it, and the all-around leaders follow, all without a reload.

Run: /usr/bin/python3 test_browser_announcer.py TALLVANE_BIN SOURCE_DIR
"""
import os
import sys

from selenium.webdriver.common.by import By

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_results import Judge  # noqa: E402
from test_browser_stations import TABLET, MeetInBrowser, browser, main, wait_until  # noqa: E402


def ordinal(place):
    suffix = 'th' if 11 <= place % 100 <= 13 else {1: 'st', 2: 'nd', 3: 'rd'}.get(place % 10, 'th')
    return f'{place}{suffix}'


class LookingJudge(Judge):
    def look_up(self, num):
        self.send(f'GYMNASTQUERY|{num}|{self.event}|1')
        self.wait_for('GYMNASTQUERYRESP|0|')


class AnnouncerPage(MeetInBrowser):
    @staticmethod
    def make_browser(profile):
        return browser(profile, device=TABLET)

    def until(self, check, what):
        wait_until(self.driver, check, what, lambda: self.text('main'))

    def places(self, num):
        """Gymnast `num`'s places as the results page's API gives them."""
        rows = self.meet.api('/api/results?session=1')['rows']
        return next(row['places'] for row in rows if row['num'] == num)

    def test_three_scores_come_one_by_one_with_their_places(self):
        self.driver.get(self.meet.url('/'))
        self.driver.find_element(By.CSS_SELECTOR, 'a[href="/announcer"]').click()
        name = self.meet.query('SELECT Name FROM Meets')[0][0]
        self.until(lambda: self.driver.title == f'Announcer · {name}', 'the page named')
        self.until(lambda: 'Live' in self.text('#updated'), 'live')
        self.until(lambda: 'Waiting' in self.text('[data-event="Vault"]'), 'the events drawn')
        self.driver.execute_script('window.notReloaded = true')

        vault = LookingJudge(self.meet, 'Vault')
        self.judges.append(vault)
        vault.look_up('101')
        self.until(lambda: '101 Brynn' in self.text('article[data-event="Vault"] .now'),
                   'the gymnast on vault')
        card = self.text('article[data-event="Vault"]')
        self.assertIn('Competing now', card)
        self.assertIn('Up next', card)
        self.assertIn('102 ', self.text('article[data-event="Vault"] .next'))
        self.assertIn('Waiting', self.text('article[data-event="Bars"]'))

        for count, (num, final, shown) in enumerate(
                (('101', '9.425', '9.425'), ('102', '9.6', '9.600'), ('103', '8.95', '8.950')), 1):
            vault.score(num, final)
            item = f'#feed li[data-num="{num}"][data-event="Vault"]'
            self.until(lambda: shown in self.text(item), f'the score of {num} in the feed')
            places = self.places(num)
            self.assertIn(f'{ordinal(places["Vault"])} on Vault', self.text(item))
            self.assertIn(f'{ordinal(places["AA"])} all-around', self.text(item))
            self.assertEqual(len(self.driver.find_elements(By.CSS_SELECTOR, '#feed li')), count)
            self.assertIn(num, self.text('#feed li:first-child'), 'the newest on top')
            self.until(lambda: num in self.text('article[data-event="Vault"] .now'),
                       f'{num} on vault once scored')
            leader = f'#leaders li[data-num="{num}"] .place'
            self.until(lambda: self.text(leader) == ordinal(places['AA']),
                       f'{num} among the leaders in her place')
        self.assertIn('104 ', self.text('article[data-event="Vault"] .next'))
        self.assertTrue(self.driver.execute_script('return window.notReloaded === true'))
        self.assertTrue(self.driver.execute_script(
            'return document.getElementById("awards-card").hidden'), 'no awards before the end')

    def test_a_done_session_lists_its_awards_last_place_first(self):
        # Every score of session 1 in (the judges' stations would have stored them).
        self.meet.stop()
        self.meet.query(
            "UPDATE Gymnasts SET E1Final = 9 + (Num % 7) / 10.0, E2Final = 9 + (Num % 5) / 10.0, "
            "E3Final = 9 + (Num % 3) / 10.0, E4Final = 8.5, "
            "AA = 35.5 + (Num % 7) / 10.0 + (Num % 5) / 10.0 + (Num % 3) / 10.0 "
            "WHERE Session = '1'")
        self.meet.start()
        self.driver.get(self.meet.url('/announcer'))
        self.until(lambda: self.text('#awards .award-group'), 'the awards')
        lists = self.driver.execute_script(
            'return [...document.querySelectorAll("#awards .award-events > div")].map(event =>'
            ' [...event.querySelectorAll(".place")].map(place => parseInt(place.textContent)));')
        self.assertGreater(len(lists), 4)
        for places in lists:
            self.assertTrue(places, 'every event has its winners')
            self.assertEqual(places, sorted(places, reverse=True), 'the last place called first')
            self.assertEqual(places[-1], 1, 'the winner called last')


if __name__ == '__main__':
    main()
