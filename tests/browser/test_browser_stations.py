"""What the pages' tests in a real browser (headless Chromium driven by
Selenium) share: a temporary copy of the demo meet served by `tallvane serve`,
the browser, its windows, pads and boards logged in, judges on the station
port, and the test runner. Each test file runs as
`/usr/bin/python3 test_browser_NAME.py TALLVANE_BIN SOURCE_DIR [TEST ...]`.
"""
import faulthandler
import json
import os
import random
import queue
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request

from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

TALLVANE = sys.argv[1] if len(sys.argv) > 1 else 'build/src/app/tallvane'
SOURCE = sys.argv[2] if len(sys.argv) > 2 else '.'
PIN = '3917'
WAIT = 25


def free_port():
    """A port no one listens on, below the range the system hands out to the
    connections it opens: a server stopped and started again finds its port
    still free, however many connections other programs open meanwhile."""
    with open('/proc/sys/net/ipv4/ip_local_port_range') as ports:
        low = int(ports.read().split()[0])
    while True:
        port = random.randrange(max(1024, low - 12000), low)
        with socket.socket() as s:
            try:
                s.bind(('127.0.0.1', port))
            except OSError:
                continue
            return port


def read_lines(stream, lines):
    """Puts every line of `stream` into the queue `lines`, then '' at its end."""
    with stream:
        for line in stream:
            lines.put(line)
    lines.put('')


class Meet:
    """A temporary meet served by `tallvane serve`, which can be stopped and
    started again; `demo` False leaves its file for the server to make."""

    def __init__(self, options=(), demo=True):
        self.options = list(options)
        self.folder = tempfile.TemporaryDirectory()
        self.env = dict(os.environ, TALLVANE_DATA_DIR=self.folder.name, QT_QPA_PLATFORM='offscreen')
        self.file = os.path.join(self.folder.name, 'meet.tallvane')
        if demo:
            subprocess.run([TALLVANE, 'import', os.path.join(SOURCE, 'data', 'demo-meet.rxt'),
                            self.file], env=self.env, check=True, capture_output=True)
        self.port, self.web_port = free_port(), free_port()
        self.process = None
        # What the server says on stderr (alerts), shown when a test fails.
        self.log = tempfile.TemporaryFile('w+')

    def write(self, name, text):
        """Writes `text` to the file `name` of the meet's data folder."""
        with open(os.path.join(self.folder.name, name), 'w') as file:
            file.write(text)

    def serve(self, *args):
        """Starts `tallvane serve` on the meet with `args`; its lines are read
        by a thread of their own, so the pipe never fills and wait_for has a
        deadline (a server that runs without its pages prints no more lines)."""
        self.process = subprocess.Popen([TALLVANE, 'serve', self.file, *args], env=self.env,
                                        stdout=subprocess.PIPE, stderr=self.log, text=True)
        self.lines, self.printed = queue.Queue(), []
        threading.Thread(target=read_lines, args=(self.process.stdout, self.lines), daemon=True).start()

    def wait_for(self, start):
        """Waits for the server's next line that begins with `start`."""
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            try:
                line = self.lines.get(timeout=deadline - time.monotonic())
            except queue.Empty:
                break
            if not line:
                break
            self.printed.append(line.strip())
            if line.startswith(start):
                return
        self.log.seek(0)
        raise AssertionError(f'no {start!r} from tallvane serve; it printed {self.printed} '
                             f'and on stderr {self.log.read()!r}')

    def start(self):
        self.serve('--port', str(self.port), '--web-port', str(self.web_port), '--pin', PIN, *self.options)
        self.wait_for('Web pages at ')

    def stop(self):
        self.process.terminate()
        self.process.wait(10)

    def url(self, path):
        return f'http://127.0.0.1:{self.web_port}{path}'

    def api(self, path, post=False, **headers):
        """The server's JSON answer to `path` (a POST when `post`)."""
        request = urllib.request.Request(self.url(path), data=b'' if post else None, headers=headers)
        with urllib.request.urlopen(request, timeout=WAIT) as answer:
            return json.load(answer)

    def query(self, sql, *values):
        with sqlite3.connect(self.file) as db:
            return db.execute(sql, values).fetchall()

    def restart_with(self, *statements):
        """The server stopped while `statements` change its meet file (as the desk's tabs would)."""
        self.stop()
        for sql in statements:
            self.query(sql)
        self.start()

    def close(self):
        if self.process and self.process.poll() is None:
            self.stop()
        self.log.seek(0)
        sys.stderr.write(self.log.read())
        self.log.close()
        self.folder.cleanup()


