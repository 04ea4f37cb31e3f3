// A page whose server is gone goes on with the server that took the meet over,
// its outbox taken along and each score stored once.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {
    AskAgainMs,
    Failover,
    FailoverAfterMs,
    hasTakenOver,
    otherServers,
    takeCarried,
} from '../../src/web/js/failover.js';
import {Outbox, Sending} from '../../src/web/js/outbox.js';
import {Link} from '../../src/web/js/station.js';
import {FakeClock, MemoryStorage, fakeStation, settle} from './fakes.mjs';

const Primary = 'http://10.0.0.5:8080';
const Standby = 'http://10.0.0.6:8080';
const Meet = {servers: [`${Primary}/`, `${Standby}/`], epoch: 1, identity: 'm1'};
const Key = 'tallvane.outbox.Bars.1';
const LoginKey = 'tallvane.judge.login';
const Bars = (n, s) => `SENDSCORE|${n}|2|1|Bars|${s}|${s}||||||10.000||${s}|${s}|0`;
const stored = (n, s) =>
    `GYMNASTQUERYRESP|0|Ava|Brooks|Riverside|4|A|Junior|${s}|${s}||||||10.000||${n}`;

// A failover on a fake clock whose other servers answer from `answers` (url → summary).
function failover(answers, local = new MemoryStorage(), session = new MemoryStorage()) {
    const clock = new FakeClock();
    const asked = [];
    const went = [];
    const move = new Failover({
        origin: Primary,
        path: '/judge',
        local,
        session,
        readMeet: async (url) => {
            asked.push(url);
            return answers[url] ?? null;
        },
        go: (url) => went.push(url),
        setTimer: (fn, ms) => clock.set(fn, ms),
        clearTimer: (id) => clock.clear(id),
    });
    move.know(Meet);
    return {move, clock, asked, went};
}

test('the other servers, and which one has taken the meet over', () => {
    assert.deepEqual(otherServers(['nonsense', ...Meet.servers, Standby], Primary), [Standby]);
    const newer = {servers: [`${Standby}/`], epoch: 2, identity: 'm1'};
    assert.ok(hasTakenOver(newer, Meet));
    // A standby still following lists no servers; an older epoch or another
    // meet is no take-over.
    for (const not of [{}, {...newer, epoch: 1}, {...newer, identity: 'm2'}])
        assert.ok(!hasTakenOver(not, Meet));
    assert.ok(!takeCarried('#tallvane-carry=%7Bbroken', new MemoryStorage(), new MemoryStorage()));
});

test('a link back before the others are asked moves nothing; a gone one asks until one took over', async () => {
    const answers = {[`${Standby}/api/meet`]: {}};
    const {move, clock, asked, went} = failover(answers);
    move.linkChanged(Link.Offline);
    clock.advance(FailoverAfterMs - 1);
    move.linkChanged(Link.LoggedIn); // the network blinked
    clock.advance(FailoverAfterMs * 2);
    await settle();
    assert.deepEqual(asked, [`${Primary}/api/meet`]); // the list read again after the log-in

    move.linkChanged(Link.Offline);
    move.linkChanged(Link.Connecting); // one more attempt: the same wait goes on
    clock.advance(FailoverAfterMs);
    await settle();
    assert.equal(asked.at(-1), `${Standby}/api/meet`);
    assert.deepEqual(went, []); // still the standby
    answers[`${Standby}/api/meet`] = {servers: [`${Standby}/`], epoch: 2, identity: 'm1'};
    clock.advance(AskAgainMs);
    await settle();
    assert.equal(went.length, 1);
    assert.ok(went[0].startsWith(`${Standby}/judge#tallvane-carry=`));
});

test('the outbox moves with the pad: a score stored before the drop is not sent again', async () => {
    const oldLocal = new MemoryStorage();
    const oldSession = new MemoryStorage();
    oldSession.setItem(LoginKey, '{"event":"Bars","number":1,"pin":"3917"}');
    // On the old server: one score confirmed, one sent when it died, one never sent.
    const before = fakeStation();
    const outbox = new Outbox(before.station, oldLocal, Key);
    before.station.start();
    before.logIn();
    outbox.add(Bars(101, '9.000'));
    before.last().receive('SCORECONFIRM|0');
    outbox.add(Bars(102, '8.500'));
    before.last().drop();
    outbox.add(Bars(103, '7.000'));
    assert.equal(outbox.waiting, 2);

    const answers = {[`${Standby}/api/meet`]: {servers: [`${Standby}/`], epoch: 2, identity: 'm1'}};
    const {move, clock, went} = failover(answers, oldLocal, oldSession);
    move.linkChanged(Link.Offline);
    clock.advance(FailoverAfterMs);
    await settle();
    assert.equal(oldLocal.getItem(Key), null); // a score waits in one outbox only

    // The page loaded from the standby stores what it brought, and logs in.
    const local = new MemoryStorage();
    const session = new MemoryStorage();
    assert.ok(takeCarried(new URL(went[0]).hash, local, session));
    assert.equal(session.getItem(LoginKey), oldSession.getItem(LoginKey));
    const after = fakeStation();
    const moved = new Outbox(after.station, local, Key);
    const states = [];
    moved.addEventListener('score', (e) => states.push(e.detail.state));
    after.station.start();
    after.logIn();
    // 102 may have reached the old server: the standby is asked first, holds it.
    assert.equal(after.last().sent.at(-1), 'GYMNASTQUERY|102|Bars|0');
    after.last().receive(stored(102, '8.500'));
    assert.equal(after.last().sent.at(-1), Bars(103, '7.000'));
    after.last().receive('SCORECONFIRM|0');
    assert.equal(moved.waiting, 0);
    assert.equal(after.last().sent.filter((m) => m.startsWith('SENDSCORE|102')).length, 0);
    assert.deepEqual(states, [Sending.Confirmed, Sending.Confirmed]);
});
