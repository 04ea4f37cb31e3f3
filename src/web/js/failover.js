// Where a page goes on when its server stops answering. "/api/meet" lists the
// meet's servers, this one first, then its standby. While the page's server
// is gone, the others' "/api/meet" is read in turn; the one that serves the
// same meet under a newer epoch has taken it over, and the page moves there:
// it loads the same path from that server, taking its own items of the
// browser's storage along in the address's fragment (the storage belongs to
// one origin), so a pad logs in again by itself and its outbox, checked
// against what the new server holds, sends what is missing. No DOM here.

import {Link} from './station.js';
import {plainTimers} from './timers.js';

// The link down this long before the other servers are asked.
export const FailoverAfterMs = 3000;
// How often they are asked again while none has taken over.
export const AskAgainMs = 2000;
// The fragment's name for the items taken along.
export const CarryName = 'tallvane-carry';
// The storage items of the pages.
const Prefix = 'tallvane.';
// The items left behind once taken along: a score must wait in one outbox only.
const MovedPrefix = 'tallvane.outbox.';

// The origin of a server's address ("http://HOST:PORT/"), or '' when it is none.
export function originOf(address) {
    try {
        const url = new URL(address);
        return url.protocol === 'http:' || url.protocol === 'https:' ? url.origin : '';
    } catch {
        return '';
    }
}

// The servers to ask, in the list's order, without the page's own.
export function otherServers(servers, ownOrigin) {
    const origins = (Array.isArray(servers) ? servers : []).map(originOf).filter(Boolean);
    return [...new Set(origins)].filter((origin) => origin !== ownOrigin);
}

// True when `summary`, another server's "/api/meet", shows it serving the meet
// `known` describes under a newer epoch. A standby that has not taken over
// lists no servers.
export function hasTakenOver(summary, known) {
    if (!summary || !Array.isArray(summary.servers) || summary.servers.length === 0) return false;
    if (known.identity && summary.identity !== known.identity) return false;
    return Number(summary.epoch) > Number(known.epoch ?? 0);
}

// The page's items of `local` and `session` (Web Storages), to take along.
export function carriedItems(local, session) {
    const itemsOf = (storage) => {
        const items = {};
        for (let i = 0; i < storage.length; ++i) {
            const key = storage.key(i);
            if (key?.startsWith(Prefix)) items[key] = storage.getItem(key);
        }
        return items;
    };
    return {local: itemsOf(local), session: itemsOf(session)};
}

// Lists of entries with ids (outboxes) kept together: those here first, then
// the carried ones not among them.
function merged(here, carried) {
    try {
        const a = JSON.parse(here);
        const b = JSON.parse(carried);
        if (!Array.isArray(a) || !Array.isArray(b)) return carried;
        const ids = new Set(a.map((item) => item?.id));
        return JSON.stringify([...a, ...b.filter((item) => !ids.has(item?.id))]);
    } catch {
        return carried;
    }
}

// Stores the items a page brought along in `hash` (the address's fragment);
// true when there were some.
export function takeCarried(hash, local, session) {
    const text = new URLSearchParams(String(hash).replace(/^#/, '')).get(CarryName);
    if (!text) return false;
    let carried;
    try {
        carried = JSON.parse(text);
    } catch {
        return false;
    }
    const store = (storage, items, merge) => {
        for (const [key, value] of Object.entries(items ?? {})) {
            if (!key.startsWith(Prefix) || typeof value !== 'string') continue;
            const here = storage.getItem(key);
            storage.setItem(key, merge && here !== null ? merged(here, value) : value);
        }
    };
    store(local, carried.local, true);
    store(session, carried.session, false);
    return true;
}

export class Failover {
    // `env`: origin (the page's), path (its path and query), local and session
    // (Web Storages), readMeet(url) (an answer's JSON, or null), go(url),
    // setTimer and clearTimer (the browser's own when not given).
    constructor(env) {
        this.env = env;
        Object.assign(this, plainTimers(env));
        this.known = {servers: [], epoch: 0, identity: ''};
        this.timer = null;
        this.round = 0; // a round of asking, given up when the link is back
        this.moving = false;
        this.up = null; // whether the page's server answered when last told
    }

    // What the page's own server says of the meet.
    know(summary) {
        if (!Array.isArray(summary?.servers)) return;
        const {servers, epoch = 0, identity = ''} = summary;
        this.known = {servers, epoch, identity};
    }

    // A station's link (see Link): logged in, the server answers; offline or
    // connecting again, it may be gone.
    linkChanged(link) {
        if (link === Link.LoggedIn) this.answering(true);
        else if (link === Link.Offline || link === Link.Connecting) this.answering(false);
    }

    // The page's server answers again (`yes`) or has stopped answering.
    answering(yes) {
        if (yes === this.up) return;
        this.up = yes;
        if (yes) {
            this.stop();
            this.refresh();
        } else if (this.timer === null && !this.moving) {
            this.timer = this.setTimer(() => this.ask(this.round), FailoverAfterMs);
        }
    }

    stop() {
        ++this.round;
        if (this.timer !== null) this.clearTimer(this.timer);
        this.timer = null;
    }

    // Reads the server list again: a standby may have joined since.
    async refresh() {
        this.know(await this.env.readMeet(`${this.env.origin}/api/meet`));
    }

    async ask(round) {
        this.timer = null;
        for (const server of otherServers(this.known.servers, this.env.origin)) {
            const summary = await this.env.readMeet(`${server}/api/meet`);
            if (round !== this.round) return;
            if (hasTakenOver(summary, this.known)) {
                this.move(server);
                return;
            }
        }
        if (round === this.round)
            this.timer = this.setTimer(() => this.ask(this.round), AskAgainMs);
    }

    move(server) {
        this.moving = true;
        const {local, session, path} = this.env;
        const items = carriedItems(local, session);
        for (const key of Object.keys(items.local))
            if (key.startsWith(MovedPrefix)) local.removeItem(key);
        const carried = encodeURIComponent(JSON.stringify(items));
        this.env.go(`${server}${path}#${CarryName}=${carried}`);
    }
}

// A page's Failover in a browser: takes what the page brought along, then
// follows the meet. `summary` is the page's "/api/meet".
export function failoverFor(summary) {
    if (takeCarried(location.hash, localStorage, sessionStorage))
        history.replaceState(null, '', location.pathname + location.search);
    const failover = new Failover({
        origin: location.origin,
        path: location.pathname + location.search,
        local: localStorage,
        session: sessionStorage,
        readMeet: async (url) => {
            try {
                const response = await fetch(url, {
                    cache: 'no-store',
                    signal: AbortSignal.timeout(AskAgainMs),
                });
                return response.ok ? await response.json() : null;
            } catch {
                return null;
            }
        },
        go: (url) => location.assign(url),
    });
    failover.know(summary);
    return failover;
}
