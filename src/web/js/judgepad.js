// What a judge pad does, apart from its boxes: the log-in, kept for a reload
// of the tab; the session, the squad's running order and the gymnast looked
// up; the other judges' scores on judge 1's pad; the scores sent through the
// outbox. No DOM here: a view draws (see judge.js), and the socket, the
// timers and the storages come from outside, so tests can drive it.
import {t} from './i18n.js';
import {parseGymnast, parseSquadList} from './messages.js';
import {Outbox, Sending} from './outbox.js';
import {attempt, compute, judgeBoxes, testScoreMessage} from './panel.js';
import {
    GymnastQuery,
    GymnastRefusal,
    GymnastReply,
    JudgeLogin,
    SecondaryScore,
    Session,
    SessionQuery,
    SquadList,
    SquadListQuery,
} from './protocol.js';
import {storedScore} from './score.js';
import {readJson} from './shell.js';
import {PadReport} from './padreport.js';
import {RehearsalPrompt} from './rehearsalprompt.js';
import {Link, Station} from './station.js';

const LoginKey = 'tallvane.judge.login'; // this tab's log-in, so a reload logs in again
const FormKey = 'tallvane.judge.form'; // the form's last entries (no PIN)

export class JudgePad {
    // `view`: showLink(link, text), loggedIn(), loggedOut(why), showWho(text),
    // showSession(description, squads), showOrder(items, chosen),
    // showGymnast(gymnast), notFound(text), secondaryScore(judge, score,
    // second), sendState(state), waiting(count), rehearsal(seat or null).
    // `env`: url, local and session (Web Storages), setTimer, clearTimer,
    // createSocket, now, battery and agent (optional; see PadReport).
    constructor(view, env) {
        this.view = view;
        this.env = env;
        this.meet = {name: '', judgeCount: 4, events: [], squads: {}};
        this.station = null;
        this.outbox = null;
        this.report = null; // tells the server the battery and the outbox
        this.rehearsal = null; // "Rehearsal: tap OK" while the server asks
        this.login = null; // {event, number, name, pin}
        this.judgeCount = 1;
        this.sessionId = '';
        this.squad = '';
        this.squadItems = []; // the running order shown
        this.gymnast = null; // the gymnast looked up, with `stored`: the score the meet holds
        this.lastScore = null; // the id of the last score sent
    }

    get isPrimary() {
        return this.login?.number === 1;
    }

    get isVault() {
        return this.login?.event === 'Vault';
    }

    // The judges whose boxes this pad shows: the whole panel on judge 1's.
    get ownBoxes() {
        if (!this.isPrimary) return [this.login.number];
        return [...Array(this.judgeCount).keys()].map((i) => i + 1);
    }

    // The form's last entries; a tab reloaded while logged in logs in again.
    start(meet) {
        this.meet = meet;
        const saved = readJson(this.env.session, LoginKey);
        if (saved?.event && saved?.pin !== undefined) this.logIn(saved);
        return readJson(this.env.local, FormKey);
    }

    // The log-in form sent: {event, number, name, pin}.
    submit(details) {
        const {event, number, name} = details;
        this.env.local.setItem(FormKey, JSON.stringify({event, number, name}));
        this.logIn(details);
    }

    logIn(details) {
        this.station?.stop();
        this.report?.stop();
        this.rehearsal?.stop();
        this.login = details;
        this.judgeCount = judgeBoxes(this.meet.judgeCount);
        const {url, local, createSocket, setTimer, clearTimer} = this.env;
        const login = JudgeLogin.text({...details, byNumber: 1});
        this.station = new Station(url, login, {createSocket, setTimer, clearTimer});
        const box = `tallvane.outbox.${details.event}.${details.number}`;
        this.outbox = new Outbox(this.station, local, box);
        this.station.addEventListener('link', (e) => this.linkChanged(e.detail));
        this.station.addEventListener('message', (e) => this.received(e.detail.fields));
        this.outbox.addEventListener('score', (e) => this.scoreChanged(e.detail));
        this.report = new PadReport(this.station, {
            outbox: () => this.outbox.waiting,
            battery: this.env.battery,
            agent: this.env.agent,
            now: this.env.now ?? (() => Date.now()),
            setTimer,
            clearTimer,
        });
        this.rehearsal = new RehearsalPrompt(this.station, {
            show: (seat) => this.view.rehearsal(seat),
            hide: () => this.view.rehearsal(null),
            setTimer,
            clearTimer,
        });
        const waiting = this.outbox.entries();
        this.lastScore = waiting.length ? waiting[waiting.length - 1].id : null;
        this.view.sendState(waiting.length ? Sending.Waiting : '');
        this.view.waiting(waiting.length);
        this.view.showWho(t('judge.who', details));
        this.station.start();
    }

