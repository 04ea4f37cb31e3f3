// The scoreboard page: a set-up form, then a full-screen board that shows each
// score for its time (or, in another layout, each event in its quarter, who is
// up next, the leaders, the teams), a warm-up countdown, and while idle the
// meet's name, the time and the ad images in turn. It logs in again by itself
// after a drop. A link with the board's name and the PIN starts it with no form;
// its "lang=" sets the board's language, as a TV has no chooser anyone touches.
import {GroupLayouts, LayoutKeys, linkSetup, withoutPin} from './boardlayout.js';
import {BoardContent} from './boardcontent.js';
import {
    boardScore,
    drawLeaders,
    drawTeams,
    drawUpNext,
    makeQuarters,
    showQuarter,
} from './boardviews.js';
import {failoverFor} from './failover.js';
import {onLanguageChange, pageLanguage, startPage, t} from './i18n.js';
import {fillSelect, loadMeet} from './meet.js';
import {clockText} from './messages.js';
import {Scoreboard} from './scoreboard.js';
import {socketUrl} from './reconnect.js';
import {browserFeeds, linkText, nameThePage} from './shell.js';
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
        // The board says nothing of a good link, and why it was refused in
        // the server's own words.
        const texts = {[Link.LoggedIn]: '', [Link.Refused]: text};
        $('board-link').textContent = Object.hasOwn(texts, link) ? texts[link] : linkText(link);
        if (link === Link.LoggedIn) $('status').textContent = '';
    },
    showScore(score) {
        $('score-view').hidden = !score;
        if (score) {
            $('board-event').textContent = score.event;
            $('board-number').textContent = score.number;
            $('board-name').textContent = score.name;
            $('board-score').textContent = boardScore(score.score);
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
    showLayout(setup) {
        document.body.dataset.layout = setup.layout;
        content.show(setup);
    },
    showEventScore(event, score) {
        showQuarter($('four-view'), event, score ?? lastScore(event), Boolean(score));
        if (score) drawUpNext($('upnext-view'), content.upNext, lastScore);
    },
    // The board's name and the event it shows, over everything else.
    showRehearsal(seat) {
        $('rehearsal-view').hidden = !seat;
        if (!seat) return;
        $('rehearsal-name').textContent = seat.name;
        const events = {all: t('board.all-events'), NA: ''};
        $('rehearsal-event').textContent = Object.hasOwn(events, seat.detail)
            ? events[seat.detail]
            : seat.detail;
    },
};

// The last score of an event on a board that gives each event its place.
const lastScore = (event) => board.rotation?.lastScore?.(event) ?? null;

// Up next, the leaders, the teams and the loop's turn, as BoardContent has them.
const contentView = {
    showPage(page) {
        document.body.dataset.page = page;
        tick();
    },
    showUpNext: (events) => drawUpNext($('upnext-view'), events, lastScore),
    showLeaders: (group) => drawLeaders($('leaders-view'), group),
    showTeams: (table) => drawTeams($('teams-view'), table),
    showStatus() {}, // the board shows data, not its freshness
};

const content = new BoardContent(contentView, {
    updatesUrl: socketUrl(location, '/updates'),
    ...browserFeeds,
    hasAds: () => board.ads.length > 0,
});

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
    $('clock').textContent = new Date().toLocaleTimeString(pageLanguage(), {
        hour: '2-digit',
        minute: '2-digit',
    });
    const left = board.warmupLeft();
    if (left !== null) $('warmup').textContent = clockText(left);
    const page = document.body.dataset.page ?? 'single';
    const single = page === 'single';
    const scoring = single && !$('score-view').hidden;
    $('warmup-view').hidden = !single || scoring || left === null;
    $('idle-view').hidden = !(page === 'ads' || (single && !scoring && left === null));
    for (const layout of ['four', 'upnext', 'leaders', 'teams'])
        $(`${layout}-view`).hidden = page !== layout;
}

// The set-up form's layout chooser, and the group where the layout needs one.
function showGroupFields() {
    $('group-fields').hidden = !GroupLayouts.includes($('layout').value);
}

// The set-up form's choices in the page's language, each keeping its choice.
function fillChoices(meet, shows = $('shows').value) {
    fillSelect(
        $('layout'),
        Object.entries(LayoutKeys).map(([layout, key]) => [layout, t(key)]),
    );
    fillSelect($('shows'), [['all', t('board.all-events')], ...meet.events], shows);
}

function fullScreenButton() {
    const button = $('fullscreen');
    const update = () => {
        button.hidden = Boolean(document.fullscreenElement) || !document.fullscreenEnabled;
    };
    button.addEventListener('click', () =>
        document.documentElement.requestFullscreen?.().catch(() => {}),
    );
    document.addEventListener('fullscreenchange', update);
    update();
}

async function start() {
    $('setup').addEventListener('submit', (event) => {
        event.preventDefault();
        document.documentElement.requestFullscreen?.().catch(() => {});
        board.submit({
            name: $('display-name').value.trim(),
            shows: $('shows').value,
            pin: $('pin').value,
            layout: $('layout').value,
            level: $('level').value,
            division: $('division').value,
            ads: $('ads')
                .value.split(/[\n,]/)
                .map((s) => s.trim())
                .filter(Boolean),
        });
    });
    // The texts come in before the board draws anything.
    const linked = new URLSearchParams(location.search).get('lang');
    const [meet] = await Promise.all([loadMeet(), startPage({linked})]);
    $('layout').addEventListener('change', showGroupFields);
    makeQuarters($('four-view'));
    fullScreenButton();
    failover = failoverFor(meet);
    $('board-meet').textContent = meet.name || 'Tallvane';
    nameThePage(document, meet.name, '', 'board.title');
    onLanguageChange(() => {
        fillChoices(meet);
        contentView.showUpNext(content.upNext);
        content.drawResults();
        tick();
    });
    setInterval(tick, 250);
    setInterval(() => board.nextAd(), AdSeconds * 1000);
    tick();
    // A board's link starts it; its PIN leaves the address bar at once, so
    // it does not stay on the screen.
    const setup = linkSetup(location.search);
    if (setup) history.replaceState(null, '', location.pathname + withoutPin(location.search));
    const form = setup ? board.submit(setup) : board.start();
    fillChoices(meet, form?.shows);
    if (form) {
        $('display-name').value = form.name ?? '';
        $('ads').value = (form.ads ?? []).join('\n');
        $('layout').value = form.layout ?? 'single';
        $('level').value = form.level ?? '';
        $('division').value = form.division ?? '';
    }
    showGroupFields();
}

start();
