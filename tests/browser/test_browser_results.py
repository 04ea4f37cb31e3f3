"""The live results page in a real browser (headless Chromium driven by Selenium,
phone-sized) against `tallvane serve` on a temporary copy of the demo meet: a
judge station's score shows up without a reload and is marked as new; with the
server gone the page keeps its results and says it is offline, and it catches
up once the server is back. A published site (`tallvane publish` into a folder
that Python's own static web server serves) shows the results, and after a
changed score is published again the new score by its own polling, without a
reload and without ever asking for the live API.

The announcer's page, tablet-sized: a TCP judge looks a gymnast up and sends
three scores one after another; the page shows who is on and up next, and each
score by itself with the places the results give it, and the all-around
leaders follow, all without a reload.

Run: /usr/bin/python3 test_browser_results.py TALLVANE_BIN SOURCE_DIR [SCREENSHOT]
"""
import os
import subprocess
import sys

from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

sys.path.insert(0, os.path.dirname(__file__))
# The manual's pictures take Judge from here too.
from test_browser_stations import TALLVANE, Judge, MeetInBrowser, PHONE, TABLET, free_port, main  # noqa: E402,F401

SCREENSHOT = sys.argv[3] if len(sys.argv) > 3 else None


class ResultsPage(MeetInBrowser):
    DEVICE = PHONE

    def open_results(self, view='Vault'):
        self.driver.get(self.meet.url('/results'))
        self.until(lambda: 'Live' in self.driver.find_element(By.ID, 'updated').text, 'live')
        Select(self.driver.find_element(By.ID, 'view')).select_by_value(view)

    def vault_scores(self, *scores):
        """Vault's judge 1 sends each (number, final), confirmed, and hangs up."""
        vault = self.judge('Vault')
        for num, final in scores:
            vault.score(num, final)
        vault.close()

    def place(self, num):
        return self.row(num).find_element(By.CSS_SELECTOR, '.place').text

    def publish(self, site):
        subprocess.run([TALLVANE, 'publish', self.meet.file, site], env=self.meet.env,
                       check=True, capture_output=True)

    def test_scores_follow_without_reload_and_survive_a_dropped_network(self):
        # The start page leads to the results of the meet's current session.
        self.driver.get(self.meet.url('/'))
        self.driver.find_element(By.CSS_SELECTOR, 'a[href="/results"]').click()
        name = self.meet.query('SELECT Name FROM Meets')[0][0]
        self.until(lambda: self.driver.find_element(By.ID, 'meet-name').text == name, 'the meet named')
        self.until(lambda: Select(self.driver.find_element(By.ID, 'session')).first_selected_option.text
                   == 'Session 1 - Saturday (now)', 'the current session listed by its description')
        # The chosen session's text fits its box on a phone.
        self.assertTrue(self.driver.execute_script(
            'const box = document.getElementById("session");'
            'const pen = document.createElement("canvas").getContext("2d");'
            'pen.font = getComputedStyle(box).font;'
            'return pen.measureText(box.selectedOptions[0].text).width + 40 <= box.clientWidth;'))
        self.until(lambda: 'Live' in self.driver.find_element(By.ID, 'updated').text, 'live')
        Select(self.driver.find_element(By.ID, 'view')).select_by_value('Vault')
        self.until(lambda: self.row('101') is not None, 'gymnast 101 listed')
        self.driver.execute_script('window.notReloaded = true')
        self.vault_scores(('101', '9.425'))
        self.until(lambda: '9.425' in self.row_text('101'), 'the vault score on the page')
        self.assertIn('NEW', self.row_text('101'))
        self.assertIn('recent', self.row('101').get_attribute('class'))
        self.assertTrue(self.driver.execute_script('return window.notReloaded === true'))
        if SCREENSHOT:
            self.vault_scores(('102', '9.1'), ('105', '8.95'))
            self.until(lambda: '8.950' in self.row_text('105'), 'more scores')
            self.driver.save_screenshot(SCREENSHOT)

        # The server goes away: the results stay, the page says it is offline.
        self.meet.stop()
        self.until(lambda: 'Offline' in self.driver.find_element(By.ID, 'updated').text,
                   'the page telling it is offline')
        self.assertIn('9.425', self.row_text('101'))

        # Back again, with a score stored meanwhile: the page catches up by itself.
        self.meet.start()
        self.vault_scores(('101', '9.6'))
        self.until(lambda: '9.600' in self.row_text('101'), 'the new score after the outage')
        self.until(lambda: 'Live' in self.driver.find_element(By.ID, 'updated').text, 'live again')
        self.assertTrue(self.driver.execute_script('return window.notReloaded === true'))

    def test_held_and_inquired_scores_are_marked_until_decided(self):
        # The meet referee holds gymnast 102's vault.
        self.meet.restart_with("INSERT INTO ScoreHolds(Num, EventName, HeldSince) "
                               "VALUES('102', 'Vault', '2026-05-02 10:00:00.000')")
        self.open_results()
        self.vault_scores(('101', '9.3'), ('102', '9.5'))
        self.until(lambda: '9.300' in self.row_text('101'), 'the score that counts')
        self.until(lambda: 'Under review' in self.row_text('102'), 'the held score under review')
        self.assertNotIn('9.500', self.row_text('102'))
        self.assertEqual(self.place('102'), '')

        # Released, and a coach's inquiry filed (the operator's History tab
        # writes these rows): the page catches up by itself.
        self.meet.restart_with('DELETE FROM ScoreHolds',
                               "INSERT INTO ScoreInquiries(Num, EventName, FiledBy, FiledAt) "
                               "VALUES('102', 'Vault', 'Coach Lee', '2026-05-02 10:00:00.000')")
        self.until(lambda: 'Under inquiry' in self.row_text('102'), 'the score under inquiry')
        self.assertIn('9.500', self.row_text('102'))
        self.assertNotIn('Under review', self.row_text('102'))
        self.assertNotEqual(self.place('102'), '')
        Select(self.driver.find_element(By.ID, 'view')).select_by_value('AA')
        self.until(lambda: 'Under inquiry' in self.row_text('102'), 'marked in the all-around')

        # Decided: the mark goes, the score stays.
        self.meet.restart_with("UPDATE ScoreInquiries SET Decision = 'Score stands', "
                               "DecidedAt = '2026-05-02 10:04:00.000', Reason = 'seen on video'")
        self.until(lambda: 'Under inquiry' not in self.row_text('102'), 'the mark gone')
        self.assertIn('9.500', self.row_text('102'))

    def test_a_published_site_follows_a_new_publication(self):
        site = os.path.join(self.meet.folder.name, 'site')
        self.publish(site)
        port = free_port()
        # The folder by its path: each publication swaps a new one in.
        web = subprocess.Popen([sys.executable, '-m', 'http.server', str(port), '--bind', '127.0.0.1',
                                '--directory', site], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(web.wait, 10)
        self.addCleanup(web.terminate)
        # One look a second instead of every 30 s, for the test.
        self.driver.get(f'http://127.0.0.1:{port}/?poll=1')
        self.until(lambda: self.row('101') is not None, 'gymnast 101 listed')
        name = self.meet.query('SELECT Name FROM Meets')[0][0]
        self.until(lambda: self.driver.find_element(By.ID, 'meet-name').text == name,
                   'the meet named')
        self.assertTrue(self.driver.find_element(By.ID, 'updated').text.startswith('Live'))
        Select(self.driver.find_element(By.ID, 'view')).select_by_value('Vault')
        self.driver.execute_script('window.notReloaded = true')

        self.meet.query("UPDATE Gymnasts SET E1Final = 9.725 WHERE Num = '101'")
        self.publish(site)
        self.until(lambda: '9.725' in self.row_text('101'), 'the new vault score on the page')
        self.assertIn('NEW', self.row_text('101'))
        self.assertTrue(self.driver.execute_script('return window.notReloaded === true'))

        Select(self.driver.find_element(By.ID, 'view')).select_by_value('Teams')
        self.until(lambda: self.driver.find_elements(By.CSS_SELECTOR, '#results tr[data-gym]'),
                   'the team standings')
        asked = self.driver.execute_script(
            'return performance.getEntriesByType("resource").map((e) => e.name)')
        self.assertFalse([url for url in asked if '/api/' in url or '/updates' in url], asked)


def ordinal(place):
    suffix = 'th' if 11 <= place % 100 <= 13 else {1: 'st', 2: 'nd', 3: 'rd'}.get(place % 10, 'th')
    return f'{place}{suffix}'


class AnnouncerPage(MeetInBrowser):
    DEVICE = TABLET

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

        vault = self.judge('Vault')
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
        self.meet.restart_with(
            "UPDATE Gymnasts SET E1Final = 9 + (Num % 7) / 10.0, E2Final = 9 + (Num % 5) / 10.0, "
            "E3Final = 9 + (Num % 3) / 10.0, E4Final = 8.5, "
            "AA = 35.5 + (Num % 7) / 10.0 + (Num % 5) / 10.0 + (Num % 3) / 10.0 "
            "WHERE Session = '1'")
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
