// The language files against each other and against the pages: every text in
// every language, with the same blanks to fill, and no text no page uses.
import assert from 'node:assert/strict';
import {readdirSync, readFileSync} from 'node:fs';
import {test} from 'node:test';

const web = new URL('../../src/web/', import.meta.url);
const read = (path) => readFileSync(new URL(path, web), 'utf8');
const language = (code) => JSON.parse(read(`lang/${code}.json`));
const english = language('en');
const others = ['es', 'fr', 'de'];
const blanks = (text) => [...text.matchAll(/\{(\w+)\}/g)].map((m) => m[1]).sort();

// The keys the pages name: marked in the HTML, or written in a script as a
// quoted "page.key".
function usedKeys() {
    const keys = new Set();
    for (const page of readdirSync(web).filter((name) => name.endsWith('.html'))) {
        for (const m of read(page).matchAll(/data-text(?:-placeholder|-label)?="([^"]+)"/g))
            keys.add(m[1]);
    }
    for (const script of readdirSync(new URL('js/', web))) {
        for (const m of read(`js/${script}`).matchAll(/'([a-z]+\.[a-z0-9-]+)'/g)) keys.add(m[1]);
    }
    return keys;
}

test('every language has every English text, with the same blanks, and nothing more', () => {
    for (const code of others) {
        const texts = language(code);
        assert.deepEqual(Object.keys(texts).sort(), Object.keys(english).sort(), code);
        for (const [key, text] of Object.entries(english)) {
            assert.ok(texts[key].trim(), `${code}: ${key} is empty`);
            assert.deepEqual(blanks(texts[key]), blanks(text), `${code}: ${key}`);
        }
    }
});

test('the pages use every text there is and name none that is missing', () => {
    const used = usedKeys();
    const known = new Set(Object.keys(english));
    const unused = [...known].filter((key) => !used.has(key));
    assert.deepEqual(unused, [], 'texts no page uses');
    const prefixes = new Set([...known].map((key) => key.split('.')[0]));
    const missing = [...used].filter((key) => prefixes.has(key.split('.')[0]) && !known.has(key));
    assert.deepEqual(missing, [], 'keys the pages name that English lacks');
});
