// The judge pad: log-in, the gymnast, the score boxes and Send. Judge 1 of an
// event is the panel's primary: a box per judge (the others' boxes filled by
// their pads through the server), the panel maths and the panel's score. Any
// other judge types and sends only their own score.
import {fillSelect, loadMeet} from './meet.js';
import {parseGymnast, parseSquadList} from './messages.js';
import {Outbox, Sending} from './outbox.js';
import {
    MaxJudges,
    attempt,
    compute,
    judgeBoxes,
    maximumScore,
    rangeProblem,
    sendScore2Message,
    sendScoreMessage,
} from './panel.js';
import {formatScore, numberIn, storedScore} from './score.js';
import {showRunningOrder} from './runningorder.js';
import {
    GymnastQuery,
    GymnastRefusal,
    GymnastReply,
    JudgeLogin,
    SecondaryScore,
    Session,
    SquadList,
    SquadListQuery,
} from './protocol.js';
import {LinkTexts, nameThePage, readJson} from './shell.js';
import {Link, Station, stationUrl} from './station.js';

const $ = (id) => document.getElementById(id);
const LoginKey = 'tallvane.judge.login'; // this tab's log-in, so a reload logs in again
const FormKey = 'tallvane.judge.form'; // the form's last entries (no PIN)

let meet = {name: '', judgeCount: 4, events: [], squads: {}};
let station = null;
let outbox = null;
let login = null;
let judgeCount = 1;
let sessionId = '';
let gymnast = null; // the gymnast looked up, with `stored`: the score the meet holds
let lastScore = null;
let squadItems = []; // the running order shown

const isPrimary = () => login?.number === 1;
const isVault = () => login?.event === 'Vault';

function setStatus(text) {
    $('status').textContent = text;
}

// The state of the last score sent, beside Send.
function setSendStatus(text) {
    $('send-status').textContent = text;
}

function fillLoginForm() {
    fillSelect($('event'), meet.events);
    const numbers = [];
    for (let n = 1; n <= Math.min(judgeBoxes(meet.judgeCount), MaxJudges); ++n)
        numbers.push(String(n));
    fillSelect($('judge-number'), numbers);
    const saved = readJson(localStorage, FormKey);
    if (saved) {
        fillSelect($('event'), meet.events, saved.event);
        fillSelect($('judge-number'), numbers, String(saved.number));
        $('judge-name').value = saved.name ?? '';
    }
}

function logIn(details) {
    if (station) station.stop();
    login = details;
    judgeCount = judgeBoxes(meet.judgeCount);
    station = new Station(stationUrl(location), JudgeLogin.text({...login, byNumber: 1}));
    outbox = new Outbox(station, localStorage, `tallvane.outbox.${login.event}.${login.number}`);
    station.addEventListener('link', (e) => linkChanged(e.detail));
    station.addEventListener('message', (e) => received(e.detail.fields));
    outbox.addEventListener('score', (e) => scoreChanged(e.detail));
    const waiting = outbox.entries();
    lastScore = waiting.length ? waiting[waiting.length - 1].id : null;
    setSendStatus(waiting.length ? Sending.Waiting : '');
    showOutbox();
    $('who').textContent = `${login.event} · Judge ${login.number} · ${login.name}`;
    station.start();
}

function linkChanged({link, text, reply}) {
    $('link').textContent = LinkTexts[link];
    document.body.dataset.link = link;
    if (link === Link.LoggedIn) {
        judgeCount = judgeBoxes(Number.parseInt(reply.detail, 10) || meet.judgeCount);
        sessionStorage.setItem(LoginKey, JSON.stringify(login));
        $('login-form').hidden = true;
        $('judging').hidden = false;
        layOut();
        station.send('GETSESSION');
    } else if (link === Link.Refused) {
        setStatus(text);
        if (station.stopped) {
            sessionStorage.removeItem(LoginKey);
            $('login-form').hidden = false;
            $('judging').hidden = true;
        }
    }
}

function received(fields) {
    switch (fields[0]) {
        case Session.command: {
            const session = Session.read(fields);
            sessionId = session.id;
            $('session').textContent = session.description;
            fillSelect($('squad'), [['', 'Choose a squad'], ...(meet.squads?.[sessionId] ?? [])]);
            break;
        }
        case SquadList.command:
            squadItems = parseSquadList(fields);
            showOrder();
            break;
        case GymnastReply.command: {
            // A check of a waiting score is no look-up.
            if (outbox.consumed === fields) break;
            const reply = GymnastRefusal.read(fields);
            if (reply.status === '0') showGymnast(parseGymnast(fields));
            else $('gymnast-name').textContent = reply.text;
            break;
        }
        case SecondaryScore.command:
            takeSecondaryScore(fields);
            break;
        default:
            break;
    }
}

