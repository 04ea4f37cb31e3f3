"""Pictures of the judge pad (phone- and tablet-sized), of the scoreboard
(1920x1080), of a rehearsal (the board, and the result on /health at tablet
size), of the announcer's page (tablet-sized) and of the board's layouts
(1920x1080) for the user manual, taken in headless Chromium against
`tallvane serve` on a copy of the demo meet.

Run: /usr/bin/python3 tools/screenshots/web_screenshots.py TALLVANE_BIN SOURCE_DIR OUTPUT_DIR
"""
import json
import os
import sys
import urllib.parse
import urllib.request

from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'tests', 'browser'))
import test_browser_stations as web  # noqa: E402
from test_browser_results import Judge  # noqa: E402

OUTPUT = sys.argv[3] if len(sys.argv) > 3 else 'docs/images'
OPERATOR_PIN = '24681357'


def viewport(driver, width, height):
    """Sizes the page itself (not the window around it) and lets it lay out."""
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
        'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': width < 800})
    driver.execute_async_script('requestAnimationFrame(() => requestAnimationFrame(arguments[0]))')


def rehearse(driver, meet, board, pads):
    """A rehearsal started on /health: the board showing its name, then the result."""
    health = web.Page(driver, meet.url('/health'))
    health.type('operator-pin', OPERATOR_PIN)
    health.click('login-button')
    health.until(lambda: health.text('rehearsal-status') == 'No rehearsal yet.', 'the log-in')
    health.click('rehearsal-start')
    board.focus()
    board.until(lambda: board.el('rehearsal-view').is_displayed(), 'the board rehearsing')
    driver.save_screenshot(os.path.join(OUTPUT, 'web-board-rehearsal.png'))
    for pad in pads:
        pad.until(lambda: pad.el('rehearsal').is_displayed(), 'the prompt')
        pad.click('rehearsal-ok')
    # Judge 1's test score comes back once a board has shown it for its time.
    WebDriverWait(driver, 90, poll_frequency=0.5).until(
        lambda d: health.focus().text('rehearsal-status').startswith('Rehearsal of '))
    viewport(driver, 1024, 768)
    driver.execute_script("document.getElementById('rehearsal-view').scrollIntoView()")
    driver.save_screenshot(os.path.join(OUTPUT, 'rehearsal.png'))


def announcer(driver, meet):
    """The announcer's page while all four events score: each event's judge
    looks gymnasts up and sends scores as they compete."""
    page = web.Page(driver, meet.url('/announcer'))
    viewport(driver, 1024, 768)
    page.until(lambda: 'Live' in page.text('updated'), 'the page live')
    turns = {'Vault': (['101', '102', '103'], ['9.425', '9.6', '8.95'], '104'),
             'Bars': (['106', '107'], ['9.15', '9.35'], '108'),
             'Beam': (['111'], ['9.05'], '112'),
             'Floor': (['116', '117'], ['9.5', '9.275'], '118')}
    judges = []
    try:
        for event, (numbers, finals, up) in turns.items():
            judge = Judge(meet, event)
            judges.append(judge)
            for num, final in zip(numbers, finals):
                judge.send(f'GYMNASTQUERY|{num}|{event}|1')
                judge.wait_for('GYMNASTQUERYRESP|0|')
                judge.score(num, final)
            judge.send(f'GYMNASTQUERY|{up}|{event}|1')
            judge.wait_for('GYMNASTQUERYRESP|0|')
        page.until(lambda: '118' in page.text('events') and len(
            driver.find_elements('css selector', '#feed li')) == 8, 'every score shown')
        driver.save_screenshot(os.path.join(OUTPUT, 'announcer-tablet.png'))
    finally:
        for judge in judges:
            judge.close()