    linkChanged({link, text, reply}) {
        this.view.showLink(link, text);
        if (link === Link.LoggedIn) {
            const count = Number.parseInt(reply.detail, 10);
            this.judgeCount = judgeBoxes(count || this.meet.judgeCount);
            this.env.session.setItem(LoginKey, JSON.stringify(this.login));
            this.view.loggedIn();
            this.station.send(SessionQuery.text({}));
        } else if (link === Link.Refused && this.station.stopped) {
            this.env.session.removeItem(LoginKey);
            this.view.loggedOut(text);
        }
    }

    received(fields) {
        switch (fields[0]) {
            case Session.command: {
                const session = Session.read(fields);
                const squads = this.meet.squads?.[session.id] ?? [];
                this.sessionId = session.id;
                if (!squads.includes(this.squad)) this.squad = '';
                this.view.showSession(session.description, squads);
                break;
            }
            case SquadList.command:
                this.squadItems = parseSquadList(fields);
                this.showOrder();
                break;
            case GymnastReply.command: {
                // A check of a waiting score is no look-up.
                if (this.outbox.consumed === fields) break;
                const reply = GymnastRefusal.read(fields);
                if (reply.status !== '0') this.view.notFound(reply.text);
                else this.gymnastFound(parseGymnast(fields));
                break;
            }
            case SecondaryScore.command: {
                const secondary = SecondaryScore.read(fields);
                const judge = Number.parseInt(secondary.judge, 10);
                if (this.isPrimary && judge >= 1 && judge <= this.judgeCount)
                    this.view.secondaryScore(judge, secondary.score, secondary.secondScore);
                break;
            }
            default:
                break;
        }
    }

    // The judge tapped OK on the rehearsal's prompt; judge 1 then sends the
    // test score, to prove the way to the event's boards and back.
    rehearsalOk() {
        if (!this.rehearsal?.ok()) return false;
        if (this.isPrimary) this.outbox.add(testScoreMessage(this.login.event, this.judgeCount));
        return true;
    }

    showOrder() {
        this.view.showOrder(this.squadItems, this.gymnast?.number ?? null);
    }

    // Asks for the running order of `squad` ('' for none chosen).
    askForSquad(squad = this.squad) {
        this.squad = squad;
        if (!squad) return;
        const {sessionId: session} = this;
        this.station?.send(SquadListQuery.text({session, squad, event: this.login.event}));
    }

    lookUp(number) {
        const text = String(number).trim();
        if (!text) return;
        const {event, number: judge} = this.login;
        this.station?.send(GymnastQuery.text({number: text, event, judge}));
    }

    gymnastFound(found) {
        if (!found) return;
        this.gymnast = {...found, stored: this.storedScoreOf(found)};
        this.view.showGymnast(this.gymnast);
        this.showOrder();
    }

    // The score the meet holds for this pad: the panel's final on judge 1's
    // pad, the judge's own score on the others. Empty when there is none.
    storedScoreOf(found) {
        if (!this.isPrimary) return storedScore(found.judges[this.login.number - 1]);
        const second = found.second ?? {judges: [], start: '', adjustment: ''};
        const result = compute(this.login.event, this.judgeCount, attempt(found), attempt(second));
        return result.complete ? result.final : '';
    }

    // Sends a score message for the gymnast on the pad; `score` is what the
    // meet will hold for this pad once it is stored.
    send(message, score) {
        this.gymnast.stored = score;
        this.lastScore = this.outbox.add(message);
        this.view.sendState(Sending.Waiting);
    }

    scoreChanged({id, state}) {
        if (id === this.lastScore) {
            this.view.sendState(state);
            // The running order shows the new score.
            if (state === Sending.Confirmed) this.askForSquad();
        }
        this.view.waiting(this.outbox.waiting);
        this.report.changed();
    }
}