function showOrder() {
    showRunningOrder($('running-order'), squadItems, gymnast?.number ?? null, lookUp);
}

function askForSquad() {
    if ($('squad').value)
        station?.send(
            SquadListQuery.text({session: sessionId, squad: $('squad').value, event: login.event}),
        );
}

function lookUp(number) {
    const text = String(number).trim();
    if (!text) return;
    $('gymnast-number').value = text;
    station?.send(GymnastQuery.text({number: text, event: login.event, judge: login.number}));
}

// The rows of score boxes, made from one template: the first row, and the
// second vault's with its own ids ("score2-1", "start-value-2", …).
function makeAttempts() {
    const template = $('attempt-template');
    const make = (n) => {
        const row = template.content.firstElementChild.cloneNode(true);
        row.id = `attempt-${n}`;
        row.querySelector('legend').id = `attempt-${n}-title`;
        row.querySelector('legend').textContent = 'Score';
        if (n === 1) return row;
        const secondId = (id) => (id.startsWith('score-') ? `score2-${id.slice(6)}` : `${id}-2`);
        for (const element of row.querySelectorAll('[id]:not(legend)'))
            element.id = secondId(element.id);
        for (const button of row.querySelectorAll('[data-for]'))
            button.dataset.for = secondId(button.dataset.for);
        row.querySelector('legend').textContent = 'Vault 2';
        row.hidden = true;
        return row;
    };
    template.before(make(1), make(2));
}

function ownBoxes() {
    return isPrimary() ? [...Array(judgeCount).keys()].map((i) => i + 1) : [login.number];
}

function layOut() {
    const own = ownBoxes();
    for (const label of document.querySelectorAll('.judge-box'))
        label.hidden = !own.includes(Number(label.dataset.judge));
    for (const element of document.querySelectorAll('.panel-only')) element.hidden = !isPrimary();
    $('attempt-2').hidden = !isVault();
    $('attempt-1-title').textContent = isVault() ? 'Vault 1' : login.event;
    recompute();
}

function setBox(id, value) {
    const box = $(id);
    if (box) box.value = formatScore(value);
}

// The score the meet holds for this pad: the panel's final on judge 1's pad,
// the judge's own score on the others. Empty when there is none.
function storedScoreOf(found) {
    if (!isPrimary()) return storedScore(found.judges[login.number - 1]);
    const second = found.second ?? {judges: [], start: '', adjustment: ''};
    const result = compute(login.event, judgeCount, attempt(found), attempt(second));
    return result.complete ? result.final : '';
}

function showGymnast(found) {
    if (!found) return;
    gymnast = {...found, stored: storedScoreOf(found)};
    $('gymnast-number').value = found.number;
    $('gymnast-name').textContent = `${found.number} ${found.name}`;
    $('score-for').textContent = `For ${found.number} ${found.name}`;
    showOrder();
    $('gymnast-details').textContent = [
        found.gym,
        found.level && `Level ${found.level}`,
        found.squad && `Squad ${found.squad}`,
        found.ageGroup,
    ]
        .filter(Boolean)
        .join(' · ');
    const stored = found.judges.slice(0, judgeCount).map(formatScore);
    $('stored-scores').textContent = stored.some(Boolean)
        ? `Stored: ${stored.map((s) => s || '–').join('  ')}`
        : '';
    for (const n of ownBoxes()) {
        setBox(`score-${n}`, found.judges[n - 1]);
        setBox(`score2-${n}`, found.second?.judges[n - 1] ?? '');
    }
    if (isPrimary()) {
        setBox('start-value', found.start);
        $('adjustment').value = formatScore(found.adjustment);
        setBox('start-value-2', found.second?.start ?? '');
        $('adjustment-2').value = formatScore(found.second?.adjustment ?? '');
    }
    recompute();
}

function takeSecondaryScore(fields) {
    const secondary = SecondaryScore.read(fields);
    const judge = Number.parseInt(secondary.judge, 10);
    if (!isPrimary() || !(judge >= 1 && judge <= judgeCount)) return;
    setBox(`score-${judge}`, secondary.score);
    if (isVault() && secondary.secondScore !== '') setBox(`score2-${judge}`, secondary.secondScore);
    recompute();
}

// The boxes of one attempt as the maths reads them: judges' scores as they
// will be shown once the box is left.
function boxesOf(second) {
    const suffix = second ? '-2' : '';
    const prefix = second ? 'score2' : 'score';
    return attempt({
        judges: [1, 2, 3, 4].map((n) => formatScore($(`${prefix}-${n}`).value)),
        start: formatScore($(`start-value${suffix}`).value),
        adjustment: $(`adjustment${suffix}`).value.trim(),
    });
}

