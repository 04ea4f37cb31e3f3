"""The pages in a language and a theme of the visitor's, and the results page
as a parent uses it, in a real browser (headless Chromium driven by Selenium)
against `tallvane serve` on a temporary copy of the demo meet: a Spanish
browser reads Spanish results with decimal commas, live scores included; a
phone finds a gymnast by name and follows them across a reload and a live
score; a Spanish pad takes a score typed with a decimal comma; the chooser
turns a page German and high-contrast, kept after a reload. (A board linked in
Spanish is in the boards' test.)
"""
import os
import sys

from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_stations import PHONE, MeetInBrowser, judge_pad, look_up, main  # noqa: E402


class SpanishPages(MeetInBrowser):
    LANGUAGE, DEVICE = 'es', PHONE

    def test_spanish_results_with_decimal_commas_also_for_live_scores(self):
        vault = self.judge('Vault')
        vault.score('101', '9.35')
        self.driver.get(self.meet.url('/results'))
        self.until(lambda: 'En directo' in self.text('#updated'), 'live, said in Spanish')
        self.assertEqual(self.driver.find_element(By.TAG_NAME, 'html').get_attribute('lang'), 'es')
        self.assertEqual(self.driver.find_element(By.ID, 'language-choice').get_attribute('value'), 'es')
        self.assertIn('Buscar gimnasta', self.driver.find_element(By.ID, 'find').text)
        # The all-around row names each event's score, with a decimal comma.
        self.until(lambda: 'Vault 9,350' in self.row_text('101'), 'the labelled score')
        self.assertNotIn('9.350', self.row_text('101'))

        self.driver.execute_script('window.notReloaded = true')
        vault.score('102', '9.425')
        self.until(lambda: 'Vault 9,425' in self.row_text('102'), 'a live score, still in Spanish')
        self.assertIn('NUEVO', self.row_text('102'))
        Select(self.driver.find_element(By.ID, 'view')).select_by_value('Vault')
        self.until(lambda: self.row('102') is not None and
                   self.row('102').find_element(By.CSS_SELECTOR, '.score').text.split() == ['Vault', '9,425'],
                   'the event view in Spanish, the score labelled')
        self.assertTrue(self.driver.execute_script('return window.notReloaded === true'))

    def test_a_decimal_comma_typed_on_a_spanish_pad_is_a_score(self):
        pad = judge_pad(self.driver, self.meet, 'Bars', 1)
        look_up(pad, '101')
        for box, typed in (('score-1', '9,3'), ('score-2', '9,4')):
            pad.type(box, typed)
            self.assertEqual(pad.value(box), typed.replace(',', '.'))
        pad.until(lambda: pad.value('final') == '9.350', 'the final from the typed commas')
        pad.click('send')
        pad.until(lambda: self.meet.query('SELECT E2Final FROM Gymnasts WHERE Num = ?', '101')[0][0] == 9.35,
                  'the score stored')


class PagesOnAPhone(MeetInBrowser):
    DEVICE = PHONE

    def test_search_scrolls_to_a_gymnast_and_following_keeps_them_on_top(self):
        self.driver.get(self.meet.url('/results'))
        self.until(lambda: 'Live' in self.text('#updated'), 'live')
        self.until(lambda: len(self.driver.find_elements(By.CSS_SELECTOR, '#results tr[data-num]')) > 8,
                   'the session listed')
        last = self.driver.find_elements(By.CSS_SELECTOR, '#results tr[data-num]')[-1]
        num = last.get_attribute('data-num')
        name = last.find_element(By.CSS_SELECTOR, '.name').text
        self.assertFalse(self.in_view(last), 'the last gymnast starts below the fold')

        # The name in capitals: the row is scrolled to and marked.
        box = self.driver.find_element(By.ID, 'search')
        box.send_keys(name.upper() + '\n')
        self.until(lambda: 'found' in (self.row(num).get_attribute('class') or ''), 'the row marked')
        self.until(lambda: self.in_view(self.row(num)), 'the row scrolled into view')
        self.assertIn(name, self.text('#search-status'))
        box.clear()
        box.send_keys('no such gymnast\n')
        self.until(lambda: 'No gymnast matches' in self.text('#search-status'), 'nothing found said')

        # Followed, then the page opened again: the gymnast is on top and marked.
        self.row(num).find_element(By.CSS_SELECTOR, '.follow').click()
        self.until(lambda: name in self.text('#followed-list'), 'the gymnast followed')
        self.driver.refresh()
        self.until(lambda: name in self.text('#followed-list'), 'still followed after a reload')
        followed = self.driver.find_element(By.ID, 'followed')
        self.assertTrue(self.in_view(followed))
        self.until(lambda: 'followed' in (self.row(num).get_attribute('class') or ''), 'the row marked')
        self.assertEqual(self.row(num).find_element(By.CSS_SELECTOR, '.follow').get_attribute('aria-pressed'),
                         'true')

        # A live score of the followed gymnast reaches the top with its event named.
        self.judge('Floor').score(num, '9.2')
        self.until(lambda: 'Floor 9.200' in self.text('#followed-list'), 'the live score on top')

    def test_the_chooser_turns_a_page_german_and_high_contrast_for_good(self):
        self.driver.get(self.meet.url('/health'))
        self.until(lambda: self.text('#updated') != 'Connecting…', 'the page started')
        self.assertEqual(self.driver.find_element(By.TAG_NAME, 'html').get_attribute('lang'), 'en')
        Select(self.driver.find_element(By.ID, 'language-choice')).select_by_value('de')
        Select(self.driver.find_element(By.ID, 'theme-choice')).select_by_value('contrast')
        for _ in range(2):
            html = self.driver.find_element(By.TAG_NAME, 'html')
            self.until(lambda: html.get_attribute('lang') == 'de', 'German')
            self.assertEqual(html.get_attribute('data-theme'), 'contrast')
            self.assertEqual(self.driver.execute_script(
                'return getComputedStyle(document.body).backgroundColor'), 'rgb(0, 0, 0)')
            self.until(lambda: 'Anmeldung für die Bedienung' in self.driver.find_element(By.ID, 'login').text,
                       'the page in German')
            self.assertEqual(Select(self.driver.find_element(By.ID, 'theme-choice'))
                             .first_selected_option.text, 'Hoher Kontrast')
            # Every page shares the choice.
            self.driver.get(self.meet.url('/'))
            self.until(lambda: 'Live-Ergebnisse' in self.driver.find_element(By.TAG_NAME, 'main').text,
                       'the start page in German')
            self.driver.get(self.meet.url('/health'))

        # A live page changes language in place: its own texts and what it wrote.
        self.driver.get(self.meet.url('/results'))
        self.until(lambda: 'Live · aktualisiert' in self.text('#updated'), 'the results in German')
        self.driver.execute_script('window.notReloaded = true')
        Select(self.driver.find_element(By.ID, 'language-choice')).select_by_value('fr')
        self.until(lambda: 'En direct' in self.text('#updated'), 'the status in French')
        self.until(lambda: Select(self.driver.find_element(By.ID, 'session')).first_selected_option.text
                   .endswith('(en cours)'), 'the session list in French')
        self.assertEqual(self.text('#scorehead'), 'CG')
        self.assertEqual(self.driver.find_element(By.TAG_NAME, 'html').get_attribute('lang'), 'fr')
        self.assertTrue(self.driver.execute_script('return window.notReloaded === true'))


if __name__ == '__main__':
    main()
