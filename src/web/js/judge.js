// The judge pad: log-in, the gymnast, the score boxes and Send. Judge 1 of an
// event is the panel's primary: a box per judge (the others' boxes filled by
// their pads through the server), the panel maths and the panel's score. Any
// other judge types and sends only their own score. The pad's dealings with
// the server are JudgePad's; this page draws them and holds the boxes.
import {failoverFor} from './failover.js';
import {JudgePad} from './judgepad.js';
import {applyTexts, onLanguageChange, startPage, t} from './i18n.js';
import {fillSelect, loadMeet} from './meet.js';
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
import {showRunningOrder} from './runningorder.js';
import {formatScore, numberIn} from './score.js';
import {Sending} from './outbox.js';
import {linkText, nameThePage} from './shell.js';
import {Link, stationUrl} from './station.js';

const $ = (id) => document.getElementById(id);

let meet = {name: '', judgeCount: 4, events: [], squads: {}};
let failover = null; // goes on with the meet's next server when this one is gone

function setBox(id, value) {
    const box = $(id);
    if (box) box.value = formatScore(value);
}

const view = {
    showLink(link, text) {
        $('link').textContent = linkText(link);
        document.body.dataset.link = link;
        failover?.linkChanged(link);
        if (link === Link.Refused) $('status').textContent = text;
    },
    loggedIn() {
        $('login-form').hidden = true;
        $('judging').hidden = false;
        layOut();
    },
    loggedOut() {
        $('login-form').hidden = false;
        $('judging').hidden = true;
    },
    showWho(text) {
        $('who').textContent = text;
    },
    showSession(description, squads) {
        $('session').textContent = description;
        fillSelect($('squad'), [['', t('judge.choose-squad')], ...squads]);
    },
    showOrder(items, chosen) {
        showRunningOrder($('running-order'), items, chosen, lookUp);
    },
    showGymnast(found) {
        $('gymnast-number').value = found.number;
        $('gymnast-name').textContent = `${found.number} ${found.name}`;
        $('score-for').textContent = t('judge.score-for', {who: `${found.number} ${found.name}`});
        $('gymnast-details').textContent = [
            found.gym,
            found.level && t('judge.level', {level: found.level}),
            found.squad && t('judge.squad-name', {squad: found.squad}),
            found.ageGroup,
        ]
            .filter(Boolean)
            .join(' · ');
        const stored = found.judges.slice(0, pad.judgeCount).map(formatScore);
        $('stored-scores').textContent = stored.some(Boolean)
            ? t('judge.stored', {scores: stored.map((s) => s || '–').join('  ')})
            : '';
        for (const n of pad.ownBoxes) {
            setBox(`score-${n}`, found.judges[n - 1]);
            setBox(`score2-${n}`, found.second?.judges[n - 1] ?? '');
        }
        if (pad.isPrimary) {
            setBox('start-value', found.start);
            $('adjustment').value = formatScore(found.adjustment);
            setBox('start-value-2', found.second?.start ?? '');
            $('adjustment-2').value = formatScore(found.second?.adjustment ?? '');
        }
        recompute();
    },
    notFound(text) {
        $('gymnast-name').textContent = text;
    },
    secondaryScore(judge, score, second) {
        setBox(`score-${judge}`, score);
        if (pad.isVault && second !== '') setBox(`score2-${judge}`, second);
        recompute();
    },
    // The state of the last score sent, beside Send.
    sendState(state) {
        const keys = {[Sending.Waiting]: 'judge.waiting', [Sending.Confirmed]: 'judge.confirmed'};
        $('send-status').textContent = keys[state] ? t(keys[state]) : state;
    },
    waiting(count) {
        $('outbox').textContent = count > 1 ? t('judge.outbox', {count}) : '';
    },
    // The rehearsal's prompt with the pad's seat, until the judge taps OK.
    rehearsal(seat) {
        const dialog = $('rehearsal');
        if (!seat) {
            if (dialog.open) dialog.close();
            return;
        }
        $('rehearsal-seat').textContent = t('judge.seat', {event: seat.name, number: seat.detail});
        if (!dialog.open) dialog.showModal();
    },
};

const pad = new JudgePad(view, {
    url: stationUrl(location),
    local: localStorage,
    session: sessionStorage,
    setTimer: (fn, ms) => setTimeout(fn, ms),
    clearTimer: (id) => clearTimeout(id),
    now: () => Date.now(),
    battery: navigator.getBattery ? () => navigator.getBattery() : null,
    agent: navigator.userAgent,
});

function lookUp(number) {
    $('gymnast-number').value = String(number).trim();
    pad.lookUp(number);
}

function fillLoginForm(saved) {
    const numbers = [];
    for (let n = 1; n <= Math.min(judgeBoxes(meet.judgeCount), MaxJudges); ++n)
        numbers.push(String(n));
    fillSelect($('event'), meet.events, saved?.event);
    fillSelect($('judge-number'), numbers, saved ? String(saved.number) : undefined);
    if (saved) $('judge-name').value = saved.name ?? '';
}

