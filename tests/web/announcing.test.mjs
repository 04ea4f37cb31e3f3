// The announcer's page model: who is up next, where each score goes, leaders
// with ties, the awards' calling order, and the live page's follow-up.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import * as announcing from '../../src/web/js/announcing.js';
import {LiveAnnouncer} from '../../src/web/js/liveannouncer.js';
import {fakeBrowser, settle} from './fakes.mjs';
import './english.mjs';

const {awards, eventsNow, leaders, ScoreFeed, sessionDone, upNext} = announcing;
const nums = (list) => list.map((item) => item.num);

// Gymnast `num` of squad A, level 4 Junior, with `more` (scores, places …).
const gymnast = (num, order, more = {}) => ({
    num,
    name: `G ${num}`,
    gym: 'Kestrel',
    level: '4',
    division: 'Junior',
    squad: 'A',
    order,
    ...more,
    places: {...more.places},
});

test('up next follows the running order round the squad, past those who competed', () => {
    const rows = [
        gymnast('5', 3),
        gymnast('1', 1, {Vault: 9.1}),
        gymnast('9', null),
        gymnast('2', 2),
        gymnast('4', 4, {review: ['Vault']}),
        gymnast('6', 5, {squad: 'a'}),
        gymnast('7', 1, {squad: 'B'}),
    ];
    assert.deepEqual(nums(upNext(rows, 'Vault', '2', 5)), ['5', '6', '9']);
    assert.deepEqual(nums(upNext(rows, 'Bars', '9')), ['1', '2']);
    const loose = [gymnast('3', 1, {squad: ''}), gymnast('8', 2, {squad: ''})];
    assert.deepEqual(upNext(loose, 'Vault', '3'), [], 'nobody follows one in no squad');

    const [vault, bars, beam, floor] = eventsNow({
        underway: {Vault: '1', Bars: '2', Beam: '4', Floor: '404'},
        rows: [
            gymnast('1', 1, {Vault: 9.1, places: {Vault: 2}}),
            gymnast('2', 2),
            gymnast('5', 3),
            gymnast('4', 4, {review: ['Beam']}),
        ],
    });
    assert.deepEqual(
        [vault.current.score, vault.current.place, vault.current.group],
        [9.1, 2, 'Level 4 · Junior'],
    );
    assert.deepEqual(nums(vault.next), ['2', '5']);
    assert.deepEqual([bars.current.score, nums(bars.next)], [null, ['5', '4']]);
    assert.deepEqual([beam.current.review, beam.current.score], [true, null]);
    assert.equal(floor.current, null);
});

test('leaders share a place on a tie; awards wait for the last score and call the last place first', () => {
    const placed = (num, aa, vault) => gymnast(num, 1, {AA: 36, places: {AA: aa, Vault: vault}});
    const rows = [placed('4', 3, 1), placed('2', 1, 2), placed('12', 1, 2), placed('3', 4, 4)];
    rows.push(gymnast('9', 1, {level: '5', division: '', places: {AA: 1}}));
    const [junior, five] = leaders(rows);
    const ranked = junior.leaders.map((l) => `${l.num}:${l.place}`);
    assert.deepEqual(ranked, ['2:1', '12:1', '4:3']);
    assert.deepEqual([five.title, nums(five.leaders)], ['Level 5', ['9']]);

    const [group] = awards(rows);
    const events = group.events.map((e) => e.event);
    assert.deepEqual(events, ['Vault', 'Bars', 'Beam', 'Floor', 'AA']);
    assert.deepEqual(nums(group.events[0].awards), ['2', '12', '4']);
    assert.deepEqual(nums(group.events[4].awards), ['4', '2', '12']);

    const all = {Vault: 9, Bars: 9, Beam: 9, Floor: 9};
    assert.equal(sessionDone([gymnast('1', 1, all)]), true);
    assert.equal(sessionDone([gymnast('1', 1, {...all, Floor: null})]), false);
    assert.equal(sessionDone([gymnast('1', 1, {...all, review: ['Bars']})]), false);
    assert.equal(sessionDone([]), false);
});

test('the feed lists each new score once with the places it earned, newest first', () => {
    const feed = new ScoreFeed(3);
    const before = [gymnast('1', 1, {Vault: 9, places: {Vault: 1, AA: 1}}), gymnast('2', 2)];
    assert.deepEqual(feed.update(1, before, 0), [], 'what was there on opening is not news');
    const after = [
        gymnast('1', 1, {Vault: 9, places: {Vault: 2, AA: 2}}),
        gymnast('2', 2, {Vault: 9.5, places: {Vault: 1, AA: 1}}),
    ];
    const came = feed.update(1, after, 10);
    const news = came.map((c) => [c.num, c.event, c.score, c.place, c.aaPlace, c.at]);
    assert.deepEqual(news, [['2', 'Vault', 9.5, 1, 1, 10]]);
    assert.deepEqual(feed.update(1, after, 20), [], 'an unchanged answer adds nothing');
    const held = {...after[1], review: ['Vault'], Vault: null};
    assert.equal(feed.update(1, [after[0], held], 30)[0].review, true, 'a held score is news');
    for (const bars of [8, 9, 10]) feed.update(1, [gymnast('1', 1, {Bars: bars}), held], bars);
    assert.deepEqual(
        feed.items.map((c) => c.score),
        [10, 9, 8],
    );
    feed.update(2, before, 50);
    assert.deepEqual(feed.items, [], 'another session starts afresh');
});

test('the live page reads again on each word from the server and keeps every score', async () => {
    const {sockets, browser} = fakeBrowser();
    const drawn = [];
    const asked = [];
    const answer = {underway: {Vault: null}, rows: [gymnast('1', 1), gymnast('2', 2)]};
    const announcer = new LiveAnnouncer(
        {showSessions() {}, showStatus() {}, render: (state) => drawn.push(state)},
        {
            url: 'ws://x/updates',
            getJson: async (path) => {
                asked.push(path);
                return path === '/api/sessions'
                    ? [{id: 1, current: true}]
                    : structuredClone(answer);
            },
            ...browser,
        },
    );
    const told = async (text) => {
        sockets[0].receive(text);
        await settle();
    };
    announcer.start();
    sockets[0].open();
    await told('{"type":"alive"}');
    assert.deepEqual(asked, ['/api/sessions', '/api/announcer?session=1']);
    answer.underway.Vault = '1';
    await told('{"type":"underway"}');
    assert.equal(drawn.at(-1).events[0].current.num, '1');
    for (const [i, row] of answer.rows.entries()) {
        Object.assign(row, {Vault: 9 + i, AA: 9 + i, places: {Vault: 1, AA: 1}});
        await told('{"type":"scores","session":1}');
    }
    await told('{"type":"scores","session":2}');
    assert.equal(asked.length, 5, 'scores of another session are not read');
    assert.deepEqual(nums(drawn.at(-1).feed), ['2', '1']);
    assert.equal(drawn.at(-1).awards, null);
    announcer.chooseSession(2);
    await told('{"type":"alive"}');
    assert.equal(drawn.at(-1).awards.length, 1, 'a session the meet has left is done');
});
