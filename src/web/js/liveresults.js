// What the live results page does, apart from drawing: follows the server's
// word that results changed and reads the results API again for the session
// shown; keeps the last results while the network is gone, says since when,
// and catches up once it is back. No DOM here: a view draws (see results.js),
// and the requests, the socket, the timers and the clock come from outside.
import {ReconnectingSocket} from './reconnect.js';
import {ChangeTracker, choices, sessionText, statusText} from './resultsview.js';

export const UpdatesSilenceMs = 45000;
export const UpdatesRetryMs = Object.freeze([1000, 2000, 4000, 8000, 15000]);

export class LiveResults {
    // `view`: showSessions([value, text] pairs, chosen), showStatus(text,
    // online), render(), choice() ({view, level} as chosen on the page).
    // `env`: url (of the updates), getJson(path), now(), setTimer,
    // clearTimer, createSocket (optional).
    constructor(view, env) {
        this.view = view;
        this.env = env;
        this.sessions = [];
        this.session = null; // the session shown
        this.followCurrent = true; // until a session is chosen by hand
        this.rows = [];
        this.teams = [];
        this.lastHeard = null;
        this.online = false;
        this.tracker = new ChangeTracker();
        this.loading = null;
        this.loadAgain = false;
        const {url, createSocket, setTimer, clearTimer} = env;
        this.updates = new ReconnectingSocket(url, {
            createSocket,
            setTimer,
            clearTimer,
            silenceMs: UpdatesSilenceMs,
            retryMs: UpdatesRetryMs,
        });
        this.updates.addEventListener('open', () => this.back());
        this.updates.addEventListener('data', (e) => this.told(e.detail));
        this.updates.addEventListener('drop', () => {
            this.online = false;
            this.showStatus();
        });
    }

    start() {
        this.updates.start();
    }

    // Every few seconds: the status and the marks of new scores age, and
    // while offline the results are tried directly in case the network is
    // back before the socket.
    tick() {
        if (!this.online) this.refresh();
        this.showStatus();
        this.view.render();
    }

    chooseSession(id) {
        this.followCurrent = false;
        this.session = id;
        this.refresh();
    }

    isRecent(num, event) {
        return this.tracker.isRecent(num, event, this.env.now());
    }

    // Connected again: catch up on what was missed.
    back() {
        this.updates.connected();
        this.online = true;
        this.loadSessions().then(
            () => this.refresh(),
            () => this.showStatus(),
        );
    }

    told(text) {
        let message;
        try {
            message = JSON.parse(text);
        } catch {
            return;
        }
        if (message.type === 'scores' && message.session === this.session) this.refresh();
        else if (message.type === 'session')
            this.loadSessions().then(
                () => this.refresh(),
                () => this.showStatus(),
            );
        else this.heard();
    }

    heard() {
        this.lastHeard = this.env.now();
        this.showStatus();
    }

    showStatus() {
        this.view.showStatus(statusText(this.lastHeard, this.online, this.env.now()), this.online);
    }

    async loadSessions() {
        this.sessions = await this.env.getJson('/api/sessions');
        const current = this.sessions.find((s) => s.current) ?? this.sessions[0];
        if (this.followCurrent || !this.sessions.some((s) => s.id === this.session))
            this.session = current ? current.id : null;
        const list = this.sessions.map((s) => [String(s.id), sessionText(s)]);
        this.view.showSessions(list, String(this.session));
    }

    async refresh() {
        try {
            await this.loadResults();
        } catch {
            // Offline or the server busy: the last results stay, the status says so.
            this.showStatus();
        }
    }

    // Reads the shown session again; a request made while one runs is done
    // after it.
    async loadResults() {
        if (this.loading) {
            this.loadAgain = true;
            return this.loading;
        }
        this.loading = (async () => {
            do {
                this.loadAgain = false;
                if (this.session === null) break;
                const session = this.session;
                const answer = await this.env.getJson(`/api/results?session=${session}`);
                if (session !== this.session) continue;
                this.rows = answer.rows;
                this.tracker.update(session, this.rows, this.env.now());
                if (this.view.choice().view === 'Teams') await this.loadTeams();
                this.heard();
                this.view.render();
            } while (this.loadAgain);
        })();
        try {
            await this.loading;
        } finally {
            this.loading = null;
        }
    }

    async loadTeams() {
        const chosen = this.view.choice().level;
        const levels = chosen ? [chosen] : choices(this.rows).levels;
        const teamsOf = async (level) => {
            const query = `session=${this.session}&level=${encodeURIComponent(level)}`;
            return {level, teams: (await this.env.getJson(`/api/teams?${query}`)).teams};
        };
        this.teams = await Promise.all(levels.map(teamsOf));
    }
}
