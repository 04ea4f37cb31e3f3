// What a scoreboard does, apart from drawing: its log-in, kept for a reload of
// the tab; the scores in turn; the warm-up's end; the ad images, asked for one
// at a time. No DOM here: a view draws (see display.js), and the socket, the
// timers, the storages and the clock come from outside, so tests can drive it.
import {ScoreRotation} from './board.js';
import {layoutOf, sameLayout} from './boardlayout.js';
import {EventScores} from './eventscores.js';
import {adBytes, imageType, parseSetScore, warmupSeconds} from './messages.js';
import {
    AdRequest,
    BoardLayout,
    BoardScore,
    DisplayLogin,
    WarmupStart,
    WarmupStop,
} from './protocol.js';
import {readJson} from './shell.js';
import {PadReport} from './padreport.js';
import {RehearsalPrompt} from './rehearsalprompt.js';
import {Link, Station} from './station.js';
import {plainTimers} from './timers.js';

const SetupKey = 'tallvane.display.setup'; // this tab's set-up, so a reload starts again
const FormKey = 'tallvane.display.form'; // the form's last entries (no PIN)
export const AdAnswerMs = 5000;

export class Scoreboard {
    // `view`: showBoard(), showSetup(why), showLink(link, text),
    // showScore(score or null), showAd(image or null), warmupChanged(),
    // showRehearsal(seat or null), showLayout(setup) (its layout, shows,
    // level, division), showEventScore(event, score or null) (the layouts
    // that give each event its place).
    // `env`: url, local and session (Web Storages), now(), setTimer,
    // clearTimer, createSocket (optional), image(bytes, type) (an ad's URL).
    constructor(view, env) {
        this.view = view;
        this.env = env;
        Object.assign(this, plainTimers(env));
        this.station = null;
        this.rehearsal = null;
        this.rotation = null;
        this.warmupEnd = 0; // when the warm-up ends, 0 for none
        this.ads = []; // {name, url} of the images received
        this.adNames = [];
        this.adIndex = 0;
        this.adRequest = null; // {name, timer} of the answer awaited
    }

    // The form's last entries; a tab reloaded while showing a board shows it again.
    start() {
        const saved = readJson(this.env.session, SetupKey);
        if (saved?.name) this.begin(saved);
        return readJson(this.env.local, FormKey);
    }

    // The set-up form sent, or the board's link: {name, shows, pin, ads,
    // layout, level, division}.
    // Returns the form's entries.
    submit(setup) {
        const form = {...setup, pin: undefined};
        this.env.local.setItem(FormKey, JSON.stringify(form));
        this.begin(setup);
        return form;
    }

    begin(given) {
        const setup = {...given, ...layoutOf(given)};
        this.setup = setup;
        this.station?.stop();
        this.report?.stop();
        this.rehearsal?.stop();
        this.adNames = setup.ads ?? [];
        const {url, createSocket, setTimer, clearTimer} = this.env;
        const station = new Station(url, DisplayLogin.text(setup), {
            createSocket,
            setTimer,
            clearTimer,
        });
        this.station = station;
        // A board keeps no outbox: it tells its battery (a TV's is none).
        this.report = new PadReport(station, {
            battery: this.env.battery,
            agent: this.env.agent,
            now: this.env.now ?? (() => Date.now()),
            setTimer,
            clearTimer,
        });
        // A rehearsal puts the board's name up for a while; showing it is the answer.
        this.rehearsal = new RehearsalPrompt(station, {
            show: (seat) => this.view.showRehearsal(seat),
            hide: () => this.view.showRehearsal(null),
            answerAtOnce: true,
            setTimer,
            clearTimer,
        });
        this.rotation = this.scoresFor(setup);
        station.addEventListener('link', (e) => this.linkChanged(e.detail));
        station.addEventListener('message', (e) => this.received(e.detail.fields));
        station.addEventListener('binary', (e) => this.adReceived(e.detail));
        this.env.session.setItem(SetupKey, JSON.stringify(setup));
        this.view.showBoard();
        this.view.showLayout(setup);
        station.start();
    }

