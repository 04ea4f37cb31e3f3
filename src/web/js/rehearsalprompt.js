// A rehearsal on a pad or a board. The server's "REHEARSAL|number|seconds|
// name|detail" puts the seat on the screen for `seconds`; a pad waits for its
// judge to tap OK, a board answers as soon as it shows ("REHEARSALOK|number").
// No DOM here: `show(seat)` and `hide()` draw, and the timers come from outside.
import {Rehearsal, RehearsalAnswer} from './protocol.js';
import {plainTimers} from './timers.js';

export class RehearsalPrompt {
    // `station`: a Station (its 'message' events and send()); `show({number,
    // name, detail})`, `hide()`; `answerAtOnce` for a board; setTimer, clearTimer.
    constructor(station, {show, hide, answerAtOnce = false, setTimer, clearTimer}) {
        this.station = station;
        this.show = show;
        this.hide = hide;
        this.answerAtOnce = answerAtOnce;
        Object.assign(this, plainTimers({setTimer, clearTimer}));
        this.current = null; // the rehearsal on the screen
        this.timer = null;
        station.addEventListener('message', (e) => {
            if (e.detail.fields[0] === Rehearsal.command)
                this.asked(Rehearsal.read(e.detail.fields));
        });
    }

    asked({number, seconds, name, detail}) {
        const ms = Number.parseInt(seconds, 10) * 1000;
        if (!(ms > 0)) return;
        this.stopTimer();
        this.current = {number, name, detail};
        this.show(this.current);
        if (this.answerAtOnce) this.station.send(RehearsalAnswer.text({number}));
        this.timer = this.setTimer(() => {
            this.timer = null;
            this.takeDown();
        }, ms);
    }

    // The judge tapped OK: true once the answer is on its way. Offline, the
    // prompt stays; the server asks again when the pad is back.
    ok() {
        if (!this.current) return false;
        if (!this.station.send(RehearsalAnswer.text({number: this.current.number}))) return false;
        this.stopTimer();
        this.takeDown();
        return true;
    }

    takeDown() {
        if (!this.current) return;
        this.current = null;
        this.hide();
    }

    stopTimer() {
        if (this.timer !== null) this.clearTimer(this.timer);
        this.timer = null;
    }

    stop() {
        this.stopTimer();
        this.takeDown();
    }
}