class Judge:
    """Judge 1 of an event on the station port, in line mode (or the station
    that logs in with `login`)."""

    def __init__(self, meet, event, login=None):
        self.event = event
        self.sock = socket.create_connection(('127.0.0.1', meet.port), timeout=WAIT)
        self.reader = self.sock.makefile('r', encoding='cp1252', newline='\n')
        self.send(login or f'JUDGEAUTH|{event}|Judge 1|{PIN}|1|1')
        self.wait_for('AUTHRESP|0')

    def send(self, message):
        self.sock.sendall((message + '\n').encode('cp1252'))

    def wait_for(self, prefix):
        # Heartbeats keep the line busy: the deadline, not the socket's
        # timeout, ends a wait for an answer that never comes.
        deadline = time.monotonic() + WAIT
        seen = []
        while time.monotonic() < deadline:
            line = self.reader.readline().rstrip('\r\n')
            if not line:
                break
            if line.startswith(prefix):
                return line
            seen.append(line)
        raise AssertionError(f'no {prefix} from the server; it sent {seen[-5:]}')

    def look_up(self, num):
        self.send(f'GYMNASTQUERY|{num}|{self.event}|1')
        self.wait_for('GYMNASTQUERYRESP|0|')

    def score(self, num, final):
        fields = ['SENDSCORE', num, '2', '1', self.event, final, final, '', '', '', '', '',
                  '10.0', '0', '0', final]
        if self.event == 'Vault':
            fields += [''] * 10
        fields.append('0')
        self.send('|'.join(fields))
        self.wait_for('SCORECONFIRM|0')

    def close(self):
        self.reader.close()
        self.sock.close()


PHONE = (390, 844, 2)  # width, height, device pixels per CSS pixel
TABLET = (1024, 768, 1)


def emulate(driver, device):
    """Makes the browser's windows a touch screen of `device` (PHONE, TABLET)."""
    width, height, scale = device
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
        'width': width, 'height': height, 'deviceScaleFactor': scale, 'mobile': True})
    return driver


def wait_until(driver, check, what, shown=lambda: ''):
    """Waits for `check()`; a page redrawn between two calls is simply read
    again. A timeout names `what`, and what the page shows if `shown` says."""
    try:
        WebDriverWait(driver, WAIT, poll_frequency=0.1,
                      ignored_exceptions=(StaleElementReferenceException,)).until(lambda d: check())
    except Exception as error:  # the timeout says too little on its own
        raised = f'timed out waiting for {what}'
        raise AssertionError(f'{raised}; the page shows {shown()!r}' if shown() else raised) from error


def browser(profile, language=None, device=None):
    """Headless Chromium; with `language` ("es") its languages start with that
    one; with `device` it is a touch screen of that size."""
    options = webdriver.ChromeOptions()
    for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
                 '--disable-component-update', '--disable-sync', '--no-first-run',
                 '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
                 '--disable-backgrounding-occluded-windows', '--window-size=1024,900',
                 f'--user-data-dir={profile}'):
        options.add_argument(flag)
    if language:
        options.add_argument(f'--lang={language}')
        options.add_experimental_option('prefs', {'intl.accept_languages': f'{language},en'})
    options.binary_location = '/usr/bin/chromium'
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    # A page that never finishes loading fails its test instead of holding the
    # whole run until it is killed.
    driver.set_page_load_timeout(WAIT * 2)
    return emulate(driver, device) if device else driver


class Page:
    """One window of the browser."""

    def __init__(self, driver, url):
        self.driver = driver
        driver.switch_to.new_window('window')
        self.handle = driver.current_window_handle
        driver.get(url)

    def focus(self):
        self.driver.switch_to.window(self.handle)
        return self

    def el(self, element_id):
        self.focus()
        return WebDriverWait(self.driver, WAIT).until(lambda d: d.find_element(By.ID, element_id))

    def type(self, element_id, text):
        box = self.el(element_id)
        box.clear()
        box.send_keys(text)

    def choose(self, element_id, value):
        WebDriverWait(self.driver, WAIT).until(
            lambda d: any(o.get_attribute('value') == value
                          for o in d.find_elements(By.CSS_SELECTOR, f'#{element_id} option')))
        Select(self.el(element_id)).select_by_value(value)

    def click(self, element_id):
        self.el(element_id).click()

    def value(self, element_id):
        return self.el(element_id).get_property('value')

    def text(self, element_id):
        return self.el(element_id).text

    def until(self, check, what):
        self.focus()
        wait_until(self.driver, check, what)


