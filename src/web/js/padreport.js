// What a browser pad or board tells the server of itself, on the station's
// WebSocket: "PADSTATE|battery|charging|outbox|agent". Sent on every log-in
// and when something changes, but not more often than once in MinGapMs, so a
// battery that ticks or a burst of scores costs one message. No DOM here: the
// battery comes from `battery` (the browser's navigator.getBattery, when it
// has one), the outbox count from `outbox`.
import {Link} from './station.js';
import {plainTimers} from './timers.js';

export const Command = 'PADSTATE';
export const MinGapMs = 3000;

// The message for a state: battery 0..1 (or null when unknown), charging
// true/false/null, the scores waiting, the browser's name.
export function padStateText({level, charging, outbox, agent}) {
    const battery = level === null || level === undefined ? '' : String(Math.round(level * 100));
    const plugged = charging === null || charging === undefined ? '' : charging ? '1' : '0';
    const name = String(agent ?? '')
        .replaceAll('|', '/')
        .replace(/[\r\n]/g, ' ')
        .slice(0, 120);
    return [Command, battery, plugged, String(outbox), name].join('|');
}

export class PadReport {
    // `station`: a Station (its 'link' events and send()); `env`: outbox()
    // giving the count, battery() giving a promise of the battery manager or
    // null, agent, now, setTimer, clearTimer.
    constructor(station, env) {
        this.station = station;
        this.outbox = env.outbox ?? (() => 0);
        this.agent = env.agent ?? '';
        this.now = env.now;
        Object.assign(this, plainTimers(env));
        this.battery = null; // the browser's battery manager, once known
        this.lastSent = ''; // the text the server has
        this.lastTime = -Infinity;
        this.timer = null;
        station.addEventListener('link', (e) => {
            if (e.detail.link !== Link.LoggedIn) return;
            this.lastSent = ''; // a new log-in is told again
            this.changed();
        });
        const ask = env.battery;
        if (ask) {
            Promise.resolve()
                .then(() => ask())
                .then((manager) => {
                    if (!manager) return;
                    this.battery = manager;
                    for (const name of ['levelchange', 'chargingchange'])
                        manager.addEventListener(name, () => this.changed());
                    this.changed();
                })
                .catch(() => {}); // no battery to tell of
        }
    }

    text() {
        return padStateText({
            level: this.battery ? this.battery.level : null,
            charging: this.battery ? this.battery.charging : null,
            outbox: this.outbox(),
            agent: this.agent,
        });
    }

    // Something may have changed: tell the server now, or once the gap has passed.
    changed() {
        if (!this.station.loggedIn || this.timer !== null) return;
        const text = this.text();
        if (text === this.lastSent) return;
        const wait = this.lastTime + MinGapMs - this.now();
        if (wait > 0) {
            this.timer = this.setTimer(() => {
                this.timer = null;
                this.changed();
            }, wait);
            return;
        }
        if (this.station.send(text)) {
            this.lastSent = text;
            this.lastTime = this.now();
        }
    }

    stop() {
        if (this.timer !== null) this.clearTimer(this.timer);
        this.timer = null;
    }
}
