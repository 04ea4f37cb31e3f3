// The scoreboard page: a set-up form, then a full-screen board that shows each
// score for its time, a warm-up countdown, and while idle the meet's name, the
// time and the ad images in turn. It logs in again by itself after a drop.
import {ScoreRotation} from './board.js';
import {fillSelect, loadMeet} from './meet.js';
import {AdRequest, BoardScore, DisplayLogin, Events, WarmupStart} from './protocol.js';
import {LinkTexts, nameThePage, readJson} from './shell.js';
import {adBytes, clockText, imageType, parseSetScore, warmupSeconds} from './messages.js';
import {Link, Station, stationUrl} from './station.js';

const $ = (id) => document.getElementById(id);
const SetupKey = 'tallvane.display.setup'; // this tab's set-up, so a reload starts again
const FormKey = 'tallvane.display.form'; // the form's last entries (no PIN)
const AdSeconds = 10;
const AdAnswerMs = 5000;

let meet = {name: '', events: Events};
let station = null;
let rotation = null;
let warmupEnd = 0;
let ads = []; // {name, url} of the images received
let adNames = [];
let adIndex = 0;
let adRequest = null; // {name, timer} of the answer awaited

function showScore(score) {
    $('score-view').hidden = !score;
    if (score) {
        $('board-event').textContent = score.event;
        $('board-number').textContent = score.number;
        $('board-name').textContent = score.name;
        $('board-score').textContent = score.score;
        $('board-corrected').hidden = !score.corrected;
        document.body.dataset.corrected = score.corrected ? '1' : '0';
    }
    showIdle();
}

function showIdle() {
    const scoring = !$('score-view').hidden;
    const warming = warmupEnd > Date.now();
    $('warmup-view').hidden = scoring || !warming;
    $('idle-view').hidden = scoring || warming;
}

function tick() {
    const now = new Date();
    $('clock').textContent = now.toLocaleTimeString([], {hour: '2-digit', minute: '2-digit'});
    if (warmupEnd) {
        const left = (warmupEnd - now.getTime()) / 1000;
        $('warmup').textContent = clockText(left);
        if (left <= 0) warmupEnd = 0;
    }
    showIdle();
}

function nextAd() {
    if (!ads.length) {
        $('ad').hidden = true;
        return;
    }
    adIndex = (adIndex + 1) % ads.length;
    $('ad').src = ads[adIndex].url;
    $('ad').hidden = false;
}

// Ad images are asked for one at a time: the answer names no file, and a
// missing file gets no answer at all.
function requestAds() {
    if (adRequest || !station?.loggedIn) return;
    const name = adNames.find((n) => !ads.some((ad) => ad.name === n));
    if (!name) return;
    station.send(AdRequest.text({name, number: 0}));
    adRequest = {
        name,
        timer: setTimeout(() => {
            adNames = adNames.filter((n) => n !== name); // no such file: stop asking
            adRequest = null;
            requestAds();
        }, AdAnswerMs),
    };
}

function adReceived(buffer) {
    const bytes = adBytes(buffer);
    if (!bytes || !adRequest) return;
    clearTimeout(adRequest.timer);
    const url = URL.createObjectURL(new Blob([bytes], {type: imageType(adRequest.name)}));
    ads.push({name: adRequest.name, url});
    adRequest = null;
    if (ads.length === 1) nextAd();
    requestAds();
}

function received(fields) {
    switch (fields[0]) {
        case BoardScore.command:
            rotation.take(parseSetScore(fields));
            break;
        case WarmupStart.command: {
            const seconds = warmupSeconds(fields);
            if (seconds !== null) {
                warmupEnd = Date.now() + seconds * 1000;
                tick();
            }
            break;
        }
        case 'STOPTIMER':
            warmupEnd = 0;
            tick();
            break;
        default:
            break;
    }
}

function linkChanged({link, text}) {
    document.body.dataset.link = link;
    // The board says nothing of a good link, and why it was refused.
    const texts = {...LinkTexts, [Link.LoggedIn]: '', [Link.Refused]: text};
    $('board-link').textContent = texts[link];
    if (link === Link.LoggedIn) {
        $('status').textContent = '';
        requestAds();
    } else if (link === Link.Refused && station.stopped) {
        sessionStorage.removeItem(SetupKey);
        $('status').textContent = text;
        $('board').hidden = true;
        $('setup-page').hidden = false;
    } else if (link === Link.Offline) {
        rotation.clear();
        if (adRequest) clearTimeout(adRequest.timer);
        adRequest = null;
    }
}

function begin(setup) {
    if (station) station.stop();
    adNames = setup.ads;
    station = new Station(stationUrl(location), DisplayLogin.text(setup));
    rotation = new ScoreRotation({
        shows: setup.shows,
        show: showScore,
        confirm: (text) => station.send(text),
    });
    station.addEventListener('link', (e) => linkChanged(e.detail));
    station.addEventListener('message', (e) => received(e.detail.fields));
    station.addEventListener('binary', (e) => adReceived(e.detail));
    sessionStorage.setItem(SetupKey, JSON.stringify(setup));
    $('setup-page').hidden = true;
    $('board').hidden = false;
    station.start();
}

async function start() {
    $('setup').addEventListener('submit', (event) => {
        event.preventDefault();
        const setup = {
            name: $('display-name').value.trim(),
            shows: $('shows').value,
            pin: $('pin').value,
            ads: $('ads')
                .value.split(/[\n,]/)
                .map((s) => s.trim())
                .filter(Boolean),
        };
        localStorage.setItem(FormKey, JSON.stringify({...setup, pin: undefined}));
        $('status').textContent = '';
        document.documentElement.requestFullscreen?.().catch(() => {});
        begin(setup);
    });
    meet = await loadMeet();
    $('board-meet').textContent = meet.name || 'Tallvane';
    nameThePage(document, meet.name, 'Scoreboard');
    const form = readJson(localStorage, FormKey);
    fillSelect($('shows'), [['all', 'All events'], ...meet.events], form?.shows);
    if (form) {
        $('display-name').value = form.name ?? '';
        $('ads').value = (form.ads ?? []).join('\n');
    }
    setInterval(tick, 250);
    setInterval(nextAd, AdSeconds * 1000);
    tick();
    const saved = readJson(sessionStorage, SetupKey);
    if (saved?.name) begin(saved);
}

start();
