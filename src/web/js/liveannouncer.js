// What the announcer's page does, apart from drawing: follows the server's
// word on /updates (a score stored, an event's judges on to another gymnast,
// the meet on to another session) and reads /api/announcer again for the
// session shown; keeps what it had while the network is gone and catches up
// once it is back. No DOM here: a view draws (see announcer.js), and the
// requests, the socket, the timers and the clock come from outside.
import {eventsNow, leaders, ScoreFeed, awards, sessionDone} from './announcing.js';
import {coalesced, followUpdates} from './liveresults.js';
import {SessionFollower} from './sessionfollower.js';

export class LiveAnnouncer extends SessionFollower {
    // `view`: showSessions([value, text] pairs, chosen), showStatus(text,
    // online), render(state) with state {events, feed, leaders, awards}
    // (awards null until the session is done).
    // `env`: url (of the updates), getJson(path), now(), setTimer,
    // clearTimer, createSocket (optional).
    constructor(view, env) {
        super(view, env);
        this.answer = null;
        this.feed = new ScoreFeed();
        this.load = coalesced(() => this.read());
        this.updates = followUpdates(this, env);
    }

    start() {
        this.updates.start();
    }

    // Every few seconds: the status ages, and while offline the server is
    // tried directly in case the network is back before the socket.
    tick() {
        if (!this.online) this.refresh();
        this.showStatus();
    }

    // The session is done when every score is in, or when the meet has
    // moved on from it after scoring some (gymnasts who do not compete every
    // event leave scores missing for good).
    state() {
        const rows = this.answer?.rows ?? [];
        const left =
            this.currentSession !== null &&
            this.session !== this.currentSession &&
            rows.some((row) => (row.AA ?? null) !== null);
        return {
            events: eventsNow(this.answer),
            feed: this.feed.items,
            leaders: leaders(rows),
            awards: sessionDone(rows) || left ? awards(rows) : null,
        };
    }

    // An event's judges moved on to another gymnast.
    refreshesOn(message) {
        return message.type === 'underway';
    }

    // Reads the shown session again (through load, one read at a time).
    async read() {
        if (this.session === null) return;
        const session = this.session;
        const answer = await this.env.getJson(`/api/announcer?session=${session}`);
        if (session !== this.session) return;
        this.answer = answer;
        this.feed.update(session, answer.rows, this.env.now());
        this.heard();
        this.view.render(this.state());
    }
}
