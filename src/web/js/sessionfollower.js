// What the live pages share apart from what they read: the session shown
// (the meet's current one until one is chosen by hand), the server's word
// over /updates, and a status that says since when the page is up to date.
import {sessionText, statusText} from './resultsview.js';

export class SessionFollower {
    // `view`: showSessions([value, text] pairs, chosen), showStatus(text,
    // online). `env`: getJson(path), now(). A page gives load() (reads the
    // shown session again, one read at a time) and may give sessionsPath()
    // and refreshesOn(message) (a word on /updates, beside a session's
    // scores, that calls for a new read).
    constructor(view, env) {
        this.view = view;
        this.env = env;
        this.sessions = [];
        this.session = null; // the session shown
        this.currentSession = null; // the meet's, as the sessions' answer says
        this.followCurrent = true; // until a session is chosen by hand
        this.lastHeard = null;
        this.online = false;
    }

    chooseSession(id) {
        this.followCurrent = false;
        this.session = id;
        this.refresh();
    }

    // Connected again: catch up on what was missed.
    back() {
        this.updates.connected();
        this.online = true;
        this.reloadSessions();
    }

    told(text) {
        let message;
        try {
            message = JSON.parse(text);
        } catch {
            return;
        }
        if (
            (message.type === 'scores' && message.session === this.session) ||
            this.refreshesOn(message)
        )
            this.refresh();
        else if (message.type === 'session') this.reloadSessions();
        else this.heard();
    }

    refreshesOn() {
        return false;
    }

    heard() {
        this.lastHeard = this.env.now();
        this.showStatus();
    }

    showStatus() {
        this.view.showStatus(statusText(this.lastHeard, this.online, this.env.now()), this.online);
    }

    sessionsPath() {
        return '/api/sessions';
    }

    reloadSessions() {
        this.loadSessions().then(
            () => this.refresh(),
            () => this.showStatus(),
        );
    }

    async loadSessions() {
        this.sessions = await this.env.getJson(this.sessionsPath());
        const current = this.sessions.find((s) => s.current) ?? this.sessions[0];
        this.currentSession = current ? current.id : null;
        if (this.followCurrent || !this.sessions.some((s) => s.id === this.session))
            this.session = this.currentSession;
        const list = this.sessions.map((s) => [String(s.id), sessionText(s)]);
        this.view.showSessions(list, String(this.session));
    }

    async refresh() {
        try {
            await this.load();
        } catch {
            // Offline or the server busy: what was shown stays, the status says so.
            this.showStatus();
        }
    }
}
