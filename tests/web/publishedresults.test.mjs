// The results page of a published site: it reads the site's files, looks
// again every 30 seconds and rereads the results only when the site says
// they changed. (The results page's browser test runs it for real.)
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {LiveResults, pollInterval, PollMs} from '../../src/web/js/liveresults.js';
import {fakeBrowser, settle} from './fakes.mjs';
import './english.mjs';

function publishedSite() {
    const files = {
        'data/meet.json': {name: 'Spring Classic', updated: '2026-05-02T10:00:00Z'},
        'data/sessions.json': [{id: 1, description: 'Saturday', current: true}],
        'data/results-1.json': {session: 1, rows: [{num: '101', level: '4', Vault: 9.1}]},
    };
    const {clock, browser} = fakeBrowser();
    const read = [];
    const status = [];
    const view = {
        showSessions() {},
        showStatus: (text, online) => status.push({text, online}),
        render() {},
        choice: () => ({view: 'AA', level: ''}),
    };
    const page = new LiveResults(view, {
        pollMs: PollMs,
        getJson: async (path) => {
            read.push(path);
            if (!(path in files)) throw new Error(`${path}: 404`);
            return structuredClone(files[path]);
        },
        ...browser,
    });
    return {files, clock, read, page, lastStatus: () => status[status.length - 1]};
}

test('the poll interval is 30 s unless the address asks for 1 s or more', () => {
    assert.equal(pollInterval(''), 30000);
    assert.equal(pollInterval('?poll=2'), 2000);
    for (const search of ['?poll=0', '?poll=-4', '?poll=soon'])
        assert.equal(pollInterval(search), 30000);
});

test('a published page rereads the results only when the site changed', async () => {
    const site = publishedSite();
    site.page.start();
    await settle();
    assert.deepEqual(site.read, ['data/meet.json', 'data/sessions.json', 'data/results-1.json']);
    assert.equal(site.page.session, 1);
    assert.equal(site.page.rows[0].Vault, 9.1);
    assert.equal(site.lastStatus().online, true);
    assert.equal(site.page.lastHeard, Date.parse('2026-05-02T10:00:00Z'));

    // Nothing new: one small read every 30 s.
    site.read.length = 0;
    site.clock.advance(PollMs);
    await settle();
    assert.deepEqual(site.read, ['data/meet.json']);

    site.files['data/results-1.json'].rows[0].Vault = 9.6;
    site.files['data/meet.json'].updated = '2026-05-02T10:01:00Z';
    site.clock.advance(PollMs - 1);
    await settle();
    assert.equal(site.page.rows[0].Vault, 9.1, 'not before its time');
    site.clock.advance(1);
    await settle();
    assert.equal(site.page.rows[0].Vault, 9.6);
    assert.ok(site.page.isRecent('101', 'Vault'));

    // A site out of reach: the results stay, the page says it is offline.
    delete site.files['data/meet.json'];
    site.clock.advance(PollMs);
    await settle();
    assert.match(site.lastStatus().text, /^Offline/);
    assert.equal(site.page.rows[0].Vault, 9.6);
});