def logged_in(page, what):
    """`page` once the server has let it in."""
    page.until(lambda: page.driver.execute_script('return document.body.dataset.link') == 'logged-in', what)
    return page


def judge_pad(driver, meet, event, number):
    """A pad logged in as judge `number` of `event`, in any language."""
    pad = Page(driver, meet.url('/judge'))
    pad.choose('event', event)
    pad.choose('judge-number', str(number))
    pad.type('judge-name', f'Judge {number}')
    pad.type('pin', PIN)
    pad.click('log-in')
    return logged_in(pad, f'{event} judge {number} logged in')


def send_score(pad, first, second):
    """Judges 1 and 2's scores typed on `pad` and sent."""
    pad.type('score-1', first)
    pad.type('score-2', second)
    pad.click('send')


def board_page(driver, meet):
    board = Page(driver, meet.url('/display'))
    board.type('display-name', 'Hall')
    board.type('pin', PIN)
    board.click('start')
    return logged_in(board, 'the board logged in')


def board_link(driver, meet, query):
    """A board opened by its link (`query` and the PIN)."""
    return logged_in(Page(driver, meet.url(f'/display?{query}&pin={PIN}')), 'the board logged in from its link')


def look_up(pad, number, what='the gymnast'):
    pad.type('gymnast-number', number)
    pad.click('look-up')
    pad.until(lambda: pad.text('gymnast-name').startswith(number), what)


def queue_once_sent(driver, meet, count, seconds):
    """The scoreboard queue as (event, number, status) in order, once its
    `count` rows are sent or `seconds` have passed: the meet file tells
    nothing by itself, it is read again."""
    def queue():
        return meet.query('SELECT EventName, Num, Status FROM ScoreBoardQueue ORDER BY rowid')
    try:
        WebDriverWait(driver, seconds, poll_frequency=0.5).until(
            lambda d: len(queue()) == count and all(row[2] == 'Sent' for row in queue()))
    except Exception:
        pass  # the caller's comparison says what is missing
    return queue()


class MeetInBrowser(unittest.TestCase):
    """A test with its own served meet (changed by prepare, started with OPTIONS)
    and its own browser (in LANGUAGE, a touch screen of DEVICE when set); its
    TCP judges (self.judges) are closed after it."""
    OPTIONS, LANGUAGE, DEVICE = (), None, None

    def setUp(self):
        self.meet = Meet(self.OPTIONS)
        self.prepare(self.meet)
        self.meet.start()
        self.profile = tempfile.TemporaryDirectory()
        self.driver = browser(self.profile.name, self.LANGUAGE, self.DEVICE)
        self.judges = []

    def prepare(self, meet):
        """Changes the meet before its server starts."""

    def judge(self, event, login=None):
        judge = Judge(self.meet, event, login)
        self.judges.append(judge)
        return judge

    def until(self, check, what):
        """Waits for `check()`; a timeout tells what the page shows."""
        wait_until(self.driver, check, what, lambda: self.text('main'))

    def in_view(self, element):
        """Whether `element` is shown whole in the window."""
        return self.driver.execute_script(
            'const box = arguments[0].getBoundingClientRect();'
            'return box.height > 0 && box.top >= 0 && box.bottom <= window.innerHeight;', element)

    def row(self, num):
        """Gymnast `num`'s row of the results page, or None."""
        rows = self.driver.find_elements(By.CSS_SELECTOR, f'#results tr[data-num="{num}"]')
        return rows[0] if rows else None

    def row_text(self, num):
        return self.text(f'#results tr[data-num="{num}"]')

    def text(self, selector):
        """The text of the element `selector` finds, read in one step: the
        page may redraw between two WebDriver calls."""
        return self.driver.execute_script(
            'const found = document.querySelector(arguments[0]);'
            'return found ? found.innerText : "";', selector)

    def tearDown(self):
        for judge in self.judges:
            judge.close()
        self.driver.quit()
        self.profile.cleanup()
        self.meet.close()


def main():
    """Runs the tests of the calling script, or those named after the program
    and the source folder. Where every thread stands is printed before the
    test runner's own time limit ends a run that hangs."""
    faulthandler.dump_traceback_later(270, exit=True)
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)