    // Who takes the scores of a layout: one running order for the single
    // score, one per event where each event has its place; the results
    // layouts show no single score and leave them to the boards that do.
    scoresFor({layout, shows}) {
        const {setTimer, clearTimer} = this.env;
        const confirm = (text) => this.station.send(text);
        if (layout === 'leaders' || layout === 'teams') return null;
        if (layout === 'single') {
            const show = (score) => this.view.showScore(score);
            return new ScoreRotation({shows, show, confirm, setTimer, clearTimer});
        }
        const show = (event, score) => this.view.showEventScore(event, score);
        return new EventScores({shows, show, confirm, setTimer, clearTimer});
    }

    // The desk chose what the board shows: shown at once, kept for a reload
    // and the next log-in, and told back so the desk sees what it shows.
    changeLayout(values) {
        const next = layoutOf(values);
        const changed = !sameLayout(next, this.setup);
        if (changed) {
            this.rotation?.clear();
            this.setup = {...this.setup, ...next};
            this.rotation = this.scoresFor(this.setup);
            this.station.loginMessage = DisplayLogin.text(this.setup);
            this.env.session.setItem(SetupKey, JSON.stringify(this.setup));
            this.view.showLayout(this.setup);
        }
        // Also when the desk's word was not one the board knows: it says what it shows.
        if (changed || BoardLayout.text(next) !== BoardLayout.text(values)) this.tellLayout();
    }

    tellLayout() {
        this.station.send(BoardLayout.text(this.setup));
    }

    // The seconds of warm-up left, or null when none runs.
    warmupLeft() {
        if (!this.warmupEnd) return null;
        const left = (this.warmupEnd - this.env.now()) / 1000;
        if (left > 0) return left;
        this.warmupEnd = 0;
        return null;
    }

    received(fields) {
        if (fields[0] === BoardScore.command) {
            this.rotation?.take(parseSetScore(fields));
        } else if (fields[0] === BoardLayout.command) {
            this.changeLayout(BoardLayout.read(fields));
        } else if (fields[0] === WarmupStart.command) {
            const seconds = warmupSeconds(fields);
            if (seconds === null) return;
            this.warmupEnd = this.env.now() + seconds * 1000;
            this.view.warmupChanged();
        } else if (fields[0] === WarmupStop.command) {
            this.warmupEnd = 0;
            this.view.warmupChanged();
        }
    }

    linkChanged({link, text}) {
        this.view.showLink(link, text);
        if (link === Link.LoggedIn) {
            this.tellLayout();
            this.requestAds();
        } else if (link === Link.Refused && this.station.stopped) {
            this.env.session.removeItem(SetupKey);
            this.view.showSetup(text);
        } else if (link === Link.Offline) {
            this.rotation?.clear();
            if (this.adRequest) this.clearTimer(this.adRequest.timer);
            this.adRequest = null;
        }
    }

    // The next ad image in turn, or null when there is none.
    nextAd() {
        if (!this.ads.length) return this.view.showAd(null);
        this.adIndex = (this.adIndex + 1) % this.ads.length;
        this.view.showAd(this.ads[this.adIndex].url);
    }

    // Ad images are asked for one at a time: the answer names no file, and a
    // missing file gets no answer at all.
    requestAds() {
        if (this.adRequest || !this.station?.loggedIn) return;
        const name = this.adNames.find((n) => !this.ads.some((ad) => ad.name === n));
        if (!name) return;
        this.station.send(AdRequest.text({name, number: 0}));
        const timer = this.setTimer(() => {
            this.adNames = this.adNames.filter((n) => n !== name); // no such file: stop asking
            this.adRequest = null;
            this.requestAds();
        }, AdAnswerMs);
        this.adRequest = {name, timer};
    }

    adReceived(buffer) {
        const bytes = adBytes(buffer);
        if (!bytes || !this.adRequest) return;
        this.clearTimer(this.adRequest.timer);
        const {name} = this.adRequest;
        this.ads.push({name, url: this.env.image(bytes, imageType(name))});
        this.adRequest = null;
        if (this.ads.length === 1) this.nextAd();
        this.requestAds();
    }
}