// Marks each shown box whose score is below 0 or above the meet's maximum,
// saying why; true when every one is within them.
function boxesInRange() {
    let inRange = true;
    for (const box of document.querySelectorAll('input.score:not([id^="adjustment"])')) {
        const shown = !box.closest('[hidden]');
        const problem = shown ? rangeProblem(formatScore(box.value), maximumScore(meet)) : '';
        box.setCustomValidity(problem);
        box.setAttribute('aria-invalid', problem ? 'true' : 'false');
        problemOf(box).textContent = problem;
        inRange &&= !problem;
    }
    return inRange;
}

// The note under a box that says what is wrong with it.
function problemOf(box) {
    let note = box.parentElement.querySelector(':scope > .problem');
    if (!note) {
        note = document.createElement('span');
        note.className = 'problem';
        box.after(note);
    }
    return note;
}

function recompute() {
    if (!login) return;
    const inRange = boxesInRange();
    if (isPrimary()) {
        const result = compute(login.event, judgeCount, boxesOf(false), boxesOf(true));
        const finalProblem = rangeProblem(result.final, maximumScore(meet));
        $('b-score').value = result.bScore;
        $('b-score-2').value = result.secondBScore;
        $('final').value = result.final;
        $('final-problem').textContent = finalProblem;
        $('send').disabled = !result.complete || !gymnast || !inRange || finalProblem !== '';
    } else {
        $('send').disabled =
            numberIn(formatScore($(`score-${login.number}`).value)) === null ||
            !gymnast ||
            !inRange;
    }
}

function send(event) {
    event.preventDefault();
    recompute();
    if ($('send').disabled) return;
    if (!gymnast.stored) {
        sendNow();
        return;
    }
    // One tap must not overwrite a stored score unnoticed.
    const dialog = $('correction');
    $('correction-text').textContent = `Already scored (${gymnast.stored}). Send a correction?`;
    dialog.returnValue = '';
    dialog.showModal();
}

function sendNow() {
    let message;
    let score;
    if (isPrimary()) {
        const first = boxesOf(false);
        const second = boxesOf(true);
        const result = compute(login.event, judgeCount, first, second);
        message = sendScoreMessage(gymnast.number, judgeCount, login.event, first, second, result);
        score = result.final;
    } else {
        score = formatScore($(`score-${login.number}`).value);
        message = sendScore2Message(
            gymnast.number,
            login.number,
            login.event,
            score,
            formatScore($(`score2-${login.number}`).value),
        );
    }
    gymnast.stored = score;
    lastScore = outbox.add(message);
    setSendStatus(Sending.Waiting);
}

function scoreChanged({id, state}) {
    if (id === lastScore) {
        setSendStatus(state);
        if (state === Sending.Confirmed) askForSquad(); // the running order shows the new score
    }
    showOutbox();
}

function showOutbox() {
    const count = outbox?.waiting ?? 0;
    $('outbox').textContent = count > 1 ? `${count} scores waiting to be confirmed` : '';
}

function wireBoxes() {
    for (const box of document.querySelectorAll('input.score')) {
        box.addEventListener('focus', () => box.select());
        box.addEventListener('input', recompute);
        box.addEventListener('change', () => {
            if (!box.id.startsWith('adjustment')) box.value = formatScore(box.value);
            recompute();
        });
    }
    for (const button of document.querySelectorAll('button.sign')) {
        button.addEventListener('click', () => {
            const box = $(button.dataset.for);
            const text = box.value.trim();
            box.value = text.startsWith('-') ? text.slice(1) : `-${text.replace(/^\+/, '')}`;
            recompute();
        });
    }
}

async function start() {
    makeAttempts();
    wireBoxes();
    $('login-form').addEventListener('submit', (event) => {
        event.preventDefault();
        const details = {
            event: $('event').value,
            number: Number($('judge-number').value),
            name: $('judge-name').value.trim(),
            pin: $('pin').value,
        };
        localStorage.setItem(
            FormKey,
            JSON.stringify({event: details.event, number: details.number, name: details.name}),
        );
        setStatus('');
        logIn(details);
    });
    $('look-up-form').addEventListener('submit', (event) => {
        event.preventDefault();
        lookUp($('gymnast-number').value);
    });
    $('squad').addEventListener('change', askForSquad);
    $('score-form').addEventListener('submit', send);
    $('correction').addEventListener('close', () => {
        if ($('correction').returnValue === 'yes' && gymnast) sendNow();
    });
    meet = await loadMeet();
    nameThePage(document, meet.name, 'Judge pad');
    fillLoginForm();
    const saved = readJson(sessionStorage, LoginKey);
    if (saved?.event && saved?.pin !== undefined) logIn(saved);
}

start();
