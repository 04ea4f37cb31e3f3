// What a board shows beside the scores of the station socket: who is up next
// (from /api/announcer, as the announcer's page has it), the leaders and the
// teams (from /api/results and /api/teams, as the results page has them),
// each read again when /updates says so; and the loop's turn through the
// layouts and the ad images. Only what the layout needs is followed. No DOM
// here: a view draws (see display.js), and the requests, the sockets and the
// timers come from outside.
import {leaderGroups, levelShown, teamRows} from './boardresults.js';
import {LiveAnnouncer} from './liveannouncer.js';
import {LiveResults} from './liveresults.js';
import {groupTitle} from './resultsview.js';
import {plainTimers} from './timers.js';

// The loop's pages in turn; the ad images are one when the board has any.
export const LoopPages = Object.freeze(['four', 'upnext', 'leaders', 'teams']);
export const TurnMs = 15000;

const needs = {
    single: [],
    four: [],
    upnext: ['announcer'],
    leaders: ['results'],
    teams: ['results'],
    loop: ['announcer', 'results'],
};

export class BoardContent {
    // `view`: showPage(page) (a layout's name, or 'ads'), showUpNext(events),
    // showLeaders(group or null), showTeams({title, rows}), showStatus(text,
    // online).
    // `env`: updatesUrl, getJson(path), now(), setTimer, clearTimer,
    // createSocket (optional), hasAds() (the board has ad images).
    constructor(view, env) {
        this.view = view;
        this.env = env;
        Object.assign(this, plainTimers(env));
        this.setup = {layout: 'single', level: '', division: ''};
        this.announcer = null;
        this.results = null;
        this.turn = 0;
        this.timer = null;
        this.upNext = [];
    }

    // The board's layout, from its set-up or the desk.
    show(setup) {
        this.stop();
        this.setup = setup;
        this.turn = 0;
        const wanted = needs[setup.layout] ?? [];
        if (wanted.includes('announcer')) this.announcer = this.followAnnouncer();
        if (wanted.includes('results')) this.results = this.followResults();
        this.announcer?.start();
        this.results?.start();
        if (setup.layout === 'loop' || wanted.includes('results')) this.nextTurn(false);
        else this.view.showPage(setup.layout);
    }

    stop() {
        this.announcer?.updates.stop();
        this.results?.updates.stop();
        this.announcer = null;
        this.results = null;
        if (this.timer !== null) this.clearTimer(this.timer);
        this.timer = null;
    }

    // The page shown on this turn: the layout itself, or in a loop the
    // loop's page of the turn.
    page() {
        if (this.setup.layout !== 'loop') return this.setup.layout;
        const pages = this.env.hasAds() ? [...LoopPages, 'ads'] : LoopPages;
        return pages[this.turn % pages.length];
    }

    // Every turn: the loop's next page, and the next age division of a
    // level with several.
    nextTurn(advance = true) {
        if (advance) this.turn += 1;
        this.view.showPage(this.page());
        this.drawResults();
        this.timer = this.setTimer(() => this.nextTurn(), TurnMs);
    }

    // The level's groups of leaders; one shows per turn.
    leaders() {
        const groups = leaderGroups(this.results?.rows ?? [], this.setup);
        return groups.length ? groups[this.turn % groups.length] : null;
    }

    teams() {
        const level = levelShown(this.results?.rows ?? [], this.setup.level);
        const answer = this.results?.teams.find((t) => t.level === level);
        return {title: level ? groupTitle(level, '') : '', rows: teamRows(answer?.teams)};
    }

    drawResults() {
        if (!this.results) return;
        this.view.showLeaders(this.leaders());
        this.view.showTeams(this.teams());
    }

    followAnnouncer() {
        const view = {
            showSessions: () => {},
            showStatus: (text, online) => this.view.showStatus(text, online),
            render: (state) => {
                this.upNext = state.events;
                this.view.showUpNext(state.events);
            },
        };
        return new LiveAnnouncer(view, this.liveEnv());
    }

    followResults() {
        const view = {
            showSessions: () => {},
            showStatus: (text, online) => this.view.showStatus(text, online),
            render: () => this.drawResults(),
            // The teams are read with the results: of the level shown.
            choice: () => ({
                view: 'Teams',
                level: levelShown(this.results?.rows ?? [], this.setup.level),
            }),
        };
        return new LiveResults(view, this.liveEnv());
    }

    liveEnv() {
        const {updatesUrl, getJson, now, createSocket} = this.env;
        return {
            url: updatesUrl,
            getJson,
            now,
            createSocket,
            setTimer: this.setTimer,
            clearTimer: this.clearTimer,
        };
    }
}