// The rows of score boxes, made from one template: the first row, and the
// second vault's with its own ids ("score2-1", "start-value-2", …).
function makeAttempts() {
    const template = $('attempt-template');
    const make = (n) => {
        const row = template.content.firstElementChild.cloneNode(true);
        row.id = `attempt-${n}`;
        row.querySelector('legend').id = `attempt-${n}-title`;
        row.querySelector('legend').textContent = t('judge.score');
        applyTexts(row);
        if (n === 1) return row;
        const secondId = (id) => (id.startsWith('score-') ? `score2-${id.slice(6)}` : `${id}-2`);
        for (const element of row.querySelectorAll('[id]:not(legend)'))
            element.id = secondId(element.id);
        for (const button of row.querySelectorAll('[data-for]'))
            button.dataset.for = secondId(button.dataset.for);
        row.querySelector('legend').textContent = t('judge.vault-2');
        row.hidden = true;
        return row;
    };
    template.before(make(1), make(2));
}

function layOut() {
    const own = pad.ownBoxes;
    for (const label of document.querySelectorAll('.judge-box'))
        label.hidden = !own.includes(Number(label.dataset.judge));
    for (const element of document.querySelectorAll('.panel-only')) element.hidden = !pad.isPrimary;
    $('attempt-2').hidden = !pad.isVault;
    $('attempt-1-title').textContent = pad.isVault ? t('judge.vault-1') : pad.login.event;
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
    const {login, gymnast, judgeCount} = pad;
    if (!login) return;
    const inRange = boxesInRange();
    if (pad.isPrimary) {
        const result = compute(login.event, judgeCount, boxesOf(false), boxesOf(true));
        const finalProblem = rangeProblem(result.final, maximumScore(meet));
        $('b-score').value = result.bScore;
        $('b-score-2').value = result.secondBScore;
        $('final').value = result.final;
        $('final-problem').textContent = finalProblem;
        $('send').disabled = !result.complete || !gymnast || !inRange || finalProblem !== '';
    } else {
        const own = numberIn(formatScore($(`score-${login.number}`).value));
        $('send').disabled = own === null || !gymnast || !inRange;
    }
}

function send(event) {
    event.preventDefault();
    recompute();
    if ($('send').disabled) return;
    if (!pad.gymnast.stored) {
        sendNow();
        return;
    }
    // One tap must not overwrite a stored score unnoticed.
    const dialog = $('correction');
    $('correction-text').textContent = t('judge.correction', {score: pad.gymnast.stored});
    dialog.returnValue = '';
    dialog.showModal();
}

function sendNow() {
    const {login, gymnast, judgeCount} = pad;
    if (pad.isPrimary) {
        const first = boxesOf(false);
        const second = boxesOf(true);
        const result = compute(login.event, judgeCount, first, second);
        const message = sendScoreMessage(
            gymnast.number,
            judgeCount,
            login.event,
            first,
            second,
            result,
        );
        pad.send(message, result.final);
    } else {
        const score = formatScore($(`score-${login.number}`).value);
        const second = formatScore($(`score2-${login.number}`).value);
        pad.send(
            sendScore2Message(gymnast.number, login.number, login.event, score, second),
            score,
        );
    }
}

function wireBoxes() {
    for (const box of document.querySelectorAll('input.score')) {
        box.addEventListener('focus', () => box.select());
        // A phone set to Spanish, French or German may offer only a decimal
        // comma: the score the server reads has a point.
        box.addEventListener('input', () => {
            if (box.value.includes(',')) box.value = box.value.replaceAll(',', '.');
            recompute();
        });
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
    await startPage();
    $('link').textContent = linkText(Link.Refused);
    $('gymnast-name').textContent = t('judge.no-gymnast');
    $('score-for').textContent = t('judge.no-gymnast');
    makeAttempts();
    // The boxes made from the template and the texts written here follow a
    // new language at once; the gymnast's lines on the next look-up.
    onLanguageChange(() => {
        $('link').textContent = linkText(pad.station?.link ?? Link.Refused);
        if (!pad.gymnast) {
            $('gymnast-name').textContent = t('judge.no-gymnast');
            $('score-for').textContent = t('judge.no-gymnast');
        }
        if (pad.login) {
            $('who').textContent = t('judge.who', pad.login);
            layOut();
        }
        $('attempt-2-title').textContent = t('judge.vault-2');
    });
    wireBoxes();
    $('login-form').addEventListener('submit', (event) => {
        event.preventDefault();
        $('status').textContent = '';
        pad.submit({
            event: $('event').value,
            number: Number($('judge-number').value),
            name: $('judge-name').value.trim(),
            pin: $('pin').value,
        });
    });
    $('look-up-form').addEventListener('submit', (event) => {
        event.preventDefault();
        lookUp($('gymnast-number').value);
    });
    $('squad').addEventListener('change', () => pad.askForSquad($('squad').value));
    $('score-form').addEventListener('submit', send);
    $('rehearsal-ok').addEventListener('click', () => pad.rehearsalOk());
    // Only OK takes the rehearsal's prompt away.
    $('rehearsal').addEventListener('cancel', (event) => event.preventDefault());
    $('correction').addEventListener('close', () => {
        if ($('correction').returnValue === 'yes' && pad.gymnast) sendNow();
    });
    meet = await loadMeet();
    failover = failoverFor(meet);
    nameThePage(document, meet.name, '', 'judge.title');
    fillLoginForm(pad.start(meet));
}

start();
