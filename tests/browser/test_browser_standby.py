"""A judge pad in a real browser, on the browser's own timers, follows its meet
to the standby: a primary and a standby `tallvane serve` (the standby takes
over 3 s after it last heard the primary), the pad logged in on the primary,
the primary killed, a score sent while no server answers; the standby takes
over, the pad moves there by itself, logs in again and its waiting score is
stored once in the standby's meet file.

Run: /usr/bin/python3 test_browser_standby.py TALLVANE_BIN SOURCE_DIR
"""
import json
import os
import queue
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(__file__))
from test_browser_stations import (  # noqa: E402
    TALLVANE, WAIT, Meet, browser, free_port, judge_pad, look_up, main, read_lines)

OPERATOR_PIN = '582046'


class Standby:
    """A `tallvane serve --follow` of `primary` in a data folder of its own."""

    def __init__(self, primary):
        self.folder = tempfile.TemporaryDirectory()
        self.file = os.path.join(self.folder.name, 'standby.tallvane')
        self.web_port = free_port()
        self.log = tempfile.TemporaryFile('w+')
        env = dict(os.environ, TALLVANE_DATA_DIR=self.folder.name, QT_QPA_PLATFORM='offscreen')
        self.process = subprocess.Popen(
            [TALLVANE, 'serve', self.file, '--follow', primary.url('/'), '--operator-pin', OPERATOR_PIN,
             '--take-over-after', '3', '--port', str(free_port()), '--web-port', str(self.web_port)],
            env=env, stdout=subprocess.PIPE, stderr=self.log, text=True)
        self.lines = queue.Queue()
        self.printed = []
        threading.Thread(target=read_lines, args=(self.process.stdout, self.lines), daemon=True).start()

    def wait_for(self, start):
        deadline = time.monotonic() + WAIT
        line = None
        while line != '' and not (line or '').startswith(start) and time.monotonic() < deadline:
            try:
                line = self.lines.get(timeout=deadline - time.monotonic())
            except queue.Empty:
                break
            self.printed.append(line.strip())
        self.log.seek(0)
        if not (line or '').startswith(start):
            raise AssertionError(f'no {start!r}: {self.printed} {self.log.read()!r}')

    def query(self, sql, *values):
        with sqlite3.connect(self.file) as db:
            return db.execute(sql, values).fetchall()

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
        self.log.seek(0)
        sys.stderr.write(self.log.read())
        self.log.close()
        self.folder.cleanup()


class PadFollowsTheMeetToTheStandby(unittest.TestCase):

    def setUp(self):
        self.primary = Meet()
        with open(os.path.join(self.primary.folder.name, 'operatorpin.txt'), 'w') as pin:
            pin.write(OPERATOR_PIN)
        self.primary.start()
        self.standby = Standby(self.primary)
        self.profile = tempfile.TemporaryDirectory()
        self.driver = browser(self.profile.name)

    def tearDown(self):
        self.driver.quit()
        self.profile.cleanup()
        self.standby.close()
        self.primary.close()

    def servers(self):
        with urllib.request.urlopen(self.primary.url('/api/meet'), timeout=WAIT) as answer:
            return json.load(answer)['servers']

    def test_a_waiting_score_is_stored_once_on_the_standby(self):
        self.standby.wait_for('In step with ')
        # The pages learn of the standby from the primary.
        deadline = time.monotonic() + WAIT
        while len(self.servers()) < 2 and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(self.servers()[-1], f'http://127.0.0.1:{self.standby.web_port}/')
        numbers = [row[0] for row in self.primary.query(
            "SELECT Num FROM Gymnasts WHERE Session = '1' AND scratched = 0 ORDER BY Num LIMIT 2")]
        pad = judge_pad(self.driver, self.primary, 'Floor', 1)
        primary_origin = self.primary.url('')

        # A score confirmed by the primary is on the standby's disk already.
        look_up(pad, numbers[0])
        pad.type('score-1', '9.0')
        pad.type('score-2', '9.2')
        pad.click('send')
        pad.until(lambda: pad.text('send-status') == 'Confirmed', 'the first score confirmed')

        look_up(pad, numbers[1])
        self.primary.process.kill()
        self.primary.process.wait(10)
        pad.until(lambda: pad.text('link') != 'Logged in', 'the pad offline')
        pad.type('score-1', '8.5')
        pad.type('score-2', '8.7')
        pad.click('send')
        self.assertEqual(pad.text('send-status'), 'Waiting')

        self.standby.wait_for('Taking over from ')
        self.standby.wait_for('Web pages at ')
        pad.until(lambda: not pad.driver.current_url.startswith(primary_origin), 'the pad moved on')
        self.assertEqual(pad.driver.current_url, f'http://127.0.0.1:{self.standby.web_port}/judge')
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
