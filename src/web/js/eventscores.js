// The scores of a board that gives each event its own place (four quarters,
// or the up-next cards): one running order per event, so a score on Vault
// never waits for one on Floor. Each is shown for the time the server asks,
// then confirmed, as on the single board; the last score of each event stays
// known after it. No DOM here.
import {ScoreRotation} from './board.js';
import {Events} from './protocol.js';

export class EventScores {
    // `shows`: 'all' or one event; `show(event, score or null)` draws the
    // event's place; `confirm(text)` sends a message.
    constructor({shows = 'all', show, confirm, setTimer, clearTimer}) {
        this.events = Events.includes(shows) ? [shows] : [...Events];
        this.last = new Map(); // event -> the last score shown
        this.rotations = new Map(
            this.events.map((event) => [
                event,
                new ScoreRotation({
                    shows: event,
                    show: (score) => {
                        if (score) this.last.set(event, score);
                        show(event, score);
                    },
                    confirm,
                    setTimer,
                    clearTimer,
                }),
            ]),
        );
    }

    take(score) {
        this.rotations.get(score?.event)?.take(score);
    }

    // The score on the event's place now, or null.
    current(event) {
        return this.rotations.get(event)?.current ?? null;
    }

    lastScore(event) {
        return this.last.get(event) ?? null;
    }

    // The link dropped: what waits is offered again by the server later.
    clear() {
        for (const rotation of this.rotations.values()) rotation.clear();
    }
}
