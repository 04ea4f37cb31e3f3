// The results layouts of a board: leaders with the server's places and ties,
// up next in the squad's running order, the teams, and the loop's turn.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {BoardContent, TurnMs} from '../../src/web/js/boardcontent.js';
import {leaderGroups, teamRows} from '../../src/web/js/boardresults.js';
import {FakeClock, FakeSocket} from './fakes.mjs';

const row = (num, division, places, more = {}) => ({
    num,
    name: `G ${num}`,
    gym: 'Kestrel',
    level: '4',
    division,
    places,
    AA: 36 - Number(num) / 10,
    ...more,
});

test('leaders: the top eight of a level and division as the server placed them, ties together', () => {
    const rows = [
        row('3', 'Junior', {AA: 1, Vault: 2}),
        row('1', 'Junior', {AA: 1, Vault: 1}),
        row('7', 'Junior', {AA: 8, Vault: null}, {review: ['Vault']}),
        row('6', 'Junior', {AA: 8}),
        row('9', 'Junior', {AA: 9}),
        row('2', 'Senior', {AA: 1}),
        row('4', 'Senior', {AA: 2}, {level: '5'}),
    ];
    const [junior, senior, ...more] = leaderGroups(rows);
    assert.equal(more.length, 0, 'the first level only, each of its divisions');
    assert.equal(junior.title, 'Level 4 · Junior');
    const aa = junior.columns.find((c) => c.column === 'AA').entries;
    assert.deepEqual(
        aa.map((e) => [e.place, e.num]),
        [
            [1, '1'],
            [1, '3'],
            [8, '6'],
            [8, '7'],
        ],
    );
    const vault = junior.columns.find((c) => c.column === 'Vault').entries;
    assert.deepEqual(
        vault.map((e) => e.num),
        ['1', '3'],
        'a score under review is not placed',
    );
    assert.deepEqual(
        senior.columns[0].entries.map((e) => e.num),
        ['2'],
    );
    const chosen = leaderGroups(rows, {level: '5', division: 'Senior'});
    assert.deepEqual(
        chosen.map((g) => g.title),
        ['Level 5 · Senior'],
    );
    assert.deepEqual(teamRows([{gym: 'Kestrel', place: 1, Vault: 27.5, AA: 110}])[0], {
        gym: 'Kestrel',
        place: 1,
        scores: [27.5, null, null, null, 110],
    });
});

function content(layout, answers, {ads = false} = {}) {
    const clock = new FakeClock();
    const sockets = [];
    const asked = [];
    const drawn = {pages: [], upNext: [], leaders: [], teams: []};
    const board = new BoardContent(
        {
            showPage: (page) => drawn.pages.push(page),
            showUpNext: (events) => drawn.upNext.push(events),
            showLeaders: (group) => drawn.leaders.push(group),
            showTeams: (table) => drawn.teams.push(table),
            showStatus() {},
        },
        {
            updatesUrl: 'ws://board/updates',
            getJson: async (path) => {
                asked.push(path);
                const key = Object.keys(answers).find((k) => path.startsWith(k));
                return structuredClone(answers[key]);
            },
            now: () => clock.now,
            setTimer: (fn, ms) => clock.set(fn, ms),
            clearTimer: (id) => clock.clear(id),
            createSocket: (url) => sockets[sockets.push(new FakeSocket(url)) - 1],
            hasAds: () => ads,
        },
    );
    board.show({layout, shows: 'all', level: '', division: ''});
    const settle = () => new Promise((resolve) => setTimeout(resolve, 0));
    const told = async (text) => {
        for (const socket of sockets) socket.receive(text);
        await settle();
    };
    return {board, clock, sockets, asked, drawn, told, settle};
}

const sessions = [{id: 1, current: true}];
const squad = (num, order, more = {}) => ({
    ...row(num, 'Junior', {}),
    squad: 'A',
    order,
    ...more,
});

test('up next: the gymnast up and the next two in her squad, read again when the judges move on', async () => {
    const announcer = {
        underway: {Vault: '2'},
        rows: [
            squad('4', 4),
            squad('2', 1),
            squad('3', 3, {Vault: 9.1}),
            squad('5', 5),
            squad('1', 2),
        ],
    };
    const c = content('upnext', {'/api/sessions': sessions, '/api/announcer': announcer});
    assert.deepEqual(c.drawn.pages, ['upnext']);
    c.sockets[0].open();
    await c.settle();
    await c.settle();
    const vault = () => c.drawn.upNext.at(-1).find((e) => e.event === 'Vault');
    assert.equal(vault().current.num, '2');
    assert.deepEqual(
        vault().next.map((n) => n.num),
        ['1', '4'],
        '3 has competed',
    );
    announcer.underway.Vault = '4';
    await c.told('{"type":"underway"}');
    assert.equal(vault().current.num, '4');
    assert.deepEqual(
        vault().next.map((n) => n.num),
        ['5', '2'],
        'round the squad to its start',
    );
    c.board.stop();
    assert.ok(c.sockets[0].closed, 'a board that leaves the layout stops following');
});

test('the loop turns through the layouts and the ad images; leaders read the first level', async () => {
    const results = {
        session: 1,
        rows: [row('1', 'Junior', {AA: 1}), row('2', 'Senior', {AA: 1})],
    };
    const c = content(
        'loop',
        {
            '/api/sessions': sessions,
            '/api/results': results,
            '/api/teams': {level: '4', teams: [{gym: 'Kestrel', place: 1, AA: 110}]},
            '/api/announcer': {underway: {}, rows: []},
        },
        {ads: true},
    );
    for (const socket of c.sockets) socket.open();
    for (let i = 0; i < 4; i++) await c.settle();
    assert.ok(c.asked.includes('/api/results?session=1'));
    assert.ok(c.asked.includes('/api/teams?session=1&level=4'));
    for (let turn = 0; turn < 5; turn++) c.clock.advance(TurnMs);
    assert.deepEqual(c.drawn.pages, ['four', 'upnext', 'leaders', 'teams', 'ads', 'four']);
    // Two divisions of the level: one at a time, in turn.
    const titles = c.drawn.leaders.slice(-2).map((g) => g.title);
    assert.deepEqual(titles.sort(), ['Level 4 · Junior', 'Level 4 · Senior']);
    assert.equal(c.drawn.teams.at(-1).title, 'Level 4');
    assert.equal(c.drawn.teams.at(-1).rows[0].gym, 'Kestrel');
});
