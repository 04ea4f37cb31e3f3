// The scoreboard's running order of scores: each score is shown for the time
// the server asks, then confirmed ("CONFIRMSCORE|number|event") so the server
// sends that event's next one. Scores of several events wait their turn; a
// score the server offers again while it waits or shows is not taken twice; a
// board for one event leaves the others' scores to the boards that show them.
// No DOM here.
import {BoardConfirm} from './protocol.js';
import {plainTimers} from './timers.js';

export class ScoreRotation {
    // `show(score or null)` draws the board; `confirm(text)` sends a message.
    constructor({shows = 'all', show, confirm, ...timers}) {
        this.shows = shows;
        this.show = show;
        this.confirm = confirm;
        Object.assign(this, plainTimers(timers));
        this.waiting = [];
        this.current = null;
        this.timer = null;
    }

    take(score) {
        if (!score || (this.shows !== 'all' && this.shows !== 'NA' && score.event !== this.shows))
            return;
        const same = (other) =>
            other &&
            other.event === score.event &&
            other.number === score.number &&
            other.score === score.score &&
            other.corrected === score.corrected;
        if (same(this.current) || this.waiting.some(same)) return;
        this.waiting.push(score);
        if (!this.current) this.next();
    }

    next() {
        this.current = this.waiting.shift() ?? null;
        this.show(this.current);
        if (!this.current) return;
        const shown = this.current;
        this.timer = this.setTimer(() => {
            this.timer = null;
            this.confirm(BoardConfirm.text(shown));
            this.next();
        }, shown.ms);
    }

    // The link dropped: what waits is offered again by the server later.
    clear() {
        if (this.timer !== null) this.clearTimer(this.timer);
        this.timer = null;
        this.waiting = [];
        this.current = null;
        this.show(null);
    }
}
