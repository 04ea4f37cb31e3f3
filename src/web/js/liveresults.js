// What the live results page does, apart from drawing: follows the server's
// word that results changed and reads the results API again for the session
// shown; keeps the last results while the network is gone, says since when,
// and catches up once it is back. A published copy of the page reads the
// site's files instead (see PublishedPaths) and looks again every 30 seconds,
// rereading the results only when the site says they changed. No DOM here: a
// view draws (see results.js), and the requests, the socket, the timers and
// the clock come from outside.
import {ReconnectingSocket} from './reconnect.js';
import {ChangeTracker, choices} from './resultsview.js';
import {SessionFollower} from './sessionfollower.js';
import {plainTimers} from './timers.js';

export const UpdatesSilenceMs = 45000;
export const UpdatesRetryMs = Object.freeze([1000, 2000, 4000, 8000, 15000]);
export const PollMs = 30000;

// The files of a published site, beside its page: the API's answers for
// the sessions and each session's results, each session's teams of every
// level in one list, and when the results last changed.
export const PublishedPaths = Object.freeze({
    meet: 'data/meet.json',
    sessions: 'data/sessions.json',
    results: (session) => `data/results-${session}.json`,
    teams: (session) => `data/teams-${session}.json`,
});

// How often a published page looks for new results: every 30 seconds, or
// every `poll` seconds (1 or more) when the address asks for it.
export function pollInterval(search) {
    const seconds = Number(new URLSearchParams(search).get('poll'));
    return Number.isFinite(seconds) && seconds >= 1 ? seconds * 1000 : PollMs;
}

// The server's word over /updates for `owner` (a live page's model): its
// back() when the socket opens, told(text) for each message, and on a drop
// its `online` false and its status shown.
export function followUpdates(owner, {url, createSocket, setTimer, clearTimer}) {
    const updates = new ReconnectingSocket(url, {
        createSocket,
        setTimer,
        clearTimer,
        silenceMs: UpdatesSilenceMs,
        retryMs: UpdatesRetryMs,
    });
    updates.addEventListener('open', () => owner.back());
    updates.addEventListener('data', (e) => owner.told(e.detail));
    updates.addEventListener('drop', () => {
        owner.online = false;
        owner.showStatus();
    });
    return updates;
}

// `read` (async) made safe to call at any time: it runs at once, or once
// more after the run under way, so a word that comes while the last one is
// being read is never missed and reads never overlap. The returned function
// gives the promise of the runs.
export function coalesced(read) {
    let running = null;
    let again = false;
    return () => {
        if (running) {
            again = true;
            return running;
        }
        running = (async () => {
            try {
                do {
                    again = false;
                    await read();
                } while (again);
            } finally {
                running = null;
            }
        })();
        return running;
    };
}

export class LiveResults extends SessionFollower {
    // `view`: showSessions([value, text] pairs, chosen), showStatus(text,
    // online), render(), choice() ({view, level} as chosen on the page).
    // `env`: url (of the updates), getJson(path), now(), setTimer,
    // clearTimer, createSocket (optional); pollMs instead of url for a
    // published page.
    constructor(view, env) {
        super(view, env);
        this.rows = [];
        this.teams = [];
        this.tracker = new ChangeTracker();
        this.load = coalesced(() => this.readResults());
        this.published = Boolean(env.pollMs);
        this.updated = null; // a published site's time of its last change, as it says it
        Object.assign(this, plainTimers(env));
        this.updates = this.published ? null : followUpdates(this, env);
    }

    start() {
        if (this.published) this.poll();
        else this.updates.start();
    }

    // A published site: when its results last changed, and the results
    // again when that is news; then the next look.
    async poll() {
        try {
            const {updated} = await this.env.getJson(PublishedPaths.meet);
            if (updated !== this.updated) {
                await this.loadSessions();
                await this.load();
                this.updated = updated;
            }
            this.online = true;
            this.lastHeard = Date.parse(updated);
        } catch {
            this.online = false;
        }
        this.showStatus();
        this.setTimer(() => this.poll(), this.env.pollMs);
    }

    // Every few seconds: the status and the marks of new scores age, and
    // while offline the results are tried directly in case the network is
    // back before the socket.
    tick() {
        if (!this.online && !this.published) this.refresh();
        this.showStatus();
        this.view.render();
    }

    isRecent(num, event) {
        return this.tracker.isRecent(num, event, this.env.now());
    }

    heard() {
        if (!this.published) super.heard(); // the site's own time of change counts
    }

    sessionsPath() {
        return this.published ? PublishedPaths.sessions : '/api/sessions';
    }

    // Reads the shown session again (through load, one read at a time).
    async readResults() {
        if (this.session === null) return;
        const session = this.session;
        const answer = await this.env.getJson(
            this.published ? PublishedPaths.results(session) : `/api/results?session=${session}`,
        );
        if (session !== this.session) return;
        this.rows = answer.rows;
        this.tracker.update(session, this.rows, this.env.now());
        if (this.view.choice().view === 'Teams') await this.loadTeams();
        this.heard();
        this.view.render();
    }

    async loadTeams() {
        const chosen = this.view.choice().level;
        const levels = chosen ? [chosen] : choices(this.rows).levels;
        if (this.published) {
            const all = await this.env.getJson(PublishedPaths.teams(this.session));
            const teamsOf = (level) => all.find((answer) => answer.level === level)?.teams ?? [];
            this.teams = levels.map((level) => ({level, teams: teamsOf(level)}));
            return;
        }
        const teamsOf = async (level) => {
            const query = `session=${this.session}&level=${encodeURIComponent(level)}`;
            return {level, teams: (await this.env.getJson(`/api/teams?${query}`)).teams};
        };
        this.teams = await Promise.all(levels.map(teamsOf));
    }
}