def board_layouts(driver, meet):
    """A board of each layout, opened by its link, with a score on each event
    at once."""
    with urllib.request.urlopen(meet.url('/api/results?session=1')) as answer:
        first = next(r for r in json.load(answer)['rows'] if r['num'] == '105')
    group = urllib.parse.urlencode({'level': first['level'], 'division': first['division']})
    boards = {}
    for name, layout, more in (('Door', 'four', ''), ('Wall', 'upnext', ''),
                               ('Lobby', 'leaders', '&' + group), ('Stand', 'teams', '&' + group)):
        boards[layout] = web.Page(driver, meet.url(
            f'/display?name={name}&layout={layout}&shows=all{more}&pin={web.PIN}'))
        viewport(driver, 1920, 1080)
    judges = []
    try:
        for event, number, final in (('Vault', '105', '9.325'), ('Bars', '110', '9.05'),
                                     ('Beam', '113', '8.875'), ('Floor', '119', '9.4')):
            judge = Judge(meet, event)
            judges.append(judge)
            judge.score(number, final)
        # The announcer's scores go first, one every display time and 5 s on each event.
        boards['four'].focus()
        WebDriverWait(driver, 150, poll_frequency=0.2).until(lambda d: [
            q.get_attribute('data-number') for q in d.find_elements('css selector', '.quarter')]
            == ['105', '110', '113', '119'])
        driver.save_screenshot(os.path.join(OUTPUT, 'web-board-four.png'))
        board = boards['upnext'].focus()
        board.until(lambda: len(driver.find_elements('css selector', '.upnext-card .last')) == 4,
                    'the last score of each event')
        driver.save_screenshot(os.path.join(OUTPUT, 'web-board-upnext.png'))
        for layout in ('leaders', 'teams'):
            board = boards[layout].focus()
            board.until(lambda: '9.' in board.text(f'{layout}-view'), f'the {layout}')
            driver.save_screenshot(os.path.join(OUTPUT, f'web-board-{layout}.png'))
    finally:
        for judge in judges:
            judge.close()


def main():
    import tempfile
    profile = tempfile.TemporaryDirectory()
    driver = web.browser(profile.name)
    # Short display times: the rehearsal's test score waits behind the score shown.
    meet = web.Meet(('--display-seconds', '15'))
    with open(os.path.join(meet.folder.name, 'operatorpin.txt'), 'w') as pin:
        pin.write(OPERATOR_PIN + '\r\n')
    meet.start()
    try:
        number = meet.query("SELECT Num FROM Gymnasts WHERE scratched = 0 "
                            "ORDER BY CAST(Num AS INTEGER) LIMIT 1")[0][0]
        board = web.Page(driver, meet.url('/display'))
        board.type('display-name', 'Hall')
        board.type('pin', web.PIN)
        board.click('start')
        second = web.judge_pad(driver, meet, 'Bars', 2)
        pad = web.judge_pad(driver, meet, 'Bars', 1)
        pad.choose('squad', pad.el('squad').find_elements('css selector', 'option')[1].get_attribute('value'))
        pad.type('gymnast-number', number)
        pad.click('look-up')
        pad.until(lambda: pad.text('gymnast-name').startswith(number), 'the gymnast')
        second.type('score-2', '9.35')
        second.click('send')
        pad.until(lambda: pad.value('score-2') == '9.350', 'the second judge')
        pad.type('score-1', '9.25')
        pad.type('start-value', '10.0')
        pad.type('adjustment', '-0.1')
        pad.el('start-value').click()
        for name, size in (('web-judge-phone', (390, 844)), ('web-judge-tablet', (1024, 768))):
            pad.focus()
            viewport(driver, *size)
            # On a phone the judge scrolls down to the panel's boxes.
            driver.execute_script("document.getElementById('send').scrollIntoView({block: 'end'})")
            driver.save_screenshot(os.path.join(OUTPUT, name + '.png'))
        pad.click('send')
        pad.until(lambda: pad.text('send-status') == 'Confirmed', 'confirmed')
        board.focus()
        viewport(driver, 1920, 1080)
        board.until(lambda: board.text('board-score') != '', 'the score on the board')
        driver.save_screenshot(os.path.join(OUTPUT, 'web-board.png'))
        rehearse(driver, meet, board, [pad, second])
        # The pads leave: the TCP judges below log in under the same names.
        for page in (pad, second):
            page.focus()
            driver.close()
        board.focus()
        announcer(driver, meet)
        board_layouts(driver, meet)
    finally:
        driver.quit()
        meet.close()


if __name__ == '__main__':
    main()
