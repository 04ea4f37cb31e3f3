"""A published results site in a real browser (headless Chromium driven by
Selenium, phone-sized): `tallvane publish` writes the demo meet's results into
a folder that Python's own static web server serves; the page shows them,
and after a changed score is published again it shows the new score by its
own polling, without a reload and without ever asking for the live API.

Run: /usr/bin/python3 test_browser_published.py TALLVANE_BIN SOURCE_DIR
"""
import os
import subprocess
import sys

from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

sys.path.insert(0, os.path.dirname(__file__))
import test_browser_results as live  # noqa: E402  (its test class is not run here)
from test_browser_stations import TALLVANE, MeetInBrowser, free_port, main  # noqa: E402


class PublishedSite(MeetInBrowser):
    SERVE = False  # no live server: the page has only the published files
    make_browser = staticmethod(live.phone)
    # The results page's own ways of reading the page.
    row, row_text = live.ResultsPage.row, live.ResultsPage.row_text

    def prepare(self, meet):
        self.site = os.path.join(meet.folder.name, 'site')
        self.publish()
        self.port = free_port()
        # The folder by its path: each publication swaps a new one in.
        self.web = subprocess.Popen(
            [sys.executable, '-m', 'http.server', str(self.port), '--bind', '127.0.0.1',
             '--directory', self.site],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self.web.wait, 10)
        self.addCleanup(self.web.terminate)

    def publish(self):
        subprocess.run([TALLVANE, 'publish', self.meet.file, self.site], env=self.meet.env,
                       check=True, capture_output=True)

    def test_the_published_page_follows_a_new_publication(self):
        # One look a second instead of every 30 s, for the test.
        self.driver.get(f'http://127.0.0.1:{self.port}/?poll=1')
        self.until(lambda: self.row('101') is not None, 'gymnast 101 listed')
        name = self.meet.query('SELECT Name FROM Meets')[0][0]
        self.until(lambda: self.driver.find_element(By.ID, 'meet-name').text == name,
                   'the meet named')
        self.assertTrue(self.driver.find_element(By.ID, 'updated').text.startswith('Live'))
        Select(self.driver.find_element(By.ID, 'view')).select_by_value('Vault')
        self.driver.execute_script('window.notReloaded = true')

        self.meet.query("UPDATE Gymnasts SET E1Final = 9.725 WHERE Num = '101'")
        self.publish()
        self.until(lambda: '9.725' in self.row_text('101'), 'the new vault score on the page')
        self.assertIn('NEW', self.row_text('101'))
        self.assertTrue(self.driver.execute_script('return window.notReloaded === true'))

        Select(self.driver.find_element(By.ID, 'view')).select_by_value('Teams')
        self.until(lambda: self.driver.find_elements(By.CSS_SELECTOR, '#results tr[data-gym]'),
                   'the team standings')
        asked = self.driver.execute_script(
            'return performance.getEntriesByType("resource").map((e) => e.name)')
        self.assertFalse([url for url in asked if '/api/' in url or '/updates' in url], asked)


if __name__ == '__main__':
    main()
