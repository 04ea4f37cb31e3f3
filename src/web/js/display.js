// The scoreboard page: a set-up form, then a full-screen board that shows each
// score for its time, a warm-up countdown, and while idle the meet's name, the
// time and the ad images in turn. It logs in again by itself after a drop.
import {failoverFor} from './failover.js';
import {startPage} from './i18n.js';
import {fillSelect, loadMeet} from './meet.js';
import {clockText} from './messages.js';
import {Scoreboard} from './scoreboard.js';
import {LinkTexts, nameThePage} from './shell.js';
import {Link, stationUrl} from './station.js';

const $ = (id) => document.getElementById(id);
const AdSeconds = 10;
let failover = null; // goes on with the meet's next server when this one is gone

// The board as the page draws it.
const view = {
    showBoard() {
        $('status').textContent = '';
        $('setup-page').hidden = true;
        $('board').hidden = false;
    },
    showSetup(why) {
        $('status').textContent = why;
        $('board').hidden = true;
        $('setup-page').hidden = false;
    },
    showLink(link, text) {
        document.body.dataset.link = link;
        failover?.linkChanged(link);
        // The board says nothing of a good link, and why it was refused.
        const texts = {...LinkTexts, [Link.LoggedIn]: '', [Link.Refused]: text};
        $('board-link').textContent = texts[link];
        if (link === Link.LoggedIn) $('status').textContent = '';
    },
    showScore(score) {
        $('score-view').hidden = !score;
        if (score) {
            $('board-event').textContent = score.event;
            $('board-number').textContent = score.number;
            $('board-name').textContent = score.name;
            $('board-score').textContent = score.score;
            $('board-corrected').hidden = !score.corrected;
            document.body.dataset.corrected = score.corrected ? '1' : '0';
        }
        tick();
    },
    showAd(url) {
        $('ad').hidden = !url;
        if (url) $('ad').src = url;
    },
    warmupChanged: () => tick(),
    // The board's name and the event it shows, over everything else.
    showRehearsal(seat) {
        $('rehearsal-view').hidden = !seat;
        if (!seat) return;
        $('rehearsal-name').textContent = seat.name;
        const events = {all: 'All events', NA: ''};
        $('rehearsal-event').textContent = Object.hasOwn(events, seat.detail)
            ? events[seat.detail]
            : seat.detail;
    },
};

const board = new Scoreboard(view, {
    url: stationUrl(location),
    local: localStorage,
    session: sessionStorage,
    now: () => Date.now(),
    setTimer: (fn, ms) => setTimeout(fn, ms),
    clearTimer: (id) => clearTimeout(id),
    image: (bytes, type) => URL.createObjectURL(new Blob([bytes], {type})),
    battery: navigator.getBattery ? () => navigator.getBattery() : null,
    agent: navigator.userAgent,
});

// The clock, the warm-up's countdown, and which of score, warm-up and idle
// shows.
function tick() {
    $('clock').textContent = new Date().toLocaleTimeString([], {
        hour: '2-digit',
        minute: '2-digit',
    });
    const left = board.warmupLeft();
    if (left !== null) $('warmup').textContent = clockText(left);
    const scoring = !$('score-view').hidden;
    $('warmup-view').hidden = scoring || left === null;
    $('idle-view').hidden = scoring || left !== null;
}

async function start() {
    $('setup').addEventListener('submit', (event) => {
        event.preventDefault();
        document.documentElement.requestFullscreen?.().catch(() => {});
        board.submit({
            name: $('display-name').value.trim(),
            shows: $('shows').value,
            pin: $('pin').value,
            ads: $('ads')
                .value.split(/[\n,]/)
                .map((s) => s.trim())
                .filter(Boolean),
        });
    });
    startPage();
    const meet = await loadMeet();
    failover = failoverFor(meet);
    $('board-meet').textContent = meet.name || 'Tallvane';
    nameThePage(document, meet.name, 'Scoreboard');
    setInterval(tick, 250);
    setInterval(() => board.nextAd(), AdSeconds * 1000);
    tick();
    const form = board.start();
    fillSelect($('shows'), [['all', 'All events'], ...meet.events], form?.shows);
    if (form) {
        $('display-name').value = form.name ?? '';
        $('ads').value = (form.ads ?? []).join('\n');
    }
}

start();
