// The pages' language and theme: the texts of the chosen language (English
// for any key a language lacks), the chooser on every page, and the page's
// numbers, scores and times written as its language writes them. Texts in the
// HTML carry their key (data-text="key"); texts the scripts write go through
// t(). The choice is kept in the browser.
import {scoreText} from './score.js';

export const Languages = Object.freeze({
    en: 'English',
    es: 'Español',
    fr: 'Français',
    de: 'Deutsch',
});
export const Themes = Object.freeze({
    default: 'theme.default',
    contrast: 'theme.contrast',
    colourblind: 'theme.colourblind',
});
export const LanguageKey = 'tallvane.language';
export const ThemeKey = 'tallvane.theme';

let language = 'en';
let own = {};
let english = {};
const listeners = [];

// The language a page opens in: the one its link asks for (a board's
// "lang=es", as a TV has no chooser anyone touches), else the one chosen
// before, else the first of the browser's languages that the pages speak
// ("es-MX" speaks "es"), else English.
export function chooseLanguage(saved, browserLanguages = [], linked = null) {
    for (const tag of [linked, saved, ...(browserLanguages ?? [])]) {
        const primary = String(tag ?? '')
            .trim()
            .toLowerCase()
            .split(/[-_]/)[0];
        if (Object.hasOwn(Languages, primary)) return primary;
    }
    return 'en';
}

// Takes the texts of `code` and English's, for t() and the formatting below.
export function useStrings(code, texts, englishTexts = texts) {
    language = Object.hasOwn(Languages, code) ? code : 'en';
    own = texts ?? {};
    english = englishTexts ?? {};
}

export const pageLanguage = () => language;

// The text of `key` in the page's language, English when the language lacks
// it, the key itself when English does too; "{name}" takes params.name.
export function t(key, params = {}) {
    const text = own[key] ?? english[key] ?? key;
    return text.replace(/\{(\w+)\}/g, (whole, name) =>
        Object.hasOwn(params, name) ? String(params[name]) : whole,
    );
}

// A score as the page's language writes it: "9.350", "9,350".
export const localScore = (value) => scoreText(value, language);

// A time of day with seconds, as the page's language writes one.
export const localTime = (time) =>
    new Date(time).toLocaleTimeString(language, {
        hour: '2-digit',
        minute: '2-digit',
        second: '2-digit',
    });

// A place as the page's language writes it: "2nd", "2.º", "2e", "2.".
export function localOrdinal(place) {
    switch (language) {
        case 'es':
            return `${place}.º`;
        case 'fr':
            return place === 1 ? '1er' : `${place}e`;
        case 'de':
            return `${place}.`;
        default: {
            const kind = new Intl.PluralRules('en', {type: 'ordinal'}).select(place);
            return `${place}${{one: 'st', two: 'nd', few: 'rd'}[kind] ?? 'th'}`;
        }
    }
}

// Calls `fn` after the page changes language, so it writes its own texts again.
export function onLanguageChange(fn) {
    listeners.push(fn);
}

// Writes the texts of every marked element under `root`: its text, its
// placeholder or its label for assistive technology. A text no file has (the
// files could not be read) leaves the page's own English in place.
export function applyTexts(root) {
    const known = (key) => Object.hasOwn(own, key) || Object.hasOwn(english, key);
    for (const element of root.querySelectorAll('[data-text]')) {
        if (known(element.dataset.text)) element.textContent = t(element.dataset.text);
    }
    for (const element of root.querySelectorAll('[data-text-placeholder]')) {
        const key = element.dataset.textPlaceholder;
        if (known(key)) element.placeholder = t(key);
    }
    for (const element of root.querySelectorAll('[data-text-label]')) {
        const key = element.dataset.textLabel;
        if (known(key)) element.setAttribute('aria-label', t(key));
    }
}

const read = (storage, key) => {
    try {
        return storage?.getItem(key) ?? null;
    } catch {
        return null;
    }
};

const keep = (storage, key, value) => {
    try {
        storage?.setItem(key, value);
    } catch {
        // a browser that keeps nothing: the choice lasts for this page only
    }
};

async function loadTexts(code) {
    const url = new URL(`../lang/${code}.json`, import.meta.url);
    try {
        const response = await fetch(url, {cache: 'no-cache'});
        if (response.ok) return await response.json();
    } catch {
        // offline: the keys' English stands in
    }
    return {};
}

let switches = 0; // a later choice wins over one whose texts come in after it

async function switchLanguage(doc, code) {
    const ticket = ++switches;
    const [texts, englishTexts] = await Promise.all([
        loadTexts(code),
        code === 'en' ? null : loadTexts('en'),
    ]);
    if (ticket !== switches) return;
    useStrings(code, texts, englishTexts ?? texts);
    doc.documentElement.lang = code;
    applyTexts(doc);
    for (const fn of listeners) fn(code);
}

function chooser(doc, id, labelKey, choices, chosen, changed) {
    const label = doc.createElement('label');
    const caption = doc.createElement('span');
    caption.dataset.text = labelKey;
    const select = doc.createElement('select');
    select.id = id;
    for (const [value, key, name] of choices) {
        const option = new Option(name ?? '', value);
        if (key) option.dataset.text = key;
        select.append(option);
    }
    select.value = chosen;
    select.addEventListener('change', () => changed(select.value));
    label.append(caption, ' ', select);
    return label;
}

// Sets the page's theme and language and puts the chooser in its header bar
// (or at the top of the page without one); `linked` is the language the
// page's link asks for. Resolves once the texts are in.
export async function startPage({
    doc = document,
    storage = globalThis.localStorage,
    browserLanguages = globalThis.navigator?.languages,
    linked = null,
} = {}) {
    const savedTheme = read(storage, ThemeKey);
    const theme = Object.hasOwn(Themes, savedTheme) ? savedTheme : 'default';
    doc.documentElement.dataset.theme = theme;
    const code = chooseLanguage(read(storage, LanguageKey), browserLanguages, linked);

    const form = doc.createElement('form');
    form.className = 'choosers';
    form.addEventListener('submit', (event) => event.preventDefault());
    form.append(
        chooser(
            doc,
            'language-choice',
            'chooser.language',
            Object.entries(Languages).map(([value, name]) => [value, null, name]),
            code,
            (value) => {
                keep(storage, LanguageKey, value);
                switchLanguage(doc, value);
            },
        ),
        chooser(doc, 'theme-choice', 'chooser.theme', Object.entries(Themes), theme, (value) => {
            keep(storage, ThemeKey, value);
            doc.documentElement.dataset.theme = value;
        }),
    );
    const bar = doc.querySelector('header.bar');
    if (bar) bar.append(form);
    else doc.body.prepend(form);
    await switchLanguage(doc, code);
}
